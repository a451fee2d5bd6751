// The grid view module's entry points and registration: the SQL grid
// control, apartment threaded, with its type library and interfaces named
// in the registry.

#include "gridview/QuillView.h"

#include "platform/ComModule.h"

namespace {

const VkRegistryEntry s_moduleKeys[] = {
    {"TypeLib\\" TWQLVW_LIBID "\\1.0", nullptr, "TWQLVWLib 1.0 Type Library"},
    {"TypeLib\\" TWQLVW_LIBID "\\1.0\\0\\win32", nullptr, "%MODULE%"},
    {"TypeLib\\" TWQLVW_LIBID "\\1.0\\FLAGS", nullptr, "0"},
    {"Interface\\" TWQLVW_IID_IQUILLVIEW, nullptr, "IQuillView"},
    {"Interface\\" TWQLVW_IID_IQUILLVIEW "\\TypeLib", nullptr, TWQLVW_LIBID},
    {"Interface\\" TWQLVW_DIID_EVENTS, nullptr, "_IQuillViewEvents"},
    {"Interface\\" TWQLVW_DIID_EVENTS "\\TypeLib", nullptr, TWQLVW_LIBID},
};

const VkClassEntry s_classes[] = {QuillView::ClassEntry()};

} // namespace

VK_COM_MODULE(VkModuleInfo{s_classes, s_moduleKeys})

// The control module's entry points and registration: the job scheduler
// control and the schema explorer control, apartment threaded, with their
// type library and interfaces named in the registry.

#include "controls/CExplorerCtrl.h"
#include "controls/CSchedulerCtrl.h"

#include "platform/ComModule.h"

namespace {

const VkRegistryEntry s_moduleKeys[] = {
    {"TypeLib\\" QVCTRL_LIBID "\\1.0", nullptr, "QVCtrl 1.0 Type Library"},
    {"TypeLib\\" QVCTRL_LIBID "\\1.0\\0\\win32", nullptr, "%MODULE%"},
    {"TypeLib\\" QVCTRL_LIBID "\\1.0\\FLAGS", nullptr, "0"},
    {"Interface\\{BB50BC60-D218-4726-97A7-2060215575C1}", nullptr, "ISchedulerCtrl"},
    {"Interface\\{BB50BC60-D218-4726-97A7-2060215575C1}\\TypeLib", nullptr, QVCTRL_LIBID},
    {"Interface\\{9B41D132-F9B8-44D0-A98D-79D6FFBAB7BC}", nullptr, "_ISchedulerCtrlEvents"},
    {"Interface\\{9B41D132-F9B8-44D0-A98D-79D6FFBAB7BC}\\TypeLib", nullptr, QVCTRL_LIBID},
    {"Interface\\{057A50F1-3492-490B-840A-CB0EE9A6E043}", nullptr, "IExplorerCtrl"},
    {"Interface\\{057A50F1-3492-490B-840A-CB0EE9A6E043}\\TypeLib", nullptr, QVCTRL_LIBID},
    {"Interface\\{33062C2F-C55E-4A50-BA23-E5DACCA3D572}", nullptr, "_IExplorerCtrlEvents"},
    {"Interface\\{33062C2F-C55E-4A50-BA23-E5DACCA3D572}\\TypeLib", nullptr, QVCTRL_LIBID},
};

const VkClassEntry s_classes[] = {CSchedulerCtrl::ClassEntry(), CExplorerCtrl::ClassEntry()};

} // namespace

VK_COM_MODULE(VkModuleInfo{s_classes, s_moduleKeys})

// The module's entry points and registration: the three creatable classes,
// free-threaded ("Both"), with their type library named in the registry.

#include "registry/CVkRegKey.h"
#include "registry/CVkRegSource.h"
#include "registry/CVkRegValue.h"

#include "platform/ComModule.h"

namespace {

#define VKREG_LIBID "{10F45981-A728-464D-8702-30395D0BF04A}"

const VkRegistryEntry s_classKeys[] = {{"TypeLib", nullptr, VKREG_LIBID}};

const VkRegistryEntry s_moduleKeys[] = {
    {"TypeLib\\" VKREG_LIBID "\\1.0", nullptr, "VkReg 1.0 Type Library"},
    {"TypeLib\\" VKREG_LIBID "\\1.0\\0\\win32", nullptr, "%MODULE%"},
    {"TypeLib\\" VKREG_LIBID "\\1.0\\FLAGS", nullptr, "0"},
    {"Interface\\{5C0E1A10-3B7D-4E2A-9F41-7D2C11A06301}", nullptr, "IVkRegSource"},
    {"Interface\\{5C0E1A10-3B7D-4E2A-9F41-7D2C11A06301}\\TypeLib", nullptr, VKREG_LIBID},
    {"Interface\\{5C0E1A11-3B7D-4E2A-9F41-7D2C11A06301}", nullptr, "IVkRegKey"},
    {"Interface\\{5C0E1A11-3B7D-4E2A-9F41-7D2C11A06301}\\TypeLib", nullptr, VKREG_LIBID},
    {"Interface\\{5C0E1A12-3B7D-4E2A-9F41-7D2C11A06301}", nullptr, "IVkRegKeyIter"},
    {"Interface\\{5C0E1A12-3B7D-4E2A-9F41-7D2C11A06301}\\TypeLib", nullptr, VKREG_LIBID},
    {"Interface\\{5C0E1A13-3B7D-4E2A-9F41-7D2C11A06301}", nullptr, "IVkRegValueIter"},
    {"Interface\\{5C0E1A13-3B7D-4E2A-9F41-7D2C11A06301}\\TypeLib", nullptr, VKREG_LIBID},
    {"Interface\\{5C0E1A14-3B7D-4E2A-9F41-7D2C11A06301}", nullptr, "IVkRegValue"},
    {"Interface\\{5C0E1A14-3B7D-4E2A-9F41-7D2C11A06301}\\TypeLib", nullptr, VKREG_LIBID},
    {"Interface\\{5C0E1A15-3B7D-4E2A-9F41-7D2C11A06301}", nullptr, "IVkRegSubValues"},
    {"Interface\\{5C0E1A15-3B7D-4E2A-9F41-7D2C11A06301}\\TypeLib", nullptr, VKREG_LIBID},
};

const VkClassEntry s_classes[] = {
    {.clsid = CLSID_VkRegSource,
     .description = "VkRegSource Class",
     .progId = "VkReg.VkRegSource",
     .version = 1,
     .threadingModel = "Both",
     .create = VkCreatorOf<CVkRegSource>,
     .extraKeys = s_classKeys},
    {.clsid = CLSID_VkRegKey,
     .description = "VkRegKey Class",
     .progId = "VkReg.VkRegKey",
     .version = 1,
     .threadingModel = "Both",
     .create = VkCreatorOf<CVkRegKey>,
     .extraKeys = s_classKeys},
    {.clsid = CLSID_VkRegValue,
     .description = "VkRegValue Class",
     .progId = "VkReg.VkRegValue",
     .version = 1,
     .threadingModel = "Both",
     .create = VkCreatorOf<CVkRegValue>,
     .extraKeys = s_classKeys},
};

} // namespace

VK_COM_MODULE(VkModuleInfo{s_classes, s_moduleKeys})

#pragma once
// An in-process server module declares its classes once and gets its four
// entry points and its registration from that:
//
//   const VkRegistryEntry s_controlKeys[] = {{"Control"}, {"MiscStatus", nullptr, "0"}, ...};
//   const VkClassEntry s_classes[] = {
//       {.clsid = CLSID_Thing, .description = "Thing Class", .progId = "Mod.Thing", .version = 1,
//        .threadingModel = "Apartment", .create = VkCreatorOf<CThing>, .extraKeys = s_controlKeys},
//   };
//   VK_COM_MODULE(VkModuleInfo{s_classes})
//
// Registration writes, below HKEY_CLASSES_ROOT:
//   CLSID\{clsid}                  = description
//     ProgID                       = progId.version (progId without a version)
//     VersionIndependentProgID     = progId          (only with a version)
//     InprocServer32               = module path, ThreadingModel = model
//     <extra keys>                 ("%MODULE%" in a value becomes the module path)
//   progId                         = description, CLSID = {clsid}, CurVer = progId.version
//   progId.version                 = description, CLSID = {clsid}
//   <module keys>
// Unregistration removes the class keys, the ProgID keys that still name
// this class, and the module keys; what is already gone is no failure.
//
// Modules must be built with -fno-gnu-unique (link the CMake target
// qv_com_module): GCC's unique symbols would keep a module loaded forever.

#include "platform/ComObject.h"

#include <dlfcn.h>

#include <array>
#include <span>

// One value under a registration key. key is relative to the class's key
// (or, for module keys, to HKEY_CLASSES_ROOT); valueName null means the
// key's default value; value null means the key alone.
struct VkRegistryEntry {
    const char* key;
    const char* valueName = nullptr;
    const char* value = nullptr;
};

using VkCreator = HRESULT (*)(IUnknown* outer, REFIID riid, void** object);

// The keys of an insertable control's class: what it is, its status bits,
// its tool-box picture (a resource of its module) and its type library.
constexpr std::array<VkRegistryEntry, 8> VkControlClassKeys(const char* toolboxBitmap, const char* typeLib)
{
    return {{{"Programmable"},
             {"Control"},
             {"Insertable"},
             {"MiscStatus", nullptr, "0"},
             {"MiscStatus\\1", nullptr, "131473"},
             {"ToolboxBitmap32", nullptr, toolboxBitmap},
             {"TypeLib", nullptr, typeLib},
             {"Version", nullptr, "1.0"}}};
}

struct VkClassEntry {
    CLSID clsid;
    const char* description;
    const char* progId = nullptr;         // version-independent; null for none
    int version = 0;                      // > 0 also registers progId.version
    const char* threadingModel = nullptr; // "Apartment", "Both", "Free" or null
    VkCreator create = nullptr;
    bool aggregatable = false;            // false: CLASS_E_NOAGGREGATION for an outer object
    std::span<const VkRegistryEntry> extraKeys = {};
};

struct VkModuleInfo {
    std::span<const VkClassEntry> classes;
    std::span<const VkRegistryEntry> moduleKeys = {};
};

// The standard creator of a class that does not aggregate.
template <class T>
HRESULT VkCreatorOf(IUnknown* outer, REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    return VkCreateObject<T>(riid, object);
}

// Writes (install) or removes the module's registration. modulePath is
// made absolute. SELFREG_E_CLASS when the registry cannot be written.
HRESULT VkRegisterModule(const VkModuleInfo& info, const char* modulePath, bool install);

namespace VkModuleLocal __attribute__((visibility("hidden"))) {

class ClassFactory final : public VkComObject<ClassFactory, IClassFactory> {
public:
    explicit ClassFactory(const VkClassEntry& entry) : m_entry(entry) {}

    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer && !m_entry.aggregatable)
            return CLASS_E_NOAGGREGATION;
        // An aggregated object hands its inner IUnknown to the outer one.
        if (outer && !IsEqualIID(riid, IID_IUnknown))
            return E_INVALIDARG;
        if (!m_entry.create)
            return E_NOTIMPL;
        return m_entry.create(outer, riid, object);
    }
    HRESULT LockServer(BOOL lock) override
    {
        if (lock)
            Lock();
        else
            Unlock();
        return S_OK;
    }

private:
    const VkClassEntry& m_entry;
};

inline HRESULT GetClassObject(const VkModuleInfo& info, REFCLSID clsid, REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    for (const VkClassEntry& entry : info.classes)
        if (IsEqualCLSID(entry.clsid, clsid))
            return VkCreateObject<ClassFactory>(riid, object, entry);
    return CLASS_E_CLASSNOTAVAILABLE;
}

// The file this binary was loaded from.
inline const char* ModulePath()
{
    Dl_info dl{};
    if (dladdr(reinterpret_cast<void*>(&ModulePath), &dl) && dl.dli_fname)
        return dl.dli_fname;
    return "";
}

} // namespace VkModuleLocal

#define VK_COM_EXPORT extern "C" __attribute__((visibility("default")))

// The four entry points of an in-process server, from a VkModuleInfo
// expression (evaluated at each call; keep it a constant).
#define VK_COM_MODULE(...)                                                                    \
    VK_COM_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object)              \
    {                                                                                                \
        return VkModuleLocal::GetClassObject((__VA_ARGS__), clsid, riid, object);                       \
    }                                                                                                \
    VK_COM_EXPORT HRESULT DllCanUnloadNow() { return VkModuleLocal::LockCount() == 0 ? S_OK : S_FALSE; } \
    VK_COM_EXPORT HRESULT DllRegisterServer()                                                        \
    {                                                                                                \
        return VkRegisterModule((__VA_ARGS__), VkModuleLocal::ModulePath(), true);                      \
    }                                                                                                \
    VK_COM_EXPORT HRESULT DllUnregisterServer()                                                      \
    {                                                                                                \
        return VkRegisterModule((__VA_ARGS__), VkModuleLocal::ModulePath(), false);                     \
    }

using VkDllGetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, void**);
using VkDllCanUnloadNowFn = HRESULT (*)();
using VkDllRegisterServerFn = HRESULT (*)();

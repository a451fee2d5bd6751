#include "platform/ComRuntime.h"

#include "platform/ComModule.h"
#include "platform/Registry.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <vector>

namespace {

struct LoadedModule {
    void* handle = nullptr;
    VkDllGetClassObjectFn getClassObject = nullptr;
    VkDllCanUnloadNowFn canUnloadNow = nullptr;
};

// Held across module calls so that no module is unloaded while in use;
// recursive because a module may create objects of other modules.
std::recursive_mutex s_mutex;

std::map<std::string, LoadedModule>& Modules()
{
    static auto* modules = new std::map<std::string, LoadedModule>; // outlives static destructors
    return *modules;
}

std::string CanonicalPath(const std::string& path)
{
    std::error_code ec;
    auto canonical = std::filesystem::canonical(path, ec);
    return ec ? path : canonical.string();
}

// A string value of HKCR\key; false when missing or not text.
bool ReadText(const std::string& key, const char* valueName, std::string* out)
{
    HKEY h = nullptr;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, key.c_str(), KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = 0;
    bool ok = RegQueryValueEx(h, valueName, &type, nullptr, &size) == ERROR_SUCCESS &&
              (type == REG_SZ || type == REG_EXPAND_SZ);
    if (ok) {
        std::vector<BYTE> data(size + 1);
        ok = RegQueryValueEx(h, valueName, &type, data.data(), &size) == ERROR_SUCCESS;
        if (ok)
            out->assign(reinterpret_cast<const char*>(data.data()),
                        strnlen(reinterpret_cast<const char*>(data.data()), size));
    }
    RegCloseKey(h);
    return ok;
}

// Loads (or finds) a module; call with s_mutex held.
HRESULT Load(const std::string& path, LoadedModule** out)
{
    const std::string key = CanonicalPath(path);
    auto& modules = Modules();
    auto it = modules.find(key);
    if (it != modules.end()) {
        *out = &it->second;
        return S_OK;
    }
    void* handle = dlopen(key.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return CO_E_DLLNOTFOUND;
    LoadedModule m;
    m.handle = handle;
    m.getClassObject = reinterpret_cast<VkDllGetClassObjectFn>(dlsym(handle, "DllGetClassObject"));
    m.canUnloadNow = reinterpret_cast<VkDllCanUnloadNowFn>(dlsym(handle, "DllCanUnloadNow"));
    if (!m.getClassObject) {
        dlclose(handle);
        return CO_E_ERRORINDLL;
    }
    *out = &modules.emplace(key, m).first->second;
    return S_OK;
}

} // namespace

HRESULT CoInitialize(void*) { return S_OK; }
HRESULT CoInitializeEx(void*, DWORD) { return S_OK; }
void CoUninitialize() {}

void* CoTaskMemAlloc(std::size_t size) { return std::malloc(size ? size : 1); }
void CoTaskMemFree(void* block) { std::free(block); }

HRESULT VkClsidFromProgId(const char* progId, CLSID* clsid)
{
    if (!progId || !clsid)
        return E_INVALIDARG;
    std::string text;
    if (!*progId || std::strchr(progId, '\\') || !ReadText(std::string(progId) + "\\CLSID", nullptr, &text) ||
        !VkGuidFromString(text, clsid))
        return CO_E_CLASSSTRING;
    return S_OK;
}

HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid)
{
    if (!progId)
        return E_INVALIDARG;
    return VkClsidFromProgId(VkOleToUtf8(progId).c_str(), clsid);
}

HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* progId)
{
    if (!progId)
        return E_INVALIDARG;
    *progId = nullptr;
    std::string text;
    if (!ReadText("CLSID\\" + VkGuidToString(clsid) + "\\ProgID", nullptr, &text) || text.empty())
        return REGDB_E_CLASSNOTREG;
    const std::u16string wide = VkUtf8ToUtf16(text);
    auto* out = static_cast<LPOLESTR>(CoTaskMemAlloc((wide.size() + 1) * sizeof(OLECHAR)));
    if (!out)
        return E_OUTOFMEMORY;
    std::memcpy(out, wide.c_str(), (wide.size() + 1) * sizeof(OLECHAR));
    *progId = out;
    return S_OK;
}

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void*, REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!(context & CLSCTX_INPROC_SERVER))
        return REGDB_E_CLASSNOTREG;
    std::string path;
    if (!ReadText("CLSID\\" + VkGuidToString(clsid) + "\\InprocServer32", nullptr, &path) || path.empty())
        return REGDB_E_CLASSNOTREG;
    std::lock_guard lock(s_mutex);
    LoadedModule* module = nullptr;
    HRESULT hr = Load(path, &module);
    if (FAILED(hr))
        return hr;
    return module->getClassObject(clsid, riid, object);
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    // The factory keeps its module loaded, so no lock is needed (nor
    // wanted: an object's constructor may wait for other threads).
    ComPtr<IClassFactory> factory;
    HRESULT hr = CoGetClassObject(clsid, context, nullptr, IID_IClassFactory,
                                  reinterpret_cast<void**>(factory.GetAddressOf()));
    if (FAILED(hr))
        return hr;
    return factory->CreateInstance(outer, riid, object);
}

HRESULT VkCreateInstance(const char* clsidOrProgId, REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!clsidOrProgId)
        return E_INVALIDARG;
    CLSID clsid{};
    if (!VkGuidFromString(clsidOrProgId, &clsid)) {
        HRESULT hr = VkClsidFromProgId(clsidOrProgId, &clsid);
        if (FAILED(hr))
            return REGDB_E_CLASSNOTREG;
    }
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, riid, object);
}

void CoFreeUnusedLibraries()
{
    std::lock_guard lock(s_mutex);
    auto& modules = Modules();
    for (auto it = modules.begin(); it != modules.end();) {
        if (it->second.canUnloadNow && it->second.canUnloadNow() == S_OK) {
            dlclose(it->second.handle);
            it = modules.erase(it);
        } else {
            ++it;
        }
    }
}

bool VkIsModuleLoaded(const char* modulePath)
{
    if (!modulePath)
        return false;
    std::lock_guard lock(s_mutex);
    return Modules().count(CanonicalPath(modulePath)) != 0;
}

HRESULT VkRegisterServer(const char* modulePath, bool unregister, std::string* message)
{
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto fail = [&](HRESULT hr, const std::string& why) {
        if (message)
            *message = why;
        return hr;
    };
    if (!modulePath || !*modulePath)
        return fail(E_INVALIDARG, "no module given");
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::absolute(modulePath, ec);
    if (ec || !std::filesystem::exists(path, ec))
        return fail(CO_E_DLLNOTFOUND, std::string("cannot find the module ") + modulePath);
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        return fail(CO_E_DLLNOTFOUND, std::string("cannot load the module: ") + (why ? why : "unknown error"));
    }
    auto fn = reinterpret_cast<VkDllRegisterServerFn>(dlsym(handle, entry));
    HRESULT hr = S_OK;
    if (!fn) {
        hr = fail(CO_E_ERRORINDLL, std::string("the module does not export ") + entry);
    } else {
        hr = fn();
        if (FAILED(hr)) {
            char code[16];
            std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
            fail(hr, std::string(entry) + " failed with " + code);
        }
    }
    dlclose(handle);
    return hr;
}

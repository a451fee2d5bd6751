#pragma once
// The COM runtime: creating objects of registered in-process servers.
//
// CoCreateInstance looks the class up under
// HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32, loads that module once
// per process (later creations reuse it), asks its DllGetClassObject for
// the class factory and creates the object. CoFreeUnusedLibraries unloads
// every loaded module whose DllCanUnloadNow answers S_OK. All of it is
// thread-safe.

#include "platform/ComInterfaces.h"

#include <cstddef>
#include <string>

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
constexpr DWORD CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
constexpr DWORD CLSCTX_SERVER = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
constexpr DWORD CLSCTX_ALL = CLSCTX_SERVER | CLSCTX_INPROC_HANDLER;

constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;

// Kept for the callers' sake: there are no apartments here, every thread
// may use the runtime at any time. They always succeed (S_OK).
HRESULT CoInitialize(void* reserved);
HRESULT CoInitializeEx(void* reserved, DWORD flags);
void CoUninitialize();

// Memory handed across interfaces (STATSTG names, ProgIDFromCLSID).
void* CoTaskMemAlloc(std::size_t size);
void CoTaskMemFree(void* block);

// The class of a ProgID (HKCR\progId\CLSID); CO_E_CLASSSTRING when the
// ProgID is not registered.
HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid);
HRESULT VkClsidFromProgId(const char* progId, CLSID* clsid);
// The class's ProgID (HKCR\CLSID\{clsid}\ProgID), allocated with
// CoTaskMemAlloc; REGDB_E_CLASSNOTREG when it has none.
HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* progId);

// The class factory (or another interface of the class object).
// REGDB_E_CLASSNOTREG: the class or its InprocServer32 is not registered
// (or context excludes in-process servers); CO_E_DLLNOTFOUND: the module
// cannot be loaded; CO_E_ERRORINDLL: it exports no DllGetClassObject;
// otherwise what the module answers.
HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* serverInfo, REFIID riid, void** object);
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** object);
// Creation by "{clsid}" text or by ProgID.
HRESULT VkCreateInstance(const char* clsidOrProgId, REFIID riid, void** object);

// Unloads, at once, the modules that say they can be unloaded. As on
// Windows, a thread still returning from a module's last Release could be
// caught; call it where no other thread is releasing that module's objects
// (the program's idle time).
void CoFreeUnusedLibraries();
// Whether the runtime holds modulePath loaded (the path as registered or
// any spelling of the same file).
bool VkIsModuleLoaded(const char* modulePath);

// Calls the module's DllRegisterServer (or DllUnregisterServer). On
// failure *message (when given) says why: CO_E_DLLNOTFOUND when it cannot
// be loaded, CO_E_ERRORINDLL when it lacks the entry point, otherwise the
// entry point's own result.
HRESULT VkRegisterServer(const char* modulePath, bool unregister, std::string* message = nullptr);

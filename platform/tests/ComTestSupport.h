#pragma once
// Shared pieces of the COM runtime tests: the registered test module and
// an event sink living in the test program.

#include "platform/ComObject.h"
#include "platform/ComRuntime.h"
#include "platform/DispatchTable.h"
#include "platform/Registry.h"
#include "platform/tests/testmodule/TestWidget.h"
#include "testsupport/TestRoot.h"

#include <dlfcn.h>

#include <functional>
#include <string>
#include <vector>

namespace comtest {

// A fresh data root with the test module registered in it.
class ModuleTest : public qvtest::FreshRootTest {
protected:
    void SetUp() override
    {
        FreshRootTest::SetUp();
        m_module = qvtest::LibPath("VkTestModule.so").string();
        std::string message;
        ASSERT_EQ(VkRegisterServer(m_module.c_str(), false, &message), S_OK) << message;
    }
    void TearDown() override
    {
        CoFreeUnusedLibraries();
        FreshRootTest::TearDown();
    }

    // Whether the module is mapped in this process at all.
    bool ModuleInMemory() const
    {
        void* h = dlopen(m_module.c_str(), RTLD_LAZY | RTLD_NOLOAD);
        if (!h)
            return false;
        dlclose(h);
        return true;
    }
    // The module's live objects and locks; -1 when it is not loaded.
    LONG ModuleLocks() const
    {
        void* h = dlopen(m_module.c_str(), RTLD_LAZY | RTLD_NOLOAD);
        if (!h)
            return -1;
        auto fn = reinterpret_cast<VkTestModuleLocksFn>(dlsym(h, "VkTestModuleLocks"));
        const LONG n = fn ? fn() : -2;
        dlclose(h);
        return n;
    }

    std::string m_module;
};

// The text of a value under root\path; "<missing>" when absent.
inline std::string RegText(HKEY root, const std::string& path, const char* name = nullptr)
{
    HKEY key = nullptr;
    if (RegOpenKeyEx(root, path.c_str(), KEY_READ, &key) != ERROR_SUCCESS)
        return "<missing>";
    char data[1024] = {};
    DWORD size = sizeof data - 1, type = 0;
    const LONG rc = RegQueryValueEx(key, name, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS)
        return "<missing>";
    return std::string(data);
}

inline bool KeyExists(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyEx(root, path.c_str(), KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// An event sink for _ITestWidgetEvents, implemented in the test program.
class Sink final : public VkComObject<Sink, VkDispatchImpl<Sink, IDispatch>> {
public:
    static const VkDispatchTable<Sink>& DispatchTable()
    {
        static const VkDispatchTable<Sink> table =
            VkDispatchTable<Sink>().Method(DISPID_TestOnPing, "OnPing", 1, 1, [](Sink& s, VkDispatchCall& c) {
                LONG n = 0;
                HRESULT hr = c.GetLong(0, &n);
                if (FAILED(hr))
                    return hr;
                s.pings.push_back(n);
                if (s.onPing)
                    s.onPing(s);
                return S_OK;
            });
        return table;
    }
    ULONG Refs() const { return RefCount(); }

    std::vector<LONG> pings;
    std::function<void(Sink&)> onPing;
    bool answersEvents = true;

protected:
    void* FindExtraInterface(REFIID riid) override
    {
        return answersEvents && IsEqualIID(riid, DIID_ITestWidgetEvents) ? static_cast<IDispatch*>(this) : nullptr;
    }
};

} // namespace comtest

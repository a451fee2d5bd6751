// The module as its users see it: registered with regsvr, created by class
// identifier or ProgID through the COM runtime, called by name.

#include "registry/IVkReg.h"
#include "registry/tests/RegTestHelpers.h"

#include "platform/ComPtr.h"
#include "platform/ComRuntime.h"
#include "platform/DispatchTable.h"
#include "platform/Registry.h"
#include "platform/VkVariant.h"
#include "testsupport/TestRoot.h"

#include <filesystem>

namespace {

std::string RegText(const std::string& path, const char* name = nullptr)
{
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, path.c_str(), KEY_READ, &key) != ERROR_SUCCESS)
        return "<missing>";
    char buffer[1024] = {};
    DWORD size = sizeof buffer - 1, type = 0;
    LONG rc = RegQueryValueEx(key, name, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? std::string(buffer) : "<missing>";
}

class RegServer : public qvtest::FreshRootTest {
protected:
    void SetUp() override
    {
        FreshRootTest::SetUp();
        ASSERT_TRUE(qvtest::RegisterModule("VkReg"));
    }
    void TearDown() override
    {
        CoFreeUnusedLibraries();
        FreshRootTest::TearDown();
    }
    std::string ModulePath() const
    {
        return std::filesystem::canonical(qvtest::LibPath("VkReg.so")).string();
    }
};

TEST_F(RegServer, RegistersTheThreeClasses)
{
    struct Class {
        CLSID clsid;
        const char* progId;
        const char* description;
    };
    const Class classes[] = {
        {CLSID_VkRegSource, "VkReg.VkRegSource", "VkRegSource Class"},
        {CLSID_VkRegKey, "VkReg.VkRegKey", "VkRegKey Class"},
        {CLSID_VkRegValue, "VkReg.VkRegValue", "VkRegValue Class"},
    };
    const std::string path = ModulePath();
    for (const Class& c : classes) {
        SCOPED_TRACE(c.progId);
        const std::string key = "CLSID\\" + VkGuidToString(c.clsid);
        EXPECT_EQ(RegText(key), c.description);
        EXPECT_EQ(RegText(key + "\\InprocServer32"), path);
        EXPECT_EQ(RegText(key + "\\InprocServer32", "ThreadingModel"), "Both");
        EXPECT_EQ(RegText(key + "\\ProgID"), std::string(c.progId) + ".1");
        EXPECT_EQ(RegText(key + "\\VersionIndependentProgID"), c.progId);
        EXPECT_EQ(RegText(key + "\\TypeLib"), "{10F45981-A728-464D-8702-30395D0BF04A}");
        EXPECT_EQ(RegText(std::string(c.progId) + "\\CLSID"), VkGuidToString(c.clsid));
        EXPECT_EQ(RegText(std::string(c.progId) + "\\CurVer"), std::string(c.progId) + ".1");
        EXPECT_EQ(RegText(std::string(c.progId) + ".1\\CLSID"), VkGuidToString(c.clsid));
    }
    EXPECT_EQ(RegText("TypeLib\\{10F45981-A728-464D-8702-30395D0BF04A}\\1.0"), "VkReg 1.0 Type Library");
    EXPECT_EQ(VkGuidToString(CLSID_VkRegSource), "{8AF90668-A1AF-49F2-8C84-5BF872E58E6A}");
    EXPECT_EQ(VkGuidToString(CLSID_VkRegKey), "{79B72F0F-CA39-49F4-B87D-1B87DAC62046}");
    EXPECT_EQ(VkGuidToString(CLSID_VkRegValue), "{24200000-E61C-488C-BB24-B3744EAA940C}");

    std::string out;
    ASSERT_EQ(qvtest::RunCommand("'" + qvtest::BinPath("regsvr").string() + "' /u /s '" + path + "'", &out, true), 0)
        << out;
    EXPECT_EQ(RegText("CLSID\\" + VkGuidToString(CLSID_VkRegSource)), "<missing>");
    EXPECT_EQ(RegText("VkReg.VkRegKey\\CLSID"), "<missing>");
}

// A script's view: every call by name through IDispatch.
TEST_F(RegServer, ScriptReadsAndWritesABranch)
{
    regtest::PutText(HKEY_CURRENT_USER, "Software\\Tarnwick\\Script", "Greeting", "hello");
    ComPtr<IDispatch> source;
    ASSERT_EQ(VkCreateInstance("VkReg.VkRegSource.1", IID_IDispatch,
                               reinterpret_cast<void**>(source.ReleaseAndGetAddressOf())),
              S_OK);
    ASSERT_EQ(VkInvokeByName(source.Get(), "HomePath", DISPATCH_PROPERTYPUT,
                             {VkVariant("HKEY_CURRENT_USER\\Software\\Tarnwick")}),
              S_OK);
    VkVariant key;
    ASSERT_EQ(VkInvokeByName(source.Get(), "Read", DISPATCH_METHOD, {VkVariant("Script")}, &key), S_OK);
    ASSERT_EQ(key.vt, VT_DISPATCH);
    VkVariant greeting;
    ASSERT_EQ(VkInvokeByName(key.pdispVal, "Value", DISPATCH_PROPERTYGET, {VkVariant("Greeting")}, &greeting), S_OK);
    std::string text;
    ASSERT_EQ(greeting.ToText(&text), S_OK);
    EXPECT_EQ(text, "hello");
    ASSERT_EQ(VkInvokeByName(key.pdispVal, "Value", DISPATCH_PROPERTYPUT, {VkVariant("Count"), VkVariant(LONG(3))}),
              S_OK);
    VkVariant sub;
    ASSERT_EQ(VkInvokeByName(key.pdispVal, "AddKey", DISPATCH_METHOD, {VkVariant("Deeper")}, &sub), S_OK);
    ASSERT_EQ(VkInvokeByName(sub.pdispVal, "Value", DISPATCH_PROPERTYPUT, {VkVariant("x"), VkVariant("y")}), S_OK);
    ASSERT_EQ(VkInvokeByName(source.Get(), "Write", DISPATCH_METHOD, {key}), S_OK);
    auto count = regtest::Get(HKEY_CURRENT_USER, "Software\\Tarnwick\\Script", "Count");
    ASSERT_TRUE(count);
    EXPECT_EQ(count->type, REG_DWORD);
    EXPECT_EQ(regtest::Get(HKEY_CURRENT_USER, "Software\\Tarnwick\\Script\\Deeper", "x")->Text(), "y");
}

TEST_F(RegServer, StandaloneObjectsAndUnloading)
{
    {
        ComPtr<IVkRegKey> key;
        ASSERT_EQ(CoCreateInstance(CLSID_VkRegKey, nullptr, CLSCTX_ALL, IID_IVkRegKey,
                                   reinterpret_cast<void**>(key.ReleaseAndGetAddressOf())),
                  S_OK);
        ComPtr<IVkRegValue> value;
        ASSERT_EQ(VkCreateInstance("VkReg.VkRegValue", IID_IVkRegValue,
                                   reinterpret_cast<void**>(value.ReleaseAndGetAddressOf())),
                  S_OK);
        ASSERT_EQ(value->put_Value(VkVariant("a|b")), S_OK);
        ComPtr<IVkRegSubValues> parts;
        ASSERT_EQ(value->QueryInterface(IID_IVkRegSubValues, reinterpret_cast<void**>(parts.ReleaseAndGetAddressOf())),
                  S_OK);
        LONG count = 0;
        ASSERT_EQ(parts->get_Parts(&count), S_OK);
        EXPECT_EQ(count, 2);
        ComPtr<IUnknown> aggregate;
        EXPECT_EQ(CoCreateInstance(CLSID_VkRegKey, key.Get(), CLSCTX_ALL, IID_IUnknown,
                                   reinterpret_cast<void**>(aggregate.ReleaseAndGetAddressOf())),
                  CLASS_E_NOAGGREGATION);
        CoFreeUnusedLibraries();
        EXPECT_TRUE(VkIsModuleLoaded(ModulePath().c_str()));
    }
    // Everything released: the module may go.
    CoFreeUnusedLibraries();
    EXPECT_FALSE(VkIsModuleLoaded(ModulePath().c_str()));
}

} // namespace

#include "platform/ComModule.h"
#include "platform/VkVariant.h"
#include "platform/tests/ComTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using comtest::KeyExists;
using comtest::RegText;

class ComRegistration : public comtest::ModuleTest {};

TEST_F(ComRegistration, WritesTheClassKeys)
{
    const std::string path = std::filesystem::canonical(m_module).string();
    const std::string cls = "CLSID\\" + VkGuidToString(CLSID_TestWidget);
    struct Want {
        std::string key;
        const char* name;
        std::string value;
    } wants[] = {
        {cls, nullptr, "TestWidget Class"},
        {cls + "\\ProgID", nullptr, "VkTest.Widget.1"},
        {cls + "\\VersionIndependentProgID", nullptr, "VkTest.Widget"},
        {cls + "\\InprocServer32", nullptr, path},
        {cls + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {cls + "\\MiscStatus", nullptr, "0"},
        {cls + "\\MiscStatus\\1", nullptr, "131473"},
        {cls + "\\ToolboxBitmap32", nullptr, path + ", 102"},
        {cls + "\\Version", nullptr, "1.0"},
        {"VkTest.Widget", nullptr, "TestWidget Class"},
        {"VkTest.Widget\\CLSID", nullptr, VkGuidToString(CLSID_TestWidget)},
        {"VkTest.Widget\\CurVer", nullptr, "VkTest.Widget.1"},
        {"VkTest.Widget.1\\CLSID", nullptr, VkGuidToString(CLSID_TestWidget)},
        // Without a version there is one ProgID and no version keys.
        {"VkTest.Plain\\CLSID", nullptr, VkGuidToString(CLSID_TestPlain)},
        {"VkTest.Plain\\CurVer", nullptr, "<missing>"},
        {"CLSID\\" + VkGuidToString(CLSID_TestPlain) + "\\ProgID", nullptr, "VkTest.Plain"},
        {"CLSID\\" + VkGuidToString(CLSID_TestPlain) + "\\VersionIndependentProgID", nullptr, "<missing>"},
        {"CLSID\\" + VkGuidToString(CLSID_TestPlain) + "\\InprocServer32", "ThreadingModel", "Both"},
        {"TypeLib\\{6E1F1A20-3B52-4C1D-9A11-510B7C2D4420}\\1.0\\0\\win32", nullptr, path},
    };
    for (const auto& w : wants)
        EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, w.key, w.name), w.value) << w.key << " " << (w.name ? w.name : "@");
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, cls + "\\Programmable"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, cls + "\\Control"));
    // The classes root is the local machine's SOFTWARE\Classes.
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\" + cls), "TestWidget Class");
}

TEST_F(ComRegistration, UnregistrationRemovesWhatWasWritten)
{
    // A ProgID another class has taken over since stays.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, "VkTest.Plain\\CLSID", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const std::string other = "{11111111-2222-3333-4444-555555555555}";
    RegSetValueEx(key, nullptr, REG_SZ, reinterpret_cast<const BYTE*>(other.c_str()), DWORD(other.size() + 1));
    RegCloseKey(key);

    std::string message;
    ASSERT_EQ(VkRegisterServer(m_module.c_str(), true, &message), S_OK) << message;
    for (const CLSID& c : {CLSID_TestWidget, CLSID_TestPlain, CLSID_TestBroken})
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "CLSID\\" + VkGuidToString(c)));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "VkTest.Widget"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "VkTest.Widget.1"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "TypeLib\\{6E1F1A20-3B52-4C1D-9A11-510B7C2D4420}"));
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, "VkTest.Plain\\CLSID"), other);
    // Unregistering what is not registered is no failure.
    EXPECT_EQ(VkRegisterServer(m_module.c_str(), true, &message), S_OK) << message;

    void* ignored = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_TestWidget, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &ignored),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(ignored, nullptr);
}

TEST_F(ComRegistration, RegisteringFailsCleanlyForBadModules)
{
    std::string message;
    EXPECT_EQ(VkRegisterServer((root() / "nothing.so").c_str(), false, &message), CO_E_DLLNOTFOUND);
    EXPECT_NE(message.find("nothing.so"), std::string::npos) << message;
    const std::string notAModule = (root() / "text.so").string();
    FILE* f = std::fopen(notAModule.c_str(), "w");
    std::fputs("not a library", f);
    std::fclose(f);
    EXPECT_EQ(VkRegisterServer(notAModule.c_str(), false, &message), CO_E_DLLNOTFOUND);
    EXPECT_EQ(VkRegisterServer(qvtest::LibPath("libVkPlatform.so").c_str(), false, &message), CO_E_ERRORINDLL);
    EXPECT_NE(message.find("DllRegisterServer"), std::string::npos) << message;
}

class ComCreation : public comtest::ModuleTest {};

TEST_F(ComCreation, ByClassIdentifierAndProgId)
{
    EXPECT_FALSE(ModuleInMemory()) << "registration leaves the module unloaded";
    ComPtr<ITestWidget> a;
    ASSERT_EQ(CoCreateInstance(CLSID_TestWidget, nullptr, CLSCTX_INPROC_SERVER, IID_ITestWidget,
                               reinterpret_cast<void**>(a.GetAddressOf())),
              S_OK);
    EXPECT_TRUE(VkIsModuleLoaded(m_module.c_str()));

    for (const char* name : {"VkTest.Widget", "VkTest.Widget.1", "{6E1F1A20-3B52-4C1D-9A11-510B7C2D4401}",
                             "vktest.widget"}) {
        ComPtr<IDispatch> d;
        EXPECT_EQ(VkCreateInstance(name, IID_IDispatch, reinterpret_cast<void**>(d.GetAddressOf())), S_OK) << name;
        EXPECT_TRUE(d) << name;
    }
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(u"VkTest.Widget.1", &clsid), S_OK);
    EXPECT_TRUE(clsid == CLSID_TestWidget);
    LPOLESTR progId = nullptr;
    ASSERT_EQ(ProgIDFromCLSID(CLSID_TestWidget, &progId), S_OK);
    EXPECT_EQ(VkOleToUtf8(progId), "VkTest.Widget.1");
    CoTaskMemFree(progId);
    EXPECT_EQ(ProgIDFromCLSID(CLSID_TestBroken, &progId), REGDB_E_CLASSNOTREG);
}

TEST_F(ComCreation, FailuresAnswerTheirCodes)
{
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(VkCreateInstance("VkTest.Nothing", IID_IUnknown, &p), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(CoCreateInstance(CLSID_TestMissing, nullptr, CLSCTX_ALL, IID_IUnknown, &p), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CoCreateInstance(CLSID_TestWidget, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown, &p), REGDB_E_CLASSNOTREG);
    CLSID c{};
    EXPECT_EQ(CLSIDFromProgID(u"VkTest.Nothing", &c), CO_E_CLASSSTRING);

    // Asking for an interface the class lacks.
    EXPECT_EQ(CoCreateInstance(CLSID_TestPlain, nullptr, CLSCTX_ALL, IID_IDispatch, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
    // No aggregation offered.
    comtest::Sink outer;
    outer.AddRef();
    EXPECT_EQ(CoCreateInstance(CLSID_TestWidget, outer.Identity(), CLSCTX_ALL, IID_IUnknown, &p), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(CoCreateInstance(CLSID_TestWidget, outer.Identity(), CLSCTX_ALL, IID_IDispatch, &p), CLASS_E_NOAGGREGATION);
    // A failing FinalConstruct leaves nothing alive.
    EXPECT_EQ(CoCreateInstance(CLSID_TestBroken, nullptr, CLSCTX_ALL, IID_IUnknown, &p), E_FAIL);
    EXPECT_EQ(ModuleLocks(), 0);

    // A registered module file that is gone.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, ("CLSID\\" + VkGuidToString(CLSID_TestPlain) + "\\InprocServer32").c_str(),
                           KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    const std::string gone = (root() / "gone.so").string();
    RegSetValueEx(key, nullptr, REG_SZ, reinterpret_cast<const BYTE*>(gone.c_str()), DWORD(gone.size() + 1));
    RegCloseKey(key);
    EXPECT_EQ(CoCreateInstance(CLSID_TestPlain, nullptr, CLSCTX_ALL, IID_IUnknown, &p), CO_E_DLLNOTFOUND);
}

TEST_F(ComCreation, ReferenceCountsAreExactAndTheModuleUnloads)
{
    {
        ComPtr<ITestWidget> widget;
        ASSERT_EQ(VkCreateInstance("VkTest.Widget", IID_ITestWidget, reinterpret_cast<void**>(widget.GetAddressOf())),
                  S_OK);
        EXPECT_EQ(ModuleLocks(), 1) << "the object; the factory is gone";
        EXPECT_EQ(widget->AddRef(), 2u);
        EXPECT_EQ(widget->Release(), 1u);

        // QueryInterface: the identity is stable, every answer holds a reference.
        IUnknown* u1 = nullptr;
        IUnknown* u2 = nullptr;
        ASSERT_EQ(widget->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&u1)), S_OK);
        ComPtr<IDispatch> dispatch;
        ASSERT_EQ(widget.As(&dispatch), S_OK);
        ASSERT_EQ(dispatch->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&u2)), S_OK);
        EXPECT_EQ(u1, u2);
        ComPtr<IConnectionPointContainer> cpc;
        ASSERT_EQ(dispatch.As(&cpc), S_OK);
        EXPECT_EQ(widget->AddRef(), 6u) << "widget, u1, u2, dispatch, cpc and this one";
        widget->Release();
        u1->Release();
        u2->Release();

        void* none = reinterpret_cast<void*>(1);
        EXPECT_EQ(widget->QueryInterface(IID_IStream, &none), E_NOINTERFACE);
        EXPECT_EQ(none, nullptr);
        EXPECT_EQ(widget->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

        // A connection point keeps its object alive.
        ComPtr<IConnectionPoint> point;
        ASSERT_EQ(cpc->FindConnectionPoint(DIID_ITestWidgetEvents, point.GetAddressOf()), S_OK);
        dispatch.Reset();
        cpc.Reset();
        EXPECT_EQ(widget.Reset(), 1u) << "only the point's reference is left";
        EXPECT_EQ(ModuleLocks(), 1);
        CoFreeUnusedLibraries();
        EXPECT_TRUE(ModuleInMemory()) << "a live object keeps its module";
        EXPECT_EQ(point.Reset(), 0u);
    }
    EXPECT_EQ(ModuleLocks(), 0);
    EXPECT_TRUE(VkIsModuleLoaded(m_module.c_str()));
    CoFreeUnusedLibraries();
    EXPECT_FALSE(VkIsModuleLoaded(m_module.c_str()));
    EXPECT_FALSE(ModuleInMemory()) << "the module is really gone from the process";

    // It loads again on the next creation.
    ComPtr<IUnknown> again;
    EXPECT_EQ(VkCreateInstance("VkTest.Plain", IID_IUnknown, reinterpret_cast<void**>(again.GetAddressOf())), S_OK);
    EXPECT_TRUE(ModuleInMemory());
}

TEST_F(ComCreation, ClassFactoryLockKeepsTheModule)
{
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(CoGetClassObject(CLSID_TestWidget, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               reinterpret_cast<void**>(factory.GetAddressOf())),
              S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory.Reset();
    EXPECT_EQ(ModuleLocks(), 1);
    CoFreeUnusedLibraries();
    ASSERT_TRUE(ModuleInMemory());

    ASSERT_EQ(CoGetClassObject(CLSID_TestWidget, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                               reinterpret_cast<void**>(factory.GetAddressOf())),
              S_OK);
    ComPtr<ITestWidget> widget;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_ITestWidget, reinterpret_cast<void**>(widget.GetAddressOf())), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory.Reset();
    widget.Reset();
    EXPECT_EQ(ModuleLocks(), 0);
    void* p = nullptr;
    EXPECT_EQ(CoGetClassObject(CLSID_TestMissing, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, &p),
              REGDB_E_CLASSNOTREG);
    CoFreeUnusedLibraries();
    EXPECT_FALSE(ModuleInMemory());
}

} // namespace

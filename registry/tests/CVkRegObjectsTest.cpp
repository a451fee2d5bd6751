#include "registry/CVkRegKey.h"
#include "platform/ComModule.h"
#include "platform/ComPtr.h"
#include "platform/DispatchTable.h"
#include "platform/Profile.h"
#include "registry/CVkRegSource.h"
#include "registry/CVkRegValue.h"
#include "registry/tests/RegTestHelpers.h"

#include "platform/VkBstr.h"
#include "platform/VkVariant.h"
#include "testsupport/TestRoot.h"

#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// Calls a member through IDispatch; args in written order; a put passes
// its value last, as the named DISPID_PROPERTYPUT argument.
HRESULT Call(IDispatch* object, DISPID id, WORD flags, std::vector<VkVariant> args, VkVariant* result = nullptr)
{
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    VkVariant scratch;
    if (result)
        result->Clear(); // Invoke fills the result without freeing what was there
    UINT argErr = 0;
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result ? result : &scratch, nullptr,
                          &argErr);
}

DISPID IdOf(IDispatch* object, const char* name)
{
    std::u16string wide(name, name + std::char_traits<char>::length(name));
    LPOLESTR names[] = {wide.data()};
    DISPID id = 12345;
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK) << name;
    return id;
}

template <class T>
ComPtr<T> Create(HRESULT (*create)(IUnknown*, REFIID, void**))
{
    ComPtr<T> object;
    EXPECT_EQ(create(nullptr, T::Iid(), reinterpret_cast<void**>(object.ReleaseAndGetAddressOf())), S_OK);
    return object;
}

template <class T, class From>
ComPtr<T> As(const ComPtr<From>& from)
{
    ComPtr<T> to;
    EXPECT_EQ(from->QueryInterface(T::Iid(), reinterpret_cast<void**>(to.ReleaseAndGetAddressOf())), S_OK);
    return to;
}

class RegObjects : public qvtest::FreshRootTest {
protected:
    void SetUp() override
    {
        FreshRootTest::SetUp();
        m_source = Create<IVkRegSource>(&VkCreatorOf<CVkRegSource>);
        VkBstr home("HKEY_CURRENT_USER\\Software\\Tarnwick");
        ASSERT_EQ(m_source->put_HomePath(home.Get()), S_OK);
        VkBstr name("App");
        ASSERT_EQ(m_source->Read(name.Get(), m_app.ReleaseAndGetAddressOf()), S_OK);
        ASSERT_TRUE(m_app);
    }
    void TearDown() override
    {
        m_app = nullptr;
        m_source = nullptr;
        EXPECT_TRUE(VkModuleLocal::LockCount() == 0);
        FreshRootTest::TearDown();
    }
    HRESULT Write(bool force)
    {
        VkVariant flag;
        if (force)
            flag = VkVariant(true);
        return m_source->Write(m_app.Get(), flag);
    }
    ComPtr<IVkRegSource> m_source;
    ComPtr<IVkRegKey> m_app;
};

constexpr const char* kBranch = "Software\\Tarnwick\\App";

TEST_F(RegObjects, EveryMemberHasItsNameAndDispatchId)
{
    struct Case {
        const char* name;
        DISPID id;
    };
    const Case sourceMembers[] = {{"Read", 1}, {"Source", 2}, {"HomePath", 3},
                                  {"Write", 4}, {"WriteDefault", 5}, {"RemoveKey", 6}};
    for (const Case& c : sourceMembers)
        EXPECT_EQ(IdOf(m_source.Get(), c.name), c.id) << c.name;
    const Case keyMembers[] = {{"Value", 0},       {"Values", 1},           {"Keys", 2},
                               {"ValueObject", 3}, {"Key", 4},              {"TraverseKeyFind", 5},
                               {"TraverseValueFind", 6}, {"AddKey", 7},     {"AddKeyObject", 8},
                               {"RemoveKey", 9},   {"RemoveValue", 10},     {"Name", 11},
                               {"ValueExists", 12}, {"KeyExists", 13},      {"Clear", 14},
                               {"RemoveAllValues", 15}, {"removeallkeys", 16}};
    for (const Case& c : keyMembers)
        EXPECT_EQ(IdOf(m_app.Get(), c.name), c.id) << c.name;
    for (IDispatch* iter : {static_cast<IDispatch*>(As<IVkRegKeyIter>(m_app).Get()),
                            static_cast<IDispatch*>(As<IVkRegValueIter>(m_app).Get())}) {
        EXPECT_EQ(IdOf(iter, "Reset"), 2);
        EXPECT_EQ(IdOf(iter, "NEXT"), 4);
    }
    auto value = Create<IVkRegValue>(&VkCreatorOf<CVkRegValue>);
    EXPECT_EQ(IdOf(value.Get(), "Name"), 1);
    EXPECT_EQ(IdOf(value.Get(), "Value"), 2);
    EXPECT_EQ(IdOf(value.Get(), "Type"), 3);
    auto parts = As<IVkRegSubValues>(value);
    EXPECT_EQ(IdOf(parts.Get(), "SubValue"), 0);
    EXPECT_EQ(IdOf(parts.Get(), "Delimiters"), 1);
    EXPECT_EQ(IdOf(parts.Get(), "Parts"), 2);

    std::u16string unknown = u"NoSuchMember";
    LPOLESTR names[] = {unknown.data()};
    DISPID id = 0;
    EXPECT_EQ(m_app->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
}

// The registry type follows the automation type of what was put.
TEST_F(RegObjects, ValueTypeFollowsTheVariantType)
{
    struct Case {
        const char* name;
        VkVariant data;
        VkRegTypes type;
        DWORD regType;
        std::vector<BYTE> stored; // text without terminator
    };
    const BYTE bytes[] = {1, 0, 255};
    const Case cases[] = {
        {"long", VkVariant(LONG(-2)), dtypeInteger, REG_DWORD, {0xFE, 0xFF, 0xFF, 0xFF}},
        {"short", VkVariant(SHORT(7)), dtypeInteger, REG_DWORD, {7, 0, 0, 0}},
        {"double", VkVariant(2.5), dtypeInteger, REG_DWORD, {2, 0, 0, 0}},
        {"byte", VkVariant(BYTE(200)), dtypeInteger, REG_DWORD, {200, 0, 0, 0}},
        {"text", VkVariant("words"), dtypeString, REG_SZ, {'w', 'o', 'r', 'd', 's'}},
        {"true", VkVariant(true), dtypeString, REG_SZ, {'-', '1'}},
        {"false", VkVariant(false), dtypeString, REG_SZ, {'0'}},
        {"bytes", VkVariant::Bytes(bytes, 3), dtypeBinary, REG_BINARY, {1, 0, 255}},
        {"signed bytes", VkVariant::Bytes(bytes, 3, VT_I1), dtypeBinary, REG_BINARY, {1, 0, 255}},
        {"empty", VkVariant(), dtypeString, REG_SZ, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VkBstr name(c.name);
        ASSERT_EQ(m_app->put_Value(name.Get(), c.data), S_OK);
        ComPtr<IVkRegValue> value;
        ASSERT_EQ(m_app->ValueObject(name.Get(), value.ReleaseAndGetAddressOf()), S_OK);
        VkRegTypes type = dtypePre;
        ASSERT_EQ(value->get_Type(&type), S_OK);
        EXPECT_EQ(type, c.type);
    }
    ASSERT_EQ(Write(false), S_OK);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto raw = regtest::Get(HKEY_CURRENT_USER, kBranch, c.name);
        ASSERT_TRUE(raw);
        EXPECT_EQ(raw->type, c.regType);
        EXPECT_EQ(raw->data, c.stored);
    }
}

TEST_F(RegObjects, ValueGetGivesBackWhatWasPut)
{
    VkBstr name("flag");
    ASSERT_EQ(m_app->put_Value(name.Get(), VkVariant(true)), S_OK);
    VkVariant back;
    ASSERT_EQ(m_app->get_Value(name.Get(), &back), S_OK);
    EXPECT_EQ(back.vt, VT_BOOL);
    EXPECT_EQ(back.boolVal, VARIANT_TRUE);

    // Absent: S_FALSE and the result untouched.
    VkVariant untouched(LONG(99));
    VkBstr missing("missing");
    EXPECT_EQ(m_app->get_Value(missing.Get(), &untouched), S_FALSE);
    EXPECT_EQ(untouched.vt, VT_I4);
    EXPECT_EQ(untouched.lVal, 99);

    // Empty data reads as an empty string.
    VkBstr empty("empty");
    ASSERT_EQ(m_app->put_Value(empty.Get(), VkVariant()), S_OK);
    VkVariant text;
    ASSERT_EQ(m_app->get_Value(empty.Get(), &text), S_OK);
    EXPECT_EQ(text.vt, VT_BSTR);
    EXPECT_EQ(SysStringLen(text.bstrVal), 0u);
}

TEST_F(RegObjects, RegistryDataComesBackAsAutomationValues)
{
    regtest::PutText(HKEY_CURRENT_USER, kBranch, "text", "hello");
    regtest::PutNumber(HKEY_CURRENT_USER, kBranch, "number", 0);
    const BYTE bytes[] = {'a', 0, 'b'};
    regtest::Put(HKEY_CURRENT_USER, kBranch, "bytes", REG_BINARY, bytes, 3);
    VkBstr app("App");
    ComPtr<IVkRegKey> key;
    ASSERT_EQ(m_source->Read(app.Get(), key.ReleaseAndGetAddressOf()), S_OK);
    VkVariant v;
    ASSERT_EQ(key->get_Value(VkBstr("text").Get(), &v), S_OK);
    EXPECT_EQ(v.vt, VT_BSTR);
    EXPECT_EQ(VkBstrToUtf8(v.bstrVal), "hello");
    ASSERT_EQ(key->get_Value(VkBstr("number").Get(), &v), S_OK);
    EXPECT_EQ(v.vt, VT_I4);
    EXPECT_EQ(v.lVal, 0);
    ASSERT_EQ(key->get_Value(VkBstr("bytes").Get(), &v), S_OK);
    EXPECT_EQ(v.vt, VT_ARRAY | VT_UI1);
    std::vector<BYTE> back;
    ASSERT_EQ(v.ToBytes(&back), S_OK);
    EXPECT_EQ(back, std::vector<BYTE>(bytes, bytes + 3));
}

TEST_F(RegObjects, SourceKindAndForceFlag)
{
    EXPECT_EQ(m_source->put_Source(static_cast<VkRegSources>(5)), E_FAIL);
    EXPECT_EQ(m_source->put_Source(sourcePre), E_FAIL);
    VkRegSources kind = sourceMax;
    EXPECT_EQ(m_source->get_Source(&kind), S_OK);
    EXPECT_EQ(kind, sourceRegistry);
    EXPECT_EQ(Call(m_source.Get(), 2, DISPATCH_PROPERTYPUT, {VkVariant(LONG(2))}), E_FAIL);

    regtest::PutText(HKEY_CURRENT_USER, kBranch, "v", "original");
    VkBstr app("App");
    ASSERT_EQ(m_source->Read(app.Get(), m_app.ReleaseAndGetAddressOf()), S_OK);
    struct Case {
        const char* what;
        VkVariant flag;
        bool forced;
    };
    VkVariant missing;
    missing.vt = VT_ERROR;
    missing.scode = DISP_E_PARAMNOTFOUND;
    const Case cases[] = {
        {"absent", missing, false},          {"empty", VkVariant(), false},
        {"false", VkVariant(false), false},  {"one", VkVariant(LONG(1)), false},
        {"true", VkVariant(true), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        regtest::PutText(HKEY_CURRENT_USER, kBranch, "v", "outside");
        ASSERT_EQ(m_source->Write(m_app.Get(), c.flag), S_OK);
        EXPECT_EQ(regtest::Get(HKEY_CURRENT_USER, kBranch, "v")->Text(), c.forced ? "original" : "outside");
    }
    // Through IDispatch, with and without the optional flag.
    regtest::PutText(HKEY_CURRENT_USER, kBranch, "v", "outside");
    EXPECT_EQ(Call(m_source.Get(), 4, DISPATCH_METHOD, {VkVariant(static_cast<IDispatch*>(m_app.Get()))}), S_OK);
    EXPECT_EQ(regtest::Get(HKEY_CURRENT_USER, kBranch, "v")->Text(), "outside");
    EXPECT_EQ(Call(m_source.Get(), 5, DISPATCH_METHOD,
                   {VkVariant(static_cast<IDispatch*>(m_app.Get())), VkVariant(true)}),
              S_OK);
    EXPECT_EQ(regtest::Get(HKEY_CURRENT_USER, kBranch, "v")->Text(), "original");
}

TEST_F(RegObjects, HomePathWithoutSeparatorThroughTheInterface)
{
    VkBstr bad("NoSeparator");
    ASSERT_EQ(m_source->put_HomePath(bad.Get()), S_OK);
    ComPtr<IVkRegKey> key;
    EXPECT_EQ(m_source->Read(VkBstr("App").Get(), key.ReleaseAndGetAddressOf()), S_FALSE);
    EXPECT_FALSE(key);
    EXPECT_EQ(Write(false), S_FALSE);
    BSTR home = nullptr;
    ASSERT_EQ(m_source->get_HomePath(&home), S_OK);
    EXPECT_EQ(VkBstrToUtf8(home), "NoSeparator");
    SysFreeString(home);
}

TEST_F(RegObjects, SubValuesThroughBothBindings)
{
    VkBstr name("parts");
    ASSERT_EQ(m_app->put_Value(name.Get(), VkVariant("one|two|three")), S_OK);
    ComPtr<IVkRegValue> value;
    ASSERT_EQ(m_app->ValueObject(name.Get(), value.ReleaseAndGetAddressOf()), S_OK);
    auto parts = As<IVkRegSubValues>(value);
    LONG count = 0;
    ASSERT_EQ(parts->get_Parts(&count), S_OK);
    EXPECT_EQ(count, 3);
    BSTR part = nullptr;
    ASSERT_EQ(parts->get_SubValue(0, &part), S_OK);
    EXPECT_EQ(VkBstrToUtf8(part), "one");
    SysFreeString(part);
    part = nullptr;
    EXPECT_EQ(parts->get_SubValue(3, &part), E_FAIL);
    EXPECT_EQ(parts->get_SubValue(-1, &part), E_FAIL);

    VkVariant result;
    ASSERT_EQ(Call(parts.Get(), 0, DISPATCH_PROPERTYGET, {VkVariant(LONG(2))}, &result), S_OK);
    EXPECT_EQ(VkBstrToUtf8(result.bstrVal), "three");
    EXPECT_EQ(Call(parts.Get(), 0, DISPATCH_PROPERTYGET, {VkVariant(LONG(3))}, &result), E_FAIL);
    ASSERT_EQ(Call(parts.Get(), 1, DISPATCH_PROPERTYPUT, {VkVariant(",")}), S_OK);
    ASSERT_EQ(Call(parts.Get(), 2, DISPATCH_PROPERTYGET, {}, &result), S_OK);
    EXPECT_EQ(result.lVal, 1);
    ASSERT_EQ(Call(parts.Get(), 0, DISPATCH_PROPERTYPUT, {VkVariant(LONG(1)), VkVariant("four")}), S_OK);
    VkVariant data;
    ASSERT_EQ(value->get_Value(&data), S_OK);
    EXPECT_EQ(VkBstrToUtf8(data.bstrVal), "one|two|three,four");
}

TEST_F(RegObjects, KeyMembersThroughIDispatch)
{
    IDispatch* app = m_app.Get();
    // The default member with a name argument, put and get.
    ASSERT_EQ(Call(app, 0, DISPATCH_PROPERTYPUT, {VkVariant("Last User"), VkVariant("SCOTT")}), S_OK);
    VkVariant result;
    ASSERT_EQ(Call(app, 0, DISPATCH_PROPERTYGET, {VkVariant("Last User")}, &result), S_OK);
    EXPECT_EQ(VkBstrToUtf8(result.bstrVal), "SCOTT");
    ASSERT_EQ(Call(app, IdOf(app, "AddKey"), DISPATCH_METHOD, {VkVariant("Login\\Users")}, &result), S_OK);
    ASSERT_EQ(result.vt, VT_DISPATCH);
    ASSERT_NE(result.pdispVal, nullptr);
    VkVariant exists;
    ASSERT_EQ(Call(app, 13, DISPATCH_PROPERTYGET, {VkVariant("Login\\Users")}, &exists), S_OK);
    EXPECT_EQ(exists.vt, VT_BOOL);
    EXPECT_EQ(exists.boolVal, VARIANT_TRUE);
    ASSERT_EQ(Call(app, 12, DISPATCH_PROPERTYGET, {VkVariant("Nope")}, &exists), S_OK);
    EXPECT_EQ(exists.boolVal, VARIANT_FALSE);
    ASSERT_EQ(Call(app, 2, DISPATCH_PROPERTYGET, {}, &result), S_OK);
    EXPECT_EQ(result.lVal, 1);
    ASSERT_EQ(Call(app, 11, DISPATCH_PROPERTYGET, {}, &result), S_OK);
    EXPECT_EQ(VkBstrToUtf8(result.bstrVal), "App");
    EXPECT_EQ(Call(app, 9, DISPATCH_METHOD, {VkVariant("Login")}, &result), S_OK);
    EXPECT_EQ(Call(app, 9, DISPATCH_METHOD, {VkVariant("Login")}, &result), S_FALSE);
    EXPECT_EQ(Call(app, 1, DISPATCH_PROPERTYGET, {VkVariant("extra")}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Call(app, 99, DISPATCH_METHOD, {}), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Call(app, 14, DISPATCH_METHOD, {}), S_OK);
    ASSERT_EQ(Call(app, 1, DISPATCH_PROPERTYGET, {}, &result), S_OK);
    EXPECT_EQ(result.lVal, 0);
}

TEST_F(RegObjects, IteratorsWalkInNameOrder)
{
    for (const char* name : {"b", "a", "c"})
        ASSERT_EQ(m_app->put_Value(VkBstr(name).Get(), VkVariant(name)), S_OK);
    ComPtr<IVkRegKey> added;
    for (const char* name : {"Y", "X"})
        ASSERT_EQ(m_app->AddKey(VkBstr(name).Get(), added.ReleaseAndGetAddressOf()), S_OK);

    auto values = As<IVkRegValueIter>(m_app);
    ASSERT_EQ(values->Reset(), S_OK);
    std::string order;
    ComPtr<IVkRegValue> value;
    while (values->Next(value.ReleaseAndGetAddressOf()) == S_OK) {
        BSTR name = nullptr;
        value->get_Name(&name);
        order += VkBstrToUtf8(name);
        SysFreeString(name);
    }
    EXPECT_EQ(order, "abc");
    EXPECT_FALSE(value);

    auto keys = As<IVkRegKeyIter>(m_app);
    VkVariant result;
    ASSERT_EQ(Call(keys.Get(), 2, DISPATCH_METHOD, {}), S_OK);
    ASSERT_EQ(Call(keys.Get(), 4, DISPATCH_METHOD, {}, &result), S_OK);
    ASSERT_EQ(result.vt, VT_DISPATCH);
    ComPtr<IVkRegKey> first;
    ASSERT_EQ(result.pdispVal->QueryInterface(IID_IVkRegKey, reinterpret_cast<void**>(first.ReleaseAndGetAddressOf())),
              S_OK);
    BSTR name = nullptr;
    first->get_Name(&name);
    EXPECT_EQ(VkBstrToUtf8(name), "X");
    SysFreeString(name);
    // The iterators share the object's identity.
    ComPtr<IUnknown> a, b;
    keys->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(a.ReleaseAndGetAddressOf()));
    m_app->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(b.ReleaseAndGetAddressOf()));
    EXPECT_EQ(a.Get(), b.Get());
}

TEST_F(RegObjects, CreatedObjectsJoinATree)
{
    auto key = Create<IVkRegKey>(&VkCreatorOf<CVkRegKey>);
    ASSERT_EQ(key->put_Name(VkBstr("Made").Get()), S_OK);
    ASSERT_EQ(key->put_Value(VkBstr("v").Get(), VkVariant(LONG(5))), S_OK);
    ASSERT_EQ(m_app->AddKeyObject(key.Get()), S_OK);
    EXPECT_EQ(m_app->AddKeyObject(m_app.Get()), E_INVALIDARG);
    EXPECT_EQ(m_app->AddKeyObject(nullptr), E_POINTER);
    ASSERT_EQ(Write(false), S_OK);
    auto raw = regtest::Get(HKEY_CURRENT_USER, std::string(kBranch) + "\\Made", "v");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, REG_DWORD);

    auto value = Create<IVkRegValue>(&VkCreatorOf<CVkRegValue>);
    VkRegTypes type = dtypeEmpty;
    ASSERT_EQ(value->get_Type(&type), S_OK);
    EXPECT_EQ(type, dtypePre);
    EXPECT_EQ(value->put_Type(dtypeMax), E_FAIL);
    EXPECT_EQ(value->put_Type(dtypeBinary), S_OK);

    ComPtr<IUnknown> aggregated;
    EXPECT_EQ(VkCreatorOf<CVkRegKey>(m_app.Get(), IID_IUnknown,
                                        reinterpret_cast<void**>(aggregated.ReleaseAndGetAddressOf())),
              CLASS_E_NOAGGREGATION);
}

TEST_F(RegObjects, RemovedThroughTheInterfaceLeavesAtTheWrite)
{
    regtest::PutText(HKEY_CURRENT_USER, kBranch, "gone", "x");
    ASSERT_EQ(m_source->Read(VkBstr("App").Get(), m_app.ReleaseAndGetAddressOf()), S_OK);
    ComPtr<IVkRegValue> removed;
    ASSERT_EQ(m_app->RemoveValue(VkBstr("gone").Get(), removed.ReleaseAndGetAddressOf()), S_OK);
    ASSERT_TRUE(removed);
    EXPECT_EQ(m_app->RemoveValue(VkBstr("gone").Get(), removed.ReleaseAndGetAddressOf()), S_FALSE);
    EXPECT_FALSE(removed);
    ASSERT_TRUE(regtest::Get(HKEY_CURRENT_USER, kBranch, "gone"));
    ASSERT_EQ(Write(false), S_OK);
    EXPECT_FALSE(regtest::Get(HKEY_CURRENT_USER, kBranch, "gone"));
    EXPECT_EQ(m_source->RemoveKey(m_app.Get()), S_OK);
    EXPECT_FALSE(regtest::KeyExists(HKEY_CURRENT_USER, kBranch));
}

} // namespace

namespace {

TEST_F(RegObjects, LookupsByNameThroughIDispatch)
{
    ComPtr<IVkRegKey> deep;
    ASSERT_EQ(m_app->AddKey(VkBstr("A\\Deep").Get(), deep.ReleaseAndGetAddressOf()), S_OK);
    ASSERT_EQ(deep->put_Value(VkBstr("needle").Get(), VkVariant("found")), S_OK);
    IDispatch* app = m_app.Get();
    struct Case {
        const char* member;
        const char* name;
        HRESULT hr;
        bool object;
    };
    const Case cases[] = {
        {"Key", "A\\Deep", S_OK, true},          {"Key", "Nope", S_FALSE, false},
        {"TraverseKeyFind", "Deep", S_OK, true}, {"TraverseKeyFind", "Nope", S_FALSE, false},
        {"TraverseValueFind", "needle", S_OK, true}, {"ValueObject", "needle", S_FALSE, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.member) + " " + c.name);
        VkVariant result;
        EXPECT_EQ(VkInvokeByName(app, c.member, DISPATCH_METHOD, {VkVariant(c.name)}, &result), c.hr);
        EXPECT_EQ(result.vt == VT_DISPATCH && result.pdispVal != nullptr, c.object);
    }
    VkVariant value;
    ASSERT_EQ(VkInvokeByName(app, "TraverseValueFind", DISPATCH_METHOD, {VkVariant("needle")}, &value), S_OK);
    VkVariant data;
    ASSERT_EQ(VkInvokeByName(value.pdispVal, "Value", DISPATCH_PROPERTYGET, {}, &data), S_OK);
    EXPECT_EQ(VkBstrToUtf8(data.bstrVal), "found");
    VkVariant parts;
    ASSERT_EQ(VkInvokeByName(value.pdispVal, "Parts", DISPATCH_PROPERTYGET, {}, &parts), DISP_E_UNKNOWNNAME);

    ASSERT_EQ(VkInvokeByName(app, "RemoveAllKeys", DISPATCH_METHOD), S_OK);
    VkVariant keys;
    ASSERT_EQ(VkInvokeByName(app, "Keys", DISPATCH_PROPERTYGET, {}, &keys), S_OK);
    EXPECT_EQ(keys.lVal, 0);
}

TEST_F(RegObjects, IniFileThroughTheSource)
{
    ASSERT_EQ(m_source->put_Source(sourceINIFile), S_OK);
    ASSERT_EQ(m_source->put_HomePath(VkBstr(root().string()).Get()), S_OK);
    ComPtr<IVkRegKey> top;
    EXPECT_EQ(m_source->Read(VkBstr("settings.ini").Get(), top.ReleaseAndGetAddressOf()), S_FALSE);
    { std::ofstream(root() / "settings.ini") << "[Window]\nLeft=10\n"; }
    ASSERT_EQ(m_source->Read(VkBstr("settings.ini").Get(), top.ReleaseAndGetAddressOf()), S_OK);
    ComPtr<IVkRegKey> window;
    ASSERT_EQ(top->Key(VkBstr("Window").Get(), window.ReleaseAndGetAddressOf()), S_OK);
    VkVariant left;
    ASSERT_EQ(window->get_Value(VkBstr("Left").Get(), &left), S_OK);
    EXPECT_EQ(left.vt, VT_BSTR);
    ASSERT_EQ(window->put_Value(VkBstr("Top").Get(), VkVariant(LONG(20))), S_OK);
    ASSERT_EQ(m_source->Write(top.Get(), VkVariant()), S_OK);
    char buffer[32] = {};
    GetPrivateProfileString("Window", "Top", "", buffer, sizeof buffer, (root() / "settings.ini").c_str());
    EXPECT_STREQ(buffer, "20");
}

} // namespace

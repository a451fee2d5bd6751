#include "platform/ConnectionPoint.h"
#include "platform/VkBstr.h"
#include "platform/VkVariant.h"
#include "platform/tests/ComTestSupport.h"
#include "platform/tests/VariantTestSupport.h"

#include <gtest/gtest.h>

namespace {

using vartest::Describe;

class ComDispatch : public comtest::ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        ASSERT_EQ(VkCreateInstance("VkTest.Widget", IID_IDispatch, reinterpret_cast<void**>(m_widget.GetAddressOf())),
                  S_OK);
    }
    void TearDown() override
    {
        m_widget.Reset();
        EXPECT_EQ(ModuleLocks(), 0) << "every test leaves nothing alive";
        ModuleTest::TearDown();
        EXPECT_FALSE(ModuleInMemory());
    }

    // Invoke with raw DISPPARAMS (arguments last-first, as on the wire).
    HRESULT Raw(DISPID id, WORD flags, std::vector<VARIANT> reversed, std::vector<DISPID> named, VARIANT* result,
                UINT* argErr = nullptr, EXCEPINFO* info = nullptr, REFIID riid = IID_NULL)
    {
        DISPPARAMS p{reversed.empty() ? nullptr : reversed.data(), named.empty() ? nullptr : named.data(),
                     UINT(reversed.size()), UINT(named.size())};
        UINT ignored = 0;
        return m_widget->Invoke(id, riid, LOCALE_USER_DEFAULT, flags, &p, result, info, argErr ? argErr : &ignored);
    }

    ComPtr<IDispatch> m_widget;
    vartest::LocaleScope m_locale{"en_US"};
};

TEST_F(ComDispatch, ByDispidAndByName)
{
    VkVariant result;
    ASSERT_EQ(VkInvoke(m_widget.Get(), DISPID_TestAdd, DISPATCH_METHOD, {VkVariant(LONG(2)), VkVariant("40")}, &result), S_OK);
    EXPECT_EQ(Describe(result), "I4 42");

    for (const char* name : {"Add", "add", "ADD"}) {
        ASSERT_EQ(VkInvokeByName(m_widget.Get(), name, DISPATCH_METHOD, {VkVariant(LONG(-1)), VkVariant(1.4)}, &result),
                  S_OK)
            << name;
        EXPECT_EQ(Describe(result), "I4 0") << name;
    }

    // Property put and get, by name; the name is also the default value.
    ASSERT_EQ(VkInvokeByName(m_widget.Get(), "name", DISPATCH_PROPERTYPUT, {VkVariant("renamed")}), S_OK);
    ASSERT_EQ(VkInvoke(m_widget.Get(), DISPID_TestName, DISPATCH_PROPERTYGET, {}, &result), S_OK);
    EXPECT_EQ(Describe(result), "BSTR \"renamed\"");
    ASSERT_EQ(VkInvoke(m_widget.Get(), DISPID_TestName, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, &result), S_OK);
    EXPECT_EQ(Describe(result), "BSTR \"renamed\"");

    // The dual interface's own slots see the same object.
    ComPtr<ITestWidget> dual;
    ASSERT_EQ(m_widget.As(&dual), S_OK);
    VkBstr name;
    ASSERT_EQ(dual->get_Name(name.Out()), S_OK);
    EXPECT_EQ(name.Utf8(), "renamed");

    // An object converts to text through its default value...
    VkVariant object(m_widget.Get());
    std::string text;
    EXPECT_EQ(object.ToText(&text), S_OK);
    EXPECT_EQ(text, "renamed");
    // ... unless the caller forbids it, and never to a number it does not spell.
    VkVariant out;
    EXPECT_EQ(VariantChangeType(&out, &object, VARIANT_NOVALUEPROP, VT_BSTR), DISP_E_TYPEMISMATCH);
    LONG n = 0;
    EXPECT_EQ(object.ToLong(&n), DISP_E_TYPEMISMATCH);
    VkVariant unknown;
    ASSERT_EQ(VariantChangeType(&unknown, &object, VARIANT_NOVALUEPROP, VT_UNKNOWN), S_OK);
    EXPECT_EQ(unknown.vt, VT_UNKNOWN);
}

TEST_F(ComDispatch, IndexedPropertiesAndOptionalArguments)
{
    ASSERT_EQ(VkInvoke(m_widget.Get(), DISPID_TestItem, DISPATCH_PROPERTYPUT, {VkVariant(LONG(7)), VkVariant("seven")}), S_OK);
    VkVariant result;
    ASSERT_EQ(VkInvoke(m_widget.Get(), DISPID_TestItem, DISPATCH_PROPERTYGET, {VkVariant("7")}, &result), S_OK);
    EXPECT_EQ(Describe(result), "BSTR \"seven\"");

    ASSERT_EQ(VkInvoke(m_widget.Get(), DISPID_TestJoin, DISPATCH_METHOD, {VkVariant("a")}, &result), S_OK);
    EXPECT_EQ(Describe(result), "BSTR \"a\"");
    ASSERT_EQ(VkInvoke(m_widget.Get(), DISPID_TestJoin, DISPATCH_METHOD,
                       {VkVariant("a"), VkVariant::Error(DISP_E_PARAMNOTFOUND), VkVariant(true)}, &result),
              S_OK);
    EXPECT_EQ(Describe(result), "BSTR \"a+-1\"") << "the omitted middle argument is skipped";
}

TEST_F(ComDispatch, FailuresAnswerTheirCodes)
{
    VkVariant result;
    const VkVariant one(LONG(1));
    EXPECT_EQ(VkInvoke(m_widget.Get(), 99, DISPATCH_METHOD, {}, &result), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(VkInvoke(m_widget.Get(), DISPID_TestAdd, DISPATCH_PROPERTYGET, {one, one}, &result), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(VkInvoke(m_widget.Get(), DISPID_TestAdd, DISPATCH_PROPERTYPUT, {one}), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(VkInvoke(m_widget.Get(), DISPID_TestAdd, DISPATCH_METHOD, {one}, &result), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(VkInvoke(m_widget.Get(), DISPID_TestAdd, DISPATCH_METHOD, {one, one, one}, &result), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(VkInvoke(m_widget.Get(), DISPID_TestJoin, DISPATCH_METHOD, {}, &result), DISP_E_BADPARAMCOUNT);

    // A bad argument is named by its position in rgvarg (last-first).
    UINT argErr = 99;
    EXPECT_EQ(Raw(DISPID_TestAdd, DISPATCH_METHOD, {VkVariant(LONG(1)), VkVariant("one")}, {}, &result, &argErr),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 1u);
    EXPECT_EQ(Raw(DISPID_TestAdd, DISPATCH_METHOD, {VkVariant(int64_t(1) << 40), VkVariant(LONG(1))}, {}, &result, &argErr),
              DISP_E_OVERFLOW);
    EXPECT_EQ(argErr, 0u);

    // Named arguments other than the put value are not understood.
    EXPECT_EQ(Raw(DISPID_TestAdd, DISPATCH_METHOD, {one, one}, {0, 1}, &result), DISP_E_NONAMEDARGS);
    EXPECT_EQ(Raw(DISPID_TestName, DISPATCH_PROPERTYPUT, {VkVariant("x")}, {}, nullptr), DISP_E_PARAMNOTOPTIONAL);
    EXPECT_EQ(Raw(DISPID_TestName, DISPATCH_PROPERTYPUT, {VkVariant("x")}, {DISPID_PROPERTYPUT}, nullptr), S_OK);
    // Only IID_NULL is a valid interface for Invoke and GetIDsOfNames.
    EXPECT_EQ(Raw(DISPID_TestName, DISPATCH_PROPERTYGET, {}, {}, &result, nullptr, nullptr, IID_IDispatch),
              DISP_E_UNKNOWNINTERFACE);

    // An exception inside the object arrives as DISP_E_EXCEPTION with its text.
    EXCEPINFO info{};
    EXPECT_EQ(Raw(DISPID_TestThrow, DISPATCH_METHOD, {}, {}, &result, nullptr, &info), DISP_E_EXCEPTION);
    EXPECT_EQ(VkBstrToUtf8(info.bstrDescription), "the widget refused");
    VkClearExcepInfo(&info);
    EXPECT_EQ(VkInvoke(m_widget.Get(), DISPID_TestItem, DISPATCH_PROPERTYGET, {one}, &result, &info), DISP_E_EXCEPTION);
    EXPECT_EQ(info.scode, DISP_E_BADINDEX);
    EXPECT_EQ(VkBstrToUtf8(info.bstrDescription), "no such item");
    VkClearExcepInfo(&info);
}

TEST_F(ComDispatch, NamesAreLookedUpWithoutCase)
{
    std::u16string add = u"aDd", bogus = u"Bogus", param = u"a";
    DISPID ids[2] = {0, 0};
    LPOLESTR one[] = {add.data()};
    EXPECT_EQ(m_widget->GetIDsOfNames(IID_NULL, one, 1, LOCALE_USER_DEFAULT, ids), S_OK);
    EXPECT_EQ(ids[0], DISPID_TestAdd);
    LPOLESTR unknown[] = {bogus.data()};
    EXPECT_EQ(m_widget->GetIDsOfNames(IID_NULL, unknown, 1, LOCALE_USER_DEFAULT, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], DISPID_UNKNOWN);
    // Parameter names are not known: the member is found, the parameter not.
    LPOLESTR withParam[] = {add.data(), param.data()};
    EXPECT_EQ(m_widget->GetIDsOfNames(IID_NULL, withParam, 2, LOCALE_USER_DEFAULT, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], DISPID_TestAdd);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);
    EXPECT_EQ(m_widget->GetIDsOfNames(IID_IUnknown, one, 1, LOCALE_USER_DEFAULT, ids), DISP_E_UNKNOWNINTERFACE);
    UINT count = 9;
    EXPECT_EQ(m_widget->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
}

// ---- Events ----

class ComEvents : public ComDispatch {
protected:
    ComPtr<IConnectionPoint> Point()
    {
        ComPtr<IConnectionPointContainer> cpc;
        EXPECT_EQ(m_widget.As(&cpc), S_OK);
        ComPtr<IConnectionPoint> point;
        EXPECT_EQ(cpc->FindConnectionPoint(DIID_ITestWidgetEvents, point.GetAddressOf()), S_OK);
        return point;
    }
    void Fire(LONG n) { ASSERT_EQ(VkInvoke(m_widget.Get(), DISPID_TestFire, DISPATCH_METHOD, {VkVariant(n)}), S_OK); }
};

TEST_F(ComEvents, AdviseFireAndUnadvise)
{
    ComPtr<comtest::Sink> a(new comtest::Sink), b(new comtest::Sink);
    ComPtr<IConnectionPoint> point = Point();
    IID iid{};
    ASSERT_EQ(point->GetConnectionInterface(&iid), S_OK);
    EXPECT_TRUE(iid == DIID_ITestWidgetEvents);
    ComPtr<IConnectionPointContainer> back;
    ASSERT_EQ(point->GetConnectionPointContainer(back.GetAddressOf()), S_OK);
    ComPtr<IConnectionPointContainer> direct;
    m_widget.As(&direct);
    EXPECT_EQ(back.Get(), direct.Get());

    DWORD ca = 0, cb = 0;
    ASSERT_EQ(point->Advise(a->Identity(), &ca), S_OK);
    ASSERT_EQ(VkAdvise(m_widget.Get(), DIID_ITestWidgetEvents, b->Identity(), &cb), S_OK);
    EXPECT_NE(ca, 0u);
    EXPECT_NE(cb, 0u);
    EXPECT_NE(ca, cb);
    EXPECT_EQ(a->Refs(), 2u) << "the point holds one reference";

    Fire(5);
    Fire(6);
    EXPECT_EQ(a->pings, (std::vector<LONG>{5, 6}));
    EXPECT_EQ(b->pings, (std::vector<LONG>{5, 6}));

    // The sinks can be enumerated.
    ComPtr<IEnumConnections> list;
    ASSERT_EQ(point->EnumConnections(list.GetAddressOf()), S_OK);
    CONNECTDATA items[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(list->Next(3, items, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(items[0].dwCookie, ca);
    EXPECT_EQ(items[1].dwCookie, cb);
    for (ULONG i = 0; i < fetched; ++i)
        items[i].pUnk->Release();
    list.Reset();

    ASSERT_EQ(point->Unadvise(ca), S_OK);
    EXPECT_EQ(point->Unadvise(ca), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point->Unadvise(12345), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(a->Refs(), 1u);
    Fire(7);
    EXPECT_EQ(a->pings, (std::vector<LONG>{5, 6}));
    EXPECT_EQ(b->pings, (std::vector<LONG>{5, 6, 7}));

    // A sink still advised when the object goes is released with it.
    point.Reset();
    back.Reset();
    direct.Reset();
    m_widget.Reset();
    EXPECT_EQ(b->Refs(), 1u);
}

TEST_F(ComEvents, RefusesWhatCannotConnect)
{
    ComPtr<comtest::Sink> deaf(new comtest::Sink);
    deaf->answersEvents = false;
    ComPtr<IConnectionPoint> point = Point();
    DWORD cookie = 77;
    EXPECT_EQ(point->Advise(deaf->Identity(), &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(deaf->Refs(), 1u);
    EXPECT_EQ(point->Advise(nullptr, &cookie), E_POINTER);

    ComPtr<IConnectionPointContainer> cpc;
    m_widget.As(&cpc);
    ComPtr<IConnectionPoint> none;
    EXPECT_EQ(cpc->FindConnectionPoint(IID_IDispatch, none.GetAddressOf()), CONNECT_E_NOCONNECTION);
    EXPECT_FALSE(none);

    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(cpc->EnumConnectionPoints(points.GetAddressOf()), S_OK);
    IConnectionPoint* found[2] = {};
    ULONG fetched = 0;
    EXPECT_EQ(points->Next(2, found, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(found[0], point.Get());
    found[0]->Release();
}

TEST_F(ComEvents, SinksMayUnadviseWhileEventsAreFired)
{
    ComPtr<comtest::Sink> first(new comtest::Sink), second(new comtest::Sink), third(new comtest::Sink);
    ComPtr<IConnectionPoint> point = Point();
    DWORD c1 = 0, c2 = 0, c3 = 0;
    ASSERT_EQ(point->Advise(first->Identity(), &c1), S_OK);
    ASSERT_EQ(point->Advise(second->Identity(), &c2), S_OK);
    ASSERT_EQ(point->Advise(third->Identity(), &c3), S_OK);

    // The first sink removes itself and the second one during the event;
    // the second, removed before its turn, is not called; the third is.
    IConnectionPoint* raw = point.Get();
    first->onPing = [&](comtest::Sink&) {
        EXPECT_EQ(raw->Unadvise(c1), S_OK);
        EXPECT_EQ(raw->Unadvise(c2), S_OK);
    };
    Fire(1);
    EXPECT_EQ(first->pings, (std::vector<LONG>{1}));
    EXPECT_TRUE(second->pings.empty());
    EXPECT_EQ(third->pings, (std::vector<LONG>{1}));
    EXPECT_EQ(first->Refs(), 1u);
    EXPECT_EQ(second->Refs(), 1u);

    // A sink that releases the last outside reference to itself while
    // being called stays alive until the call returns.
    const LONG alive = VkModuleLocal::LockCount(); // this program's live objects
    LONG aliveDuringCall = -1;
    third->onPing = [&](comtest::Sink&) {
        EXPECT_EQ(raw->Unadvise(c3), S_OK);
        aliveDuringCall = VkModuleLocal::LockCount();
    };
    third.Detach()->Release(); // now only the point holds it
    Fire(2);
    EXPECT_EQ(aliveDuringCall, alive);
    EXPECT_EQ(VkModuleLocal::LockCount(), alive - 1) << "released once the call returned";
}

} // namespace

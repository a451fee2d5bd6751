// The test module: a widget with a dual interface, a default value and an
// event interface, a plain class, and a class whose creation fails.

#include "platform/tests/testmodule/TestWidget.h"

#include "platform/ComModule.h"
#include "platform/ConnectionPoint.h"
#include "platform/DispatchTable.h"
#include "platform/VkBstr.h"

#include <map>
#include <stdexcept>
#include <string>

namespace {

class CTestWidget final
    : public VkComObject<CTestWidget, VkDispatchImpl<CTestWidget, ITestWidget>, VkConnectionPointContainerImpl> {
public:
    CTestWidget() { AddConnectionPoint(&m_events); }

    static const VkDispatchTable<CTestWidget>& DispatchTable();

    HRESULT get_Name(BSTR* name) override
    {
        if (!name)
            return E_POINTER;
        *name = VkBstrFromUtf8(m_name);
        return S_OK;
    }
    HRESULT put_Name(BSTR name) override
    {
        m_name = VkBstrToUtf8(name);
        return S_OK;
    }
    HRESULT Add(LONG a, LONG b, LONG* sum) override
    {
        if (!sum)
            return E_POINTER;
        *sum = static_cast<LONG>(static_cast<ULONG>(a) + static_cast<ULONG>(b));
        return S_OK;
    }
    HRESULT Fire(LONG n) override
    {
        VARIANT arg;
        VariantInit(&arg);
        arg.vt = VT_I4;
        arg.lVal = n;
        m_events.FireDispatch(DISPID_TestOnPing, {arg});
        return S_OK;
    }

private:
    std::string m_name = "widget";
    std::map<LONG, std::string> m_items;
    VkConnectionPoint m_events{this, DIID_ITestWidgetEvents};
};

const VkDispatchTable<CTestWidget>& CTestWidget::DispatchTable()
{
    using Call = VkDispatchCall;
    static const VkDispatchTable<CTestWidget> table =
        VkDispatchTable<CTestWidget>()
            .Get(DISPID_VALUE, "Value", [](CTestWidget& w, Call& c) { return c.ReturnText(w.m_name); })
            .Get(DISPID_TestName, "Name", [](CTestWidget& w, Call& c) { return c.ReturnText(w.m_name); })
            .Put(DISPID_TestName, "Name", [](CTestWidget& w, Call& c) { return c.GetText(0, &w.m_name); })
            .Method(DISPID_TestAdd, "Add", 2, 2,
                    [](CTestWidget& w, Call& c) {
                        LONG a = 0, b = 0, sum = 0;
                        HRESULT hr = c.GetLong(0, &a);
                        if (SUCCEEDED(hr))
                            hr = c.GetLong(1, &b);
                        if (SUCCEEDED(hr))
                            hr = w.Add(a, b, &sum);
                        return SUCCEEDED(hr) ? c.ReturnLong(sum) : hr;
                    })
            .Method(DISPID_TestFire, "Fire", 1, 1,
                    [](CTestWidget& w, Call& c) {
                        LONG n = 0;
                        HRESULT hr = c.GetLong(0, &n);
                        return SUCCEEDED(hr) ? w.Fire(n) : hr;
                    })
            .Method(DISPID_TestThrow, "Throw", 0, 0,
                    [](CTestWidget&, Call&) -> HRESULT { throw std::runtime_error("the widget refused"); })
            .Get(DISPID_TestItem, "Item",
                 [](CTestWidget& w, Call& c) {
                     LONG index = 0;
                     HRESULT hr = c.GetLong(0, &index);
                     if (FAILED(hr))
                         return hr;
                     auto it = w.m_items.find(index);
                     return it == w.m_items.end() ? c.Fail(DISP_E_BADINDEX, "no such item") : c.ReturnText(it->second);
                 },
                 1)
            .Put(DISPID_TestItem, "Item",
                 [](CTestWidget& w, Call& c) {
                     LONG index = 0;
                     std::string text;
                     HRESULT hr = c.GetLong(0, &index);
                     if (SUCCEEDED(hr))
                         hr = c.GetText(1, &text);
                     if (SUCCEEDED(hr))
                         w.m_items[index] = text;
                     return hr;
                 },
                 1)
            .Method(DISPID_TestJoin, "Join", 1, 3, [](CTestWidget&, Call& c) {
                std::string joined;
                for (UINT i = 0; i < 3; ++i) {
                    if (c.IsMissing(i))
                        continue;
                    std::string part;
                    HRESULT hr = c.GetText(i, &part);
                    if (FAILED(hr))
                        return hr;
                    joined += (joined.empty() ? "" : "+") + part;
                }
                return c.ReturnText(joined);
            });
    return table;
}

class CTestPlain final : public VkComObject<CTestPlain, IUnknown> {};

class CTestBroken final : public VkComObject<CTestBroken, IUnknown> {
public:
    HRESULT FinalConstruct() { return E_FAIL; }
};

const VkRegistryEntry s_widgetKeys[] = {
    {"Programmable"},
    {"Control"},
    {"MiscStatus", nullptr, "0"},
    {"MiscStatus\\1", nullptr, "131473"},
    {"ToolboxBitmap32", nullptr, "%MODULE%, 102"},
    {"TypeLib", nullptr, "{6E1F1A20-3B52-4C1D-9A11-510B7C2D4420}"},
    {"Version", nullptr, "1.0"},
};

const VkRegistryEntry s_moduleKeys[] = {
    {"TypeLib\\{6E1F1A20-3B52-4C1D-9A11-510B7C2D4420}\\1.0", nullptr, "VkTest 1.0 Type Library"},
    {"TypeLib\\{6E1F1A20-3B52-4C1D-9A11-510B7C2D4420}\\1.0\\0\\win32", nullptr, "%MODULE%"},
};

const VkClassEntry s_classes[] = {
    {.clsid = CLSID_TestWidget,
     .description = "TestWidget Class",
     .progId = "VkTest.Widget",
     .version = 1,
     .threadingModel = "Apartment",
     .create = VkCreatorOf<CTestWidget>,
     .extraKeys = s_widgetKeys},
    {.clsid = CLSID_TestPlain,
     .description = "TestPlain Class",
     .progId = "VkTest.Plain",
     .threadingModel = "Both",
     .create = VkCreatorOf<CTestPlain>},
    {.clsid = CLSID_TestBroken, .description = "TestBroken Class", .create = VkCreatorOf<CTestBroken>},
};

} // namespace

VK_COM_MODULE(VkModuleInfo{s_classes, s_moduleKeys})

VK_COM_EXPORT LONG VkTestModuleLocks() { return VkModuleLocal::LockCount(); }

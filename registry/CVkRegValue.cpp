#include "registry/CVkRegValue.h"

#include "registry/VkRegVariantData.h"

#include "platform/VkBstr.h"
#include "platform/VkVariant.h"

CVkRegValue::CVkRegValue(VkRegValuePtr node) : m_node(std::move(node)), m_subValues(this) {}

IVkRegValue* CVkRegValue::Wrap(VkRegValuePtr node)
{
    if (!node)
        return nullptr;
    auto* value = new CVkRegValue(std::move(node));
    value->AddRef();
    return value;
}

void* CVkRegValue::FindExtraInterface(REFIID riid)
{
    return riid == IID_IVkRegSubValues ? static_cast<IVkRegSubValues*>(&m_subValues) : nullptr;
}

const VkDispatchTable<CVkRegValue>& CVkRegValue::DispatchTable()
{
    using Call = VkDispatchCall;
    static const VkDispatchTable<CVkRegValue> table =
        VkDispatchTable<CVkRegValue>()
            .Get(1, "Name", [](CVkRegValue& v, Call& c) { return c.ReturnText(v.m_node->Name()); })
            .Put(1, "Name",
                 [](CVkRegValue& v, Call& c) {
                     std::string name;
                     HRESULT hr = c.GetText(0, &name);
                     if (SUCCEEDED(hr))
                         v.m_node->SetName(name);
                     return hr;
                 })
            .Get(2, "Value",
                 [](CVkRegValue& v, Call& c) {
                     VkVariant data;
                     HRESULT hr = v.get_Value(&data);
                     return FAILED(hr) ? hr : data.Detach(c.Result());
                 })
            .Put(2, "Value",
                 [](CVkRegValue& v, Call& c) {
                     VkVariant data;
                     HRESULT hr = c.GetVariant(0, &data);
                     return FAILED(hr) ? hr : v.put_Value(data);
                 })
            .Get(3, "Type", [](CVkRegValue& v, Call& c) { return c.ReturnLong(v.m_node->Type()); })
            .Put(3, "Type", [](CVkRegValue& v, Call& c) {
                LONG type = 0;
                HRESULT hr = c.GetLong(0, &type);
                return FAILED(hr) ? hr : v.put_Type(static_cast<VkRegTypes>(type));
            });
    return table;
}

HRESULT CVkRegValue::get_Name(BSTR* name)
{
    if (!name)
        return E_POINTER;
    *name = VkBstrFromUtf8(m_node->Name());
    return S_OK;
}

HRESULT CVkRegValue::put_Name(BSTR name)
{
    m_node->SetName(VkBstrToUtf8(name));
    return S_OK;
}

HRESULT CVkRegValue::get_Value(VARIANT* data)
{
    if (!data)
        return E_POINTER;
    VariantInit(data);
    return VkRegVariantData::ToVariant(m_node->Data(), data);
}

HRESULT CVkRegValue::put_Value(VARIANT data)
{
    VkVariant copy;
    HRESULT hr = VariantCopyInd(&copy, &data);
    if (FAILED(hr))
        return hr;
    m_node->PutData(VkRegVariantData::From(copy));
    return S_OK;
}

HRESULT CVkRegValue::get_Type(VkRegTypes* type)
{
    if (!type)
        return E_POINTER;
    *type = static_cast<VkRegTypes>(m_node->Type());
    return S_OK;
}

HRESULT CVkRegValue::put_Type(VkRegTypes type)
{
    return m_node->SetType(type) ? S_OK : E_FAIL;
}

const VkDispatchTable<CVkRegValue::SubValues>& CVkRegValue::SubValues::DispatchTable()
{
    using Call = VkDispatchCall;
    static const VkDispatchTable<SubValues> table =
        VkDispatchTable<SubValues>()
            .Get(0, "SubValue",
                 [](SubValues& s, Call& c) {
                     LONG index = 0;
                     HRESULT hr = c.GetLong(0, &index);
                     if (FAILED(hr))
                         return hr;
                     std::string part;
                     return s.m_owner->m_node->SubValue(index, &part) ? c.ReturnText(part) : E_FAIL;
                 },
                 1)
            .Put(0, "SubValue",
                 [](SubValues& s, Call& c) {
                     LONG index = 0;
                     std::string part;
                     HRESULT hr = c.GetLong(0, &index);
                     if (SUCCEEDED(hr))
                         hr = c.GetText(1, &part);
                     if (FAILED(hr))
                         return hr;
                     return s.m_owner->m_node->SetSubValue(index, part) ? S_OK : E_FAIL;
                 },
                 1)
            .Get(1, "Delimiters", [](SubValues& s, Call& c) { return c.ReturnText(s.m_owner->m_node->Delimiters()); })
            .Put(1, "Delimiters",
                 [](SubValues& s, Call& c) {
                     std::string delimiters;
                     HRESULT hr = c.GetText(0, &delimiters);
                     if (SUCCEEDED(hr))
                         s.m_owner->m_node->SetDelimiters(delimiters);
                     return hr;
                 })
            .Get(2, "Parts", [](SubValues& s, Call& c) { return c.ReturnLong(s.m_owner->m_node->Parts()); });
    return table;
}

HRESULT CVkRegValue::SubValues::get_SubValue(LONG index, BSTR* part)
{
    if (!part)
        return E_POINTER;
    *part = nullptr;
    std::string text;
    if (!m_owner->m_node->SubValue(index, &text))
        return E_FAIL;
    *part = VkBstrFromUtf8(text);
    return S_OK;
}

HRESULT CVkRegValue::SubValues::put_SubValue(LONG index, BSTR part)
{
    return m_owner->m_node->SetSubValue(index, VkBstrToUtf8(part)) ? S_OK : E_FAIL;
}

HRESULT CVkRegValue::SubValues::get_Delimiters(BSTR* delimiters)
{
    if (!delimiters)
        return E_POINTER;
    *delimiters = VkBstrFromUtf8(m_owner->m_node->Delimiters());
    return S_OK;
}

HRESULT CVkRegValue::SubValues::put_Delimiters(BSTR delimiters)
{
    m_owner->m_node->SetDelimiters(VkBstrToUtf8(delimiters));
    return S_OK;
}

HRESULT CVkRegValue::SubValues::get_Parts(LONG* count)
{
    if (!count)
        return E_POINTER;
    *count = m_owner->m_node->Parts();
    return S_OK;
}

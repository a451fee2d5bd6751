#include "registry/CVkRegValue.h"

#include "platform/ComObject.h"
#include "registry/VkRegVariantData.h"

namespace {

const CVkRegMember kValueMembers[] = {{"Name", 1}, {"Value", 2}, {"Type", 3}};
const CVkRegMember kSubValueMembers[] = {{"SubValue", 0}, {"Delimiters", 1}, {"Parts", 2}};

} // namespace

CVkRegValue::CVkRegValue(VkRegValuePtr node) : m_node(std::move(node)), m_subValues(this)
{
    VkModuleLocal::Lock();
}

CVkRegValue::~CVkRegValue()
{
    VkModuleLocal::Unlock();
}

CVkRegValue* CVkRegValue::Wrap(VkRegValuePtr node)
{
    return node ? new CVkRegValue(std::move(node)) : nullptr;
}

HRESULT CVkRegValue::CreateInstance(IUnknown* outer, REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    CVkRegValue* value = Wrap(std::make_shared<VkRegValueNode>());
    HRESULT hr = value->QueryInterface(riid, object);
    value->Release();
    return hr;
}

HRESULT CVkRegValue::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IVkRegValue)
        *object = static_cast<IVkRegValue*>(this);
    else if (riid == IID_IVkRegSubValues)
        *object = static_cast<IVkRegSubValues*>(&m_subValues);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG CVkRegValue::AddRef()
{
    return ++m_refs;
}

ULONG CVkRegValue::Release()
{
    const ULONG refs = --m_refs;
    if (refs == 0)
        delete this;
    return refs;
}

HRESULT CVkRegValue::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CVkRegValue::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT CVkRegValue::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    return CVkRegNamesToIds(kValueMembers, names, count, ids);
}

HRESULT CVkRegValue::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                            EXCEPINFO*, UINT* argErr)
{
    CVkRegArgs args(flags, params);
    HRESULT hr = args.Expect(0, 0);
    if (FAILED(hr))
        return hr;
    switch (id) {
    case 1:
        if (args.IsPut()) {
            VkBstr name;
            hr = args.PutText(&name, argErr);
            return FAILED(hr) ? hr : put_Name(name.Get());
        } else {
            BSTR name = nullptr;
            hr = get_Name(&name);
            CVkRegReturnText(result, name);
            return hr;
        }
    case 2:
        if (args.IsPut()) {
            VkVariant data;
            hr = args.PutValue(&data);
            return FAILED(hr) ? hr : put_Value(data);
        } else {
            VkVariant data;
            hr = get_Value(&data);
            if (SUCCEEDED(hr) && result)
                data.Detach(result);
            return hr;
        }
    case 3:
        if (args.IsPut()) {
            LONG type = 0;
            hr = args.PutLong(&type, argErr);
            return FAILED(hr) ? hr : put_Type(static_cast<VkRegTypes>(type));
        } else {
            VkRegTypes type = dtypePre;
            hr = get_Type(&type);
            CVkRegReturnLong(result, type);
            return hr;
        }
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
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

HRESULT CVkRegValue::SubValues::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    return CVkRegNamesToIds(kSubValueMembers, names, count, ids);
}

HRESULT CVkRegValue::SubValues::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                       EXCEPINFO*, UINT* argErr)
{
    CVkRegArgs args(flags, params);
    HRESULT hr = S_OK;
    switch (id) {
    case 0: {
        if (FAILED(hr = args.Expect(1, 1)))
            return hr;
        LONG index = 0;
        if (FAILED(hr = args.Long(0, &index, argErr)))
            return hr;
        if (args.IsPut()) {
            VkBstr part;
            hr = args.PutText(&part, argErr);
            return FAILED(hr) ? hr : put_SubValue(index, part.Get());
        }
        BSTR part = nullptr;
        hr = get_SubValue(index, &part);
        if (SUCCEEDED(hr))
            CVkRegReturnText(result, part);
        return hr;
    }
    case 1:
        if (FAILED(hr = args.Expect(0, 0)))
            return hr;
        if (args.IsPut()) {
            VkBstr delimiters;
            hr = args.PutText(&delimiters, argErr);
            return FAILED(hr) ? hr : put_Delimiters(delimiters.Get());
        } else {
            BSTR delimiters = nullptr;
            hr = get_Delimiters(&delimiters);
            CVkRegReturnText(result, delimiters);
            return hr;
        }
    case 2: {
        if (FAILED(hr = args.Expect(0, 0)))
            return hr;
        if (args.IsPut())
            return DISP_E_MEMBERNOTFOUND;
        LONG parts = 0;
        hr = get_Parts(&parts);
        CVkRegReturnLong(result, parts);
        return hr;
    }
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
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

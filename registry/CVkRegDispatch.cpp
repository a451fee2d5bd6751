#include "registry/CVkRegDispatch.h"

namespace {

bool SameName(const char* ascii, const OLECHAR* wide)
{
    for (; *ascii && *wide; ++ascii, ++wide) {
        OLECHAR a = static_cast<unsigned char>(*ascii);
        OLECHAR b = *wide;
        if (a >= 'A' && a <= 'Z')
            a = a - 'A' + 'a';
        if (b >= 'A' && b <= 'Z')
            b = b - 'A' + 'a';
        if (a != b)
            return false;
    }
    return *ascii == 0 && *wide == 0;
}

} // namespace

HRESULT CVkRegNamesToIds(const CVkRegMember* table, std::size_t size, LPOLESTR* names, UINT count, DISPID* ids)
{
    if (!names || !ids)
        return E_POINTER;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        // Only the member name is looked up; named arguments are not supported.
        if (i == 0 && names[0]) {
            for (std::size_t m = 0; m < size; ++m)
                if (SameName(table[m].name, names[0]))
                    ids[0] = table[m].id;
        }
        if (ids[i] == DISPID_UNKNOWN)
            hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

CVkRegArgs::CVkRegArgs(WORD flags, DISPPARAMS* params) : m_flags(flags), m_params(params)
{
    if (m_params) {
        m_count = m_params->cArgs;
        if (IsPut() && m_count > 0)
            --m_count;
    }
}

HRESULT CVkRegArgs::Expect(UINT min, UINT max) const
{
    if (m_params && m_params->cNamedArgs > (IsPut() ? 1u : 0u))
        return DISP_E_NONAMEDARGS;
    return m_count >= min && m_count <= max ? S_OK : DISP_E_BADPARAMCOUNT;
}

const VARIANT* CVkRegArgs::At(UINT index) const
{
    if (index >= m_count)
        return nullptr;
    return &m_params->rgvarg[m_params->cArgs - 1 - index];
}

HRESULT CVkRegArgs::Mismatch(UINT index, UINT* argErr) const
{
    if (argErr)
        *argErr = m_params->cArgs - 1 - index;
    return DISP_E_TYPEMISMATCH;
}

HRESULT CVkRegArgs::Any(UINT index, VkVariant* out) const
{
    const VARIANT* arg = At(index);
    out->Clear();
    if (!arg) {
        out->vt = VT_ERROR;
        out->scode = DISP_E_PARAMNOTFOUND;
        return S_OK;
    }
    return VariantCopyInd(out, arg);
}

HRESULT CVkRegArgs::Text(UINT index, VkBstr* out, UINT* argErr) const
{
    if (!At(index))
        return DISP_E_PARAMNOTFOUND;
    VkVariant v;
    if (FAILED(Any(index, &v)) || FAILED(v.ChangeType(VT_BSTR)))
        return Mismatch(index, argErr);
    *out = VkBstr::Attach(v.bstrVal);
    v.vt = VT_EMPTY;
    return S_OK;
}

HRESULT CVkRegArgs::Long(UINT index, LONG* out, UINT* argErr) const
{
    if (!At(index))
        return DISP_E_PARAMNOTFOUND;
    VkVariant v;
    if (FAILED(Any(index, &v)) || FAILED(v.ToLong(out)))
        return Mismatch(index, argErr);
    return S_OK;
}

HRESULT CVkRegArgs::PutValue(VkVariant* out) const
{
    if (!IsPut() || !m_params || m_params->cArgs == 0)
        return DISP_E_PARAMNOTFOUND;
    return VariantCopyInd(out, &m_params->rgvarg[0]);
}

HRESULT CVkRegArgs::PutText(VkBstr* out, UINT* argErr) const
{
    VkVariant v;
    HRESULT hr = PutValue(&v);
    if (FAILED(hr))
        return hr;
    if (FAILED(v.ChangeType(VT_BSTR))) {
        if (argErr)
            *argErr = 0;
        return DISP_E_TYPEMISMATCH;
    }
    *out = VkBstr::Attach(v.bstrVal);
    v.vt = VT_EMPTY;
    return S_OK;
}

HRESULT CVkRegArgs::PutLong(LONG* out, UINT* argErr) const
{
    VkVariant v;
    HRESULT hr = PutValue(&v);
    if (FAILED(hr))
        return hr;
    if (FAILED(v.ToLong(out))) {
        if (argErr)
            *argErr = 0;
        return DISP_E_TYPEMISMATCH;
    }
    return S_OK;
}

void CVkRegReturnText(VARIANT* result, BSTR text)
{
    if (!result) {
        SysFreeString(text);
        return;
    }
    VariantClear(result);
    result->vt = VT_BSTR;
    result->bstrVal = text;
}

void CVkRegReturnLong(VARIANT* result, LONG value)
{
    if (!result)
        return;
    VariantClear(result);
    result->vt = VT_I4;
    result->lVal = value;
}

void CVkRegReturnBool(VARIANT* result, VARIANT_BOOL value)
{
    if (!result)
        return;
    VariantClear(result);
    result->vt = VT_BOOL;
    result->boolVal = value;
}

void CVkRegReturnObject(VARIANT* result, IDispatch* object)
{
    if (!result) {
        if (object)
            object->Release();
        return;
    }
    VariantClear(result);
    result->vt = VT_DISPATCH;
    result->pdispVal = object;
}

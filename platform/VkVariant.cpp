#include "platform/VkVariant.h"

#include <cstring>
#include <utility>

VkVariant::VkVariant(bool value)
{
    VariantInit(this);
    vt = VT_BOOL;
    boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

VkVariant::VkVariant(SHORT value)
{
    VariantInit(this);
    vt = VT_I2;
    iVal = value;
}

VkVariant::VkVariant(LONG value)
{
    VariantInit(this);
    vt = VT_I4;
    lVal = value;
}

VkVariant::VkVariant(ULONG value)
{
    VariantInit(this);
    vt = VT_UI4;
    ulVal = value;
}

VkVariant::VkVariant(int64_t value)
{
    VariantInit(this);
    vt = VT_I8;
    llVal = value;
}

VkVariant::VkVariant(uint64_t value)
{
    VariantInit(this);
    vt = VT_UI8;
    ullVal = value;
}

VkVariant::VkVariant(BYTE value)
{
    VariantInit(this);
    vt = VT_UI1;
    bVal = value;
}

VkVariant::VkVariant(FLOAT value)
{
    VariantInit(this);
    vt = VT_R4;
    fltVal = value;
}

VkVariant::VkVariant(DOUBLE value)
{
    VariantInit(this);
    vt = VT_R8;
    dblVal = value;
}

VkVariant::VkVariant(const char* utf8) : VkVariant(std::string_view(utf8 ? utf8 : "")) {}

VkVariant::VkVariant(std::string_view utf8)
{
    VariantInit(this);
    bstrVal = VkBstrFromUtf8(utf8);
    if (bstrVal)
        vt = VT_BSTR;
}

VkVariant::VkVariant(IDispatch* object)
{
    VariantInit(this);
    vt = VT_DISPATCH;
    pdispVal = object;
    if (object)
        object->AddRef();
}

VkVariant::VkVariant(IUnknown* object)
{
    VariantInit(this);
    vt = VT_UNKNOWN;
    punkVal = object;
    if (object)
        object->AddRef();
}

VkVariant::VkVariant(const VARIANT& other)
{
    VariantInit(this);
    VariantCopy(this, &other);
}

VkVariant::VkVariant(VkVariant&& other) noexcept
{
    std::memcpy(static_cast<VARIANT*>(this), static_cast<VARIANT*>(&other), sizeof(VARIANT));
    VariantInit(&other);
}

VkVariant& VkVariant::operator=(const VkVariant& other)
{
    if (this != &other)
        VariantCopy(this, &other);
    return *this;
}

VkVariant& VkVariant::operator=(VkVariant&& other) noexcept
{
    if (this != &other) {
        VariantClear(this);
        std::memcpy(static_cast<VARIANT*>(this), static_cast<VARIANT*>(&other), sizeof(VARIANT));
        VariantInit(&other);
    }
    return *this;
}

VkVariant VkVariant::Null()
{
    VkVariant v;
    v.vt = VT_NULL;
    return v;
}

VkVariant VkVariant::Date(DATE value)
{
    VkVariant v;
    v.vt = VT_DATE;
    v.date = value;
    return v;
}

VkVariant VkVariant::Error(SCODE code)
{
    VkVariant v;
    v.vt = VT_ERROR;
    v.scode = code;
    return v;
}

VkVariant VkVariant::Bytes(const void* data, std::size_t size, VARTYPE elementType)
{
    VkVariant v;
    v.parray = VkSafeArrayFromBytes(elementType, data, size);
    if (v.parray)
        v.vt = VT_ARRAY | elementType;
    return v;
}

void VkVariant::Attach(VARIANT* v)
{
    VariantClear(this);
    std::memcpy(static_cast<VARIANT*>(this), v, sizeof(VARIANT));
    VariantInit(v);
}

HRESULT VkVariant::Detach(VARIANT* out)
{
    if (!out)
        return E_POINTER;
    HRESULT hr = VariantClear(out);
    if (FAILED(hr))
        return hr;
    std::memcpy(out, static_cast<VARIANT*>(this), sizeof(VARIANT));
    VariantInit(this);
    return S_OK;
}

HRESULT VkVariant::ChangeType(VARTYPE type, WORD flags) { return VariantChangeType(this, this, flags, type); }

HRESULT VkVariant::ToText(std::string* out, WORD flags) const
{
    VkVariant tmp;
    HRESULT hr = VariantChangeType(&tmp, this, flags, VT_BSTR);
    if (SUCCEEDED(hr))
        *out = VkBstrToUtf8(tmp.bstrVal);
    return hr;
}

HRESULT VkVariant::ToLong(LONG* out) const
{
    VkVariant tmp;
    HRESULT hr = VariantChangeType(&tmp, this, 0, VT_I4);
    if (SUCCEEDED(hr))
        *out = tmp.lVal;
    return hr;
}

HRESULT VkVariant::ToBool(bool* out) const
{
    VkVariant tmp;
    HRESULT hr = VariantChangeType(&tmp, this, 0, VT_BOOL);
    if (SUCCEEDED(hr))
        *out = tmp.boolVal != VARIANT_FALSE;
    return hr;
}

HRESULT VkVariant::ToDate(DATE* out) const
{
    VkVariant tmp;
    HRESULT hr = VariantChangeType(&tmp, this, 0, VT_DATE);
    if (SUCCEEDED(hr))
        *out = tmp.date;
    return hr;
}

HRESULT VkVariant::ToBytes(std::vector<BYTE>* out) const
{
    const VARIANT* v = this;
    if (v->vt == (VT_VARIANT | VT_BYREF) && v->pvarVal)
        v = v->pvarVal;
    if (!(v->vt & VT_ARRAY))
        return E_INVALIDARG;
    SAFEARRAY* a = (v->vt & VT_BYREF) ? *v->pparray : v->parray;
    *out = VkSafeArrayBytes(a);
    return S_OK;
}

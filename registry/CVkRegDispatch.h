#pragma once
// Late binding for the module's dual interfaces: names to DISPIDs from a
// table, and the arguments of an Invoke read by position.

#include "registry/IVkReg.h"

#include "platform/VkBstr.h"
#include "platform/VkVariant.h"

#include <cstddef>

struct CVkRegMember {
    const char* name;
    DISPID id;
};

// Case-insensitive lookup of every name; DISP_E_UNKNOWNNAME (with
// DISPID_UNKNOWN for the unknown ones) when any is missing.
HRESULT CVkRegNamesToIds(const CVkRegMember* table, std::size_t size, LPOLESTR* names, UINT count, DISPID* ids);

template <std::size_t N>
HRESULT CVkRegNamesToIds(const CVkRegMember (&table)[N], LPOLESTR* names, UINT count, DISPID* ids)
{
    return CVkRegNamesToIds(table, N, names, count, ids);
}

// The arguments of one Invoke. Positional arguments count from the first
// one the caller wrote; a property put's new value is separate.
class CVkRegArgs {
public:
    CVkRegArgs(WORD flags, DISPPARAMS* params);

    bool IsGet() const { return m_flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD); }
    bool IsPut() const { return m_flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF); }
    UINT Count() const { return m_count; }
    // DISP_E_BADPARAMCOUNT unless there are between min and max arguments.
    HRESULT Expect(UINT min, UINT max) const;

    // The argument converted; DISP_E_TYPEMISMATCH (and *argErr set) when it
    // does not convert, DISP_E_PARAMNOTFOUND when it is missing.
    HRESULT Text(UINT index, VkBstr* out, UINT* argErr) const;
    HRESULT Long(UINT index, LONG* out, UINT* argErr) const;
    // A copy of the argument (by-reference arguments dereferenced); an
    // absent optional argument gives VT_ERROR DISP_E_PARAMNOTFOUND.
    HRESULT Any(UINT index, VkVariant* out) const;
    // An object argument as interface I (AddRef'd, null for a null object).
    template <class I>
    HRESULT Object(UINT index, I** out, UINT* argErr) const
    {
        *out = nullptr;
        VkVariant v;
        HRESULT hr = Any(index, &v);
        if (FAILED(hr))
            return hr;
        IUnknown* unknown = nullptr;
        if (v.vt == VT_DISPATCH)
            unknown = v.pdispVal;
        else if (v.vt == VT_UNKNOWN)
            unknown = v.punkVal;
        else if (v.vt != VT_EMPTY && v.vt != VT_NULL)
            return Mismatch(index, argErr);
        if (!unknown)
            return S_OK;
        if (FAILED(unknown->QueryInterface(I::Iid(), reinterpret_cast<void**>(out))))
            return Mismatch(index, argErr);
        return S_OK;
    }
    // The new value of a property put.
    HRESULT PutValue(VkVariant* out) const;
    HRESULT PutText(VkBstr* out, UINT* argErr) const;
    HRESULT PutLong(LONG* out, UINT* argErr) const;

private:
    const VARIANT* At(UINT index) const;
    HRESULT Mismatch(UINT index, UINT* argErr) const;

    WORD m_flags;
    DISPPARAMS* m_params;
    UINT m_count = 0;
};

// Results handed back through Invoke.
void CVkRegReturnText(VARIANT* result, BSTR text);
void CVkRegReturnLong(VARIANT* result, LONG value);
void CVkRegReturnBool(VARIANT* result, VARIANT_BOOL value);
// Takes over the reference held in object (which may be null).
void CVkRegReturnObject(VARIANT* result, IDispatch* object);

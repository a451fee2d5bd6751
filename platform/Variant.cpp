#include "platform/Variant.h"

#include "platform/VariantText.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

bool IsKnownScalar(VARTYPE t)
{
    return (t >= VT_EMPTY && t <= VT_R8) || (t >= VT_DATE && t <= VT_UNKNOWN && t != VT_VARIANT) ||
           (t >= VT_I1 && t <= VT_UINT);
}

bool IsByteArrayType(VARTYPE vt) { return vt == (VT_ARRAY | VT_UI1) || vt == (VT_ARRAY | VT_I1); }

HRESULT ValidateType(VARTYPE vt)
{
    const VARTYPE base = vt & VT_TYPEMASK;
    if (vt & VT_BYREF) {
        if ((vt & VT_ARRAY) ? (base == VT_I1 || base == VT_UI1)
                            : (base == VT_VARIANT || (IsKnownScalar(base) && base > VT_NULL)))
            return S_OK;
        return DISP_E_BADVARTYPE;
    }
    if (vt & VT_ARRAY)
        return IsByteArrayType(vt) ? S_OK : DISP_E_BADVARTYPE;
    return IsKnownScalar(vt) ? S_OK : DISP_E_BADVARTYPE;
}

// Size in bytes of a by-reference target, for VariantCopyInd.
size_t ScalarSize(VARTYPE base)
{
    switch (base) {
    case VT_I1:
    case VT_UI1: return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL: return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR: return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_DATE: return 8;
    default: return 0;
    }
}

} // namespace

void VariantInit(VARIANT* v)
{
    if (v) {
        std::memset(v, 0, sizeof *v);
        v->vt = VT_EMPTY;
    }
}

HRESULT VariantClear(VARIANT* v)
{
    if (!v)
        return E_INVALIDARG;
    HRESULT hr = ValidateType(v->vt);
    if (FAILED(hr))
        return hr;
    if (!(v->vt & VT_BYREF)) {
        if (v->vt & VT_ARRAY) {
            hr = SafeArrayDestroy(v->parray);
            if (FAILED(hr))
                return hr;
        } else if (v->vt == VT_BSTR) {
            SysFreeString(v->bstrVal);
        } else if ((v->vt == VT_UNKNOWN || v->vt == VT_DISPATCH) && v->punkVal) {
            v->punkVal->Release();
        }
    }
    v->vt = VT_EMPTY;
    v->llVal = 0;
    return S_OK;
}

namespace {

// Copies src's value into a raw destination that owns nothing.
HRESULT CopyInto(VARIANT* dest, const VARIANT* src)
{
    *dest = *src;
    if (src->vt & VT_BYREF)
        return S_OK;
    if (src->vt & VT_ARRAY) {
        HRESULT hr = SafeArrayCopy(src->parray, &dest->parray);
        if (FAILED(hr))
            dest->vt = VT_EMPTY;
        return hr;
    }
    if (src->vt == VT_BSTR && src->bstrVal) {
        dest->bstrVal = SysAllocStringByteLen(reinterpret_cast<const char*>(src->bstrVal), SysStringByteLen(src->bstrVal));
        if (!dest->bstrVal) {
            dest->vt = VT_EMPTY;
            return E_OUTOFMEMORY;
        }
    } else if ((src->vt == VT_UNKNOWN || src->vt == VT_DISPATCH) && src->punkVal) {
        src->punkVal->AddRef();
    }
    return S_OK;
}

// The value a by-reference variant points to, copied into a raw dest.
HRESULT DerefInto(VARIANT* dest, const VARIANT* src)
{
    const VARTYPE base = src->vt & VT_TYPEMASK;
    if (!src->byref)
        return E_INVALIDARG;
    VARIANT tmp;
    VariantInit(&tmp);
    if (src->vt & VT_ARRAY) {
        tmp.vt = src->vt & ~VT_BYREF;
        tmp.parray = *src->pparray;
    } else if (base == VT_VARIANT) {
        if (src->pvarVal->vt & VT_BYREF)
            return E_INVALIDARG; // only one level of indirection
        return CopyInto(dest, src->pvarVal);
    } else if (base == VT_BSTR) {
        tmp.vt = VT_BSTR;
        tmp.bstrVal = *src->pbstrVal;
    } else if (base == VT_UNKNOWN || base == VT_DISPATCH) {
        tmp.vt = base;
        tmp.punkVal = *src->ppunkVal;
    } else {
        const size_t size = ScalarSize(base);
        if (!size)
            return E_INVALIDARG;
        tmp.vt = base;
        std::memcpy(&tmp.llVal, src->byref, size);
    }
    return CopyInto(dest, &tmp);
}

} // namespace

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src)
{
    if (!dest || !src)
        return E_INVALIDARG;
    HRESULT hr = ValidateType(src->vt);
    if (FAILED(hr))
        return hr;
    if (dest == src)
        return S_OK;
    hr = VariantClear(dest);
    if (FAILED(hr))
        return hr;
    return CopyInto(dest, src);
}

HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* src)
{
    if (!dest || !src)
        return E_INVALIDARG;
    HRESULT hr = ValidateType(src->vt);
    if (FAILED(hr))
        return hr;
    if (!(src->vt & VT_BYREF))
        return VariantCopy(dest, src);
    VARIANT tmp;
    VariantInit(&tmp);
    hr = DerefInto(&tmp, src);
    if (FAILED(hr))
        return hr;
    if (dest != src) {
        hr = VariantClear(dest);
        if (FAILED(hr)) {
            VariantClear(&tmp);
            return hr;
        }
    }
    *dest = tmp;
    return S_OK;
}

// ---- Conversion ----

namespace {

// A numeric source value in the widest form that keeps it exact.
struct Number {
    enum Kind { Signed, Unsigned, Real } kind = Signed;
    LONGLONG i = 0;
    ULONGLONG u = 0;
    double r = 0;
    double AsDouble() const { return kind == Signed ? double(i) : kind == Unsigned ? double(u) : r; }
    bool IsZero() const { return kind == Signed ? i == 0 : kind == Unsigned ? u == 0 : r == 0; }
};

Number Signed(LONGLONG v) { return {Number::Signed, v, 0, 0}; }
Number Unsigned(ULONGLONG v) { return {Number::Unsigned, 0, v, 0}; }
Number Real(double v) { return {Number::Real, 0, 0, v}; }

bool IsSignedInt(VARTYPE t) { return t == VT_I1 || t == VT_I2 || t == VT_I4 || t == VT_I8 || t == VT_INT; }
bool IsUnsignedInt(VARTYPE t) { return t == VT_UI1 || t == VT_UI2 || t == VT_UI4 || t == VT_UI8 || t == VT_UINT; }
int IntBits(VARTYPE t)
{
    switch (t) {
    case VT_I1:
    case VT_UI1: return 8;
    case VT_I2:
    case VT_UI2: return 16;
    case VT_I8:
    case VT_UI8: return 64;
    default: return 32;
    }
}

// The raw bits of an integer source, zero-extended.
ULONGLONG RawBits(const VARIANT& v)
{
    switch (IntBits(v.vt)) {
    case 8: return v.bVal;
    case 16: return v.uiVal;
    case 32: return v.ulVal;
    default: return v.ullVal;
    }
}

// Reads a scalar number from src (not text, not an object).
bool NumberOf(const VARIANT& v, Number* n)
{
    switch (v.vt) {
    case VT_EMPTY: *n = Signed(0); return true;
    case VT_I1: *n = Signed(v.cVal); return true;
    case VT_I2: *n = Signed(v.iVal); return true;
    case VT_I4:
    case VT_INT: *n = Signed(v.lVal); return true;
    case VT_I8: *n = Signed(v.llVal); return true;
    case VT_UI1: *n = Unsigned(v.bVal); return true;
    case VT_UI2: *n = Unsigned(v.uiVal); return true;
    case VT_UI4:
    case VT_UINT: *n = Unsigned(v.ulVal); return true;
    case VT_UI8: *n = Unsigned(v.ullVal); return true;
    case VT_R4: *n = Real(v.fltVal); return true;
    case VT_R8:
    case VT_DATE: *n = Real(v.dblVal); return true;
    case VT_BOOL: *n = Signed(v.boolVal ? -1 : 0); return true;
    default: return false;
    }
}

void StoreBits(VARIANT* d, VARTYPE vt, ULONGLONG bits)
{
    switch (IntBits(vt)) {
    case 8: d->bVal = static_cast<BYTE>(bits); break;
    case 16: d->uiVal = static_cast<USHORT>(bits); break;
    case 32: d->ulVal = static_cast<ULONG>(bits); break;
    default: d->ullVal = bits; break;
    }
}

HRESULT ToInteger(const Number& n, VARTYPE vt, VARIANT* d)
{
    const int bits = IntBits(vt);
    const bool isSigned = IsSignedInt(vt);
    if (n.kind == Number::Real) {
        if (std::isnan(n.r))
            return DISP_E_OVERFLOW;
        const double r = std::nearbyint(n.r); // ties to even under the default rounding mode
        const double limit = std::ldexp(1.0, isSigned ? bits - 1 : bits);
        if (isSigned ? (r < -limit || r >= limit) : (r < 0 || r >= limit))
            return DISP_E_OVERFLOW;
        StoreBits(d, vt, isSigned ? static_cast<ULONGLONG>(static_cast<LONGLONG>(r)) : static_cast<ULONGLONG>(r));
        return S_OK;
    }
    if (isSigned) {
        const LONGLONG lo = bits == 64 ? std::numeric_limits<LONGLONG>::min() : -(LONGLONG(1) << (bits - 1));
        const LONGLONG hi = bits == 64 ? std::numeric_limits<LONGLONG>::max() : (LONGLONG(1) << (bits - 1)) - 1;
        if (n.kind == Number::Unsigned ? n.u > ULONGLONG(hi) : (n.i < lo || n.i > hi))
            return DISP_E_OVERFLOW;
        StoreBits(d, vt, n.kind == Number::Unsigned ? n.u : static_cast<ULONGLONG>(n.i));
        return S_OK;
    }
    const ULONGLONG hi = bits == 64 ? std::numeric_limits<ULONGLONG>::max() : (ULONGLONG(1) << bits) - 1;
    if (n.kind == Number::Signed ? (n.i < 0 || ULONGLONG(n.i) > hi) : n.u > hi)
        return DISP_E_OVERFLOW;
    StoreBits(d, vt, n.kind == Number::Signed ? ULONGLONG(n.i) : n.u);
    return S_OK;
}

HRESULT ToDate(double value, DATE* out)
{
    if (std::isnan(value) || value <= -657435.0 || value >= 2958466.0)
        return DISP_E_OVERFLOW;
    *out = value;
    return S_OK;
}

// Numeric target from a number; vt is the target's type.
HRESULT FromNumber(const Number& n, VARTYPE vt, VARIANT* d)
{
    switch (vt) {
    case VT_R4: {
        const double r = n.AsDouble();
        if (std::isnan(r)) {
            d->fltVal = std::numeric_limits<float>::quiet_NaN();
            return S_OK;
        }
        if (std::fabs(r) > FLT_MAX)
            return DISP_E_OVERFLOW;
        d->fltVal = static_cast<float>(r);
        return S_OK;
    }
    case VT_R8: d->dblVal = n.AsDouble(); return S_OK;
    case VT_DATE: return ToDate(n.AsDouble(), &d->date);
    case VT_BOOL: d->boolVal = n.IsZero() ? VARIANT_FALSE : VARIANT_TRUE; return S_OK;
    default: return ToInteger(n, vt, d);
    }
}

HRESULT NumberFromText(BSTR text, LCID lcid, Number* n)
{
    VkParsedNumber p;
    HRESULT hr = VkParseNumberText(VkBstrToUtf8(text), lcid, &p);
    if (FAILED(hr))
        return hr;
    if (p.exact && !p.negative)
        *n = Unsigned(p.magnitude);
    else if (p.exact && p.magnitude <= ULONGLONG(std::numeric_limits<LONGLONG>::max()) + 1)
        *n = Signed(static_cast<LONGLONG>(0 - p.magnitude));
    else
        *n = Real(p.value);
    return S_OK;
}

HRESULT ToText(const VARIANT& s, LCID lcid, WORD flags, BSTR* out)
{
    std::string text;
    switch (s.vt) {
    case VT_EMPTY: break;
    case VT_BOOL:
        if (flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL))
            text = s.boolVal ? "True" : "False";
        else
            text = s.boolVal ? "-1" : "0";
        break;
    case VT_R4: text = VkFormatRealText(s.fltVal, 7, lcid); break;
    case VT_R8: text = VkFormatRealText(s.dblVal, 15, lcid); break;
    case VT_DATE: {
        HRESULT hr = VkFormatDateText(s.date, lcid, 0, &text);
        if (FAILED(hr))
            return hr;
        break;
    }
    default: {
        Number n;
        if (!NumberOf(s, &n))
            return DISP_E_TYPEMISMATCH;
        text = n.kind == Number::Signed ? std::to_string(n.i) : std::to_string(n.u);
        break;
    }
    }
    *out = VkBstrFromUtf8(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT FromText(BSTR text, VARTYPE vt, LCID lcid, VARIANT* d)
{
    if (vt == VT_BOOL)
        return VkParseBoolText(VkBstrToUtf8(text), lcid, &d->boolVal);
    if (vt == VT_DATE)
        return VkParseDateText(VkBstrToUtf8(text), lcid, &d->date);
    Number n;
    HRESULT hr = NumberFromText(text, lcid, &n);
    if (FAILED(hr))
        return hr;
    return FromNumber(n, vt, d);
}

bool IsNumericTarget(VARTYPE vt)
{
    return IsSignedInt(vt) || IsUnsignedInt(vt) || vt == VT_R4 || vt == VT_R8 || vt == VT_DATE || vt == VT_BOOL;
}

bool SameSizeOtherSign(VARTYPE a, VARTYPE b)
{
    return ((IsSignedInt(a) && IsUnsignedInt(b)) || (IsUnsignedInt(a) && IsSignedInt(b))) && IntBits(a) == IntBits(b);
}

HRESULT Coerce(VARIANT* d, const VARIANT& s, LCID lcid, WORD flags, VARTYPE vt);

// The default property of an object, converted.
HRESULT CoerceFromObject(VARIANT* d, const VARIANT& s, LCID lcid, WORD flags, VARTYPE vt)
{
    if (!s.pdispVal)
        return DISP_E_TYPEMISMATCH;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT value;
    VariantInit(&value);
    HRESULT hr = s.pdispVal->Invoke(DISPID_VALUE, IID_NULL, lcid, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
    if (FAILED(hr))
        return DISP_E_TYPEMISMATCH;
    if (value.vt == VT_DISPATCH || value.vt == VT_UNKNOWN)
        hr = DISP_E_TYPEMISMATCH; // one level only
    else
        hr = Coerce(d, value, lcid, flags, vt);
    VariantClear(&value);
    return hr;
}

// Converts into a raw d (owning nothing yet); vt is valid and s by value.
HRESULT Coerce(VARIANT* d, const VARIANT& s, LCID lcid, WORD flags, VARTYPE vt)
{
    VariantInit(d);
    if (s.vt == vt) {
        HRESULT hr = CopyInto(d, &s);
        return hr;
    }
    if ((flags & VARIANT_NOVALUEPROP) && s.vt == VT_DISPATCH && vt != VT_UNKNOWN)
        return DISP_E_TYPEMISMATCH;

    if (vt == VT_EMPTY || vt == VT_NULL) {
        if ((s.vt & (VT_ARRAY | VT_BYREF)) || s.vt == VT_ERROR || (vt == VT_EMPTY && s.vt == VT_NULL))
            return DISP_E_TYPEMISMATCH;
        d->vt = vt;
        return S_OK;
    }
    if (vt & VT_ARRAY) {
        if (s.vt == VT_BSTR) {
            d->parray = VkSafeArrayFromBytes(vt & VT_TYPEMASK, s.bstrVal, SysStringByteLen(s.bstrVal));
            if (!d->parray)
                return E_OUTOFMEMORY;
            d->vt = vt;
            return S_OK;
        }
        return DISP_E_TYPEMISMATCH;
    }
    if (s.vt & VT_ARRAY) {
        if (vt == VT_BSTR && s.vt == (VT_ARRAY | VT_UI1)) {
            const std::vector<BYTE> bytes = VkSafeArrayBytes(s.parray);
            d->bstrVal = SysAllocStringByteLen(reinterpret_cast<const char*>(bytes.data()), static_cast<UINT>(bytes.size()));
            if (!d->bstrVal)
                return E_OUTOFMEMORY;
            d->vt = VT_BSTR;
            return S_OK;
        }
        return DISP_E_TYPEMISMATCH;
    }
    if (s.vt == VT_NULL || s.vt == VT_ERROR || vt == VT_ERROR)
        return DISP_E_TYPEMISMATCH;

    if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
        if (s.vt != VT_UNKNOWN && s.vt != VT_DISPATCH)
            return DISP_E_TYPEMISMATCH;
        if (s.punkVal) {
            HRESULT hr = s.punkVal->QueryInterface(vt == VT_UNKNOWN ? IID_IUnknown : IID_IDispatch, reinterpret_cast<void**>(&d->punkVal));
            if (FAILED(hr))
                return hr;
        }
        d->vt = vt;
        return S_OK;
    }
    if (s.vt == VT_UNKNOWN)
        return DISP_E_TYPEMISMATCH;
    if (s.vt == VT_DISPATCH)
        return CoerceFromObject(d, s, lcid, flags, vt);

    HRESULT hr = E_FAIL;
    if (vt == VT_BSTR) {
        hr = ToText(s, lcid, flags, &d->bstrVal);
    } else if (s.vt == VT_BSTR) {
        hr = FromText(s.bstrVal, vt, lcid, d);
    } else if (SameSizeOtherSign(s.vt, vt) || (s.vt == VT_BOOL && IsUnsignedInt(vt))) {
        // Same-size integers of the other sign, and booleans into unsigned
        // types, keep their bits (true into VT_UI1 is 255).
        StoreBits(d, vt, s.vt == VT_BOOL ? static_cast<ULONGLONG>(s.boolVal ? -1LL : 0LL) : RawBits(s));
        hr = S_OK;
    } else if (IsNumericTarget(vt)) {
        Number n;
        hr = NumberOf(s, &n) ? FromNumber(n, vt, d) : DISP_E_TYPEMISMATCH;
    } else {
        hr = DISP_E_BADVARTYPE;
    }
    if (SUCCEEDED(hr))
        d->vt = vt;
    return hr;
}

} // namespace

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, WORD flags, VARTYPE vt)
{
    return VariantChangeTypeEx(dest, src, LOCALE_USER_DEFAULT, flags, vt);
}

HRESULT VariantChangeTypeEx(VARIANT* dest, const VARIANT* src, LCID lcid, WORD flags, VARTYPE vt)
{
    if (!dest || !src)
        return E_INVALIDARG;
    HRESULT hr = ValidateType(src->vt);
    if (FAILED(hr))
        return hr;
    if ((vt & VT_BYREF) || FAILED(ValidateType(vt)))
        return DISP_E_BADVARTYPE;

    // A by-reference source converts as the value it points to.
    VARIANT value;
    VariantInit(&value);
    const VARIANT* from = src;
    if (src->vt & VT_BYREF) {
        hr = DerefInto(&value, src);
        if (FAILED(hr))
            return hr;
        from = &value;
    }
    VARIANT result;
    hr = Coerce(&result, *from, lcid, flags, vt);
    VariantClear(&value);
    if (FAILED(hr))
        return hr;
    if (dest == src && (src->vt & VT_BYREF))
        dest->vt = VT_EMPTY; // the referenced value is not ours to free
    hr = VariantClear(dest);
    if (FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    *dest = result;
    return S_OK;
}

HRESULT VarBstrFromDate(DATE date, LCID lcid, ULONG flags, BSTR* out)
{
    if (!out)
        return E_INVALIDARG;
    std::string text;
    HRESULT hr = VkFormatDateText(date, lcid, static_cast<WORD>(flags & (VAR_DATEVALUEONLY | VAR_TIMEVALUEONLY)), &text);
    if (FAILED(hr))
        return hr;
    *out = VkBstrFromUtf8(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT VarDateFromStr(LPCOLESTR text, LCID lcid, ULONG, DATE* out)
{
    if (!text || !out)
        return E_INVALIDARG;
    return VkParseDateText(VkOleToUtf8(text), lcid, out);
}

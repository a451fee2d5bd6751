#pragma once
// VARIANT, the automation value, with the Windows conversion rules:
// - numbers convert among themselves with banker's rounding and
//   DISP_E_OVERFLOW when the result does not fit; a signed and an unsigned
//   type of the same size reinterpret each other's bits;
// - booleans are -1 (true) and 0; any non-zero number is true; as text a
//   boolean is "-1"/"0", or "True"/"False" with VARIANT_ALPHABOOL;
// - text reads as a number in the user's locale (group separators,
//   decimal separator, exponent, &H/&O prefixes); "True"/"False" (any
//   case) or a number read as a boolean; text that is none of these is
//   DISP_E_TYPEMISMATCH;
// - dates are days since 30 December 1899 with the time as the fraction;
//   they convert to numbers unchanged and to and from text in the user's
//   locale (short date with a four-digit year, then the time);
// - VT_EMPTY is 0, "" or false; VT_NULL and VT_ERROR convert to nothing
//   else; an IDispatch yields its default (DISPID_VALUE) property unless
//   VARIANT_NOVALUEPROP is given; a byte array and a BSTR convert into
//   each other byte for byte.
// The "user's locale" is QLocale() (LOCALE_USER_DEFAULT and
// LOCALE_SYSTEM_DEFAULT); LOCALE_INVARIANT uses the C locale.

#include "platform/ComInterfaces.h"
#include "platform/SafeArray.h"
#include "platform/WinTypes.h"

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

// VariantChangeType flags.
constexpr WORD VARIANT_NOVALUEPROP = 0x01;
constexpr WORD VARIANT_ALPHABOOL = 0x02;
constexpr WORD VARIANT_NOUSEROVERRIDE = 0x04;
constexpr WORD VARIANT_LOCALBOOL = 0x10;
// VarBstrFromDate flags.
constexpr ULONG VAR_TIMEVALUEONLY = 0x01;
constexpr ULONG VAR_DATEVALUEONLY = 0x02;

struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        FLOAT fltVal;
        DOUBLE dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        SAFEARRAY* parray;
        CHAR cVal;
        USHORT uiVal;
        ULONG ulVal;
        ULONGLONG ullVal;
        INT intVal;
        UINT uintVal;
        // VT_BYREF forms.
        BYTE* pbVal;
        SHORT* piVal;
        LONG* plVal;
        LONGLONG* pllVal;
        FLOAT* pfltVal;
        DOUBLE* pdblVal;
        VARIANT_BOOL* pboolVal;
        SCODE* pscode;
        DATE* pdate;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        IDispatch** ppdispVal;
        SAFEARRAY** pparray;
        VARIANT* pvarVal;
        void* byref;
        CHAR* pcVal;
        USHORT* puiVal;
        ULONG* pulVal;
        ULONGLONG* pullVal;
        INT* pintVal;
        UINT* puintVal;
    };
};

// Sets the type to VT_EMPTY without freeing anything.
void VariantInit(VARIANT* v);
// Frees what v owns (string, array, interface reference) and empties it.
// DISP_E_BADVARTYPE, v untouched, for a type this runtime does not know.
HRESULT VariantClear(VARIANT* v);
// Deep copy: strings and arrays duplicated, interfaces AddRef'd; by-
// reference values copy the pointer. dest is cleared first.
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);
// As VariantCopy, but a by-reference source is copied as its value.
HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* src);
// Converts src to vt into dest (dest may be src). On failure dest is left
// as it was and the result tells why: DISP_E_TYPEMISMATCH,
// DISP_E_OVERFLOW, DISP_E_BADVARTYPE, E_OUTOFMEMORY.
HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, WORD flags, VARTYPE vt);
HRESULT VariantChangeTypeEx(VARIANT* dest, const VARIANT* src, LCID lcid, WORD flags, VARTYPE vt);

// A date as text in the locale: both parts, or one with VAR_DATEVALUEONLY
// / VAR_TIMEVALUEONLY. E_INVALIDARG for a date outside the range.
HRESULT VarBstrFromDate(DATE date, LCID lcid, ULONG flags, BSTR* out);
// Text read as a date (DISP_E_TYPEMISMATCH when it is none).
HRESULT VarDateFromStr(LPCOLESTR text, LCID lcid, ULONG flags, DATE* out);

// Broken-down automation dates (wDayOfWeek: 0 = Sunday).
struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
// Both answer FALSE for dates outside 1 January 100 .. 31 December 9999 or
// impossible fields. Times are rounded to the second, as Windows does.
INT SystemTimeToVariantTime(const SYSTEMTIME* time, DATE* date);
INT VariantTimeToSystemTime(DATE date, SYSTEMTIME* time);

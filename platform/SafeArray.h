#pragma once
// SAFEARRAY, as far as automation values need it here: one-dimensional
// arrays of signed (VT_I1) or unsigned (VT_UI1) bytes with a lower bound.
// Other element types and more dimensions are refused (null / E_INVALIDARG).
// An array with outstanding locks cannot be destroyed or resized
// (DISP_E_ARRAYISLOCKED).

#include "platform/WinTypes.h"

#include <cstddef>
#include <vector>

struct SAFEARRAYBOUND {
    ULONG cElements;
    LONG lLbound;
};

struct SAFEARRAY {
    USHORT cDims;
    USHORT fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    void* pvData;
    SAFEARRAYBOUND rgsabound[1];
};

constexpr USHORT FADF_HAVEVARTYPE = 0x0080;

// A zero-filled array; null for an unsupported type, cDims != 1 or no memory.
SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, const SAFEARRAYBOUND* bounds);
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements);
HRESULT SafeArrayDestroy(SAFEARRAY* array);
// A deep copy in *out (null for a null array).
HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** out);
// New element count, keeping the lower bound and the leading data.
HRESULT SafeArrayRedim(SAFEARRAY* array, const SAFEARRAYBOUND* bound);

UINT SafeArrayGetDim(SAFEARRAY* array);
UINT SafeArrayGetElemsize(SAFEARRAY* array);
HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt);
// dim is 1-based; DISP_E_BADINDEX for any other dimension.
HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound);
HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound);

HRESULT SafeArrayLock(SAFEARRAY* array);
HRESULT SafeArrayUnlock(SAFEARRAY* array);
// Locks the array and answers its data; pair with SafeArrayUnaccessData.
HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data);
HRESULT SafeArrayUnaccessData(SAFEARRAY* array);
// indices points at one index (the array is one-dimensional); an index
// outside the bounds gives DISP_E_BADINDEX.
HRESULT SafeArrayGetElement(SAFEARRAY* array, const LONG* indices, void* value);
HRESULT SafeArrayPutElement(SAFEARRAY* array, const LONG* indices, const void* value);

// A byte array of type vt (VT_UI1 or VT_I1) holding a copy of the bytes,
// lower bound 0; null on failure.
SAFEARRAY* VkSafeArrayFromBytes(VARTYPE vt, const void* data, std::size_t size);
// The array's bytes; empty for null or a non-byte array.
std::vector<BYTE> VkSafeArrayBytes(SAFEARRAY* array);

#include "platform/SafeArray.h"

#include "platform/Variant.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

namespace {

// The element type lives just before the descriptor, as on Windows.
struct Block {
    DWORD vt;
    SAFEARRAY array;
};

Block* BlockOf(SAFEARRAY* a) { return reinterpret_cast<Block*>(reinterpret_cast<char*>(a) - offsetof(Block, array)); }

bool IsByteType(VARTYPE vt) { return vt == VT_UI1 || vt == VT_I1; }

constexpr ULONG MaxElements = std::numeric_limits<LONG>::max();

bool IndexOf(SAFEARRAY* a, LONG index, size_t* offset)
{
    const std::int64_t rel = std::int64_t(index) - a->rgsabound[0].lLbound;
    if (rel < 0 || rel >= std::int64_t(a->rgsabound[0].cElements))
        return false;
    *offset = static_cast<size_t>(rel);
    return true;
}

} // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, const SAFEARRAYBOUND* bounds)
{
    if (!IsByteType(vt) || cDims != 1 || !bounds || bounds->cElements > MaxElements)
        return nullptr;
    std::unique_ptr<Block> block(new (std::nothrow) Block{});
    if (!block)
        return nullptr;
    block->vt = vt;
    SAFEARRAY* a = &block->array;
    a->cDims = 1;
    a->fFeatures = FADF_HAVEVARTYPE;
    a->cbElements = 1;
    a->rgsabound[0] = *bounds;
    if (bounds->cElements) {
        a->pvData = std::calloc(bounds->cElements, 1);
        if (!a->pvData)
            return nullptr;
    }
    // The caller owns the array from here and frees it with SafeArrayDestroy.
    block.release();
    return a;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements)
{
    SAFEARRAYBOUND bound{elements, lowerBound};
    return SafeArrayCreate(vt, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* a)
{
    if (!a)
        return S_OK;
    if (a->cLocks)
        return DISP_E_ARRAYISLOCKED;
    std::free(a->pvData);
    delete BlockOf(a);
    return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* a, SAFEARRAY** out)
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    if (!a)
        return S_OK;
    SAFEARRAY* copy = SafeArrayCreate(static_cast<VARTYPE>(BlockOf(a)->vt), 1, a->rgsabound);
    if (!copy)
        return E_OUTOFMEMORY;
    if (a->rgsabound[0].cElements)
        std::memcpy(copy->pvData, a->pvData, a->rgsabound[0].cElements);
    *out = copy;
    return S_OK;
}

HRESULT SafeArrayRedim(SAFEARRAY* a, const SAFEARRAYBOUND* bound)
{
    if (!a || !bound || bound->cElements > MaxElements)
        return E_INVALIDARG;
    if (a->cLocks)
        return DISP_E_ARRAYISLOCKED;
    const ULONG old = a->rgsabound[0].cElements;
    void* data = nullptr;
    if (bound->cElements) {
        data = std::calloc(bound->cElements, 1);
        if (!data)
            return E_OUTOFMEMORY;
        if (old)
            std::memcpy(data, a->pvData, std::min(old, bound->cElements));
    }
    std::free(a->pvData);
    a->pvData = data;
    a->rgsabound[0].cElements = bound->cElements;
    return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* a) { return a ? a->cDims : 0; }
UINT SafeArrayGetElemsize(SAFEARRAY* a) { return a ? a->cbElements : 0; }

HRESULT SafeArrayGetVartype(SAFEARRAY* a, VARTYPE* vt)
{
    if (!a || !vt)
        return E_INVALIDARG;
    *vt = static_cast<VARTYPE>(BlockOf(a)->vt);
    return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* a, UINT dim, LONG* bound)
{
    if (!a || !bound)
        return E_INVALIDARG;
    if (dim != 1)
        return DISP_E_BADINDEX;
    *bound = a->rgsabound[0].lLbound;
    return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* a, UINT dim, LONG* bound)
{
    if (!a || !bound)
        return E_INVALIDARG;
    if (dim != 1)
        return DISP_E_BADINDEX;
    *bound = static_cast<LONG>(std::int64_t(a->rgsabound[0].lLbound) + a->rgsabound[0].cElements - 1);
    return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* a)
{
    if (!a)
        return E_INVALIDARG;
    if (a->cLocks == 0xFFFF)
        return E_UNEXPECTED;
    ++a->cLocks;
    return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* a)
{
    if (!a)
        return E_INVALIDARG;
    if (a->cLocks == 0)
        return E_UNEXPECTED;
    --a->cLocks;
    return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* a, void** data)
{
    if (!a || !data)
        return E_INVALIDARG;
    HRESULT hr = SafeArrayLock(a);
    if (FAILED(hr))
        return hr;
    *data = a->pvData;
    return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* a) { return SafeArrayUnlock(a); }

HRESULT SafeArrayGetElement(SAFEARRAY* a, const LONG* indices, void* value)
{
    if (!a || !indices || !value)
        return E_INVALIDARG;
    size_t offset = 0;
    if (!IndexOf(a, *indices, &offset))
        return DISP_E_BADINDEX;
    std::memcpy(value, static_cast<BYTE*>(a->pvData) + offset, 1);
    return S_OK;
}

HRESULT SafeArrayPutElement(SAFEARRAY* a, const LONG* indices, const void* value)
{
    if (!a || !indices || !value)
        return E_INVALIDARG;
    size_t offset = 0;
    if (!IndexOf(a, *indices, &offset))
        return DISP_E_BADINDEX;
    std::memcpy(static_cast<BYTE*>(a->pvData) + offset, value, 1);
    return S_OK;
}

SAFEARRAY* VkSafeArrayFromBytes(VARTYPE vt, const void* data, std::size_t size)
{
    if (size > MaxElements || (size && !data))
        return nullptr;
    SAFEARRAY* a = SafeArrayCreateVector(vt, 0, static_cast<ULONG>(size));
    if (a && size)
        std::memcpy(a->pvData, data, size);
    return a;
}

std::vector<BYTE> VkSafeArrayBytes(SAFEARRAY* a)
{
    if (!a || a->cbElements != 1 || !a->rgsabound[0].cElements)
        return {};
    const auto* p = static_cast<const BYTE*>(a->pvData);
    return std::vector<BYTE>(p, p + a->rgsabound[0].cElements);
}

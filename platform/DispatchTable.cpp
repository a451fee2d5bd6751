#include "platform/DispatchTable.h"

#include "platform/VkVariant.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <vector>

namespace {

bool SameNameNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

const VARIANT& EmptyVariant()
{
    static const VARIANT empty = [] {
        VARIANT v;
        VariantInit(&v);
        return v;
    }();
    return empty;
}

} // namespace

// ---- VkDispatchCall ----

VkDispatchCall::VkDispatchCall(DISPID id, WORD flags, LCID lcid, DISPPARAMS* params, VARIANT* result,
                               EXCEPINFO* excepInfo, UINT* argErr)
    : m_id(id), m_flags(flags), m_lcid(lcid), m_params(params), m_count(params ? params->cArgs : 0),
      m_result(result ? result : &m_scratch), m_excepInfo(excepInfo), m_argErr(argErr)
{
    VariantInit(&m_scratch);
}

VkDispatchCall::~VkDispatchCall() { VariantClear(&m_scratch); }

const VARIANT& VkDispatchCall::Arg(UINT i) const
{
    if (i >= m_count || !m_params->rgvarg)
        return EmptyVariant();
    return m_params->rgvarg[m_count - 1 - i];
}

bool VkDispatchCall::IsMissing(UINT i) const
{
    if (i >= m_count)
        return true;
    const VARIANT& v = Arg(i);
    return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND;
}

HRESULT VkDispatchCall::GetAs(UINT i, VARTYPE vt, VARIANT* out) const
{
    if (!out)
        return E_POINTER;
    if (IsMissing(i))
        return DISP_E_PARAMNOTFOUND;
    VkVariant tmp;
    HRESULT hr = VariantChangeTypeEx(&tmp, &Arg(i), m_lcid == LOCALE_INVARIANT ? LOCALE_INVARIANT : LOCALE_USER_DEFAULT,
                                     0, vt);
    if (FAILED(hr)) {
        if (m_argErr)
            *m_argErr = m_count - 1 - i;
        return hr;
    }
    return tmp.Detach(out);
}

HRESULT VkDispatchCall::GetText(UINT i, std::string* out) const
{
    VkVariant v;
    HRESULT hr = GetAs(i, VT_BSTR, &v);
    if (SUCCEEDED(hr))
        *out = VkBstrToUtf8(v.bstrVal);
    return hr;
}

HRESULT VkDispatchCall::GetBstr(UINT i, BSTR* out) const
{
    VkVariant v;
    HRESULT hr = GetAs(i, VT_BSTR, &v);
    if (SUCCEEDED(hr)) {
        *out = v.bstrVal;
        v.vt = VT_EMPTY;
    }
    return hr;
}

HRESULT VkDispatchCall::GetLong(UINT i, LONG* out) const
{
    VkVariant v;
    HRESULT hr = GetAs(i, VT_I4, &v);
    if (SUCCEEDED(hr))
        *out = v.lVal;
    return hr;
}

HRESULT VkDispatchCall::GetBool(UINT i, bool* out) const
{
    VkVariant v;
    HRESULT hr = GetAs(i, VT_BOOL, &v);
    if (SUCCEEDED(hr))
        *out = v.boolVal != VARIANT_FALSE;
    return hr;
}

HRESULT VkDispatchCall::GetVariant(UINT i, VARIANT* out) const
{
    if (!out)
        return E_POINTER;
    if (IsMissing(i))
        return DISP_E_PARAMNOTFOUND;
    return VariantCopyInd(out, &Arg(i));
}

HRESULT VkDispatchCall::GetObject(UINT i, IUnknown** out) const
{
    if (!out)
        return E_POINTER;
    if (IsMissing(i))
        return DISP_E_PARAMNOTFOUND;
    VkVariant v;
    HRESULT hr = VariantCopyInd(&v, &Arg(i));
    if (SUCCEEDED(hr) && v.vt != VT_UNKNOWN && v.vt != VT_DISPATCH)
        hr = DISP_E_TYPEMISMATCH;
    if (FAILED(hr)) {
        if (m_argErr)
            *m_argErr = m_count - 1 - i;
        return hr;
    }
    *out = v.punkVal;
    v.vt = VT_EMPTY; // the reference moves to the caller
    return S_OK;
}

HRESULT VkDispatchCall::ReturnText(const std::string& text) { return VkVariant(text).Detach(m_result); }
HRESULT VkDispatchCall::ReturnLong(LONG value) { return VkVariant(value).Detach(m_result); }
HRESULT VkDispatchCall::ReturnBool(bool value) { return VkVariant(value).Detach(m_result); }
HRESULT VkDispatchCall::ReturnVariant(const VARIANT& value) { return VkVariant(value).Detach(m_result); }
HRESULT VkDispatchCall::ReturnObject(IDispatch* object) { return VkVariant(object).Detach(m_result); }

HRESULT VkDispatchCall::Fail(HRESULT code, const std::string& description)
{
    if (m_excepInfo) {
        VkClearExcepInfo(m_excepInfo);
        m_excepInfo->scode = code;
        m_excepInfo->bstrDescription = VkBstrFromUtf8(description);
    }
    return DISP_E_EXCEPTION;
}

void VkClearExcepInfo(EXCEPINFO* info)
{
    if (!info)
        return;
    SysFreeString(info->bstrSource);
    SysFreeString(info->bstrDescription);
    SysFreeString(info->bstrHelpFile);
    std::memset(info, 0, sizeof *info);
}

// ---- VkDispatchTableBase ----

void VkDispatchTableBase::Add(DISPID id, const char* name, WORD kind, UINT minArgs, UINT maxArgs, Handler handler)
{
    m_entries.push_back(Entry{id, name ? name : "", kind, minArgs, maxArgs, std::move(handler)});
}

const VkDispatchTableBase::Entry* VkDispatchTableBase::Find(DISPID id, WORD kind) const
{
    for (const auto& e : m_entries)
        if (e.id == id && e.kind == kind)
            return &e;
    return nullptr;
}

const char* VkDispatchTableBase::NameOf(DISPID id) const
{
    for (const auto& e : m_entries)
        if (e.id == id)
            return e.name.c_str();
    return nullptr;
}

HRESULT VkDispatchTableBase::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) const
{
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    if (!ids || (count && !names))
        return E_POINTER;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i)
        ids[i] = DISPID_UNKNOWN;
    if (count == 0)
        return S_OK;
    const std::string wanted = VkOleToUtf8(names[0]);
    bool found = false;
    for (const auto& e : m_entries) {
        if (SameNameNoCase(e.name, wanted)) {
            ids[0] = e.id;
            found = true;
            break;
        }
    }
    if (!found || count > 1)
        hr = DISP_E_UNKNOWNNAME;
    return hr;
}

HRESULT VkDispatchTableBase::Invoke(void* self, DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                    VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) const
{
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    if (!params)
        params = &none;
    if (params->cArgs && !params->rgvarg)
        return E_INVALIDARG;

    const Entry* entry = nullptr;
    const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    if (put) {
        entry = Find(id, DISPATCH_PROPERTYPUT);
    } else {
        if (flags & DISPATCH_METHOD)
            entry = Find(id, DISPATCH_METHOD);
        if (!entry && (flags & DISPATCH_PROPERTYGET))
            entry = Find(id, DISPATCH_PROPERTYGET);
    }
    if (!entry)
        return DISP_E_MEMBERNOTFOUND;

    // The only named argument understood is the value of a property put.
    if (put) {
        if (params->cNamedArgs != 1 || !params->rgdispidNamedArgs ||
            params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            return params->cNamedArgs ? DISP_E_NONAMEDARGS : DISP_E_PARAMNOTOPTIONAL;
    } else if (params->cNamedArgs) {
        return DISP_E_NONAMEDARGS;
    }
    if (params->cArgs < entry->minArgs || params->cArgs > entry->maxArgs)
        return DISP_E_BADPARAMCOUNT;

    // Named arguments come first in rgvarg, so the put value (rgvarg[0])
    // is already the last argument in written order.
    // The caller's result must be initialised; an old value is freed.
    if (result)
        VariantClear(result);
    VkDispatchCall call(id, flags, lcid, params, result, excepInfo, argErr);
    try {
        return entry->handler(self, call);
    } catch (const std::exception& e) {
        return call.Fail(E_FAIL, e.what());
    } catch (...) {
        return call.Fail(E_FAIL, "unexpected failure");
    }
}

// ---- Callers ----

HRESULT VkInvoke(IDispatch* object, DISPID id, WORD flags, std::initializer_list<VARIANT> args, VARIANT* result,
                 EXCEPINFO* excepInfo)
{
    if (!object)
        return E_POINTER;
    std::vector<VARIANT> reversed(args.begin(), args.end());
    std::reverse(reversed.begin(), reversed.end());
    DISPID putId = DISPID_PROPERTYPUT;
    const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), put ? &putId : nullptr,
                      static_cast<UINT>(reversed.size()), put ? 1u : 0u};
    UINT argErr = 0;
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, excepInfo, &argErr);
}

HRESULT VkInvokeByName(IDispatch* object, const char* name, WORD flags, std::initializer_list<VARIANT> args,
                       VARIANT* result, EXCEPINFO* excepInfo)
{
    if (!object || !name)
        return E_POINTER;
    std::u16string wide = VkUtf8ToUtf16(name);
    LPOLESTR names[] = {wide.data()};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr))
        return hr;
    return VkInvoke(object, id, flags, args, result, excepInfo);
}

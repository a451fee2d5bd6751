#pragma once
// IDispatch from a table of members. A class lists its members once:
//
//   const VkDispatchTable<CThing>& CThing::DispatchTable()
//   {
//       static const VkDispatchTable<CThing> table = VkDispatchTable<CThing>()
//           .Method(1, "Connect", 2, 2, [](CThing& t, VkDispatchCall& c) { ... })
//           .Get(2, "Name", [](CThing& t, VkDispatchCall& c) { return c.ReturnText(t.m_name); })
//           .Put(2, "Name", [](CThing& t, VkDispatchCall& c) { return c.GetText(0, &t.m_name); });
//       return table;
//   }
//
// and derives from VkDispatchImpl<CThing, IThing> to answer IDispatch.
// Names compare without case. Invoke checks the interface (IID_NULL), the
// member and its kind (DISP_E_MEMBERNOTFOUND), the argument count
// (DISP_E_BADPARAMCOUNT) and named arguments (only the put value,
// DISP_E_NONAMEDARGS otherwise). The caller's result VARIANT must be
// initialised; a value it still holds is cleared. An exception leaving a handler becomes
// DISP_E_EXCEPTION with its text in the EXCEPINFO.

#include "platform/ComInterfaces.h"
#include "platform/Variant.h"
#include "platform/VkBstr.h"

#include <functional>
#include <string>
#include <vector>

class VkVariant;

// One call of a member: arguments in written order (0 is the first) and
// the result.
class VkDispatchCall {
public:
    VkDispatchCall(DISPID id, WORD flags, LCID lcid, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                   UINT* argErr);
    ~VkDispatchCall();
    VkDispatchCall(const VkDispatchCall&) = delete;
    VkDispatchCall& operator=(const VkDispatchCall&) = delete;

    DISPID Id() const { return m_id; }
    WORD Flags() const { return m_flags; }
    LCID Lcid() const { return m_lcid; }
    UINT Count() const { return m_count; }
    // The i-th argument as passed (an empty VARIANT beyond Count()).
    const VARIANT& Arg(UINT i) const;
    // True when the argument was left out (beyond Count(), or the
    // VT_ERROR / DISP_E_PARAMNOTFOUND marker for an omitted argument).
    bool IsMissing(UINT i) const;

    // The argument converted by the Windows rules. A failed conversion
    // answers its HRESULT and records the argument for puArgErr; a missing
    // argument answers DISP_E_PARAMNOTFOUND. *out is set only on success.
    HRESULT GetAs(UINT i, VARTYPE vt, VARIANT* out) const;
    HRESULT GetText(UINT i, std::string* out) const;
    HRESULT GetBstr(UINT i, BSTR* out) const; // the caller frees *out
    HRESULT GetLong(UINT i, LONG* out) const;
    HRESULT GetBool(UINT i, bool* out) const;
    // A copy of the argument's value (by-reference arguments dereferenced).
    HRESULT GetVariant(UINT i, VARIANT* out) const;
    // The argument's object (VT_UNKNOWN or VT_DISPATCH, possibly null),
    // AddRef'd for the caller.
    HRESULT GetObject(UINT i, IUnknown** out) const;

    // The result slot; never null (a scratch value when the caller wants
    // no result). Return* replace its content and answer S_OK.
    VARIANT* Result() { return m_result; }
    HRESULT ReturnText(const std::string& text);
    HRESULT ReturnLong(LONG value);
    HRESULT ReturnBool(bool value);
    HRESULT ReturnVariant(const VARIANT& value);
    // Hands an AddRef'd reference to the caller (VT_DISPATCH; null allowed).
    HRESULT ReturnObject(IDispatch* object);

    // Fills the EXCEPINFO (when the caller gave one) and answers
    // DISP_E_EXCEPTION; code goes into its scode.
    HRESULT Fail(HRESULT code, const std::string& description);

private:
    DISPID m_id;
    WORD m_flags;
    LCID m_lcid;
    DISPPARAMS* m_params;
    UINT m_count;
    VARIANT* m_result;
    VARIANT m_scratch;
    EXCEPINFO* m_excepInfo;
    UINT* m_argErr;
};

class VkDispatchTableBase {
public:
    using Handler = std::function<HRESULT(void* self, VkDispatchCall& call)>;

    // kind: DISPATCH_METHOD, DISPATCH_PROPERTYGET or DISPATCH_PROPERTYPUT
    // (a put handler also serves DISPATCH_PROPERTYPUTREF). A member may
    // have one handler of each kind under one DISPID and name.
    void Add(DISPID id, const char* name, WORD kind, UINT minArgs, UINT maxArgs, Handler handler);

    // names[0] is a member name; parameter names (names[1..]) are not known
    // and get DISPID_UNKNOWN with DISP_E_UNKNOWNNAME.
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) const;
    HRESULT Invoke(void* self, DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excepInfo, UINT* argErr) const;
    // The member's name; null for an unknown DISPID.
    const char* NameOf(DISPID id) const;

private:
    struct Entry {
        DISPID id;
        std::string name;
        WORD kind;
        UINT minArgs;
        UINT maxArgs;
        Handler handler;
    };
    const Entry* Find(DISPID id, WORD kind) const;

    std::vector<Entry> m_entries;
};

template <class T>
class VkDispatchTable : public VkDispatchTableBase {
public:
    using Fn = std::function<HRESULT(T& self, VkDispatchCall& call)>;

    // A method taking minArgs..maxArgs arguments.
    VkDispatchTable& Method(DISPID id, const char* name, UINT minArgs, UINT maxArgs, Fn fn)
    {
        Add(id, name, DISPATCH_METHOD, minArgs, maxArgs, Wrap(std::move(fn)));
        return *this;
    }
    // A property read with `indexArgs` index arguments (usually none).
    VkDispatchTable& Get(DISPID id, const char* name, Fn fn, UINT indexArgs = 0)
    {
        Add(id, name, DISPATCH_PROPERTYGET, indexArgs, indexArgs, Wrap(std::move(fn)));
        return *this;
    }
    // A property write: the index arguments, then the new value last.
    VkDispatchTable& Put(DISPID id, const char* name, Fn fn, UINT indexArgs = 0)
    {
        Add(id, name, DISPATCH_PROPERTYPUT, indexArgs + 1, indexArgs + 1, Wrap(std::move(fn)));
        return *this;
    }

    // Members of the usual dual-interface shapes, without arguments or with
    // one out value (handed back as the result) or one text put.
    VkDispatchTable& MethodOf(DISPID id, const char* name, HRESULT (T::*fn)())
    {
        return Method(id, name, 0, 0, [fn](T& self, VkDispatchCall&) { return (self.*fn)(); });
    }
    VkDispatchTable& MethodOf(DISPID id, const char* name, HRESULT (T::*fn)(VARIANT_BOOL*))
    {
        return Method(id, name, 0, 0, OutBool(fn));
    }
    VkDispatchTable& MethodOf(DISPID id, const char* name, HRESULT (T::*fn)(LONG*))
    {
        return Method(id, name, 0, 0, OutLong(fn));
    }
    VkDispatchTable& GetOf(DISPID id, const char* name, HRESULT (T::*fn)(LONG*)) { return Get(id, name, OutLong(fn)); }
    VkDispatchTable& GetOf(DISPID id, const char* name, HRESULT (T::*fn)(BSTR*))
    {
        return Get(id, name, [fn](T& self, VkDispatchCall& call) {
            BSTR value = nullptr;
            const HRESULT hr = (self.*fn)(&value);
            const VkBstr owned = VkBstr::Attach(value);
            return FAILED(hr) ? hr : call.ReturnText(owned.Utf8());
        });
    }
    VkDispatchTable& PutOf(DISPID id, const char* name, HRESULT (T::*fn)(BSTR))
    {
        return Put(id, name, [fn](T& self, VkDispatchCall& call) {
            BSTR value = nullptr;
            const HRESULT hr = call.GetBstr(0, &value);
            const VkBstr owned = VkBstr::Attach(value);
            return FAILED(hr) ? hr : (self.*fn)(value);
        });
    }

private:
    static Fn OutBool(HRESULT (T::*fn)(VARIANT_BOOL*))
    {
        return [fn](T& self, VkDispatchCall& call) {
            VARIANT_BOOL value = VARIANT_FALSE;
            const HRESULT hr = (self.*fn)(&value);
            return FAILED(hr) ? hr : call.ReturnBool(value != VARIANT_FALSE);
        };
    }
    static Fn OutLong(HRESULT (T::*fn)(LONG*))
    {
        return [fn](T& self, VkDispatchCall& call) {
            LONG value = 0;
            const HRESULT hr = (self.*fn)(&value);
            return FAILED(hr) ? hr : call.ReturnLong(value);
        };
    }
    static Handler Wrap(Fn fn)
    {
        return [fn = std::move(fn)](void* self, VkDispatchCall& call) { return fn(*static_cast<T*>(self), call); };
    }
};

// IDispatch for Derived over Interface (IDispatch or an interface derived
// from it). Derived provides
//   static const VkDispatchTable<Derived>& DispatchTable();
template <class Derived, class Interface>
class VkDispatchImpl : public Interface {
public:
    using BaseInterface = Interface;

    HRESULT GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) override
    {
        if (info)
            *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        return Derived::DispatchTable().GetIDsOfNames(riid, names, count, ids);
    }
    HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excepInfo, UINT* argErr) override
    {
        return Derived::DispatchTable().Invoke(static_cast<Derived*>(this), id, riid, lcid, flags, params, result,
                                               excepInfo, argErr);
    }
};

// Calls a dispatch member: arguments in written order. For a property put
// the value is the last argument and is passed as the named
// DISPID_PROPERTYPUT argument, as Windows callers do.
HRESULT VkInvoke(IDispatch* object, DISPID id, WORD flags, std::initializer_list<VARIANT> args = {},
                 VARIANT* result = nullptr, EXCEPINFO* excepInfo = nullptr);
// Looks the name up with GetIDsOfNames first.
HRESULT VkInvokeByName(IDispatch* object, const char* name, WORD flags, std::initializer_list<VARIANT> args = {},
                       VARIANT* result = nullptr, EXCEPINFO* excepInfo = nullptr);
// Frees the strings of an EXCEPINFO.
void VkClearExcepInfo(EXCEPINFO* info);

#pragma once
// The key object: IVkRegKey with its two iterators (IVkRegKeyIter over the
// sub-keys, IVkRegValueIter over the values) over one key of a key tree.

#include "registry/CVkRegDispatch.h"
#include "registry/IVkReg.h"
#include "registry/VkRegKeyNode.h"

#include <atomic>

class CVkRegKey final : public IVkRegKey {
public:
    // A new object over node with one reference, for handing out.
    static CVkRegKey* Wrap(VkRegKeyPtr node);
    // For the class factory: a new empty key of its own.
    static HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object);
    // The tree behind a key interface of this module; null for others.
    static VkRegKeyPtr NodeOf(IVkRegKey* key);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excepInfo, UINT* argErr) override;

    HRESULT get_Value(BSTR name, VARIANT* data) override;
    HRESULT put_Value(BSTR name, VARIANT data) override;
    HRESULT get_Values(LONG* count) override;
    HRESULT get_Keys(LONG* count) override;
    HRESULT ValueObject(BSTR name, IVkRegValue** value) override;
    HRESULT Key(BSTR name, IVkRegKey** key) override;
    HRESULT TraverseKeyFind(BSTR name, IVkRegKey** key) override;
    HRESULT TraverseValueFind(BSTR name, IVkRegValue** value) override;
    HRESULT AddKey(BSTR name, IVkRegKey** key) override;
    HRESULT AddKeyObject(IVkRegKey* key) override;
    HRESULT RemoveKey(BSTR name, IVkRegKey** key) override;
    HRESULT RemoveValue(BSTR name, IVkRegValue** value) override;
    HRESULT get_Name(BSTR* name) override;
    HRESULT put_Name(BSTR name) override;
    HRESULT get_ValueExists(BSTR name, VARIANT_BOOL* exists) override;
    HRESULT get_KeyExists(BSTR name, VARIANT_BOOL* exists) override;
    HRESULT Clear() override;
    HRESULT RemoveAllValues() override;
    HRESULT RemoveAllKeys() override;

private:
    explicit CVkRegKey(VkRegKeyPtr node);
    ~CVkRegKey();

    // An iterator interface on the same object; its dispatch has Reset [2]
    // and Next [4].
    template <class Iter, class Item>
    struct IterBase : Iter {
        explicit IterBase(CVkRegKey* owner) : m_owner(owner) {}
        HRESULT QueryInterface(REFIID riid, void** object) override { return m_owner->QueryInterface(riid, object); }
        ULONG AddRef() override { return m_owner->AddRef(); }
        ULONG Release() override { return m_owner->Release(); }
        HRESULT GetTypeInfoCount(UINT* count) override { return m_owner->GetTypeInfoCount(count); }
        HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override
        {
            return m_owner->GetTypeInfo(index, lcid, info);
        }
        HRESULT GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
        {
            static const CVkRegMember kMembers[] = {{"Reset", 2}, {"Next", 4}};
            return CVkRegNamesToIds(kMembers, names, count, ids);
        }
        HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                       UINT*) override
        {
            CVkRegArgs args(flags, params);
            HRESULT hr = args.Expect(0, 0);
            if (FAILED(hr))
                return hr;
            if (args.IsPut() || (id != 2 && id != 4))
                return DISP_E_MEMBERNOTFOUND;
            if (id == 2)
                return this->Reset();
            Item* item = nullptr;
            hr = this->Next(&item);
            CVkRegReturnObject(result, item);
            return hr;
        }
        CVkRegKey* m_owner;
    };
    struct KeyIter final : IterBase<IVkRegKeyIter, IVkRegKey> {
        using IterBase::IterBase;
        HRESULT Reset() override;
        HRESULT Next(IVkRegKey** key) override;
    };
    struct ValueIter final : IterBase<IVkRegValueIter, IVkRegValue> {
        using IterBase::IterBase;
        HRESULT Reset() override;
        HRESULT Next(IVkRegValue** value) override;
    };

    std::atomic<ULONG> m_refs{1};
    VkRegKeyPtr m_node;
    KeyIter m_keyIter;
    ValueIter m_valueIter;
};

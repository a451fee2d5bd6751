#pragma once
// The key object: IVkRegKey with its two iterators (IVkRegKeyIter over the
// sub-keys, IVkRegValueIter over the values) over one key of a key tree.

#include "registry/IVkReg.h"
#include "registry/VkRegKeyNode.h"

#include "platform/ComObject.h"
#include "platform/DispatchTable.h"

class CVkRegKey final : public VkComObject<CVkRegKey, VkDispatchImpl<CVkRegKey, IVkRegKey>> {
public:
    explicit CVkRegKey(VkRegKeyPtr node = std::make_shared<VkRegKeyNode>());

    // A new object over node with one reference, for handing out; null for
    // a null node.
    static IVkRegKey* Wrap(VkRegKeyPtr node);
    // The tree behind a key interface of this module; null for others.
    static VkRegKeyPtr NodeOf(IVkRegKey* key);
    static const VkDispatchTable<CVkRegKey>& DispatchTable();

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

protected:
    void* FindExtraInterface(REFIID riid) override;

private:
    // An iterator interface on the same object; its dispatch has Reset [2]
    // and Next [4].
    template <class Self, class Iter, class Item>
    struct IterBase : VkDispatchImpl<Self, Iter> {
        explicit IterBase(CVkRegKey* owner) : m_owner(owner) {}
        static const VkDispatchTable<Self>& DispatchTable()
        {
            static const VkDispatchTable<Self> table =
                VkDispatchTable<Self>()
                    .Method(2, "Reset", 0, 0, [](Self& self, VkDispatchCall&) { return self.Reset(); })
                    .Method(4, "Next", 0, 0, [](Self& self, VkDispatchCall& c) {
                        Item* item = nullptr;
                        HRESULT hr = self.Next(&item);
                        c.ReturnObject(item);
                        if (item)
                            item->Release();
                        return hr;
                    });
            return table;
        }
        HRESULT QueryInterface(REFIID riid, void** object) override { return m_owner->QueryInterface(riid, object); }
        ULONG AddRef() override { return m_owner->AddRef(); }
        ULONG Release() override { return m_owner->Release(); }

        CVkRegKey* m_owner;
    };
    struct KeyIter final : IterBase<KeyIter, IVkRegKeyIter, IVkRegKey> {
        using IterBase::IterBase;
        HRESULT Reset() override;
        HRESULT Next(IVkRegKey** key) override;
    };
    struct ValueIter final : IterBase<ValueIter, IVkRegValueIter, IVkRegValue> {
        using IterBase::IterBase;
        HRESULT Reset() override;
        HRESULT Next(IVkRegValue** value) override;
    };

    VkRegKeyPtr m_node;
    KeyIter m_keyIter;
    ValueIter m_valueIter;
};

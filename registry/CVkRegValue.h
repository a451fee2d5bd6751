#pragma once
// The value object: IVkRegValue and IVkRegSubValues over one value of a key
// tree (or a value of its own when created by class identifier).

#include "registry/IVkReg.h"
#include "registry/VkRegValueNode.h"

#include "platform/ComObject.h"
#include "platform/DispatchTable.h"

class CVkRegValue final : public VkComObject<CVkRegValue, VkDispatchImpl<CVkRegValue, IVkRegValue>> {
public:
    explicit CVkRegValue(VkRegValuePtr node = std::make_shared<VkRegValueNode>());

    // A new object over node with one reference, for handing out; null for
    // a null node.
    static IVkRegValue* Wrap(VkRegValuePtr node);
    static const VkDispatchTable<CVkRegValue>& DispatchTable();

    HRESULT get_Name(BSTR* name) override;
    HRESULT put_Name(BSTR name) override;
    HRESULT get_Value(VARIANT* data) override;
    HRESULT put_Value(VARIANT data) override;
    HRESULT get_Type(VkRegTypes* type) override;
    HRESULT put_Type(VkRegTypes type) override;

protected:
    void* FindExtraInterface(REFIID riid) override;

private:
    // IVkRegSubValues on the same object.
    struct SubValues final : VkDispatchImpl<SubValues, IVkRegSubValues> {
        explicit SubValues(CVkRegValue* owner) : m_owner(owner) {}
        static const VkDispatchTable<SubValues>& DispatchTable();

        HRESULT QueryInterface(REFIID riid, void** object) override { return m_owner->QueryInterface(riid, object); }
        ULONG AddRef() override { return m_owner->AddRef(); }
        ULONG Release() override { return m_owner->Release(); }
        HRESULT get_SubValue(LONG index, BSTR* part) override;
        HRESULT put_SubValue(LONG index, BSTR part) override;
        HRESULT get_Delimiters(BSTR* delimiters) override;
        HRESULT put_Delimiters(BSTR delimiters) override;
        HRESULT get_Parts(LONG* count) override;

        CVkRegValue* m_owner;
    };

    VkRegValuePtr m_node;
    SubValues m_subValues;
};

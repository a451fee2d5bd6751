#pragma once
// The value object: IVkRegValue and IVkRegSubValues over one value of a key
// tree (or a value of its own when created by class identifier).

#include "registry/CVkRegDispatch.h"
#include "registry/IVkReg.h"
#include "registry/VkRegValueNode.h"

#include <atomic>

class CVkRegValue final : public IVkRegValue {
public:
    // A new object over node with one reference, for handing out.
    static CVkRegValue* Wrap(VkRegValuePtr node);
    // For the class factory: a new value of its own.
    static HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object);

    const VkRegValuePtr& Node() const { return m_node; }

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excepInfo, UINT* argErr) override;

    HRESULT get_Name(BSTR* name) override;
    HRESULT put_Name(BSTR name) override;
    HRESULT get_Value(VARIANT* data) override;
    HRESULT put_Value(VARIANT data) override;
    HRESULT get_Type(VkRegTypes* type) override;
    HRESULT put_Type(VkRegTypes type) override;

private:
    explicit CVkRegValue(VkRegValuePtr node);
    ~CVkRegValue();

    // IVkRegSubValues on the same object.
    struct SubValues final : IVkRegSubValues {
        explicit SubValues(CVkRegValue* owner) : m_owner(owner) {}
        CVkRegValue* Owner() const { return m_owner; }
        HRESULT QueryInterface(REFIID riid, void** object) override { return Owner()->QueryInterface(riid, object); }
        ULONG AddRef() override { return Owner()->AddRef(); }
        ULONG Release() override { return Owner()->Release(); }
        HRESULT GetTypeInfoCount(UINT* count) override { return Owner()->GetTypeInfoCount(count); }
        HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override
        {
            return Owner()->GetTypeInfo(index, lcid, info);
        }
        HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
        HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                       EXCEPINFO* excepInfo, UINT* argErr) override;
        HRESULT get_SubValue(LONG index, BSTR* part) override;
        HRESULT put_SubValue(LONG index, BSTR part) override;
        HRESULT get_Delimiters(BSTR* delimiters) override;
        HRESULT put_Delimiters(BSTR delimiters) override;
        HRESULT get_Parts(LONG* count) override;

        CVkRegValue* m_owner;
    };

    std::atomic<ULONG> m_refs{1};
    VkRegValuePtr m_node;
    SubValues m_subValues;
};

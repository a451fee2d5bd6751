#pragma once
// The source object: IVkRegSource over a registry branch or an INI file.

#include "registry/CVkRegDispatch.h"
#include "registry/IVkReg.h"
#include "registry/VkRegSourceNode.h"

#include <atomic>

class CVkRegSource final : public IVkRegSource {
public:
    static HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excepInfo, UINT* argErr) override;

    HRESULT Read(BSTR applicationKey, IVkRegKey** key) override;
    HRESULT get_Source(VkRegSources* source) override;
    HRESULT put_Source(VkRegSources source) override;
    HRESULT get_HomePath(BSTR* path) override;
    HRESULT put_HomePath(BSTR path) override;
    HRESULT Write(IVkRegKey* key, VARIANT force) override;
    HRESULT WriteDefault(IVkRegKey* key, VARIANT force) override;
    HRESULT RemoveKey(IVkRegKey* key) override;

private:
    CVkRegSource();
    ~CVkRegSource();

    std::atomic<ULONG> m_refs{1};
    VkRegSourceNode m_source;
};

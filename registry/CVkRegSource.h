#pragma once
// The source object: IVkRegSource over a registry branch or an INI file.

#include "registry/IVkReg.h"
#include "registry/VkRegSourceNode.h"

#include "platform/ComObject.h"
#include "platform/DispatchTable.h"

class CVkRegSource final : public VkComObject<CVkRegSource, VkDispatchImpl<CVkRegSource, IVkRegSource>> {
public:
    CVkRegSource() = default;

    static const VkDispatchTable<CVkRegSource>& DispatchTable();

    HRESULT Read(BSTR applicationKey, IVkRegKey** key) override;
    HRESULT get_Source(VkRegSources* source) override;
    HRESULT put_Source(VkRegSources source) override;
    HRESULT get_HomePath(BSTR* path) override;
    HRESULT put_HomePath(BSTR path) override;
    HRESULT Write(IVkRegKey* key, VARIANT force) override;
    HRESULT WriteDefault(IVkRegKey* key, VARIANT force) override;
    HRESULT RemoveKey(IVkRegKey* key) override;

private:
    VkRegSourceNode m_source;
};

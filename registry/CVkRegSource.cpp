#include "registry/CVkRegSource.h"

#include "registry/CVkRegKey.h"

#include "platform/ComPtr.h"
#include "platform/VkBstr.h"
#include "platform/VkVariant.h"

namespace {

using Call = VkDispatchCall;

// Only the automation value true counts (an absent flag does not).
bool IsForced(const VARIANT& force)
{
    VkVariant value;
    LONG number = 0;
    return SUCCEEDED(VariantCopyInd(&value, &force)) && value.vt != VT_ERROR && SUCCEEDED(value.ToLong(&number)) &&
           number == VARIANT_TRUE;
}

// Write, WriteDefault and RemoveKey from a script: the key object, then the
// optional force flag.
VkDispatchTable<CVkRegSource>::Fn WithKey(int member)
{
    return [member](CVkRegSource& source, Call& c) {
        ComPtr<IUnknown> object;
        HRESULT hr = c.GetObject(0, object.ReleaseAndGetAddressOf());
        if (FAILED(hr))
            return hr;
        ComPtr<IVkRegKey> key;
        if (!object ||
            FAILED(object->QueryInterface(IID_IVkRegKey, reinterpret_cast<void**>(key.ReleaseAndGetAddressOf()))))
            return E_INVALIDARG;
        VkVariant force;
        if (!c.IsMissing(1))
            c.GetVariant(1, &force);
        switch (member) {
        case 4:
            return source.Write(key.Get(), force);
        case 5:
            return source.WriteDefault(key.Get(), force);
        default:
            return source.RemoveKey(key.Get());
        }
    };
}

} // namespace

const VkDispatchTable<CVkRegSource>& CVkRegSource::DispatchTable()
{
    static const VkDispatchTable<CVkRegSource> table =
        VkDispatchTable<CVkRegSource>()
            .Method(1, "Read", 1, 1,
                    [](CVkRegSource& source, Call& c) {
                        std::string name;
                        HRESULT hr = c.GetText(0, &name);
                        if (FAILED(hr))
                            return hr;
                        ComPtr<IVkRegKey> key;
                        key.Attach(CVkRegKey::Wrap(source.m_source.Read(name)));
                        c.ReturnObject(key.Get());
                        return key ? S_OK : S_FALSE;
                    })
            .Get(2, "Source", [](CVkRegSource& source, Call& c) { return c.ReturnLong(source.m_source.Source()); })
            .Put(2, "Source",
                 [](CVkRegSource& source, Call& c) {
                     LONG kind = 0;
                     HRESULT hr = c.GetLong(0, &kind);
                     return FAILED(hr) ? hr : source.m_source.SetSource(kind);
                 })
            .Get(3, "HomePath", [](CVkRegSource& source, Call& c) { return c.ReturnText(source.m_source.HomePath()); })
            .Put(3, "HomePath",
                 [](CVkRegSource& source, Call& c) {
                     std::string path;
                     HRESULT hr = c.GetText(0, &path);
                     if (SUCCEEDED(hr))
                         source.m_source.SetHomePath(path);
                     return hr;
                 })
            .Method(4, "Write", 1, 2, WithKey(4))
            .Method(5, "WriteDefault", 1, 2, WithKey(5))
            .Method(6, "RemoveKey", 1, 1, WithKey(6));
    return table;
}

HRESULT CVkRegSource::Read(BSTR applicationKey, IVkRegKey** key)
{
    if (!key)
        return E_POINTER;
    *key = CVkRegKey::Wrap(m_source.Read(VkBstrToUtf8(applicationKey)));
    return *key ? S_OK : S_FALSE;
}

HRESULT CVkRegSource::get_Source(VkRegSources* source)
{
    if (!source)
        return E_POINTER;
    *source = static_cast<VkRegSources>(m_source.Source());
    return S_OK;
}

HRESULT CVkRegSource::put_Source(VkRegSources source)
{
    return m_source.SetSource(source);
}

HRESULT CVkRegSource::get_HomePath(BSTR* path)
{
    if (!path)
        return E_POINTER;
    *path = VkBstrFromUtf8(m_source.HomePath());
    return S_OK;
}

HRESULT CVkRegSource::put_HomePath(BSTR path)
{
    m_source.SetHomePath(VkBstrToUtf8(path));
    return S_OK;
}

HRESULT CVkRegSource::Write(IVkRegKey* key, VARIANT force)
{
    if (!key)
        return E_POINTER;
    VkRegKeyPtr node = CVkRegKey::NodeOf(key);
    return node ? m_source.Write(node, IsForced(force)) : E_INVALIDARG;
}

HRESULT CVkRegSource::WriteDefault(IVkRegKey* key, VARIANT force)
{
    return Write(key, force);
}

HRESULT CVkRegSource::RemoveKey(IVkRegKey* key)
{
    if (!key)
        return E_POINTER;
    VkRegKeyPtr node = CVkRegKey::NodeOf(key);
    return node ? m_source.RemoveKey(node) : E_INVALIDARG;
}

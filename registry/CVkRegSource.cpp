#include "registry/CVkRegSource.h"

#include "registry/CVkRegKey.h"
#include "platform/ComObject.h"

namespace {

const CVkRegMember kSourceMembers[] = {{"Read", 1},  {"Source", 2},       {"HomePath", 3},
                                       {"Write", 4}, {"WriteDefault", 5}, {"RemoveKey", 6}};

// Only the automation value true counts (an absent flag does not).
bool IsForced(const VARIANT& force)
{
    VkVariant value;
    LONG number = 0;
    return SUCCEEDED(VariantCopyInd(&value, &force)) && value.vt != VT_ERROR && SUCCEEDED(value.ToLong(&number)) &&
           number == VARIANT_TRUE;
}

} // namespace

CVkRegSource::CVkRegSource()
{
    VkModuleLocal::Lock();
}

CVkRegSource::~CVkRegSource()
{
    VkModuleLocal::Unlock();
}

HRESULT CVkRegSource::CreateInstance(IUnknown* outer, REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    CVkRegSource* source = new CVkRegSource;
    HRESULT hr = source->QueryInterface(riid, object);
    source->Release();
    return hr;
}

HRESULT CVkRegSource::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IVkRegSource) {
        *object = static_cast<IVkRegSource*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CVkRegSource::AddRef()
{
    return ++m_refs;
}

ULONG CVkRegSource::Release()
{
    const ULONG refs = --m_refs;
    if (refs == 0)
        delete this;
    return refs;
}

HRESULT CVkRegSource::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CVkRegSource::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT CVkRegSource::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    return CVkRegNamesToIds(kSourceMembers, names, count, ids);
}

HRESULT CVkRegSource::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO*, UINT* argErr)
{
    CVkRegArgs args(flags, params);
    HRESULT hr = S_OK;
    switch (id) {
    case 1: {
        if (FAILED(hr = args.Expect(1, 1)))
            return hr;
        VkBstr name;
        if (FAILED(hr = args.Text(0, &name, argErr)))
            return hr;
        IVkRegKey* key = nullptr;
        hr = Read(name.Get(), &key);
        CVkRegReturnObject(result, key);
        return hr;
    }
    case 2:
        if (FAILED(hr = args.Expect(0, 0)))
            return hr;
        if (args.IsPut()) {
            LONG source = 0;
            hr = args.PutLong(&source, argErr);
            return FAILED(hr) ? hr : put_Source(static_cast<VkRegSources>(source));
        } else {
            VkRegSources source = sourceRegistry;
            hr = get_Source(&source);
            CVkRegReturnLong(result, source);
            return hr;
        }
    case 3:
        if (FAILED(hr = args.Expect(0, 0)))
            return hr;
        if (args.IsPut()) {
            VkBstr path;
            hr = args.PutText(&path, argErr);
            return FAILED(hr) ? hr : put_HomePath(path.Get());
        } else {
            BSTR path = nullptr;
            hr = get_HomePath(&path);
            CVkRegReturnText(result, path);
            return hr;
        }
    case 4:
    case 5:
    case 6: {
        if (FAILED(hr = args.Expect(1, id == 6 ? 1 : 2)))
            return hr;
        IVkRegKey* key = nullptr;
        if (FAILED(hr = args.Object(0, &key, argErr)))
            return hr;
        VkVariant force;
        args.Any(1, &force);
        hr = id == 4 ? Write(key, force) : id == 5 ? WriteDefault(key, force) : RemoveKey(key);
        if (key)
            key->Release();
        return hr;
    }
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
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
    if (!node)
        return E_INVALIDARG;
    return m_source.Write(node, IsForced(force));
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
    if (!node)
        return E_INVALIDARG;
    return m_source.RemoveKey(node);
}

#include "registry/CVkRegKey.h"

#include "platform/ComObject.h"
#include "registry/CVkRegValue.h"
#include "registry/VkRegVariantData.h"

namespace {

const CVkRegMember kKeyMembers[] = {
    {"Value", 0},           {"Values", 1},        {"Keys", 2},          {"ValueObject", 3},
    {"Key", 4},             {"TraverseKeyFind", 5}, {"TraverseValueFind", 6}, {"AddKey", 7},
    {"AddKeyObject", 8},    {"RemoveKey", 9},     {"RemoveValue", 10},  {"Name", 11},
    {"ValueExists", 12},    {"KeyExists", 13},    {"Clear", 14},        {"RemoveAllValues", 15},
    {"RemoveAllKeys", 16},
};

template <class I>
void Hand(I* object, I** out)
{
    *out = object;
}

// Hands a node out as a new key object; S_FALSE and null when there is none.
HRESULT HandKey(VkRegKeyPtr node, IVkRegKey** out)
{
    if (!out)
        return E_POINTER;
    *out = CVkRegKey::Wrap(std::move(node));
    return *out ? S_OK : S_FALSE;
}

HRESULT HandValue(VkRegValuePtr node, IVkRegValue** out)
{
    if (!out)
        return E_POINTER;
    *out = CVkRegValue::Wrap(std::move(node));
    return *out ? S_OK : S_FALSE;
}

} // namespace

CVkRegKey::CVkRegKey(VkRegKeyPtr node) : m_node(std::move(node)), m_keyIter(this), m_valueIter(this)
{
    VkModuleLocal::Lock();
}

CVkRegKey::~CVkRegKey()
{
    VkModuleLocal::Unlock();
}

CVkRegKey* CVkRegKey::Wrap(VkRegKeyPtr node)
{
    return node ? new CVkRegKey(std::move(node)) : nullptr;
}

HRESULT CVkRegKey::CreateInstance(IUnknown* outer, REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    CVkRegKey* key = Wrap(std::make_shared<VkRegKeyNode>());
    HRESULT hr = key->QueryInterface(riid, object);
    key->Release();
    return hr;
}

VkRegKeyPtr CVkRegKey::NodeOf(IVkRegKey* key)
{
    auto* ours = dynamic_cast<CVkRegKey*>(key);
    return ours ? ours->m_node : nullptr;
}

HRESULT CVkRegKey::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IVkRegKey)
        *object = static_cast<IVkRegKey*>(this);
    else if (riid == IID_IVkRegKeyIter)
        *object = static_cast<IVkRegKeyIter*>(&m_keyIter);
    else if (riid == IID_IVkRegValueIter)
        *object = static_cast<IVkRegValueIter*>(&m_valueIter);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG CVkRegKey::AddRef()
{
    return ++m_refs;
}

ULONG CVkRegKey::Release()
{
    const ULONG refs = --m_refs;
    if (refs == 0)
        delete this;
    return refs;
}

HRESULT CVkRegKey::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CVkRegKey::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT CVkRegKey::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    return CVkRegNamesToIds(kKeyMembers, names, count, ids);
}

HRESULT CVkRegKey::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                          UINT* argErr)
{
    CVkRegArgs args(flags, params);
    HRESULT hr = S_OK;
    const bool put = args.IsPut();
    // Members without arguments.
    if (id == 1 || id == 2 || (id >= 14 && id <= 16) || (id == 11 && !put)) {
        if (FAILED(hr = args.Expect(0, 0)))
            return hr;
        LONG count = 0;
        switch (id) {
        case 1:
            hr = get_Values(&count);
            CVkRegReturnLong(result, count);
            return hr;
        case 2:
            hr = get_Keys(&count);
            CVkRegReturnLong(result, count);
            return hr;
        case 11: {
            BSTR name = nullptr;
            hr = get_Name(&name);
            CVkRegReturnText(result, name);
            return hr;
        }
        case 14:
            return Clear();
        case 15:
            return RemoveAllValues();
        default:
            return RemoveAllKeys();
        }
    }
    if (id == 11) {
        VkBstr name;
        hr = args.PutText(&name, argErr);
        return FAILED(hr) ? hr : put_Name(name.Get());
    }
    if (id == 8) {
        if (FAILED(hr = args.Expect(1, 1)))
            return hr;
        IVkRegKey* key = nullptr;
        if (FAILED(hr = args.Object(0, &key, argErr)))
            return hr;
        hr = AddKeyObject(key);
        if (key)
            key->Release();
        return hr;
    }
    if (id < 0 || id > 13)
        return DISP_E_MEMBERNOTFOUND;
    // Members taking a name.
    if (FAILED(hr = args.Expect(1, 1)))
        return hr;
    VkBstr name;
    if (FAILED(hr = args.Text(0, &name, argErr)))
        return hr;
    switch (id) {
    case 0:
        if (put) {
            VkVariant data;
            hr = args.PutValue(&data);
            return FAILED(hr) ? hr : put_Value(name.Get(), data);
        } else {
            VkVariant data;
            hr = get_Value(name.Get(), &data);
            if (hr == S_OK && result)
                data.Detach(result);
            return hr;
        }
    case 3:
    case 6:
    case 10: {
        IVkRegValue* value = nullptr;
        hr = id == 3 ? ValueObject(name.Get(), &value)
                     : id == 6 ? TraverseValueFind(name.Get(), &value) : RemoveValue(name.Get(), &value);
        CVkRegReturnObject(result, value);
        return hr;
    }
    case 4:
    case 5:
    case 7:
    case 9: {
        IVkRegKey* key = nullptr;
        hr = id == 4   ? Key(name.Get(), &key)
             : id == 5 ? TraverseKeyFind(name.Get(), &key)
             : id == 7 ? AddKey(name.Get(), &key)
                       : RemoveKey(name.Get(), &key);
        CVkRegReturnObject(result, key);
        return hr;
    }
    case 12:
    case 13: {
        if (put)
            return DISP_E_MEMBERNOTFOUND;
        VARIANT_BOOL exists = VARIANT_FALSE;
        hr = id == 12 ? get_ValueExists(name.Get(), &exists) : get_KeyExists(name.Get(), &exists);
        CVkRegReturnBool(result, exists);
        return hr;
    }
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT CVkRegKey::get_Value(BSTR name, VARIANT* data)
{
    if (!data)
        return E_POINTER;
    VkRegDataPtr found;
    if (m_node->GetValue(VkBstrToUtf8(name), &found) != S_OK)
        return S_FALSE;
    VkVariant value;
    HRESULT hr = VkRegVariantData::ToVariant(found, &value);
    if (FAILED(hr))
        return hr;
    VariantClear(data);
    return value.Detach(data);
}

HRESULT CVkRegKey::put_Value(BSTR name, VARIANT data)
{
    VkVariant copy;
    HRESULT hr = VariantCopyInd(&copy, &data);
    if (FAILED(hr))
        return hr;
    m_node->PutValue(VkBstrToUtf8(name), VkRegVariantData::From(copy));
    return S_OK;
}

HRESULT CVkRegKey::get_Values(LONG* count)
{
    if (!count)
        return E_POINTER;
    *count = m_node->Values();
    return S_OK;
}

HRESULT CVkRegKey::get_Keys(LONG* count)
{
    if (!count)
        return E_POINTER;
    *count = m_node->Keys();
    return S_OK;
}

HRESULT CVkRegKey::ValueObject(BSTR name, IVkRegValue** value)
{
    return HandValue(m_node->ValueObject(VkBstrToUtf8(name)), value);
}

HRESULT CVkRegKey::Key(BSTR name, IVkRegKey** key)
{
    return HandKey(m_node->Key(VkBstrToUtf8(name)), key);
}

HRESULT CVkRegKey::TraverseKeyFind(BSTR name, IVkRegKey** key)
{
    return HandKey(m_node->TraverseKeyFind(VkBstrToUtf8(name)), key);
}

HRESULT CVkRegKey::TraverseValueFind(BSTR name, IVkRegValue** value)
{
    return HandValue(m_node->TraverseValueFind(VkBstrToUtf8(name)), value);
}

HRESULT CVkRegKey::AddKey(BSTR name, IVkRegKey** key)
{
    if (!key)
        return E_POINTER;
    VkRegKeyPtr added = m_node->AddKey(VkBstrToUtf8(name));
    if (!added) {
        *key = nullptr;
        return E_INVALIDARG;
    }
    return HandKey(std::move(added), key);
}

HRESULT CVkRegKey::AddKeyObject(IVkRegKey* key)
{
    if (!key)
        return E_POINTER;
    return m_node->AddKeyObject(NodeOf(key));
}

HRESULT CVkRegKey::RemoveKey(BSTR name, IVkRegKey** key)
{
    if (!key)
        return E_POINTER;
    *key = nullptr;
    VkRegKeyPtr removed;
    HRESULT hr = m_node->RemoveKey(VkBstrToUtf8(name), &removed);
    if (hr == S_OK)
        Hand<IVkRegKey>(Wrap(std::move(removed)), key);
    return hr;
}

HRESULT CVkRegKey::RemoveValue(BSTR name, IVkRegValue** value)
{
    if (!value)
        return E_POINTER;
    *value = nullptr;
    VkRegValuePtr removed;
    HRESULT hr = m_node->RemoveValue(VkBstrToUtf8(name), &removed);
    if (hr == S_OK)
        Hand<IVkRegValue>(CVkRegValue::Wrap(std::move(removed)), value);
    return hr;
}

HRESULT CVkRegKey::get_Name(BSTR* name)
{
    if (!name)
        return E_POINTER;
    *name = VkBstrFromUtf8(m_node->Name());
    return S_OK;
}

HRESULT CVkRegKey::put_Name(BSTR name)
{
    m_node->SetName(VkBstrToUtf8(name));
    return S_OK;
}

HRESULT CVkRegKey::get_ValueExists(BSTR name, VARIANT_BOOL* exists)
{
    if (!exists)
        return E_POINTER;
    *exists = m_node->ValueExists(VkBstrToUtf8(name)) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT CVkRegKey::get_KeyExists(BSTR name, VARIANT_BOOL* exists)
{
    if (!exists)
        return E_POINTER;
    *exists = m_node->KeyExists(VkBstrToUtf8(name)) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT CVkRegKey::Clear()
{
    m_node->Clear();
    return S_OK;
}

HRESULT CVkRegKey::RemoveAllValues()
{
    m_node->RemoveAllValues();
    return S_OK;
}

HRESULT CVkRegKey::RemoveAllKeys()
{
    m_node->RemoveAllKeys();
    return S_OK;
}

HRESULT CVkRegKey::KeyIter::Reset()
{
    m_owner->m_node->ResetKeys();
    return S_OK;
}

HRESULT CVkRegKey::KeyIter::Next(IVkRegKey** key)
{
    return HandKey(m_owner->m_node->NextKey(), key);
}

HRESULT CVkRegKey::ValueIter::Reset()
{
    m_owner->m_node->ResetValues();
    return S_OK;
}

HRESULT CVkRegKey::ValueIter::Next(IVkRegValue** value)
{
    return HandValue(m_owner->m_node->NextValue(), value);
}

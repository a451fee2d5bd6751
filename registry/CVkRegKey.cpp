#include "registry/CVkRegKey.h"

#include "registry/CVkRegValue.h"
#include "registry/VkRegVariantData.h"

#include "platform/ComPtr.h"
#include "platform/VkBstr.h"
#include "platform/VkVariant.h"

namespace {

using Call = VkDispatchCall;

// Hands a node out as a new object; S_FALSE and null when there is none.
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

// A member taking a name and answering an object (key or value).
template <class Item>
VkDispatchTable<CVkRegKey>::Fn ObjectByName(HRESULT (CVkRegKey::*member)(BSTR, Item**))
{
    return [member](CVkRegKey& key, Call& c) {
        BSTR name = nullptr;
        HRESULT hr = c.GetBstr(0, &name);
        if (FAILED(hr))
            return hr;
        ComPtr<Item> item;
        hr = (key.*member)(name, item.ReleaseAndGetAddressOf());
        SysFreeString(name);
        c.ReturnObject(item.Get());
        return hr;
    };
}

VkDispatchTable<CVkRegKey>::Fn ExistsByName(HRESULT (CVkRegKey::*member)(BSTR, VARIANT_BOOL*))
{
    return [member](CVkRegKey& key, Call& c) {
        BSTR name = nullptr;
        HRESULT hr = c.GetBstr(0, &name);
        if (FAILED(hr))
            return hr;
        VARIANT_BOOL exists = VARIANT_FALSE;
        hr = (key.*member)(name, &exists);
        SysFreeString(name);
        c.ReturnBool(exists != VARIANT_FALSE);
        return hr;
    };
}

} // namespace

CVkRegKey::CVkRegKey(VkRegKeyPtr node) : m_node(std::move(node)), m_keyIter(this), m_valueIter(this) {}

IVkRegKey* CVkRegKey::Wrap(VkRegKeyPtr node)
{
    if (!node)
        return nullptr;
    auto* key = new CVkRegKey(std::move(node));
    key->AddRef();
    return key;
}

VkRegKeyPtr CVkRegKey::NodeOf(IVkRegKey* key)
{
    auto* ours = dynamic_cast<CVkRegKey*>(key);
    return ours ? ours->m_node : nullptr;
}

void* CVkRegKey::FindExtraInterface(REFIID riid)
{
    if (riid == IID_IVkRegKeyIter)
        return static_cast<IVkRegKeyIter*>(&m_keyIter);
    if (riid == IID_IVkRegValueIter)
        return static_cast<IVkRegValueIter*>(&m_valueIter);
    return nullptr;
}

const VkDispatchTable<CVkRegKey>& CVkRegKey::DispatchTable()
{
    static const VkDispatchTable<CVkRegKey> table =
        VkDispatchTable<CVkRegKey>()
            .Get(0, "Value",
                 [](CVkRegKey& key, Call& c) {
                     std::string name;
                     HRESULT hr = c.GetText(0, &name);
                     if (FAILED(hr))
                         return hr;
                     VkRegDataPtr data;
                     if (key.m_node->GetValue(name, &data) != S_OK)
                         return S_FALSE; // the result stays as it was
                     VkVariant value;
                     hr = VkRegVariantData::ToVariant(data, &value);
                     return FAILED(hr) ? hr : c.ReturnVariant(value);
                 },
                 1)
            .Put(0, "Value",
                 [](CVkRegKey& key, Call& c) {
                     BSTR name = nullptr;
                     VkVariant data;
                     HRESULT hr = c.GetBstr(0, &name);
                     if (SUCCEEDED(hr))
                         hr = c.GetVariant(1, &data);
                     if (SUCCEEDED(hr))
                         hr = key.put_Value(name, data);
                     SysFreeString(name);
                     return hr;
                 },
                 1)
            .Get(1, "Values", [](CVkRegKey& key, Call& c) { return c.ReturnLong(key.m_node->Values()); })
            .Get(2, "Keys", [](CVkRegKey& key, Call& c) { return c.ReturnLong(key.m_node->Keys()); })
            .Method(3, "ValueObject", 1, 1, ObjectByName(&CVkRegKey::ValueObject))
            .Method(4, "Key", 1, 1, ObjectByName(&CVkRegKey::Key))
            .Method(5, "TraverseKeyFind", 1, 1, ObjectByName(&CVkRegKey::TraverseKeyFind))
            .Method(6, "TraverseValueFind", 1, 1, ObjectByName(&CVkRegKey::TraverseValueFind))
            .Method(7, "AddKey", 1, 1, ObjectByName(&CVkRegKey::AddKey))
            .Method(8, "AddKeyObject", 1, 1,
                    [](CVkRegKey& key, Call& c) {
                        ComPtr<IUnknown> object;
                        HRESULT hr = c.GetObject(0, object.ReleaseAndGetAddressOf());
                        if (FAILED(hr))
                            return hr;
                        ComPtr<IVkRegKey> sub;
                        if (!object || FAILED(object->QueryInterface(
                                           IID_IVkRegKey, reinterpret_cast<void**>(sub.ReleaseAndGetAddressOf()))))
                            return E_INVALIDARG;
                        return key.AddKeyObject(sub.Get());
                    })
            .Method(9, "RemoveKey", 1, 1, ObjectByName(&CVkRegKey::RemoveKey))
            .Method(10, "RemoveValue", 1, 1, ObjectByName(&CVkRegKey::RemoveValue))
            .Get(11, "Name", [](CVkRegKey& key, Call& c) { return c.ReturnText(key.m_node->Name()); })
            .Put(11, "Name",
                 [](CVkRegKey& key, Call& c) {
                     std::string name;
                     HRESULT hr = c.GetText(0, &name);
                     if (SUCCEEDED(hr))
                         key.m_node->SetName(name);
                     return hr;
                 })
            .Get(12, "ValueExists", ExistsByName(&CVkRegKey::get_ValueExists), 1)
            .Get(13, "KeyExists", ExistsByName(&CVkRegKey::get_KeyExists), 1)
            .Method(14, "Clear", 0, 0, [](CVkRegKey& key, Call&) { return key.Clear(); })
            .Method(15, "RemoveAllValues", 0, 0, [](CVkRegKey& key, Call&) { return key.RemoveAllValues(); })
            .Method(16, "RemoveAllKeys", 0, 0, [](CVkRegKey& key, Call&) { return key.RemoveAllKeys(); });
    return table;
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
    *key = nullptr;
    VkRegKeyPtr added = m_node->AddKey(VkBstrToUtf8(name));
    return added ? HandKey(std::move(added), key) : E_INVALIDARG;
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
    return hr == S_OK ? HandKey(std::move(removed), key) : hr;
}

HRESULT CVkRegKey::RemoveValue(BSTR name, IVkRegValue** value)
{
    if (!value)
        return E_POINTER;
    *value = nullptr;
    VkRegValuePtr removed;
    HRESULT hr = m_node->RemoveValue(VkBstrToUtf8(name), &removed);
    return hr == S_OK ? HandValue(std::move(removed), value) : hr;
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

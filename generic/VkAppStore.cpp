#include "generic/VkAppStore.h"

#include "generic/CBlowfish.h"
#include "generic/VkStoreChangedEvent.h"

#include "platform/ComRuntime.h"
#include "platform/SafeArray.h"
#include "platform/VkBstr.h"
#include "platform/VkVariant.h"

#include <QCoreApplication>
#include <QObject>

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

// Every store in every module encrypts with this key.
constexpr char kStoreKey[] = "WyDelnGarp";

bool IsByteArray(const VARIANT& v)
{
    return v.vt == (VT_ARRAY | VT_UI1) || v.vt == (VT_ARRAY | VT_I1);
}

} // namespace

VkAppStore::VkAppStore() = default;

VkAppStore::VkAppStore(const char* companyPath, const char* applicationKey, const char* root)
{
    if (companyPath && applicationKey)
        Open(companyPath, applicationKey, root);
}

VkAppStore::~VkAppStore()
{
    Close(true);
}

void VkAppStore::Initialise() {}

void VkAppStore::Open(const char* companyPath, const char* applicationKey, const char* root)
{
    Close(true);
    const std::string home =
        std::string(root ? root : "HKEY_CURRENT_USER\\Software") + "\\" + (companyPath ? companyPath : "");
    ComPtr<IVkRegSource> source;
    if (FAILED(CoCreateInstance(CLSID_VkRegSource, nullptr, CLSCTX_ALL, IID_IVkRegSource,
                                reinterpret_cast<void**>(source.ReleaseAndGetAddressOf()))) ||
        !source)
        return;
    ComPtr<IVkRegKey> key;
    VkBstr homeText(home);
    VkBstr keyText(applicationKey ? applicationKey : "");
    if (SUCCEEDED(source->put_HomePath(homeText.Get())) &&
        SUCCEEDED(source->Read(keyText.Get(), key.ReleaseAndGetAddressOf())) && key) {
        m_source = source;
        m_appKey = key;
    }
}

void VkAppStore::UpdateNow()
{
    if (!IsOpen())
        return;
    VkVariant noForce;
    m_source->Write(m_appKey.Get(), noForce);
}

void VkAppStore::Close(bool)
{
    UpdateNow();
    m_appKey = nullptr;
    m_source = nullptr;
}

ComPtr<IVkRegKey> VkAppStore::FindSection(const char* section) const
{
    if (!IsOpen())
        return nullptr;
    if (!section)
        return m_appKey;
    VkBstr path(section);
    VARIANT_BOOL exists = VARIANT_FALSE;
    ComPtr<IVkRegKey> key;
    if (FAILED(m_appKey->get_KeyExists(path.Get(), &exists)) || !exists ||
        m_appKey->Key(path.Get(), key.ReleaseAndGetAddressOf()) != S_OK)
        return nullptr;
    return key;
}

bool VkAppStore::GetData(const char* section, const char* name, VARIANT* data) const
{
    ComPtr<IVkRegKey> key = FindSection(section);
    if (!key)
        return false;
    VkBstr valueName(name ? name : "");
    VARIANT_BOOL exists = VARIANT_FALSE;
    return SUCCEEDED(key->get_ValueExists(valueName.Get(), &exists)) && exists &&
           key->get_Value(valueName.Get(), data) == S_OK;
}

std::string VkAppStore::GetString(const char* section, const char* name, const char* defaultValue) const
{
    const std::string fallback = defaultValue ? defaultValue : "";
    VkVariant data;
    if (!GetData(section, name, &data))
        return fallback;
    if (IsByteArray(data)) {
        const std::vector<BYTE> bytes = VkSafeArrayBytes(data.parray);
        const auto end = std::find(bytes.begin(), bytes.end(), BYTE(0));
        return std::string(bytes.begin(), end);
    }
    if (FAILED(VariantChangeType(&data, &data, 0, VT_BSTR)))
        return fallback;
    return VkBstrToUtf8(data.bstrVal);
}

LONG VkAppStore::GetLong(const char* section, const char* name, LONG defaultValue) const
{
    VkVariant data;
    if (!GetData(section, name, &data) || FAILED(VariantChangeType(&data, &data, 0, VT_I4)))
        return defaultValue;
    return data.lVal;
}

int VkAppStore::GetBOOL(const char* section, const char* name, int defaultValue) const
{
    VkVariant data;
    if (!GetData(section, name, &data) || FAILED(VariantChangeType(&data, &data, 0, VT_BOOL)))
        return defaultValue;
    return data.boolVal ? 1 : 0;
}

bool VkAppStore::GetBool(const char* section, const char* name, bool defaultValue) const
{
    return GetBOOL(section, name, defaultValue ? 1 : 0) != 0;
}

RECT VkAppStore::GetRect(const char* section, const char* name, const RECT* defaultValue) const
{
    const RECT fallback = defaultValue ? *defaultValue : RECT{0, 0, 0, 0};
    ComPtr<IVkRegKey> key = FindSection(section);
    if (!key)
        return fallback;
    VkBstr valueName(name ? name : "");
    ComPtr<IVkRegValue> value;
    ComPtr<IVkRegSubValues> parts;
    RECT result = fallback;
    VARIANT_BOOL exists = VARIANT_FALSE;
    if (SUCCEEDED(key->get_ValueExists(valueName.Get(), &exists)) && exists &&
        key->ValueObject(valueName.Get(), value.ReleaseAndGetAddressOf()) == S_OK && value &&
        SUCCEEDED(value->QueryInterface(IID_IVkRegSubValues,
                                        reinterpret_cast<void**>(parts.ReleaseAndGetAddressOf()))) &&
        parts) {
        VkBstr comma(",");
        LONG count = 0;
        LONG edges[4] = {};
        bool ok = SUCCEEDED(parts->put_Delimiters(comma.Get())) && SUCCEEDED(parts->get_Parts(&count)) &&
                  count >= 4;
        for (LONG i = 0; ok && i < 4; ++i) {
            VkVariant part;
            part.vt = VT_BSTR;
            part.bstrVal = nullptr;
            ok = SUCCEEDED(parts->get_SubValue(i, &part.bstrVal)) &&
                 SUCCEEDED(VariantChangeType(&part, &part, 0, VT_I4));
            if (ok)
                edges[i] = part.lVal;
        }
        if (ok)
            result = RECT{edges[0], edges[1], edges[2], edges[3]};
    }
    return result;
}

DATE VkAppStore::GetDate(const char* section, const char* name, DATE defaultValue) const
{
    VkVariant data;
    if (!GetData(section, name, &data) || FAILED(VariantChangeType(&data, &data, 0, VT_DATE)))
        return defaultValue;
    return data.date;
}

std::string VkAppStore::GetEncryptedString(const char* section, const char* name, const char* defaultValue) const
{
    const std::string fallback = defaultValue ? defaultValue : "";
    VkVariant data;
    if (!GetData(section, name, &data) || !IsByteArray(data))
        return fallback;
    CBlowfish cipher(kStoreKey);
    return cipher.DecryptString(VkSafeArrayBytes(data.parray));
}

void VkAppStore::Put(const char* section, const char* name, VARIANT* data)
{
    if (!IsOpen() || !name) {
        VariantClear(data);
        return;
    }
    ComPtr<IVkRegKey> key = m_appKey;
    if (section) {
        VkBstr path(section);
        if (m_appKey->AddKey(path.Get(), key.ReleaseAndGetAddressOf()) != S_OK)
            key = nullptr;
    }
    bool put = false;
    if (key) {
        VkBstr valueName(name);
        put = SUCCEEDED(key->put_Value(valueName.Get(), *data));
    }
    VariantClear(data);
    if (put)
        Notify(name);
}

void VkAppStore::SetString(const char* section, const char* name, const char* text)
{
    VARIANT data;
    data.vt = VT_BSTR;
    data.bstrVal = VkBstrFromUtf8(text ? text : "");
    Put(section, name, &data);
}

void VkAppStore::SetLong(const char* section, const char* name, LONG value)
{
    VARIANT data;
    data.vt = VT_I4;
    data.lVal = value;
    Put(section, name, &data);
}

void VkAppStore::SetBOOL(const char* section, const char* name, int value)
{
    VARIANT data;
    data.vt = VT_BOOL;
    data.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    Put(section, name, &data);
}

void VkAppStore::SetBool(const char* section, const char* name, bool value)
{
    SetBOOL(section, name, value ? 1 : 0);
}

void VkAppStore::SetRect(const char* section, const char* name, const RECT& rect)
{
    const std::string text = std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
                             std::to_string(rect.right) + "," + std::to_string(rect.bottom);
    SetString(section, name, text.c_str());
}

void VkAppStore::SetDate(const char* section, const char* name, DATE date)
{
    VARIANT data;
    data.vt = VT_DATE;
    data.date = date;
    Put(section, name, &data);
}

void VkAppStore::SetEncryptedString(const char* section, const char* name, const char* text)
{
    CBlowfish cipher(kStoreKey);
    const std::vector<BYTE> record = cipher.EncryptString(text);
    VARIANT data;
    data.vt = VT_ARRAY | VT_I1;
    data.parray = VkSafeArrayFromBytes(VT_I1, record.data(), record.size());
    if (!data.parray)
        return;
    Put(section, name, &data);
}

void VkAppStore::RegisterChange(QObject* receiver, const char* name)
{
    if (!receiver || !name)
        return;
    auto& receivers = m_receivers[name];
    for (const QPointer<QObject>& known : receivers)
        if (known == receiver)
            return;
    receivers.emplace_back(receiver);
}

void VkAppStore::Notify(const char* name)
{
    auto it = m_receivers.find(name);
    if (it == m_receivers.end())
        return;
    auto& receivers = it->second;
    receivers.erase(std::remove_if(receivers.begin(), receivers.end(),
                                   [](const QPointer<QObject>& r) { return r.isNull(); }),
                    receivers.end());
    std::sort(receivers.begin(), receivers.end(), [](const QPointer<QObject>& a, const QPointer<QObject>& b) {
        return std::less<QObject*>()(a.data(), b.data());
    });
    // A receiver may register others or be destroyed while we call it: walk a copy.
    const std::vector<QPointer<QObject>> targets = receivers;
    for (const QPointer<QObject>& target : targets) {
        if (target.isNull())
            continue;
        VkStoreChangedEvent event(name);
        QCoreApplication::sendEvent(target.data(), &event);
    }
}

std::vector<std::string> VkAppStore::ValueNames(IVkRegKey* key)
{
    std::vector<std::string> names;
    ComPtr<IVkRegValueIter> values;
    if (!key
        || FAILED(key->QueryInterface(IID_IVkRegValueIter, reinterpret_cast<void**>(values.ReleaseAndGetAddressOf())))
        || !values)
        return names;
    values->Reset();
    for (;;) {
        ComPtr<IVkRegValue> value;
        if (values->Next(value.ReleaseAndGetAddressOf()) != S_OK || !value)
            break;
        VkBstr name;
        if (SUCCEEDED(value->get_Name(name.Out())) && !name.IsNull() && name.Length() > 0)
            names.push_back(name.Utf8());
    }
    return names;
}

ComPtr<IVkRegKey> VkAppStore::Section(const std::string& section) const
{
    ComPtr<IVkRegKey> key;
    const VkBstr name(section);
    if (!AppKey() || FAILED(AppKey()->AddKey(name.Get(), key.ReleaseAndGetAddressOf())))
        return nullptr;
    return key;
}

#include "framework/TwAppStoreSettings.h"

TwAppStoreSettings::TwAppStoreSettings(const std::string& company, const std::string& appKey)
    : m_store(company.c_str(), appKey.c_str(), nullptr)
{
}

std::string TwAppStoreSettings::GetString(const char* section, const char* name, const char* def)
{
    return m_store.GetString(section, name, def);
}

void TwAppStoreSettings::SetString(const char* section, const char* name, const std::string& value)
{
    m_store.SetString(section, name, value.c_str());
}

std::string TwAppStoreSettings::GetEncryptedString(const char* section, const char* name, const char* def)
{
    return m_store.GetEncryptedString(section, name, def);
}

void TwAppStoreSettings::SetEncryptedString(const char* section, const char* name, const std::string& value)
{
    m_store.SetEncryptedString(section, name, value.c_str());
}

LONG TwAppStoreSettings::GetLong(const char* section, const char* name, LONG def)
{
    return m_store.GetLong(section, name, def);
}

void TwAppStoreSettings::SetLong(const char* section, const char* name, LONG value)
{
    m_store.SetLong(section, name, value);
}

bool TwAppStoreSettings::GetBool(const char* section, const char* name, bool def)
{
    return m_store.GetBool(section, name, def);
}

void TwAppStoreSettings::SetBool(const char* section, const char* name, bool value)
{
    m_store.SetBool(section, name, value);
}

QRect TwAppStoreSettings::FromRECT(const RECT& r)
{
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

RECT TwAppStoreSettings::ToRECT(const QRect& r)
{
    return RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

QRect TwAppStoreSettings::GetRect(const char* section, const char* name, const QRect* def)
{
    RECT fallback{0, 0, 0, 0};
    if (def)
        fallback = ToRECT(*def);
    return FromRECT(m_store.GetRect(section, name, &fallback));
}

void TwAppStoreSettings::SetRect(const char* section, const char* name, const QRect& value)
{
    m_store.SetRect(section, name, ToRECT(value));
}

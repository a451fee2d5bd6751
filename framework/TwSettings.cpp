#include "framework/TwSettings.h"

#include "generic/CBlowfish.h"

#include <QByteArray>
#include <QString>

#include <cstdio>

std::string TwMemorySettings::Key(const char* section, const char* name)
{
    // Registry names ignore case.
    return QString::fromUtf8(section ? section : "").toLower().toStdString() + '\n' +
           QString::fromUtf8(name ? name : "").toLower().toStdString();
}

bool TwMemorySettings::Raw(const char* section, const char* name, std::string* text) const
{
    auto it = m_values.find(Key(section, name));
    if (it == m_values.end())
        return false;
    if (text)
        *text = it->second;
    return true;
}

std::string TwMemorySettings::GetString(const char* section, const char* name, const char* def)
{
    std::string text;
    return Raw(section, name, &text) ? text : std::string(def ? def : "");
}

void TwMemorySettings::SetString(const char* section, const char* name, const std::string& value)
{
    m_values[Key(section, name)] = value;
}

namespace {
constexpr char kMemoryKey[] = "TwMemorySettings";
}

std::string TwMemorySettings::GetEncryptedString(const char* section, const char* name, const char* def)
{
    std::string text;
    const std::string fallback = def ? def : "";
    if (!Raw(section, name, &text) || text.empty())
        return fallback;
    const QByteArray bytes = QByteArray::fromHex(QByteArray::fromStdString(text));
    // Digits that are not a whole record decrypt to nothing.
    if (bytes.toHex() != QByteArray::fromStdString(text).toLower())
        return fallback;
    CBlowfish cipher(kMemoryKey);
    const std::vector<BYTE> record(bytes.begin(), bytes.end());
    return cipher.DecryptString(record);
}

void TwMemorySettings::SetEncryptedString(const char* section, const char* name, const std::string& value)
{
    CBlowfish cipher(kMemoryKey);
    const std::vector<BYTE> record = cipher.EncryptString(value.c_str());
    m_values[Key(section, name)] =
        QByteArray(reinterpret_cast<const char*>(record.data()), static_cast<qsizetype>(record.size())).toHex().toStdString();
}

LONG TwMemorySettings::GetLong(const char* section, const char* name, LONG def)
{
    std::string text;
    if (!Raw(section, name, &text))
        return def;
    bool ok = false;
    const LONG value = QString::fromStdString(text).trimmed().toInt(&ok);
    return ok ? value : def;
}

void TwMemorySettings::SetLong(const char* section, const char* name, LONG value)
{
    m_values[Key(section, name)] = std::to_string(value);
}

bool TwMemorySettings::GetBool(const char* section, const char* name, bool def)
{
    std::string text;
    if (!Raw(section, name, &text))
        return def;
    const QString t = QString::fromStdString(text).trimmed();
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const int value = t.toInt(&ok);
    return ok ? value != 0 : def;
}

void TwMemorySettings::SetBool(const char* section, const char* name, bool value)
{
    m_values[Key(section, name)] = value ? "-1" : "0";
}

std::string TwMemorySettings::RectText(const QRect& r)
{
    return std::to_string(r.left()) + ',' + std::to_string(r.top()) + ',' + std::to_string(r.left() + r.width()) +
           ',' + std::to_string(r.top() + r.height());
}

bool TwMemorySettings::ParseRect(const std::string& text, QRect* rect)
{
    long l = 0, t = 0, r = 0, b = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%ld,%ld,%ld,%ld%c", &l, &t, &r, &b, &tail) != 4)
        return false;
    *rect = QRect(QPoint(int(l), int(t)), QPoint(int(r) - 1, int(b) - 1));
    return true;
}

QRect TwMemorySettings::GetRect(const char* section, const char* name, const QRect* def)
{
    std::string text;
    QRect rect;
    if (Raw(section, name, &text) && ParseRect(text, &rect))
        return rect;
    return def ? *def : QRect();
}

void TwMemorySettings::SetRect(const char* section, const char* name, const QRect& value)
{
    m_values[Key(section, name)] = RectText(value);
}

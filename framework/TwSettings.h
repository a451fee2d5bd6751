#pragma once
// The shell's view of its settings store: typed values in sections of the
// program's branch (a null section is the branch itself). Gets never fail
// (they answer the default); sets change memory until UpdateNow or Close.
// TwAppStoreSettings puts it on the registry through the settings store;
// tests use the memory store.

#include "platform/WinTypes.h"

#include <QRect>

#include <map>
#include <string>

class TwSettings {
public:
    virtual ~TwSettings() = default;

    virtual std::string GetString(const char* section, const char* name, const char* def) = 0;
    virtual void SetString(const char* section, const char* name, const std::string& value) = 0;
    virtual LONG GetLong(const char* section, const char* name, LONG def) = 0;
    virtual void SetLong(const char* section, const char* name, LONG value) = 0;
    virtual bool GetBool(const char* section, const char* name, bool def) = 0;
    virtual void SetBool(const char* section, const char* name, bool value) = 0;
    // Rectangles in Windows form: left, top, right, bottom; an empty
    // rectangle when missing and no default.
    virtual QRect GetRect(const char* section, const char* name, const QRect* def) = 0;
    virtual void SetRect(const char* section, const char* name, const QRect& value) = 0;
    // Text kept encrypted (a password among it); the default when missing
    // or not an encrypted value.
    virtual std::string GetEncryptedString(const char* section, const char* name, const char* def) = 0;
    virtual void SetEncryptedString(const char* section, const char* name, const std::string& value) = 0;
    // Writes the changes; the store stays open.
    virtual void UpdateNow() = 0;
    // Writes the changes and closes.
    virtual void Close() = 0;
};

// Settings kept in memory, with the value encodings of the registry store
// (booleans as "-1"/"0", rectangles as "l,t,r,b"), so that what a test reads
// back is what the registry would hold.
class TwMemorySettings : public TwSettings {
public:
    std::string GetString(const char* section, const char* name, const char* def) override;
    void SetString(const char* section, const char* name, const std::string& value) override;
    LONG GetLong(const char* section, const char* name, LONG def) override;
    void SetLong(const char* section, const char* name, LONG value) override;
    bool GetBool(const char* section, const char* name, bool def) override;
    void SetBool(const char* section, const char* name, bool value) override;
    QRect GetRect(const char* section, const char* name, const QRect* def) override;
    void SetRect(const char* section, const char* name, const QRect& value) override;
    // Kept as the hexadecimal digits of an encrypted record, so that the
    // text never lies in memory in clear.
    std::string GetEncryptedString(const char* section, const char* name, const char* def) override;
    void SetEncryptedString(const char* section, const char* name, const std::string& value) override;
    void UpdateNow() override { ++m_updates; }
    void Close() override { ++m_updates; m_closed = true; }

    // The stored text of a value; false when missing.
    bool Raw(const char* section, const char* name, std::string* text) const;
    bool Has(const char* section, const char* name) const { return Raw(section, name, nullptr); }
    int Updates() const { return m_updates; }
    bool IsClosed() const { return m_closed; }

    // The rectangle text "l,t,r,b" of a Qt rectangle and back.
    static std::string RectText(const QRect& rect);
    static bool ParseRect(const std::string& text, QRect* rect);

private:
    static std::string Key(const char* section, const char* name);

    std::map<std::string, std::string> m_values;
    int m_updates = 0;
    bool m_closed = false;
};

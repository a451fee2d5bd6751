#pragma once
// The shell's settings on the program's registry branch, through the
// settings store.

#include "framework/TwSettings.h"
#include "generic/VkAppStore.h"

class TwAppStoreSettings : public TwSettings {
public:
    // Opens company\appKey under the store's default root.
    TwAppStoreSettings(const std::string& company, const std::string& appKey);

    std::string GetString(const char* section, const char* name, const char* def) override;
    void SetString(const char* section, const char* name, const std::string& value) override;
    LONG GetLong(const char* section, const char* name, LONG def) override;
    void SetLong(const char* section, const char* name, LONG value) override;
    bool GetBool(const char* section, const char* name, bool def) override;
    void SetBool(const char* section, const char* name, bool value) override;
    QRect GetRect(const char* section, const char* name, const QRect* def) override;
    void SetRect(const char* section, const char* name, const QRect& value) override;
    std::string GetEncryptedString(const char* section, const char* name, const char* def) override;
    void SetEncryptedString(const char* section, const char* name, const std::string& value) override;
    void UpdateNow() override { m_store.UpdateNow(); }
    void Close() override { m_store.Close(true); }

    VkAppStore& Store() { return m_store; }

    // Windows rectangles (right and bottom exclusive) and Qt's.
    static QRect FromRECT(const RECT& r);
    static RECT ToRECT(const QRect& r);

private:
    VkAppStore m_store;
};

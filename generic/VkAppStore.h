#pragma once
// The settings store: one branch of the current user's registry (home path
// root + "\" + company path, then the application key), read once into a
// key tree of the registry automation module when opened. Get operations
// answer from the tree and never fail (a closed store, a missing section or
// value, or data that does not convert give the caller's default); Set
// operations change only the tree; UpdateNow, Close, a new Open or the
// destructor write the changed values back. Copies share the tree.
//
// Sections may span levels ("Login\Users"); a null section means the
// application key itself. A store is used from one thread at a time.

#include "registry/IVkReg.h"

#include "platform/ComPtr.h"
#include "platform/WinTypes.h"

#include <QPointer>

#include <map>
#include <string>
#include <vector>

class QObject;

class VkAppStore {
public:
    // A closed store.
    VkAppStore();
    // Opens the store when companyPath and applicationKey are both given;
    // root null means "HKEY_CURRENT_USER\Software".
    VkAppStore(const char* companyPath, const char* applicationKey, const char* root = nullptr);
    VkAppStore(const VkAppStore& other) = default;
    VkAppStore& operator=(const VkAppStore& other) = default;
    // Close(true).
    virtual ~VkAppStore();

    // A hook for derived stores; does nothing here.
    virtual void Initialise();

    // Closes (writing back) and opens the branch; the store stays closed when
    // the registry automation module is missing or the branch cannot be read.
    void Open(const char* companyPath, const char* applicationKey, const char* root = nullptr);
    // Writes the values set since they were read or last written.
    void UpdateNow();
    // Writes as UpdateNow and closes. The flag is kept for the callers' sake;
    // the write happens whatever it says.
    void Close(bool update = true);
    bool IsOpen() const { return m_source && m_appKey; }

    // The source and application key objects, not AddRef'd; null while closed.
    IVkRegSource* Source() const { return m_source.Get(); }
    IVkRegKey* AppKey() const { return m_appKey.Get(); }
    // The non-empty value names of key in the tree's order; empty for a null
    // key or one without values.
    static std::vector<std::string> ValueNames(IVkRegKey* key);
    // The key section below the branch, added to the tree when absent; null
    // for a closed store.
    ComPtr<IVkRegKey> Section(const std::string& section) const;

    std::string GetString(const char* section, const char* name, const char* defaultValue) const;
    void SetString(const char* section, const char* name, const char* text);
    LONG GetLong(const char* section, const char* name, LONG defaultValue) const;
    void SetLong(const char* section, const char* name, LONG value);
    int GetBOOL(const char* section, const char* name, int defaultValue) const;
    void SetBOOL(const char* section, const char* name, int value);
    bool GetBool(const char* section, const char* name, bool defaultValue) const;
    void SetBool(const char* section, const char* name, bool value);
    // All zero when defaultValue is null.
    RECT GetRect(const char* section, const char* name, const RECT* defaultValue) const;
    void SetRect(const char* section, const char* name, const RECT& rect);
    DATE GetDate(const char* section, const char* name, DATE defaultValue) const;
    void SetDate(const char* section, const char* name, DATE date);
    std::string GetEncryptedString(const char* section, const char* name, const char* defaultValue) const;
    void SetEncryptedString(const char* section, const char* name, const char* text);

    // After every Set of a value called name (in any section), receiver gets
    // a VkStoreChangedEvent, synchronously; receivers are called in ascending
    // order of their address, each once. A receiver that is destroyed is
    // dropped.
    void RegisterChange(QObject* receiver, const char* name);

private:
    // The value's data; false when the store is closed or there is no such
    // section or value.
    bool GetData(const char* section, const char* name, VARIANT* data) const;
    // The section's key, or null.
    ComPtr<IVkRegKey> FindSection(const char* section) const;
    // Puts data (which it clears) and notifies.
    void Put(const char* section, const char* name, VARIANT* data);
    void Notify(const char* name);

    ComPtr<IVkRegSource> m_source;
    ComPtr<IVkRegKey> m_appKey;
    std::map<std::string, std::vector<QPointer<QObject>>> m_receivers;
};

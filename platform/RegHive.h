#pragma once
// One hive file of the registry: a SQLite database holding a tree of keys
// and their typed values. Keys are addressed by id (ids are never reused,
// so a handle to a deleted key stays recognisable). Every call is one
// transaction: a change is durable when the call returns, and several
// processes may change one hive at once. Thread-safe.

#include "platform/WinTypes.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

class VkRegHive {
public:
    using KeyId = std::int64_t;
    static constexpr KeyId RootId = 1;
    // The deepest a key may lie below its hive's root, as on Windows.
    static constexpr int MaxDepth = 512;

    struct Info {
        DWORD subKeys = 0;
        DWORD maxSubKeyLen = 0;
        DWORD values = 0;
        DWORD maxValueNameLen = 0;
        DWORD maxValueLen = 0;
    };

    // The hive kept in file, opened on first use and shared afterwards (per
    // absolute path and process). Null with *error set when the file cannot
    // be opened or is not a hive.
    static std::shared_ptr<VkRegHive> Get(const std::filesystem::path& file, LONG* error);

    ~VkRegHive();
    VkRegHive(const VkRegHive&) = delete;
    VkRegHive& operator=(const VkRegHive&) = delete;

    const std::filesystem::path& File() const { return m_file; }

    // Walks names below from. With create, missing levels are made and
    // *created tells whether the last one was new. ERROR_FILE_NOT_FOUND when
    // a level is missing without create; ERROR_KEY_DELETED when from is gone;
    // ERROR_INVALID_PARAMETER, making nothing, when a key to be made would lie
    // deeper than MaxDepth.
    LONG Walk(KeyId from, const std::vector<std::string>& names, bool create, KeyId* id,
              bool* created = nullptr);
    LONG Exists(KeyId id);
    LONG QueryInfo(KeyId id, Info* info);
    // Sub-keys in case-insensitive name order; values in creation order.
    LONG EnumKey(KeyId id, DWORD index, std::string* name);
    LONG EnumValue(KeyId id, DWORD index, std::string* name, DWORD* type, std::string* data);
    LONG QueryValue(KeyId id, std::string_view name, DWORD* type, std::string* data);
    LONG SetValue(KeyId id, std::string_view name, DWORD type, std::string_view data);
    LONG DeleteValue(KeyId id, std::string_view name);
    // Deletes key id below its parent; with tree its whole sub-tree, else
    // only when it has no sub-keys (ERROR_ACCESS_DENIED). The root refuses.
    LONG DeleteKey(KeyId id, bool tree);
    // Removes every sub-key and value of id, keeping id itself.
    LONG Empty(KeyId id);
    // How deep id lies below the root (the root is 0).
    LONG Depth(KeyId id, int* depth);

    // A batch makes every call of this thread until CommitBatch or
    // RollbackBatch one transaction; other threads' calls wait for its end.
    // A call that fails inside a batch undoes only its own part.
    LONG BeginBatch();
    LONG CommitBatch();
    void RollbackBatch();

private:
    explicit VkRegHive(std::filesystem::path file);
    LONG Open();
    LONG OpenOnce();
    class Txn;

    std::filesystem::path m_file;
    sqlite3* m_db = nullptr;
    // Recursive: a batch holds it from its beginning to its end.
    std::recursive_mutex m_mutex;
    bool m_inBatch = false;
    int m_pid = 0;
    std::uint64_t m_inode = 0;
    std::uint64_t m_device = 0;
};

// ASCII upper-casing used for every name comparison.
std::string VkRegFoldName(std::string_view name);

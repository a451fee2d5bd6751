#include "platform/RegHive.h"

#include "platform/VkPrivateFiles.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Marks a database as one of our hives ("VkRg").
constexpr int HiveApplicationId = 0x566B5267;
constexpr int BusyTimeoutMs = 30000;

const char* const SchemaSql =
    "CREATE TABLE IF NOT EXISTS keys("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " parent INTEGER NOT NULL,"
    " name TEXT NOT NULL,"
    " uname TEXT NOT NULL,"
    " UNIQUE(parent, uname));"
    "CREATE TABLE IF NOT EXISTS vals("
    " seq INTEGER PRIMARY KEY AUTOINCREMENT,"
    " key INTEGER NOT NULL,"
    " name TEXT NOT NULL,"
    " uname TEXT NOT NULL,"
    " type INTEGER NOT NULL,"
    " data BLOB NOT NULL,"
    " UNIQUE(key, uname));"
    "INSERT OR IGNORE INTO keys(id, parent, name, uname) VALUES(1, 0, '', '');";

LONG ErrorFor(int rc, LONG otherwise)
{
    switch (rc & 0xff) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return ERROR_BADDB;
    case SQLITE_NOMEM:
        return ERROR_OUTOFMEMORY;
    case SQLITE_CANTOPEN:
        return ERROR_CANTOPEN;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return ERROR_BUSY;
    default:
        return otherwise;
    }
}

// Statements kept per connection between calls: a registry call runs a few
// short statements, and preparing them was most of its work. A hive's calls
// are serialised by its own mutex; the table has a lock of its own.
class KeptStatements {
public:
    // The kept statement for sql on db, taken out of the table; null if none.
    static sqlite3_stmt* Take(sqlite3* db, const char* sql)
    {
        std::lock_guard lock(Mutex());
        auto& table = Table();
        const auto it = table.find({db, sql});
        if (it == table.end())
            return nullptr;
        sqlite3_stmt* stmt = it->second;
        table.erase(it);
        return stmt;
    }
    // Keeps a statement that has been reset; one kept already wins.
    static void Give(sqlite3* db, const char* sql, sqlite3_stmt* stmt)
    {
        {
            std::lock_guard lock(Mutex());
            if (Table().emplace(std::make_pair(db, std::string(sql)), stmt).second)
                return;
        }
        sqlite3_finalize(stmt);
    }
    // Finalises db's statements; before it closes (sqlite3_close refuses a
    // connection with statements left).
    static void Forget(sqlite3* db)
    {
        std::lock_guard lock(Mutex());
        auto& table = Table();
        for (auto it = table.lower_bound({db, std::string()}); it != table.end() && it->first.first == db;) {
            sqlite3_finalize(it->second);
            it = table.erase(it);
        }
    }

private:
    using Key = std::pair<sqlite3*, std::string>;
    struct Less {
        using is_transparent = void;
        bool operator()(const Key& a, const Key& b) const { return a < b; }
        bool operator()(const Key& a, const std::pair<sqlite3*, const char*>& b) const
        {
            return a.first != b.first ? a.first < b.first : a.second.compare(b.second) < 0;
        }
        bool operator()(const std::pair<sqlite3*, const char*>& a, const Key& b) const
        {
            return a.first != b.first ? a.first < b.first : b.second.compare(a.second) > 0;
        }
    };
    static std::mutex& Mutex()
    {
        static std::mutex* mutex = new std::mutex; // outlives the hives' closing at exit
        return *mutex;
    }
    static std::map<Key, sqlite3_stmt*, Less>& Table()
    {
        static auto* table = new std::map<Key, sqlite3_stmt*, Less>;
        return *table;
    }
};

// A prepared statement, kept for the connection's next call when done.
class Stmt {
public:
    Stmt(sqlite3* db, const char* sql) : m_db(db), m_sql(sql)
    {
        m_stmt = KeptStatements::Take(db, sql);
        if (!m_stmt)
            m_rc = sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr);
    }
    ~Stmt()
    {
        if (!m_stmt)
            return;
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
        KeptStatements::Give(m_db, m_sql, m_stmt);
    }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;

    bool Ok() const { return m_rc == SQLITE_OK; }
    int Rc() const { return m_rc; }
    Stmt& Bind(int i, std::int64_t v)
    {
        sqlite3_bind_int64(m_stmt, i, v);
        return *this;
    }
    Stmt& Text(int i, std::string_view s)
    {
        sqlite3_bind_text(m_stmt, i, s.empty() ? "" : s.data(), static_cast<int>(s.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    Stmt& Blob(int i, std::string_view s)
    {
        sqlite3_bind_blob(m_stmt, i, s.empty() ? "" : s.data(), static_cast<int>(s.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step()
    {
        if (!m_stmt)
            return m_rc == SQLITE_OK ? SQLITE_ERROR : m_rc;
        m_rc = sqlite3_step(m_stmt);
        return m_rc;
    }
    std::int64_t Int(int col) const { return sqlite3_column_int64(m_stmt, col); }
    std::string Str(int col) const
    {
        const void* p = sqlite3_column_blob(m_stmt, col);
        int n = sqlite3_column_bytes(m_stmt, col);
        return p ? std::string(static_cast<const char*>(p), static_cast<size_t>(n)) : std::string();
    }

private:
    sqlite3* m_db;
    const char* m_sql;
    sqlite3_stmt* m_stmt = nullptr;
    int m_rc = SQLITE_OK;
};

bool StatFile(const std::filesystem::path& file, std::uint64_t* dev, std::uint64_t* ino)
{
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        return false;
    *dev = st.st_dev;
    *ino = st.st_ino;
    return true;
}

struct HiveCache {
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<VkRegHive>> hives;
    int pid = 0;
};

HiveCache& Cache()
{
    // Never destroyed: registry calls made by other static destructors
    // still find it. The closer below releases the connections at exit.
    static HiveCache* cache = new HiveCache;
    return *cache;
}

// Closes the hives at a normal exit of the process that opened them, so
// the write-ahead log is folded back into the hive file.
struct HiveCloser {
    ~HiveCloser()
    {
        HiveCache& c = Cache();
        std::lock_guard lock(c.mutex);
        if (c.pid == ::getpid())
            c.hives.clear();
    }
} s_closer;

} // namespace

std::string VkRegFoldName(std::string_view name)
{
    std::string out(name);
    for (char& ch : out)
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 'a' + 'A');
    return out;
}

namespace {

// Waits out another connection's write lock (or log recovery, which answers
// busy at once) for BEGIN.
int BeginWithRetry(sqlite3* db, bool write)
{
    // The busy handler covers nearly every wait; a few states of another
    // connection (log recovery) answer busy at once and pass soon.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(BusyTimeoutMs);
    for (int attempt = 0;; ++attempt) {
        const int rc = sqlite3_exec(db, write ? "BEGIN IMMEDIATE" : "BEGIN", nullptr, nullptr, nullptr);
        if ((rc != SQLITE_BUSY && rc != SQLITE_LOCKED) || std::chrono::steady_clock::now() > deadline)
            return rc;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(1 + attempt, 50)));
    }
}

} // namespace

// One transaction on the hive's connection; rolled back unless committed.
// Inside a batch it is a savepoint, so a failing call undoes its own part.
class VkRegHive::Txn {
public:
    Txn(sqlite3* db, bool write, bool inBatch) : m_db(db), m_nested(inBatch)
    {
        m_rc = m_nested ? sqlite3_exec(db, "SAVEPOINT call", nullptr, nullptr, nullptr) : BeginWithRetry(db, write);
    }
    ~Txn()
    {
        if (m_rc != SQLITE_OK || m_done)
            return;
        if (m_nested)
            sqlite3_exec(m_db, "ROLLBACK TO call; RELEASE call", nullptr, nullptr, nullptr);
        else
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    bool Ok() const { return m_rc == SQLITE_OK; }
    int Rc() const { return m_rc; }
    int Commit()
    {
        m_done = true;
        if (m_nested)
            return sqlite3_exec(m_db, "RELEASE call", nullptr, nullptr, nullptr);
        int rc = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return rc;
    }

private:
    sqlite3* m_db;
    bool m_nested;
    int m_rc;
    bool m_done = false;
};

std::shared_ptr<VkRegHive> VkRegHive::Get(const std::filesystem::path& file, LONG* error)
{
    std::error_code ec;
    std::filesystem::path abs = std::filesystem::absolute(file, ec);
    if (ec)
        abs = file;
    const std::string key = abs.lexically_normal().string();

    HiveCache& c = Cache();
    {
        std::lock_guard lock(c.mutex);
        if (c.pid != ::getpid()) {
            // A forked child must not touch its parent's connections; they are
            // abandoned unclosed (see the destructor).
            c.hives.clear();
            c.pid = ::getpid();
        }
        std::uint64_t dev = 0, ino = 0;
        const bool exists = StatFile(abs, &dev, &ino);
        auto it = c.hives.find(key);
        if (it != c.hives.end()) {
            if (exists && it->second->m_device == dev && it->second->m_inode == ino)
                return it->second;
            c.hives.erase(it); // deleted or replaced behind our back
        }
        // Forget hives whose files have gone (tests remove whole data roots).
        for (auto i = c.hives.begin(); i != c.hives.end();) {
            std::uint64_t d, n;
            if (!StatFile(i->first, &d, &n))
                i = c.hives.erase(i);
            else
                ++i;
        }
    }
    // Opening may wait and retry for another process: never under the
    // process-wide cache lock, which every registry call takes.
    std::shared_ptr<VkRegHive> hive(new VkRegHive(abs));
    LONG rc = hive->Open();
    if (rc != ERROR_SUCCESS) {
        if (error)
            *error = rc;
        return nullptr;
    }
    std::lock_guard lock(c.mutex);
    // Another thread may have opened the same hive meanwhile: one wins.
    return c.hives.emplace(key, hive).first->second;
}

VkRegHive::VkRegHive(std::filesystem::path file) : m_file(std::move(file)), m_pid(::getpid()) {}

VkRegHive::~VkRegHive()
{
    // Closing a connection inherited through fork() would disturb the
    // parent's locks and log; a child leaves it alone.
    if (m_db && m_pid == ::getpid()) {
        KeptStatements::Forget(m_db);
        sqlite3_close(m_db);
    }
}

LONG VkRegHive::Open()
{
    // Processes opening a new hive at the same moment can find it busy
    // while another one sets it up, even past the busy handler; that passes.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(BusyTimeoutMs);
    for (int attempt = 0;; ++attempt) {
        LONG rc = OpenOnce();
        if (rc != ERROR_BUSY || std::chrono::steady_clock::now() > deadline)
            return rc;
        KeptStatements::Forget(m_db);
        sqlite3_close(m_db);
        m_db = nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(2 + attempt, 50)));
    }
}

LONG VkRegHive::OpenOnce()
{
    // Made here first, 0600: SQLite gives its log files the hive's mode.
    VkTouchPrivate(m_file);
    int rc = sqlite3_open_v2(m_file.c_str(), &m_db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                             nullptr);
    if (rc != SQLITE_OK)
        return ErrorFor(rc, ERROR_CANTOPEN);
    sqlite3_busy_timeout(m_db, BusyTimeoutMs);
    sqlite3_extended_result_codes(m_db, 0);

    // Reading the header first refuses a file that is no database at all.
    auto readAppId = [this](int* appId) {
        Stmt s(m_db, "PRAGMA application_id");
        int src = s.Step();
        if (src == SQLITE_ROW)
            *appId = static_cast<int>(s.Int(0));
        return src;
    };
    int appId = 0;
    if (int src = readAppId(&appId); src != SQLITE_ROW)
        return ErrorFor(src, ERROR_BADDB);
    rc = sqlite3_exec(m_db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        return ErrorFor(rc, ERROR_CANTOPEN);
    // FULL: a commit is on disk, not only in the log's page cache, when the
    // call returns.
    sqlite3_exec(m_db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    // The last process to close leaves the log files in place, emptied,
    // instead of deleting them for the next one to make again (any limit
    // empties the log at that close; a small one would cut it back after
    // every checkpoint as well).
    int persist = 1;
    sqlite3_file_control(m_db, "main", SQLITE_FCNTL_PERSIST_WAL, &persist);
    sqlite3_exec(m_db, "PRAGMA journal_size_limit=67108864", nullptr, nullptr, nullptr);
    if (appId != HiveApplicationId) {
        // Set up under the write lock, deciding again there: another
        // process may have set the hive up meanwhile.
        Txn t(m_db, true, m_inBatch);
        if (!t.Ok())
            return ErrorFor(t.Rc(), ERROR_CANTWRITE);
        if (int src = readAppId(&appId); src != SQLITE_ROW)
            return ErrorFor(src, ERROR_BADDB);
        if (appId != HiveApplicationId) {
            Stmt count(m_db, "SELECT count(*) FROM sqlite_master");
            if (int src = count.Step(); src != SQLITE_ROW)
                return ErrorFor(src, ERROR_BADDB);
            if (count.Int(0) != 0)
                return ERROR_BADDB; // some other database
            rc = sqlite3_exec(m_db, SchemaSql, nullptr, nullptr, nullptr);
            if (rc != SQLITE_OK)
                return ErrorFor(rc, ERROR_CANTWRITE);
            rc = sqlite3_exec(m_db, ("PRAGMA application_id=" + std::to_string(HiveApplicationId)).c_str(),
                              nullptr, nullptr, nullptr);
            if (rc != SQLITE_OK || (rc = t.Commit()) != SQLITE_OK)
                return ErrorFor(rc, ERROR_CANTWRITE);
        }
    }
    if (!StatFile(m_file, &m_device, &m_inode))
        return ERROR_CANTOPEN;
    return ERROR_SUCCESS;
}

namespace {

// ERROR_SUCCESS when the key exists, ERROR_KEY_DELETED when it is gone.
LONG CheckKey(sqlite3* db, VkRegHive::KeyId id)
{
    Stmt s(db, "SELECT 1 FROM keys WHERE id=?");
    int rc = s.Bind(1, id).Step();
    if (rc == SQLITE_ROW)
        return ERROR_SUCCESS;
    return rc == SQLITE_DONE ? ERROR_KEY_DELETED : ErrorFor(rc, ERROR_CANTREAD);
}

// Finds the child named name; ERROR_FILE_NOT_FOUND when there is none.
LONG FindChild(sqlite3* db, VkRegHive::KeyId parent, std::string_view name, VkRegHive::KeyId* id)
{
    Stmt s(db, "SELECT id FROM keys WHERE parent=? AND uname=?");
    int rc = s.Bind(1, parent).Text(2, VkRegFoldName(name)).Step();
    if (rc == SQLITE_ROW) {
        *id = s.Int(0);
        return ERROR_SUCCESS;
    }
    return rc == SQLITE_DONE ? ERROR_FILE_NOT_FOUND : ErrorFor(rc, ERROR_CANTREAD);
}

// How many levels id lies below the root; a hive damaged into a cycle
// answers a depth past any limit instead of looping.
LONG KeyDepth(sqlite3* db, VkRegHive::KeyId id, int* depth)
{
    Stmt s(db, "WITH RECURSIVE up(id, n) AS (SELECT ?1, 0 UNION ALL"
               " SELECT k.parent, up.n + 1 FROM keys k JOIN up ON k.id = up.id"
               " WHERE k.id <> 1 AND up.n <= 1000000)"
               " SELECT max(n) FROM up");
    const int rc = s.Bind(1, id).Step();
    if (rc != SQLITE_ROW)
        return ErrorFor(rc, ERROR_CANTREAD);
    *depth = static_cast<int>(s.Int(0));
    return ERROR_SUCCESS;
}

// The statements deleting a sub-tree; ?1 is where it starts.
const char* const DeleteTreeValues =
    "WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL"
    " SELECT k.id FROM keys k JOIN sub ON k.parent = sub.id)"
    " DELETE FROM vals WHERE key IN (SELECT id FROM sub)";
const char* const DeleteTreeKeys =
    "WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL"
    " SELECT k.id FROM keys k JOIN sub ON k.parent = sub.id)"
    " DELETE FROM keys WHERE id IN (SELECT id FROM sub) AND id <> 1";

LONG DeleteSubTree(sqlite3* db, VkRegHive::KeyId id, bool keepTop)
{
    int rc = Stmt(db, DeleteTreeValues).Bind(1, id).Step();
    if (rc != SQLITE_DONE)
        return ErrorFor(rc, ERROR_CANTWRITE);
    if (keepTop) {
        // Delete each child's tree; the top key itself stays.
        std::vector<VkRegHive::KeyId> children;
        Stmt s(db, "SELECT id FROM keys WHERE parent=?");
        s.Bind(1, id);
        while ((rc = s.Step()) == SQLITE_ROW)
            children.push_back(s.Int(0));
        if (rc != SQLITE_DONE)
            return ErrorFor(rc, ERROR_CANTWRITE);
        for (auto child : children) {
            rc = Stmt(db, DeleteTreeKeys).Bind(1, child).Step();
            if (rc != SQLITE_DONE)
                return ErrorFor(rc, ERROR_CANTWRITE);
        }
        return ERROR_SUCCESS;
    }
    rc = Stmt(db, DeleteTreeKeys).Bind(1, id).Step();
    return rc == SQLITE_DONE ? ERROR_SUCCESS : ErrorFor(rc, ERROR_CANTWRITE);
}

} // namespace

LONG VkRegHive::Walk(KeyId from, const std::vector<std::string>& names, bool create, KeyId* id,
                     bool* created)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (created)
        *created = false;
    // A read-only walk first: opening existing keys takes no write lock.
    {
        Txn t(m_db, false, m_inBatch);
        if (!t.Ok())
            return ErrorFor(t.Rc(), ERROR_CANTREAD);
        LONG rc = CheckKey(m_db, from);
        if (rc != ERROR_SUCCESS)
            return rc;
        KeyId cur = from;
        for (const auto& name : names) {
            rc = FindChild(m_db, cur, name, &cur);
            if (rc != ERROR_SUCCESS)
                break;
        }
        if (rc == ERROR_SUCCESS) {
            *id = cur;
            return ERROR_SUCCESS;
        }
        if (rc != ERROR_FILE_NOT_FOUND || !create)
            return rc;
    }
    Txn t(m_db, true, m_inBatch);
    if (!t.Ok())
        return ErrorFor(t.Rc(), ERROR_CANTWRITE);
    LONG rc = CheckKey(m_db, from);
    if (rc != ERROR_SUCCESS)
        return rc;
    int depth = 0;
    if ((rc = KeyDepth(m_db, from, &depth)) != ERROR_SUCCESS)
        return rc;
    KeyId cur = from;
    bool madeLast = false;
    for (const auto& name : names) {
        rc = FindChild(m_db, cur, name, &cur);
        madeLast = false;
        ++depth;
        if (rc == ERROR_FILE_NOT_FOUND) {
            if (depth > MaxDepth)
                return ERROR_INVALID_PARAMETER; // the transaction undoes the levels made

            Stmt ins(m_db, "INSERT INTO keys(parent, name, uname) VALUES(?, ?, ?)");
            int src = ins.Bind(1, cur).Text(2, name).Text(3, VkRegFoldName(name)).Step();
            if (src != SQLITE_DONE)
                return ErrorFor(src, ERROR_CANTWRITE);
            cur = sqlite3_last_insert_rowid(m_db);
            madeLast = true;
        } else if (rc != ERROR_SUCCESS) {
            return rc;
        }
    }
    if (int crc = t.Commit(); crc != SQLITE_OK)
        return ErrorFor(crc, ERROR_CANTWRITE);
    *id = cur;
    if (created)
        *created = madeLast;
    return ERROR_SUCCESS;
}

LONG VkRegHive::Exists(KeyId id)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return CheckKey(m_db, id);
}

LONG VkRegHive::QueryInfo(KeyId id, Info* info)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    Txn t(m_db, false, m_inBatch);
    if (!t.Ok())
        return ErrorFor(t.Rc(), ERROR_CANTREAD);
    LONG rc = CheckKey(m_db, id);
    if (rc != ERROR_SUCCESS)
        return rc;
    Stmt k(m_db, "SELECT count(*), coalesce(max(length(CAST(name AS BLOB))), 0)"
                 " FROM keys WHERE parent=?");
    int src = k.Bind(1, id).Step();
    if (src != SQLITE_ROW)
        return ErrorFor(src, ERROR_CANTREAD);
    Stmt v(m_db, "SELECT count(*), coalesce(max(length(CAST(name AS BLOB))), 0),"
                 " coalesce(max(length(data)), 0) FROM vals WHERE key=?");
    src = v.Bind(1, id).Step();
    if (src != SQLITE_ROW)
        return ErrorFor(src, ERROR_CANTREAD);
    info->subKeys = static_cast<DWORD>(k.Int(0));
    info->maxSubKeyLen = static_cast<DWORD>(k.Int(1));
    info->values = static_cast<DWORD>(v.Int(0));
    info->maxValueNameLen = static_cast<DWORD>(v.Int(1));
    info->maxValueLen = static_cast<DWORD>(v.Int(2));
    return ERROR_SUCCESS;
}

LONG VkRegHive::EnumKey(KeyId id, DWORD index, std::string* name)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    Txn t(m_db, false, m_inBatch);
    if (!t.Ok())
        return ErrorFor(t.Rc(), ERROR_CANTREAD);
    LONG rc = CheckKey(m_db, id);
    if (rc != ERROR_SUCCESS)
        return rc;
    Stmt s(m_db, "SELECT name FROM keys WHERE parent=? ORDER BY uname LIMIT 1 OFFSET ?");
    int src = s.Bind(1, id).Bind(2, index).Step();
    if (src == SQLITE_DONE)
        return ERROR_NO_MORE_ITEMS;
    if (src != SQLITE_ROW)
        return ErrorFor(src, ERROR_CANTREAD);
    *name = s.Str(0);
    return ERROR_SUCCESS;
}

LONG VkRegHive::EnumValue(KeyId id, DWORD index, std::string* name, DWORD* type, std::string* data)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    Txn t(m_db, false, m_inBatch);
    if (!t.Ok())
        return ErrorFor(t.Rc(), ERROR_CANTREAD);
    LONG rc = CheckKey(m_db, id);
    if (rc != ERROR_SUCCESS)
        return rc;
    Stmt s(m_db, "SELECT name, type, data FROM vals WHERE key=? ORDER BY seq LIMIT 1 OFFSET ?");
    int src = s.Bind(1, id).Bind(2, index).Step();
    if (src == SQLITE_DONE)
        return ERROR_NO_MORE_ITEMS;
    if (src != SQLITE_ROW)
        return ErrorFor(src, ERROR_CANTREAD);
    *name = s.Str(0);
    *type = static_cast<DWORD>(s.Int(1));
    *data = s.Str(2);
    return ERROR_SUCCESS;
}

LONG VkRegHive::QueryValue(KeyId id, std::string_view name, DWORD* type, std::string* data)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    Txn t(m_db, false, m_inBatch);
    if (!t.Ok())
        return ErrorFor(t.Rc(), ERROR_CANTREAD);
    LONG rc = CheckKey(m_db, id);
    if (rc != ERROR_SUCCESS)
        return rc;
    Stmt s(m_db, "SELECT type, data FROM vals WHERE key=? AND uname=?");
    int src = s.Bind(1, id).Text(2, VkRegFoldName(name)).Step();
    if (src == SQLITE_DONE)
        return ERROR_FILE_NOT_FOUND;
    if (src != SQLITE_ROW)
        return ErrorFor(src, ERROR_CANTREAD);
    *type = static_cast<DWORD>(s.Int(0));
    *data = s.Str(1);
    return ERROR_SUCCESS;
}

LONG VkRegHive::SetValue(KeyId id, std::string_view name, DWORD type, std::string_view data)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    Txn t(m_db, true, m_inBatch);
    if (!t.Ok())
        return ErrorFor(t.Rc(), ERROR_CANTWRITE);
    LONG rc = CheckKey(m_db, id);
    if (rc != ERROR_SUCCESS)
        return rc;
    // An existing value keeps its spelling and its place in the order.
    Stmt s(m_db, "INSERT INTO vals(key, name, uname, type, data) VALUES(?, ?, ?, ?, ?)"
                 " ON CONFLICT(key, uname) DO UPDATE SET type=excluded.type, data=excluded.data");
    int src = s.Bind(1, id).Text(2, name).Text(3, VkRegFoldName(name)).Bind(4, type).Blob(5, data).Step();
    if (src != SQLITE_DONE)
        return ErrorFor(src, ERROR_CANTWRITE);
    src = t.Commit();
    return src == SQLITE_OK ? ERROR_SUCCESS : ErrorFor(src, ERROR_CANTWRITE);
}

LONG VkRegHive::DeleteValue(KeyId id, std::string_view name)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    Txn t(m_db, true, m_inBatch);
    if (!t.Ok())
        return ErrorFor(t.Rc(), ERROR_CANTWRITE);
    LONG rc = CheckKey(m_db, id);
    if (rc != ERROR_SUCCESS)
        return rc;
    Stmt s(m_db, "DELETE FROM vals WHERE key=? AND uname=?");
    int src = s.Bind(1, id).Text(2, VkRegFoldName(name)).Step();
    if (src != SQLITE_DONE)
        return ErrorFor(src, ERROR_CANTWRITE);
    if (sqlite3_changes(m_db) == 0)
        return ERROR_FILE_NOT_FOUND;
    src = t.Commit();
    return src == SQLITE_OK ? ERROR_SUCCESS : ErrorFor(src, ERROR_CANTWRITE);
}

LONG VkRegHive::DeleteKey(KeyId id, bool tree)
{
    if (id == RootId)
        return ERROR_ACCESS_DENIED;
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    Txn t(m_db, true, m_inBatch);
    if (!t.Ok())
        return ErrorFor(t.Rc(), ERROR_CANTWRITE);
    LONG rc = CheckKey(m_db, id);
    if (rc != ERROR_SUCCESS)
        return rc == ERROR_KEY_DELETED ? ERROR_FILE_NOT_FOUND : rc;
    if (!tree) {
        Stmt s(m_db, "SELECT count(*) FROM keys WHERE parent=?");
        int src = s.Bind(1, id).Step();
        if (src != SQLITE_ROW)
            return ErrorFor(src, ERROR_CANTREAD);
        if (s.Int(0) > 0)
            return ERROR_ACCESS_DENIED;
    }
    rc = DeleteSubTree(m_db, id, false);
    if (rc != ERROR_SUCCESS)
        return rc;
    int src = t.Commit();
    return src == SQLITE_OK ? ERROR_SUCCESS : ErrorFor(src, ERROR_CANTWRITE);
}

LONG VkRegHive::Empty(KeyId id)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    Txn t(m_db, true, m_inBatch);
    if (!t.Ok())
        return ErrorFor(t.Rc(), ERROR_CANTWRITE);
    LONG rc = CheckKey(m_db, id);
    if (rc != ERROR_SUCCESS)
        return rc;
    rc = DeleteSubTree(m_db, id, true);
    if (rc != ERROR_SUCCESS)
        return rc;
    int src = t.Commit();
    return src == SQLITE_OK ? ERROR_SUCCESS : ErrorFor(src, ERROR_CANTWRITE);
}

LONG VkRegHive::Depth(KeyId id, int* depth)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    Txn t(m_db, false, m_inBatch);
    if (!t.Ok())
        return ErrorFor(t.Rc(), ERROR_CANTREAD);
    LONG rc = CheckKey(m_db, id);
    return rc == ERROR_SUCCESS ? KeyDepth(m_db, id, depth) : rc;
}

LONG VkRegHive::BeginBatch()
{
    m_mutex.lock();
    if (m_inBatch) {
        m_mutex.unlock();
        return ERROR_BUSY; // one batch at a time
    }
    const int rc = BeginWithRetry(m_db, true);
    if (rc != SQLITE_OK) {
        m_mutex.unlock();
        return ErrorFor(rc, ERROR_CANTWRITE);
    }
    m_inBatch = true;
    return ERROR_SUCCESS;
}

LONG VkRegHive::CommitBatch()
{
    if (!m_inBatch)
        return ERROR_INVALID_PARAMETER;
    int rc = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    m_inBatch = false;
    m_mutex.unlock();
    return rc == SQLITE_OK ? ERROR_SUCCESS : ErrorFor(rc, ERROR_CANTWRITE);
}

void VkRegHive::RollbackBatch()
{
    if (!m_inBatch)
        return;
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    m_inBatch = false;
    m_mutex.unlock();
}

#include "controls/CJobHistoryStore.h"

#include "controls/QVCtrlStrings.h"
#include "platform/DataRoot.h"
#include "platform/VkAscii.h"
#include "platform/VkPrivateFiles.h"
#include "platform/VkRegHealth.h"

#include <sqlite3.h>

#include <map>
#include <mutex>

namespace {

constexpr int kBusyTimeoutMs = 5000;

// Files found unusable in this process, with their reason and whether it
// has been told.
struct Unusable {
    std::string problem;
    bool told = false;
};
std::mutex s_unusableLock;
std::map<std::string, Unusable>& UnusableFiles()
{
    static std::map<std::string, Unusable> files;
    return files;
}

bool IsDamage(int rc)
{
    return rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT || rc == SQLITE_ERROR || rc == SQLITE_MISMATCH;
}

// A prepared statement that finalises itself.
class Stmt {
public:
    Stmt(sqlite3* db, const char* sql) { m_rc = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr); }
    ~Stmt() { sqlite3_finalize(m_stmt); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    bool Ok() const { return m_rc == SQLITE_OK && m_stmt; }
    int PrepareError() const { return m_rc; }
    sqlite3_stmt* operator*() const { return m_stmt; }
    int Step() { return sqlite3_step(m_stmt); }
    void Reset() { sqlite3_reset(m_stmt); }

private:
    sqlite3_stmt* m_stmt = nullptr;
    int m_rc = SQLITE_OK;
};

constexpr const char* kColumns =
    "job, observed, last_date, this_date, next_date, failures, total_time, broken, what_hash, gone";

CJobObservation ReadRow(sqlite3_stmt* s)
{
    CJobObservation o;
    o.job = static_cast<LONG>(sqlite3_column_int64(s, 0));
    o.observed = sqlite3_column_double(s, 1);
    o.lastDate = sqlite3_column_double(s, 2);
    o.thisDate = sqlite3_column_double(s, 3);
    o.nextDate = sqlite3_column_double(s, 4);
    o.failures = static_cast<LONG>(sqlite3_column_int64(s, 5));
    o.totalTime = static_cast<LONG>(sqlite3_column_int64(s, 6));
    o.broken = sqlite3_column_int(s, 7) != 0;
    o.whatHash = static_cast<uint32_t>(sqlite3_column_int64(s, 8));
    o.gone = sqlite3_column_int(s, 9) != 0;
    return o;
}

} // namespace

std::filesystem::path CJobHistoryStore::DefaultPath()
{
    return VkDataRootDir("history") / "runs.db";
}

std::string CJobHistoryStore::QueueKey(const std::string& database, const std::string& user)
{
    // A logon text "user/password@database" names its user first.
    return VkAsciiUpper(database) + "|" + VkAsciiUpper(user.substr(0, user.find_first_of("/@")));
}

CJobHistoryStore::CJobHistoryStore() = default;

CJobHistoryStore::CJobHistoryStore(Limits limits) : m_limits(limits) {}

CJobHistoryStore::~CJobHistoryStore()
{
    Close();
}

void CJobHistoryStore::Close()
{
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
}

bool CJobHistoryStore::Exec(const char* sql)
{
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool CJobHistoryStore::Open(const std::filesystem::path& file)
{
    Close();
    m_problem.clear();
    {
        std::lock_guard guard(s_unusableLock);
        const auto found = UnusableFiles().find(file.string());
        if (found != UnusableFiles().end()) {
            m_problem = found->second.problem;
            return false;
        }
    }
    const VkStringTable& texts = QVCtrlStrings();
    auto fail = [&](std::string problem) {
        Close();
        m_problem = std::move(problem);
        std::lock_guard guard(s_unusableLock);
        UnusableFiles()[file.string()].problem = m_problem;
        return false;
    };

    // Made here first, 0600: SQLite gives its log files the file's mode.
    VkCreatePrivateDirectories(file.parent_path());
    VkTouchPrivate(file);
    int rc = sqlite3_open_v2(file.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        const std::string cause = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
        return fail(texts.Format(IDS_JH_UNUSABLE, file.c_str(), cause.c_str()));
    }
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);

    // A file that is no database, a damaged one, or one of another kind.
    std::string damage;
    {
        Stmt check(m_db, "PRAGMA quick_check");
        if (!check.Ok()) {
            rc = check.PrepareError();
        } else {
            rc = check.Step();
            if (rc == SQLITE_ROW) {
                const auto* answer = reinterpret_cast<const char*>(sqlite3_column_text(*check, 0));
                if (!answer || std::string(answer) != "ok")
                    rc = SQLITE_CORRUPT;
            }
        }
    }
    std::string cause;
    if (rc == SQLITE_ROW || rc == SQLITE_DONE) {
        static const char* const kSchema[] = {
            "PRAGMA journal_mode=WAL",
            "CREATE TABLE IF NOT EXISTS observations(id INTEGER PRIMARY KEY AUTOINCREMENT,"
            " queue TEXT NOT NULL, job INTEGER NOT NULL, observed REAL NOT NULL,"
            " last_date REAL, this_date REAL, next_date REAL, failures INTEGER,"
            " total_time INTEGER, broken INTEGER, what_hash INTEGER, gone INTEGER NOT NULL)",
            "CREATE INDEX IF NOT EXISTS observations_job ON observations(queue, job, id)",
            "CREATE INDEX IF NOT EXISTS observations_queue ON observations(queue, id)",
            "CREATE INDEX IF NOT EXISTS observations_age ON observations(queue, observed)",
        };
        rc = SQLITE_OK;
        for (const char* step : kSchema) {
            if (!Exec(step)) {
                rc = sqlite3_errcode(m_db);
                cause = sqlite3_errmsg(m_db);
                break;
            }
        }
        if (rc == SQLITE_OK) {
            // A table of that name with other columns is another program's file.
            const std::string probe = std::string("SELECT ") + kColumns + " FROM observations LIMIT 0";
            Stmt columns(m_db, probe.c_str());
            if (columns.Ok())
                return true;
            rc = columns.PrepareError();
            cause = sqlite3_errmsg(m_db);
        }
    } else {
        cause = sqlite3_errmsg(m_db);
    }
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
        // Another process holds the file for long: this opening goes
        // without, the next may not.
        Close();
        m_problem = texts.Format(IDS_JH_UNUSABLE, file.c_str(), cause.c_str());
        return false;
    }
    if (!IsDamage(rc))
        return fail(texts.Format(IDS_JH_UNUSABLE, file.c_str(), cause.c_str()));
    Close();
    std::filesystem::path kept;
    std::string error;
    if (!VkSetHiveAside(file, &kept, &error))
        return fail(texts.Format(IDS_JH_NOT_SET_ASIDE, file.c_str(), error.c_str()));
    return fail(texts.Format(IDS_JH_DAMAGED, file.c_str(), kept.c_str()));
}

std::string CJobHistoryStore::TakeProblemToTell(const std::filesystem::path& file)
{
    std::lock_guard guard(s_unusableLock);
    const auto found = UnusableFiles().find(file.string());
    if (found == UnusableFiles().end() || found->second.told)
        return std::string();
    found->second.told = true;
    return found->second.problem;
}

bool CJobHistoryStore::Record(const std::string& queue, const std::vector<CJobObservation>& observations)
{
    if (!m_db)
        return false;
    if (!Exec("BEGIN IMMEDIATE"))
        return false;
    bool ok = true;
    DATE newest = 0;
    {
        Stmt insert(m_db, "INSERT INTO observations(queue, job, observed, last_date, this_date, next_date,"
                          " failures, total_time, broken, what_hash, gone) VALUES(?,?,?,?,?,?,?,?,?,?,?)");
        ok = insert.Ok();
        for (const CJobObservation& o : observations) {
            if (!ok)
                break;
            sqlite3_stmt* s = *insert;
            sqlite3_bind_text(s, 1, queue.c_str(), static_cast<int>(queue.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int64(s, 2, o.job);
            sqlite3_bind_double(s, 3, o.observed);
            sqlite3_bind_double(s, 4, o.lastDate);
            sqlite3_bind_double(s, 5, o.thisDate);
            sqlite3_bind_double(s, 6, o.nextDate);
            sqlite3_bind_int64(s, 7, o.failures);
            sqlite3_bind_int64(s, 8, o.totalTime);
            sqlite3_bind_int(s, 9, o.broken ? 1 : 0);
            sqlite3_bind_int64(s, 10, o.whatHash);
            sqlite3_bind_int(s, 11, o.gone ? 1 : 0);
            ok = insert.Step() == SQLITE_DONE;
            insert.Reset();
            if (o.observed > newest)
                newest = o.observed;
        }
    }
    if (ok && newest > 0) {
        Stmt old(m_db, "DELETE FROM observations WHERE queue = ?1 AND observed < ?2");
        ok = old.Ok();
        if (ok) {
            sqlite3_bind_text(*old, 1, queue.c_str(), static_cast<int>(queue.size()), SQLITE_TRANSIENT);
            sqlite3_bind_double(*old, 2, newest - m_limits.maxAgeDays);
            ok = old.Step() == SQLITE_DONE;
        }
    }
    if (ok) {
        // Everything from the first row beyond the limit, counted from the newest.
        Stmt excess(m_db, "DELETE FROM observations WHERE queue = ?1 AND id <= (SELECT id FROM observations"
                          " WHERE queue = ?1 ORDER BY id DESC LIMIT 1 OFFSET ?2)");
        ok = excess.Ok();
        if (ok) {
            sqlite3_bind_text(*excess, 1, queue.c_str(), static_cast<int>(queue.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int64(*excess, 2, static_cast<sqlite3_int64>(m_limits.maxRows));
            ok = excess.Step() == SQLITE_DONE;
        }
    }
    if (!ok) {
        Exec("ROLLBACK");
        return false;
    }
    if (Exec("COMMIT"))
        return true;
    Exec("ROLLBACK");
    return false;
}

std::vector<CJobObservation> CJobHistoryStore::Load(const std::string& queue, LONG job)
{
    std::vector<CJobObservation> rows;
    if (!m_db)
        return rows;
    const std::string sql =
        std::string("SELECT ") + kColumns + " FROM observations WHERE queue = ?1 AND job = ?2 ORDER BY id";
    Stmt s(m_db, sql.c_str());
    if (!s.Ok())
        return rows;
    sqlite3_bind_text(*s, 1, queue.c_str(), static_cast<int>(queue.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int64(*s, 2, job);
    while (s.Step() == SQLITE_ROW)
        rows.push_back(ReadRow(*s));
    return rows;
}

std::vector<CJobObservation> CJobHistoryStore::Latest(const std::string& queue)
{
    std::vector<CJobObservation> rows;
    if (!m_db)
        return rows;
    const std::string sql = std::string("SELECT ") + kColumns +
                            " FROM observations WHERE id IN (SELECT max(id) FROM observations"
                            " WHERE queue = ?1 GROUP BY job) ORDER BY job";
    Stmt s(m_db, sql.c_str());
    if (!s.Ok())
        return rows;
    sqlite3_bind_text(*s, 1, queue.c_str(), static_cast<int>(queue.size()), SQLITE_TRANSIENT);
    while (s.Step() == SQLITE_ROW)
        rows.push_back(ReadRow(*s));
    return rows;
}

size_t CJobHistoryStore::RowCount(const std::string& queue)
{
    if (!m_db)
        return 0;
    Stmt s(m_db, "SELECT count(*) FROM observations WHERE queue = ?1");
    if (!s.Ok())
        return 0;
    sqlite3_bind_text(*s, 1, queue.c_str(), static_cast<int>(queue.size()), SQLITE_TRANSIENT);
    return s.Step() == SQLITE_ROW ? static_cast<size_t>(sqlite3_column_int64(*s, 0)) : 0;
}

#pragma once
// The observed run history: what each refresh of a queue saw of its jobs,
// kept in one SQLite file under the data root and bounded per queue (the
// oldest rows go first). One object per thread: a worker writes through its
// own, a reader opens another; SQLite's log lets readers and the writer go
// on at once. Nothing here throws.
//
// A file that is no history (damaged) is renamed to "<file>.damaged" (or
// "-2", ...; never over a file) and the process goes on without history for
// that file; so does it for a file it cannot open. The reason is told once.

#include "controls/CJobRunHistory.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

struct sqlite3;

class CJobHistoryStore {
public:
    struct Limits {
        size_t maxRows = 100000; // per queue
        double maxAgeDays = 90;  // before the newest observation recorded
    };

    // "history/runs.db" under the data root (the folder is made 0700).
    static std::filesystem::path DefaultPath();
    // The queue's key: database and user (or a logon text, whose user part
    // counts) as the queue window names them, case-mapped by ASCII.
    static std::string QueueKey(const std::string& database, const std::string& user);

    CJobHistoryStore();
    explicit CJobHistoryStore(Limits limits);
    ~CJobHistoryStore();
    CJobHistoryStore(const CJobHistoryStore&) = delete;
    CJobHistoryStore& operator=(const CJobHistoryStore&) = delete;

    // Opens the file, creating it (0600) and its table when missing. False
    // when it cannot be used: then Problem() says why, and a damaged file
    // has been set aside. A file found unusable before in this process is
    // not tried again.
    bool Open(const std::filesystem::path& file);
    bool IsOpen() const { return m_db != nullptr; }
    // Why the last Open failed; empty when it did not.
    const std::string& Problem() const { return m_problem; }

    // Adds one refresh's observations and drops the queue's rows beyond
    // the limits, in one transaction. False (nothing written) on failure.
    bool Record(const std::string& queue, const std::vector<CJobObservation>& observations);
    // One job's observations, oldest first; empty when none or closed.
    std::vector<CJobObservation> Load(const std::string& queue, LONG job);
    // The newest observation of every job the queue has seen.
    std::vector<CJobObservation> Latest(const std::string& queue);
    // How many rows the queue holds; 0 when closed.
    size_t RowCount(const std::string& queue);

    // The problem of a file that could not be used, once per file and
    // process: empty when there is none or it was taken already.
    static std::string TakeProblemToTell(const std::filesystem::path& file);

private:
    bool Exec(const char* sql);
    void Close();

    Limits m_limits;
    sqlite3* m_db = nullptr;
    std::string m_problem;
};

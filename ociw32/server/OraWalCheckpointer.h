#pragma once
// Checkpoints of a database's write-ahead logs (the database file and the
// instance file) on a thread of their own, for the connections that hand
// them over. A commit that checkpoints itself copies and syncs pages while
// it still holds its turn to write; the job queue's runners, which take
// turns, hand theirs here instead.

#include "ociw32/server/OraServer.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>

struct sqlite3;

namespace VkOracle {

class OraWalCheckpointer {
public:
    explicit OraWalCheckpointer(OraDatabaseRef db);
    // Stops the thread; the connections handed over must be closed first.
    ~OraWalCheckpointer();
    OraWalCheckpointer(const OraWalCheckpointer&) = delete;
    OraWalCheckpointer& operator=(const OraWalCheckpointer&) = delete;

    // This connection's commits no longer checkpoint; a commit that leaves a
    // log kFrames longer than the last checkpoint left it wakes the thread.
    void Watch(sqlite3* connection);
    // Checkpoints run so far (for tests).
    int Checkpoints() const;

    static constexpr int kFrames = 1000; // SQLite's own automatic point

private:
    static int OnCommit(void* self, sqlite3* connection, const char* schema, int frames);
    void Run();
    // One passive checkpoint of each log; never waits for readers or writers.
    void Checkpoint();

    OraDatabaseRef m_db;
    sqlite3* m_connection = nullptr; // the thread's own
    mutable std::mutex m_lock;       // guards the members below
    std::condition_variable m_wanted;
    bool m_due = false;
    bool m_stopping = false;
    int m_checkpoints = 0;
    std::map<std::string, int> m_logLeft; // frames each log kept at its last checkpoint
    std::thread m_thread;
};

} // namespace VkOracle

#include "ociw32/server/OraWalCheckpointer.h"

#include "ociw32/server/OraDatabaseFiles.h"
#include "ociw32/server/SqliteUtil.h"

#include <sqlite3.h>

namespace VkOracle {

OraWalCheckpointer::OraWalCheckpointer(OraDatabaseRef db) : m_db(std::move(db))
{
    m_thread = std::thread(&OraWalCheckpointer::Run, this);
}

OraWalCheckpointer::~OraWalCheckpointer()
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_stopping = true;
    }
    m_wanted.notify_all();
    m_thread.join();
    sqlite3_close_v2(m_connection);
}

void OraWalCheckpointer::Watch(sqlite3* connection)
{
    sqlite3_wal_hook(connection, &OraWalCheckpointer::OnCommit, this);
}

int OraWalCheckpointer::Checkpoints() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_checkpoints;
}

int OraWalCheckpointer::OnCommit(void* self, sqlite3*, const char* schema, int frames)
{
    auto* me = static_cast<OraWalCheckpointer*>(self);
    if (frames < kFrames)
        return SQLITE_OK;
    {
        std::lock_guard<std::mutex> guard(me->m_lock);
        const int left = me->m_logLeft[schema];
        // A log that readers keep from starting over wakes the thread once
        // per kFrames, not at every commit; one that started over, at once.
        if (me->m_due || (frames >= left && frames < left + kFrames))
            return SQLITE_OK;
        me->m_due = true;
    }
    me->m_wanted.notify_one();
    return SQLITE_OK;
}

void OraWalCheckpointer::Run()
{
    std::unique_lock<std::mutex> lock(m_lock);
    for (;;) {
        m_wanted.wait(lock, [&] { return m_due || m_stopping; });
        if (m_stopping)
            return;
        lock.unlock();
        Checkpoint();
        lock.lock();
        m_due = false;
        ++m_checkpoints;
    }
}

void OraWalCheckpointer::Checkpoint()
{
    if (!m_connection) {
        if (sqlite3_open_v2(DatabaseFilePath(m_db).c_str(), &m_connection, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                            nullptr) != SQLITE_OK ||
            !SqliteExec(m_connection, "ATTACH DATABASE " + SqlQuote(InstanceFilePath(m_db)) + " AS inst")) {
            sqlite3_close_v2(m_connection);
            m_connection = nullptr;
            return;
        }
        // The instance file is never synced; its checkpoints need not be either.
        SqliteExec(m_connection, "PRAGMA synchronous = NORMAL; PRAGMA inst.synchronous = OFF");
    }
    for (const char* schema : {"main", "inst"}) {
        int log = 0;
        sqlite3_wal_checkpoint_v2(m_connection, schema, SQLITE_CHECKPOINT_PASSIVE, &log, nullptr);
        std::lock_guard<std::mutex> guard(m_lock);
        m_logLeft[schema] = log > 0 ? log : 0;
    }
}

} // namespace VkOracle

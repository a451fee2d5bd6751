#pragma once
// A fresh database per test on a pinned clock, with helpers that render
// query results and failures as text for table-driven checks.

#include "ociw32/functions/OraDate.h"
#include "ociw32/server/OraEngineSession.h"
#include "ociw32/server/OraJobQueueControl.h"
#include "ociw32/server/OraServer.h"
#include "testsupport/TestRoot.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace oraenginetest {

// 2026-12-07 10:30:00, a Monday.
inline int64_t PinnedNow()
{
    VkOracle::OraDateParts p;
    p.year = 2026;
    p.month = 12;
    p.day = 7;
    p.hour = 10;
    p.minute = 30;
    int64_t s = 0;
    VkOracle::OraDateFromParts(p, &s);
    return s;
}

// A statement executing on a thread of its own, so that a test can watch,
// break or kill its session meanwhile. Parsed at construction (Parsed()
// says whether it was); the thread is joined at the latest on destruction.
class BackgroundStatement {
public:
    BackgroundStatement(VkOracle::OraSession& session, const std::string& sql)
    {
        m_parsed = session.Parse(sql, &m_statement).Ok();
        if (!m_parsed)
            return;
        m_thread = std::thread([this] {
            uint64_t rows = 0;
            m_result = m_statement->Execute(&rows);
            m_done = true;
        });
    }
    ~BackgroundStatement()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    BackgroundStatement(const BackgroundStatement&) = delete;
    BackgroundStatement& operator=(const BackgroundStatement&) = delete;

    bool Parsed() const { return m_parsed; }
    bool Done() const { return m_done; }
    // Yields until ready() is true or the statement has ended; true for
    // ready (the statement still running).
    template <class Ready>
    bool WaitUntil(Ready ready)
    {
        while (!m_done && !ready())
            std::this_thread::yield();
        return !m_done;
    }
    // Waits for the end; what the statement gave.
    const VkOracle::OraResult& Wait()
    {
        if (m_thread.joinable())
            m_thread.join();
        return m_result;
    }
    // Only after Wait(), or for a message once Done().
    const VkOracle::OraResult& Result() const { return m_result; }

private:
    std::unique_ptr<VkOracle::OraStatement> m_statement;
    VkOracle::OraResult m_result;
    std::atomic<bool> m_done{false};
    bool m_parsed = false;
    std::thread m_thread;
};

// A numbered conformance case: a statement and the rows it must give (or
// the error it must raise).
struct Case {
    int id;
    const char* sql;
    const char* expected;
};

inline std::string ValueText(const VkOracle::OraValue& v)
{
    switch (v.kind) {
    case VkOracle::OraValue::Kind::Null: return "NULL";
    case VkOracle::OraValue::Kind::Number: return VkOracle::FormatOracleNumber(v.number);
    case VkOracle::OraValue::Kind::Text: return v.text;
    case VkOracle::OraValue::Kind::Date: {
        const VkOracle::OraDateParts p = VkOracle::OraPartsFromDate(v.date);
        char buf[32];
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                      p.second);
        return buf;
    }
    }
    return "?";
}

class EngineTest : public qvtest::FreshRootTest {
protected:
    void SetUp() override
    {
        qvtest::FreshRootTest::SetUp();
        m_db = VkOracle::OraDatabaseRef{"TEST", (root() / "oracle" / "db").string()};
        const VkOracle::OraResult created = Server().CreateDatabase(m_db, Version());
        ASSERT_TRUE(created.Ok()) << created.message;
        ASSERT_TRUE(Server().SetClock(m_db, {VkOracle::OraClockMode::Pinned, PinnedNow()}).Ok());
    }
    void TearDown() override
    {
        m_sessions.clear();
        m_system = nullptr;
        // A queue process a test started ends with its database, not later.
        if (VkOracle::OraJobQueueRunning(m_db)) {
            EXPECT_TRUE(Server().Shutdown(m_db, VkOracle::OraShutdownMode::Immediate).Ok());
        }
        qvtest::FreshRootTest::TearDown();
    }
    // Logs every session of the test off.
    void LogoffAll()
    {
        m_sessions.clear();
        m_system = nullptr;
    }
    virtual std::string Version() const { return "10.2.0.1.0"; }
    VkOracle::OraServer& Server() { return VkOracle::TheOraServer(); }

    // A logged-on session kept until the end of the test (fails the test otherwise).
    VkOracle::OraSession& Logon(const std::string& user, const std::string& password)
    {
        std::unique_ptr<VkOracle::OraSession> s;
        VkOracle::OraResult r = Server().Logon(m_db, user, password, &s);
        EXPECT_TRUE(r.Ok()) << r.message;
        if (!s)
            throw std::runtime_error("logon failed: " + r.message);
        m_sessions.push_back(std::move(s));
        return *m_sessions.back();
    }
    VkOracle::OraSession& System()
    {
        if (!m_system)
            m_system = &Logon("SYSTEM", "MANAGER");
        return *m_system;
    }

    // Runs a statement; a query's rows come back as "a|b|c" lines joined by
    // "\n"; DML gives "rows=N"; a failure gives its whole message.
    std::string Run(VkOracle::OraSession& s, const std::string& sql)
    {
        std::unique_ptr<VkOracle::OraStatement> st;
        VkOracle::OraResult r = s.Parse(sql, &st);
        if (!r.Ok())
            return r.message;
        uint64_t rows = 0;
        r = st->Execute(&rows);
        if (!r.Ok())
            return r.message;
        if (st->Kind() != VkOracle::OraStatementKind::Query)
            return st->Kind() == VkOracle::OraStatementKind::Insert || st->Kind() == VkOracle::OraStatementKind::Update ||
                           st->Kind() == VkOracle::OraStatementKind::Delete
                       ? "rows=" + std::to_string(rows)
                       : "ok";
        std::string out;
        std::vector<VkOracle::OraValue> row;
        while ((r = st->Fetch(&row)).Ok()) {
            if (!out.empty())
                out += "\n";
            for (size_t i = 0; i < row.size(); ++i)
                out += (i ? "|" : "") + ValueText(row[i]);
        }
        if (r.code != 1403)
            return out.empty() ? r.message : out + "\n" + r.message;
        return out;
    }
    std::string Run(const std::string& sql) { return Run(System(), sql); }

public:
    std::string RunSql(const std::string& sql) { return Run(System(), sql); }

protected:

    // "code@offset" of a statement that must fail at parse.
    std::string ParseError(VkOracle::OraSession& s, const std::string& sql)
    {
        std::unique_ptr<VkOracle::OraStatement> st;
        VkOracle::OraResult r = s.Parse(sql, &st);
        return std::to_string(r.code) + "@" + std::to_string(r.offset);
    }

    // "NAME type size prec scale nullable" per column, ";"-separated.
    std::string Describe(VkOracle::OraSession& s, const std::string& sql)
    {
        std::unique_ptr<VkOracle::OraStatement> st;
        VkOracle::OraResult r = s.Parse(sql, &st);
        if (!r.Ok())
            return r.message;
        std::string out;
        for (const VkOracle::OraColumnDesc& c : st->Columns()) {
            if (!out.empty())
                out += ";";
            out += c.name + " " + std::to_string(c.dbType) + " " + std::to_string(c.dbSize) + " " +
                   std::to_string(c.precision) + " " + std::to_string(c.scale) + " " + (c.nullable ? "Y" : "N");
        }
        return out;
    }

    VkOracle::OraDatabaseRef m_db;

private:
    std::vector<std::unique_ptr<VkOracle::OraSession>> m_sessions;
    VkOracle::OraSession* m_system = nullptr;
};

// EngineTest on a database with the demo content loaded.
class DemoEngineTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        if (HasFatalFailure())
            return;
        VkOracle::OraResult r = Server().LoadDemoContent(m_db);
        ASSERT_TRUE(r.Ok()) << r.message;
    }
    // True once V$SESSION shows session `sid` waiting for a lock (false after 30 s).
    bool ShowsWaiting(const std::string& sid)
    {
        const std::string query = "SELECT STATUS FROM V$SESSION WHERE SID = " + sid;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < deadline) {
            if (Run(query) == "ACTIVE")
                return true;
            std::this_thread::yield();
        }
        return false;
    }
    static bool Finished(std::future<std::string>& f)
    {
        return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }
};

// The demo database with SCOTT logged on.
class ScottEngineTest : public DemoEngineTest {
protected:
    void SetUp() override
    {
        DemoEngineTest::SetUp();
        if (HasFatalFailure())
            return;
        m_scott = &Logon("SCOTT", "TIGER");
    }
    VkOracle::OraSession& Scott() { return *m_scott; }
    // The first line of a message.
    static std::string FirstLine(const std::string& s) { return s.substr(0, s.find('\n')); }

private:
    VkOracle::OraSession* m_scott = nullptr;
};

} // namespace oraenginetest

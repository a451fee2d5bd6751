// Waits for another process's transaction, end to end: ocisql processes and
// the call interface linked into this test on the demo database. A writer
// waits until the holder commits, obreak ends a wait, and a killed process
// leaves neither its change nor its lock behind.

#include "ociw32/include/oci7.h"
#include "testsupport/TestRoot.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

namespace {

text* T(const char* s)
{
    return reinterpret_cast<text*>(const_cast<char*>(s));
}

std::string Tool(const std::string& name)
{
    return qvtest::BinPath(name).string();
}

struct Session {
    Lda_Def lda{};
    Cda_Def cda{};
    ub1 hda[HDA_SIZE] = {};
    bool Logon(const char* connect)
    {
        return olog(&lda, hda, T(connect), -1, nullptr, -1, nullptr, -1, 0) == 0 &&
               oopen(&cda, &lda, nullptr, -1, -1, nullptr, -1) == 0;
    }
    // The Oracle error code of a statement, 0 when it ran.
    int Exec(const char* sql)
    {
        if (oparse(&cda, T(sql), -1, 0, 1) != 0 || oexec(&cda) != 0)
            return cda.rc;
        return 0;
    }
    // The first column of the first row; -code on failure.
    long Value(const char* sql)
    {
        int value = 0;
        if (oparse(&cda, T(sql), -1, 0, 1) != 0 ||
            odefin(&cda, 1, reinterpret_cast<ub1*>(&value), sizeof value, SQLT_INT, -1, nullptr, nullptr, -1, -1,
                   nullptr, nullptr) != 0 ||
            oexec(&cda) != 0 || ofen(&cda, 1) != 0)
            return -static_cast<long>(cda.rc);
        return value;
    }
    ~Session()
    {
        oclose(&cda);
        ologof(&lda);
    }
};

class LockWaitEndToEndTest : public qvtest::FreshRootTest {
protected:
    void SetUp() override
    {
        qvtest::FreshRootTest::SetUp();
        std::string out;
        ASSERT_EQ(qvtest::RunCommand(Tool("oradmin") + " demo", &out, true), 0) << out;
        ASSERT_TRUE(m_observer.Logon("system/manager@DEMO"));
    }
    void TearDown() override
    {
        if (m_child > 0) {
            ::kill(m_child, SIGKILL);
            ::waitpid(m_child, nullptr, 0);
        }
        qvtest::FreshRootTest::TearDown();
    }
    // True once V$SESSION shows a session other than the observer's waiting.
    bool SomeoneWaits()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < deadline) {
            if (m_observer.Value("select count(*) from v$session where status = 'ACTIVE'"
                                 " and sid <> userenv('sessionid')") > 0)
                return true;
            std::this_thread::yield();
        }
        return false;
    }

    Session m_observer;
    pid_t m_child = -1;
};

TEST_F(LockWaitEndToEndTest, AnOcisqlWriterWaitsUntilThisProcessCommits)
{
    Session holder;
    ASSERT_TRUE(holder.Logon("scott/tiger@DEMO"));
    ASSERT_EQ(holder.Exec("update emp set sal = sal + 100 where empno = 7369"), 0);
    std::atomic<bool> done{false};
    int rc = -1;
    std::string out;
    std::thread writer([&] {
        rc = qvtest::RunCommand(Tool("ocisql") + " -c \"update emp set sal = sal + 1 where empno = 7369\""
                                " scott/tiger@DEMO", &out, true);
        done = true;
    });
    const bool waited = SomeoneWaits();
    EXPECT_TRUE(waited);
    EXPECT_FALSE(done);
    EXPECT_EQ(ocom(&holder.lda), 0);
    writer.join();
    EXPECT_EQ(rc, 0) << out;
    EXPECT_EQ(out, "1 row updated.\n\n");
    EXPECT_EQ(m_observer.Value("select sal from scott.emp where empno = 7369"), 901);
}

TEST_F(LockWaitEndToEndTest, ObreakEndsAWaitAndTheSessionGoesOn)
{
    Session holder, waiter;
    ASSERT_TRUE(holder.Logon("scott/tiger@DEMO"));
    ASSERT_TRUE(waiter.Logon("scott/tiger@DEMO"));
    ASSERT_EQ(holder.Exec("update emp set sal = 1 where empno = 7369"), 0);
    std::atomic<bool> done{false};
    int code = -1;
    std::thread writer([&] {
        code = waiter.Exec("update emp set sal = 2 where empno = 7369");
        done = true;
    });
    ASSERT_TRUE(SomeoneWaits());
    while (!done) {
        obreak(&waiter.lda);
        std::this_thread::yield();
    }
    writer.join();
    EXPECT_EQ(code, 1013);
    EXPECT_EQ(waiter.Value("select sal from emp where empno = 7369"), 800); // not the holder's change
    EXPECT_EQ(holder.Exec("rollback"), 0);
    EXPECT_EQ(waiter.Exec("update emp set sal = 2 where empno = 7369"), 0);
    EXPECT_EQ(waiter.Exec("rollback"), 0);
}

TEST_F(LockWaitEndToEndTest, AKilledOcisqlLeavesNoChangeAndNoLock)
{
    int input[2];
    ASSERT_EQ(::pipe(input), 0);
    const std::string ocisql = Tool("ocisql");
    m_child = ::fork();
    if (m_child == 0) {
        ::dup2(input[0], STDIN_FILENO);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::close(input[1]);
        ::execl(ocisql.c_str(), "ocisql", "scott/tiger@DEMO", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(m_child, 0);
    ::close(input[0]);
    const char script[] = "update emp set sal = 1 where empno = 7369;\n";
    ASSERT_EQ(::write(input[1], script, sizeof script - 1), static_cast<ssize_t>(sizeof script - 1));
    // The child holds the row once our NOWAIT attempt fails.
    Session probe;
    ASSERT_TRUE(probe.Logon("scott/tiger@DEMO"));
    const char lock[] = "select sal from emp where empno = 7369 for update nowait";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    long got = 0;
    while (std::chrono::steady_clock::now() < deadline && (got = probe.Value(lock)) != -54) {
        probe.Exec("rollback");
        std::this_thread::yield();
    }
    ASSERT_EQ(got, -54);
    EXPECT_EQ(probe.Value("select sal from emp where empno = 7369"), 800);
    ::kill(m_child, SIGKILL);
    int status = 0;
    EXPECT_EQ(::waitpid(m_child, &status, 0), m_child);
    EXPECT_TRUE(WIFSIGNALED(status));
    m_child = -1;
    ::close(input[1]);
    EXPECT_EQ(probe.Value(lock), 800);
    EXPECT_EQ(probe.Exec("rollback"), 0);
}

} // namespace

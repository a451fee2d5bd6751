#include "OciTestFixture.h"

#include <thread>
#include <vector>

using namespace fake;

namespace {

struct LogonCase {
    const char* uid;
    const char* pwd;
    const char* conn;
    sword connLength;
    int code;
};

} // namespace

TEST_F(OciTest, LogonFormsAndTheirErrors)
{
    const LogonCase cases[] = {
        {"scott/tiger@DEMO", nullptr, nullptr, -1, 0},
        {"scott", "tiger", "DEMO", -1, 0},
        {"SCOTT@demo", "tiger", nullptr, -1, 0},
        {"scott/tiger", nullptr, "DEMOXYZ", 4, 0},
        {"scott/wrong@DEMO", nullptr, nullptr, -1, 1017},
        {"scott", nullptr, "DEMO", -1, 1005},
        {"", nullptr, "DEMO", -1, 1017},
        {"locked/x@DEMO", nullptr, nullptr, -1, 28000},
        {"scott/tiger@NOSUCH", nullptr, nullptr, -1, 12154},
        {"scott/tiger@REMOTE", nullptr, nullptr, -1, 12541},
        {"scott/tiger@DOWN", nullptr, nullptr, -1, 1034},
        {"scott/tiger", nullptr, nullptr, -1, 12560},
    };
    for (const LogonCase& c : cases) {
        Lda_Def lda{};
        sword rv = olog(&lda, m_hda, T(c.uid), -1, c.pwd ? T(c.pwd) : nullptr, -1,
                        c.conn ? T(c.conn) : nullptr, c.connLength, OCI_LM_DEF);
        EXPECT_EQ(rv, -c.code) << c.uid;
        EXPECT_EQ(lda.rc, c.code) << c.uid;
        if (c.code == 0) {
            EXPECT_EQ(ologof(&lda), 0);
        }
    }
    EXPECT_EQ(m_server.liveSessions.load(), 0);
}

TEST_F(OciTest, ErrorTextsAreOraclesWithALineFeed)
{
    Lda_Def lda{};
    olog(&lda, m_hda, T("scott/wrong@DEMO"), -1, nullptr, -1, nullptr, -1, 0);
    EXPECT_EQ(Message(&lda, lda.rc), "ORA-01017: invalid username/password; logon denied\n");
    struct Case {
        int code;
        const char* text;
    } cases[] = {
        {1403, "ORA-01403: no data found\n"},
        {1001, "ORA-01001: invalid cursor\n"},
        {12154, "ORA-12154: TNS:could not resolve service name\n"},
        {3114, "ORA-03114: not connected to ORACLE\n"},
        {1013, "ORA-01013: user requested cancel of current operation\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Message(nullptr, c.code), c.text);

    char small[10];
    EXPECT_EQ(oerhms(nullptr, 1403, reinterpret_cast<text*>(small), sizeof small), 9);
    EXPECT_STREQ(small, "ORA-01403");
}

TEST_F(OciTest, CallsWithoutASessionFailWithoutCrashing)
{
    Lda_Def lda{};
    Cda_Def cda{};
    EXPECT_EQ(ocom(&lda), -1012);
    EXPECT_EQ(lda.rc, 1012);
    EXPECT_EQ(ologof(&lda), -1012);
    EXPECT_EQ(oopen(&cda, &lda, nullptr, -1, -1, nullptr, -1), -1012);
    EXPECT_EQ(oparse(&cda, T("SELECT VALUES"), -1, 0, 1), -1001);
    EXPECT_EQ(oexec(&cda), -1001);
    EXPECT_EQ(ofen(&cda, 10), -1001);
    EXPECT_EQ(oclose(&cda), -1001);
    EXPECT_EQ(cda.rc, 1001);
    EXPECT_EQ(oparse(nullptr, T("x"), -1, 0, 1), -1001);

    // Garbage in a data area is never followed.
    std::memset(&cda, 0x5A, sizeof cda);
    EXPECT_EQ(oexec(&cda), -1001);
    std::memset(&lda, 0x5A, sizeof lda);
    EXPECT_EQ(ocom(&lda), -1012);
}

TEST_F(OciTest, CursorsOfAClosedOrLoggedOffSession)
{
    Logon(&m_lda);
    Open(&m_cda, &m_lda);
    Cda_Def second{};
    Open(&second, &m_lda);
    Cda_Def copy = second;

    EXPECT_EQ(oclose(&second), 0);
    EXPECT_EQ(oparse(&second, T("SELECT VALUES"), -1, 0, 1), -1001);
    EXPECT_EQ(oparse(&copy, T("SELECT VALUES"), -1, 0, 1), -1001); // a stale copy of the area

    ASSERT_EQ(oparse(&m_cda, T("SELECT * FROM ROWS5"), -1, 0, 1), 0);
    ASSERT_EQ(oexec(&m_cda), 0);
    EXPECT_EQ(ologof(&m_lda), 0);
    EXPECT_EQ(m_server.liveSessions.load(), 0);
    EXPECT_EQ(ofen(&m_cda, 1), -1012);
    EXPECT_EQ(ocom(&m_lda), -1012);
    EXPECT_EQ(oclose(&m_cda), 0);
    EXPECT_EQ(oclose(&m_cda), -1001);
}

TEST_F(OciTest, LostAndKilledSessions)
{
    struct Case {
        const char* sql;
        int first;
        int later;
    } cases[] = {{"LOST", 3113, 3114}, {"KILLED", 28, 1012}};
    for (const Case& c : cases) {
        Logon(&m_lda);
        Open(&m_cda, &m_lda);
        Cda_Def other{};
        Open(&other, &m_lda);
        ASSERT_EQ(oparse(&m_cda, T(c.sql), -1, 0, 1), 0);
        EXPECT_EQ(oexec(&m_cda), -c.first) << c.sql;
        EXPECT_EQ(oexec(&m_cda), -c.later) << c.sql;
        EXPECT_EQ(oparse(&other, T("SELECT VALUES"), -1, 0, 1), -c.later) << c.sql;
        EXPECT_EQ(ocom(&m_lda), -c.later) << c.sql;
        Cda_Def third{};
        EXPECT_EQ(oopen(&third, &m_lda, nullptr, -1, -1, nullptr, -1), -c.later) << c.sql;
        EXPECT_EQ(oclose(&m_cda), 0);
        EXPECT_EQ(oclose(&other), 0);
        ologof(&m_lda);
        EXPECT_EQ(ologof(&m_lda), -1012);
    }
    EXPECT_EQ(m_server.liveSessions.load(), 0);
}

TEST_F(OciTest, LogoffCommitsAndOcomCommits)
{
    Logon(&m_lda);
    EXPECT_EQ(ocom(&m_lda), 0);
    EXPECT_EQ(m_server.commits.load(), 1);
    EXPECT_EQ(ologof(&m_lda), 0);
    EXPECT_EQ(m_server.commits.load(), 2);
}

TEST_F(OciTest, NonBlockingFlag)
{
    Logon(&m_lda);
    EXPECT_EQ(onbtst(&m_lda), -3128);
    EXPECT_EQ(onbset(&m_lda), 0);
    EXPECT_EQ(onbtst(&m_lda), 0);
}

TEST_F(OciTest, BreakCancelsAFetchRunningOnAnotherThread)
{
    Prepare("SELECT SLOW");
    ASSERT_EQ(oexec(&m_cda), 0);
    sword fetchResult = 0;
    std::thread fetcher([&] { fetchResult = ofen(&m_cda, 1); });
    {
        std::unique_lock<std::mutex> lock(m_server.slowMutex);
        m_server.slowStarted.wait(lock, [&] { return m_server.slowWaiting; });
    }
    EXPECT_EQ(obreak(&m_lda), 0);
    fetcher.join();
    EXPECT_EQ(fetchResult, -1013);
    EXPECT_EQ(m_cda.rc, 1013);
    EXPECT_EQ(ofen(&m_cda, 1), -1002); // cancelled: no rows until executed again
    // The session is still usable.
    ASSERT_EQ(oparse(&m_cda, T("SELECT * FROM ROWS2"), -1, 0, 1), 0);
    EXPECT_EQ(oexec(&m_cda), 0);
    EXPECT_EQ(obreak(&m_lda), 0); // idle: nothing to cancel
}

TEST_F(OciTest, ManySessionsOnManyThreads)
{
    constexpr int kThreads = 6;
    constexpr int kRounds = 40;
    std::vector<int> failures(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            ub1 hda[HDA_SIZE] = {};
            for (int round = 0; round < kRounds; ++round) {
                Lda_Def lda{};
                Cda_Def cda{};
                if (olog(&lda, hda, T("scott/tiger@DEMO"), -1, nullptr, -1, nullptr, -1, 0) != 0) {
                    ++failures[t];
                    continue;
                }
                const int n = 10 + t + round;
                const std::string sql = "SELECT * FROM ROWS" + std::to_string(n);
                int ids[7] = {};
                int sum = 0;
                if (oopen(&cda, &lda, nullptr, -1, -1, nullptr, -1) != 0
                    || oparse(&cda, T(sql.c_str()), -1, 0, 1) != 0
                    || odefin(&cda, 1, reinterpret_cast<ub1*>(ids), sizeof(int), SQLT_INT, -1,
                              nullptr, nullptr, -1, -1, nullptr, nullptr) != 0
                    || oexec(&cda) != 0) {
                    ++failures[t];
                } else {
                    ub4 before = 0;
                    while (true) {
                        sword rv = ofen(&cda, 7);
                        for (ub4 i = 0; i < cda.rpc - before; ++i)
                            sum += ids[i];
                        before = cda.rpc;
                        if (rv != 0)
                            break;
                    }
                    if (cda.rc != 1403 || static_cast<int>(cda.rpc) != n || sum != n * (n + 1) / 2)
                        ++failures[t];
                }
                oclose(&cda);
                ologof(&lda);
            }
        });
    }
    for (auto& th : threads)
        th.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(failures[t], 0) << "thread " << t;
    EXPECT_EQ(m_server.liveSessions.load(), 0);
}

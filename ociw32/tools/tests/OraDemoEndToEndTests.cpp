// The demo Oracle home end to end: oradmin provisions a fresh data root, then
// ocisql (a separate process over libociw32) and the call interface linked
// into this test talk to the same databases.

#include "ociw32/include/oci7.h"
#include "ociw32/names/OraHome.h"
#include "ociw32/names/OraTnsNames.h"
#include "testsupport/TestRoot.h"

#include <gtest/gtest.h>

#include <cstring>
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

// Runs a command; *out gets standard output, *err standard error.
int Shell(const std::string& command, std::string* out, std::string* err = nullptr)
{
    const std::filesystem::path errFile = std::filesystem::path(std::getenv("QUORVANE_ROOT")) / "stderr.txt";
    out->clear();
    const int rc = qvtest::RunCommand(command + " 2>" + errFile.string(), out);
    if (err) {
        err->clear();
        qvtest::RunCommand("cat " + errFile.string(), err);
    }
    return rc;
}

int Sql(const std::string& options, const std::string& connect, const std::string& statement,
        std::string* out, std::string* err = nullptr)
{
    return Shell(Tool("ocisql") + " " + options + " -c \"" + statement + "\" " + connect, out, err);
}

class OraDemoTest : public qvtest::FreshRootTest {
protected:
    void SetUp() override
    {
        qvtest::FreshRootTest::SetUp();
        std::string out, err;
        ASSERT_EQ(Shell(Tool("oradmin") + " demo", &out, &err), 0) << out << err;
    }

    // An in-process session over the linked call interface.
    struct Session {
        Lda_Def lda{};
        Cda_Def cda{};
        ub1 hda[HDA_SIZE] = {};
        bool Logon(const char* connect)
        {
            return olog(&lda, hda, T(connect), -1, nullptr, -1, nullptr, -1, 0) == 0
                && oopen(&cda, &lda, nullptr, -1, -1, nullptr, -1) == 0;
        }
        sword Exec(const char* sql)
        {
            if (sword rv = oparse(&cda, T(sql), -1, 0, 1))
                return rv;
            return oexec(&cda);
        }
        // The first column of the first row as an integer; -1 on failure.
        long Count(const char* sql)
        {
            int value = -1;
            if (oparse(&cda, T(sql), -1, 0, 1) != 0
                || odefin(&cda, 1, reinterpret_cast<ub1*>(&value), sizeof value, SQLT_INT, -1, nullptr,
                          nullptr, -1, -1, nullptr, nullptr) != 0
                || oexec(&cda) != 0 || ofen(&cda, 1) != 0)
                return -1;
            return value;
        }
        ~Session()
        {
            oclose(&cda);
            ologof(&lda);
        }
    };
};

} // namespace

TEST_F(OraDemoTest, DemoProvisionsTheDatabasesOnce)
{
    std::string out;
    ASSERT_EQ(Shell(Tool("oradmin") + " status", &out), 0);
    EXPECT_NE(out.find("DEMO\tOPEN\t10.2.0.1.0\t"), std::string::npos) << out;
    EXPECT_NE(out.find("LEGACY\tOPEN\t7.3.4.0.0\t"), std::string::npos) << out;
    EXPECT_NE(out.find("DOWN\tSHUTDOWN\t"), std::string::npos) << out;

    ASSERT_EQ(Shell(Tool("oradmin") + " demo", &out), 0);
    EXPECT_EQ(out.find("Created"), std::string::npos) << out;
    EXPECT_EQ(out.find("Added"), std::string::npos) << out;
}

TEST_F(OraDemoTest, LogonOutcomes)
{
    struct Case {
        const char* connect;
        int exit;
        const char* error;
    } cases[] = {
        {"scott/tiger@DEMO", 0, ""},
        {"SCOTT/TIGER@demo", 0, ""},
        {"scott/tiger@LEGACY", 0, ""},
        {"scott/lion@DEMO", 1, "ORA-01017: invalid username/password; logon denied\n"},
        {"scott/tiger@DOWN", 1, "ORA-01034: ORACLE not available\n"},
        {"scott/tiger@REMOTE", 1, "ORA-12541: TNS:no listener\n"},
        {"scott/tiger@NOSUCH", 1, "ORA-12154: TNS:could not resolve service name\n"},
    };
    for (const Case& c : cases) {
        std::string out, err;
        EXPECT_EQ(Sql("", c.connect, "select 1 from dual", &out, &err), c.exit) << c.connect;
        EXPECT_EQ(err, c.error) << c.connect;
    }
    std::string out, err;
    ASSERT_EQ(Shell(Tool("oradmin") + " startup DOWN", &out, &err), 0) << err;
    EXPECT_EQ(Sql("", "system/manager@DOWN", "select 1 from dual", &out, &err), 0) << err;
    ASSERT_EQ(Shell(Tool("oradmin") + " shutdown DOWN", &out, &err), 0) << err;
    EXPECT_EQ(Sql("", "system/manager@DOWN", "select 1 from dual", &out, &err), 1);
    EXPECT_EQ(err, "ORA-01034: ORACLE not available\n");
}

TEST_F(OraDemoTest, OcisqlOutputForms)
{
    std::string out, err;
    ASSERT_EQ(Sql("--tsv", "scott/tiger@DEMO",
                  "select empno, ename, hiredate, sal, comm from emp where empno = 7369", &out, &err), 0) << err;
    EXPECT_EQ(out, "EMPNO\tENAME\tHIREDATE\tSAL\tCOMM\n7369\tSMITH\t1980-12-17 00:00:00\t800\t\n");

    ASSERT_EQ(Sql("--describe", "scott/tiger@DEMO", "select empno, ename, hiredate, sal from emp", &out, &err), 0) << err;
    EXPECT_EQ(out, "EMPNO\t2\t22\t4\t0\t0\nENAME\t1\t10\t0\t0\t1\nHIREDATE\t12\t7\t0\t0\t1\nSAL\t2\t22\t7\t2\t1\n");

    ASSERT_EQ(Sql("", "scott/tiger@DEMO", "select deptno, dname from dept order by deptno;", &out, &err), 0) << err;
    EXPECT_EQ(out, "\nDEPTNO DNAME\n------ ----------\n    10 ACCOUNTING\n    20 RESEARCH\n"
                   "    30 SALES\n    40 OPERATIONS\n\n4 rows selected.\n\n");

    // A script: errors on standard error, the rest still runs, exit status 1.
    const std::string script = "printf '%s\\n' 'select * from nosuch;' 'update emp set sal = sal' "
                               "' where deptno = 10;' 'select count(*) n from emp;'";
    ASSERT_EQ(Shell(script + " | " + Tool("ocisql") + " --tsv scott/tiger@DEMO", &out, &err), 1);
    EXPECT_EQ(err, "ORA-00942: table or view does not exist\n");
    EXPECT_EQ(out, "N\n14\n");
}

TEST_F(OraDemoTest, CommittedWorkIsVisibleToOtherProcessesAndUncommittedIsNot)
{
    Session a, b;
    ASSERT_TRUE(a.Logon("scott/tiger@DEMO"));
    ASSERT_TRUE(b.Logon("scott/tiger@DEMO"));
    ASSERT_EQ(a.Exec("insert into dept (deptno, dname, loc) values (50, 'TESTING', 'HERE')"), 0) << a.cda.rc;
    EXPECT_EQ(a.cda.rpc, 1u);
    EXPECT_EQ(a.Count("select count(*) from dept where deptno = 50"), 1);
    EXPECT_EQ(b.Count("select count(*) from dept where deptno = 50"), 0);
    std::string out, err;
    ASSERT_EQ(Sql("--tsv", "scott/tiger@DEMO", "select count(*) n from dept where deptno = 50", &out, &err), 0) << err;
    EXPECT_EQ(out, "N\n0\n");

    ASSERT_EQ(ocom(&a.lda), 0);
    EXPECT_EQ(b.Count("select count(*) from dept where deptno = 50"), 1);
    ASSERT_EQ(Sql("--tsv", "scott/tiger@DEMO", "select count(*) n from dept where deptno = 50", &out, &err), 0) << err;
    EXPECT_EQ(out, "N\n1\n");

    // and work committed by ocisql (on exit) reaches this process
    ASSERT_EQ(Sql("", "scott/tiger@DEMO", "delete from dept where deptno = 50", &out, &err), 0) << err;
    EXPECT_EQ(out, "1 row deleted.\n\n");
    EXPECT_EQ(a.Count("select count(*) from dept where deptno = 50"), 0);
}

TEST_F(OraDemoTest, ClockPinAndOffset)
{
    std::string out, err;
    ASSERT_EQ(Shell(Tool("oradmin") + " clock DEMO pin '2001-02-03 04:05:06'", &out, &err), 0) << err;
    ASSERT_EQ(Sql("--tsv", "scott/tiger@DEMO", "select sysdate, sysdate + 1 tomorrow from dual", &out, &err), 0) << err;
    EXPECT_EQ(out, "SYSDATE\tTOMORROW\n2001-02-03 04:05:06\t2001-02-04 04:05:06\n");
    ASSERT_EQ(Shell(Tool("oradmin") + " clock DEMO system", &out, &err), 0) << err;
    ASSERT_EQ(Sql("--tsv", "scott/tiger@DEMO", "select to_char(sysdate, 'YYYY') y from dual", &out, &err), 0);
    EXPECT_NE(out, "Y\n2001\n");
}

TEST_F(OraDemoTest, CreateAddsADatabaseAndItsAlias)
{
    std::string out, err;
    ASSERT_EQ(Shell(Tool("oradmin") + " create old7 --version 7.3.4.0.0", &out, &err), 0) << err;
    VkOracle::OraTnsNames names;
    names.Load(VkOracle::OraTnsNamesFile(VkOracle::OraRegisteredHome()));
    ASSERT_NE(names.Find("OLD7"), nullptr);
    ASSERT_EQ(Shell(Tool("oradmin") + " status", &out, &err), 0);
    EXPECT_NE(out.find("OLD7\tOPEN\t7.3.4.0.0\t"), std::string::npos) << out;
    EXPECT_EQ(Sql("--tsv", "system/manager@OLD7", "select 1 one from dual", &out, &err), 0) << err;
    EXPECT_EQ(out, "ONE\n1\n");
    EXPECT_EQ(Shell(Tool("oradmin") + " create OLD7", &out, &err), 1);
}

TEST_F(OraDemoTest, ASessionLosesItsDatabase)
{
    Session a;
    ASSERT_TRUE(a.Logon("scott/tiger@DEMO"));
    EXPECT_EQ(a.Count("select count(*) from emp"), 14);
    std::string out, err;
    ASSERT_EQ(Shell(Tool("oradmin") + " shutdown DEMO", &out, &err), 0) << err;
    const sword first = a.Exec("select count(*) from emp");
    EXPECT_TRUE(first == -3113 || first == -3114) << first;
    EXPECT_EQ(a.Exec("select count(*) from emp"), -3114);
    EXPECT_EQ(ocom(&a.lda), -3114);
    ASSERT_EQ(Shell(Tool("oradmin") + " startup DEMO", &out, &err), 0) << err;
}

TEST_F(OraDemoTest, SessionsOnSeveralThreads)
{
    opinit(OCI_EV_TSF);
    constexpr int kThreads = 4;
    std::vector<int> failures(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            Session s;
            if (!s.Logon("scott/tiger@DEMO")) {
                ++failures[t];
                return;
            }
            for (int i = 0; i < 20; ++i) {
                if (s.Count("select count(*) from emp where deptno in (10, 20, 30)") != 14)
                    ++failures[t];
            }
        });
    }
    for (auto& th : threads)
        th.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(failures[t], 0) << t;
}

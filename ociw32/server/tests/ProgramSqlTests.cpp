// Every SQL text the program sends parses and runs on a current and on a
// version 7 database, with the answers Oracle would give.
#include "EngineFixture.h"
#include "ExplorerQueries.h"

#include <map>

namespace oraenginetest {
namespace {

class ProgramSqlTest : public DemoEngineTest, public ::testing::WithParamInterface<const char*> {
protected:
    std::string Version() const override { return GetParam(); }
    bool Legacy() const { return std::string(GetParam())[0] == '7'; }

    // The statement with its %s filled in order; "@NAME" becomes an OBJECT_ID.
    std::string Format(VkOracle::OraSession& s, const ProgramQuery& q)
    {
        std::string out;
        size_t arg = 0;
        for (const char* p = q.sql; *p; ++p) {
            if (p[0] == '%' && p[1] == 's' && arg < q.args.size()) {
                std::string a = q.args[arg++];
                if (!a.empty() && a[0] == '@')
                    a = Run(s, "SELECT OBJECT_ID FROM ALL_OBJECTS WHERE OWNER = 'SCOTT' AND OBJECT_NAME = '" +
                                   a.substr(1) + "' AND OBJECT_TYPE IN ('PROCEDURE','FUNCTION','PACKAGE')");
                out += a;
                ++p;
            } else {
                out += *p;
            }
        }
        return out;
    }
};

TEST_P(ProgramSqlTest, ExplorerQueriesRun)
{
    VkOracle::OraSession& scott = Logon("SCOTT", "TIGER");
    VkOracle::OraSession& system = Logon("SYSTEM", "MANAGER");
    std::map<int, std::string> results;
    for (const ProgramQuery& q : kExplorer) {
        if ((q.version == 7 && !Legacy()) || (q.version == 8 && Legacy()))
            continue;
        // The privilege nodes read DBA views: as an administrator.
        VkOracle::OraSession& s = (q.kind == 46 || q.kind == 47) ? system : scott;
        const std::string sql = Format(s, q);
        const std::string result = Run(s, sql);
        if (Legacy() && (q.kind == 36 || q.kind == 37 || q.kind == 44)) {
            // Object tables, collection types and libraries came with version 8.
            EXPECT_EQ(result, "ORA-00942: table or view does not exist") << sql;
            continue;
        }
        if (Legacy() && q.kind == 28) {
            // The version 7 text runs "a.POSITIONFROM" together, so Oracle rejects it too.
            EXPECT_EQ(result.substr(0, 9), "ORA-00923") << sql;
            continue;
        }
        EXPECT_EQ(result.find("ORA-"), std::string::npos) << "kind " << q.kind << ": " << sql << "\n" << result;
        results[q.kind] += result + "\n";
    }
    EXPECT_EQ(results[5], "SCOTT\nSYS\n");
    EXPECT_EQ(results[45], "APPUSER\nSCOTT\nSYS\nSYSTEM\n");
    EXPECT_NE(results[6].find("EMP"), std::string::npos);
    EXPECT_NE(results[7].find(Legacy() ? "SAL|  number(7,2)  Null\n" : "SAL|  number(7,2)  Null \n"), std::string::npos)
        << results[7];
    EXPECT_NE(results[7].find("ENAME|  varchar2(10)  Null"), std::string::npos) << results[7];
    EXPECT_NE(results[8].find("FK_DEPTNO|->SCOTT PK_DEPT|3|ENABLED|R|SCOTT"), std::string::npos) << results[8];
    EXPECT_NE(results[9].find("EMPNO"), std::string::npos) << results[9];
    EXPECT_NE(results[10].find("EMP_SAL_AUDIT|BEFORE   Insert Update  for each Row|ENABLED|VALID"), std::string::npos)
        << results[10];
    EXPECT_EQ(results[11], "SAL\nCOMM\n");
    // Later servers: the program compares INDEX_TYPE with ' NORMAL', so NORMAL shows.
    EXPECT_NE(results[12].find(Legacy() ? "EMP_ENAME_IDX|[Non Unique]|VALID" : "EMP_ENAME_IDX|[Non Unique] [NORMAL]|VALID"),
              std::string::npos)
        << results[12];
    EXPECT_EQ(results[13], "ENAME\n");
    EXPECT_NE(results[22].find("/Last No 8000 /Min 1 /Max "), std::string::npos) << results[22];
    EXPECT_EQ(results[24], "SCOTT.EMP\n");
    EXPECT_NE(results[25].find("RAISE_SALARY|NULL|"), std::string::npos) << results[25];
    EXPECT_NE(results[26].find("|P_EMPNO IN NUMBER|NULL|1|1"), std::string::npos) << results[26];
    EXPECT_NE(results[30].find("FIND_EMP|(1)|"), std::string::npos) << results[30];
    EXPECT_NE(results[31].find("|[return value] OUT VARCHAR2(2000)|1|0|1"), std::string::npos) << results[31];
    EXPECT_NE(results[34].find("ADDRESS_T"), std::string::npos) << results[34];
    EXPECT_NE(results[46].find("CONNECT Without Admin"), std::string::npos) << results[46];
    if (!Legacy()) {
        EXPECT_NE(results[37].find("PHONE_LIST_T VARYING ARRAY 5"), std::string::npos) << results[37];
    }
}

TEST_P(ProgramSqlTest, ConnectionAndJobQueries)
{
    VkOracle::OraSession& scott = Logon("SCOTT", "TIGER");
    EXPECT_EQ(Run(scott, "Select version from SYS.PRODUCT_COMPONENT_VERSION WHERE Upper(product) like '%ORACLE%'"),
              GetParam());
    EXPECT_EQ(Run(scott, "Select SYSDATE from dual"), "2026-12-07 10:30:00");
    EXPECT_EQ(Run(scott, "select OBJECT_NAME from all_objects where object_name = 'DBA_JOBS_RUNNING' and OBJECT_TYPE = 'VIEW'"),
              "DBA_JOBS_RUNNING");
    const std::string columns = "SELECT j.JOB, j.LAST_DATE, j.NEXT_DATE, j.THIS_DATE, j.WHAT, j.INTERVAL, j.BROKEN,"
                                " j.FAILURES, j.LOG_USER, j.PRIV_USER, j.SCHEMA_USER, j.TOTAL_TIME";
    const std::string admin = Run(scott, columns + ", DECODE(r.sid, NULL, 'No', 'Yes') RUNNING  FROM sys.dba_jobs j,"
                                                   " sys.dba_jobs_running r where j.job = r.job (+)");
    EXPECT_EQ(std::count(admin.begin(), admin.end(), '\n'), 11) << admin;
    EXPECT_EQ(admin.find("ORA-"), std::string::npos) << admin;
    const std::string own = Run(scott, columns + ", DECODE(r.sid, NULL, 'No', 'Yes') RUNNING  FROM sys.user_jobs j,"
                                                 " sys.dba_jobs_running r where j.job = r.job (+)");
    EXPECT_EQ(std::count(own.begin(), own.end(), '\n'), 8) << own;
    EXPECT_NE(own.find("|SCOTT|SCOTT|SCOTT|"), std::string::npos);
    EXPECT_EQ(own.find("APPUSER"), std::string::npos);
    VkOracle::OraSession& app = Logon("APPUSER", "APPUSER");
    const std::string plain = Run(app, columns + "  FROM sys.user_jobs j");
    EXPECT_EQ(std::count(plain.begin(), plain.end(), '\n'), 1) << plain;
    EXPECT_EQ(Run(app, columns + "  FROM sys.dba_jobs j"), "ORA-00942: table or view does not exist");
    EXPECT_EQ(Run(scott, columns + "  FROM sys.user_jobs j WHERE j.job = 1").substr(0, 2), "1|");
    EXPECT_EQ(Run(scott, "select s.sid, s.serial# from dba_jobs_running r, v$session s where r.job=1 and r.sid = s.sid"),
              "");
    EXPECT_EQ(Run(scott, "select SYSDATE + 1 col1, SYSDATE col2 from dual"), "2026-12-08 10:30:00|2026-12-07 10:30:00");
    EXPECT_EQ(Describe(scott, "select NEXT_DAY(TRUNC(SYSDATE), 'MONDAY') + 8/24 col1, SYSDATE col2 from dual").substr(0, 10),
              "COL1 12 7 ");
    EXPECT_EQ(Run(scott, "ALTER SESSION SET CURRENT_SCHEMA=APPUSER"), "ok");
    EXPECT_EQ(Run(scott, "ALTER SESSION SET CURRENT_SCHEMA=SCOTT"), "ok");
    EXPECT_EQ(Run(scott, "Select * from scott.emp").substr(0, 5), "7839|");
    EXPECT_EQ(Describe(scott, "Select * from scott.emp").substr(0, 47), "EMPNO 2 22 4 0 N;ENAME 1 10 0 0 Y;JOB 1 9 0 0 Y");
    const std::string sessions = Run(scott, "SELECT USERNAME, STATUS FROM V$SESSION ORDER BY SID");
    EXPECT_NE(sessions.find("SCOTT|ACTIVE"), std::string::npos) << sessions;
    EXPECT_NE(sessions.find("APPUSER|INACTIVE"), std::string::npos) << sessions;
}

// The job calls the program sends, in the form for the server's version.
TEST_P(ProgramSqlTest, JobCallsRunOnEveryVersion)
{
    VkOracle::OraSession& scott = Logon("SCOTT", "TIGER");
    std::unique_ptr<VkOracle::OraStatement> st;
    const std::string submit =
        Legacy() ? "BEGIN DBMS_JOB.SUBMIT(:jobno, 'log_action(''X'');', TO_DATE('8/12/2026 7:5:0', 'DD/MM/YYYY HH24:MI:SS'),"
                   " 'SYSDATE+1', FALSE); END;"
                 : "BEGIN DBMS_JOB.SUBMIT(:jobno, 'log_action(''X'');', TO_DATE('8/12/2026 7:5:0', 'DD/MM/YYYY HH24:MI:SS'),"
                   " 'SYSDATE+1', FALSE, 0, FALSE); END;";
    VkOracle::OraResult r = scott.Parse(submit, &st);
    ASSERT_TRUE(r.Ok()) << r.message;
    ASSERT_TRUE(st->Bind(":jobno", VkOracle::OraValue{}).Ok());
    uint64_t rows = 0;
    r = st->Execute(&rows);
    ASSERT_TRUE(r.Ok()) << r.message;
    VkOracle::OraValue job;
    ASSERT_TRUE(st->BoundValue("jobno", &job).Ok());
    EXPECT_EQ(ValueText(job), "13");
    const struct {
        const char* sql;
        const char* result;
    } steps[] = {
        {"BEGIN DBMS_JOB.CHANGE(13, 'refresh_stats;', TO_DATE('9/12/2026 8:0:0', 'DD/MM/YYYY HH24:MI:SS'), 'SYSDATE+2');END;", "ok"},
        {"SELECT WHAT, INTERVAL, NEXT_DATE FROM USER_JOBS WHERE JOB = 13", "refresh_stats;|SYSDATE+2|2026-12-09 08:00:00"},
        {"BEGIN DBMS_JOB.BROKEN(13, TRUE); END;", "ok"},
        {"SELECT BROKEN FROM USER_JOBS WHERE JOB = 13", "Y"},
        {"BEGIN DBMS_JOB.RUN(13);END;", "ok"},
        {"SELECT BROKEN, FAILURES, LAST_DATE, NEXT_DATE FROM USER_JOBS WHERE JOB = 13",
         "N|0|2026-12-07 10:30:00|2026-12-09 10:30:00"},
        {"BEGIN DBMS_JOB.REMOVE(13); END;", "ok"},
        {"SELECT COUNT(*) FROM USER_JOBS WHERE JOB = 13", "0"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.sql);
        EXPECT_EQ(Run(scott, step.sql), step.result);
    }
}

INSTANTIATE_TEST_SUITE_P(Versions, ProgramSqlTest, ::testing::Values("10.2.0.1.0", "7.3.4.0.0"));

} // namespace
} // namespace oraenginetest

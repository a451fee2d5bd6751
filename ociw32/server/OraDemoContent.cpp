#include "ociw32/server/OraDemoContent.h"

#include "ociw32/functions/OraFunctions.h"
#include "ociw32/server/OraDatabaseFiles.h"
#include "ociw32/server/OraEngineSession.h"
#include "ociw32/server/SqliteUtil.h"

#include <sqlite3.h>

namespace VkOracle {
namespace {

const char* const kSysScript[] = {
    "CREATE USER SCOTT IDENTIFIED BY TIGER",
    "GRANT CONNECT, RESOURCE TO SCOTT",
    "GRANT SELECT ON SYS.DBA_JOBS_RUNNING TO SCOTT",
    "GRANT SELECT ON SYS.DBA_JOBS TO SCOTT",
    "GRANT SELECT ON SYS.V_$SESSION TO SCOTT",
    "GRANT ALTER SYSTEM TO SCOTT",
    "CREATE USER APPUSER IDENTIFIED BY APPUSER",
    "GRANT CONNECT, RESOURCE TO APPUSER",
};

const char* const kScottScript[] = {
    "CREATE TABLE DEPT (DEPTNO NUMBER(2) CONSTRAINT PK_DEPT PRIMARY KEY, DNAME VARCHAR2(14), LOC VARCHAR2(13))",
    "CREATE TABLE EMP (EMPNO NUMBER(4) CONSTRAINT PK_EMP PRIMARY KEY, ENAME VARCHAR2(10), JOB VARCHAR2(9),"
    " MGR NUMBER(4), HIREDATE DATE, SAL NUMBER(7,2), COMM NUMBER(7,2),"
    " DEPTNO NUMBER(2) CONSTRAINT FK_DEPTNO REFERENCES DEPT)",
    "CREATE TABLE BONUS (ENAME VARCHAR2(10), JOB VARCHAR2(9), SAL NUMBER, COMM NUMBER)",
    "CREATE TABLE SALGRADE (GRADE NUMBER, LOSAL NUMBER, HISAL NUMBER)",
    "INSERT INTO DEPT VALUES (10, 'ACCOUNTING', 'NEW YORK')",
    "INSERT INTO DEPT VALUES (20, 'RESEARCH', 'DALLAS')",
    "INSERT INTO DEPT VALUES (30, 'SALES', 'CHICAGO')",
    "INSERT INTO DEPT VALUES (40, 'OPERATIONS', 'BOSTON')",
    "INSERT INTO EMP VALUES (7839, 'KING', 'PRESIDENT', NULL, TO_DATE('17-11-1981', 'DD-MM-YYYY'), 5000, NULL, 10)",
    "INSERT INTO EMP VALUES (7698, 'BLAKE', 'MANAGER', 7839, TO_DATE('1-5-1981', 'DD-MM-YYYY'), 2850, NULL, 30)",
    "INSERT INTO EMP VALUES (7782, 'CLARK', 'MANAGER', 7839, TO_DATE('9-6-1981', 'DD-MM-YYYY'), 2450, NULL, 10)",
    "INSERT INTO EMP VALUES (7566, 'JONES', 'MANAGER', 7839, TO_DATE('2-4-1981', 'DD-MM-YYYY'), 2975, NULL, 20)",
    "INSERT INTO EMP VALUES (7788, 'SCOTT', 'ANALYST', 7566, TO_DATE('13-JUL-87', 'DD-MON-RR') - 85, 3000, NULL, 20)",
    "INSERT INTO EMP VALUES (7902, 'FORD', 'ANALYST', 7566, TO_DATE('3-12-1981', 'DD-MM-YYYY'), 3000, NULL, 20)",
    "INSERT INTO EMP VALUES (7369, 'SMITH', 'CLERK', 7902, TO_DATE('17-12-1980', 'DD-MM-YYYY'), 800, NULL, 20)",
    "INSERT INTO EMP VALUES (7499, 'ALLEN', 'SALESMAN', 7698, TO_DATE('20-2-1981', 'DD-MM-YYYY'), 1600, 300, 30)",
    "INSERT INTO EMP VALUES (7521, 'WARD', 'SALESMAN', 7698, TO_DATE('22-2-1981', 'DD-MM-YYYY'), 1250, 500, 30)",
    "INSERT INTO EMP VALUES (7654, 'MARTIN', 'SALESMAN', 7698, TO_DATE('28-9-1981', 'DD-MM-YYYY'), 1250, 1400, 30)",
    "INSERT INTO EMP VALUES (7844, 'TURNER', 'SALESMAN', 7698, TO_DATE('8-9-1981', 'DD-MM-YYYY'), 1500, 0, 30)",
    "INSERT INTO EMP VALUES (7876, 'ADAMS', 'CLERK', 7788, TO_DATE('13-JUL-87', 'DD-MON-RR') - 51, 1100, NULL, 20)",
    "INSERT INTO EMP VALUES (7900, 'JAMES', 'CLERK', 7698, TO_DATE('3-12-1981', 'DD-MM-YYYY'), 950, NULL, 30)",
    "INSERT INTO EMP VALUES (7934, 'MILLER', 'CLERK', 7782, TO_DATE('23-1-1982', 'DD-MM-YYYY'), 1300, NULL, 10)",
    "INSERT INTO SALGRADE VALUES (1, 700, 1200)",
    "INSERT INTO SALGRADE VALUES (2, 1201, 1400)",
    "INSERT INTO SALGRADE VALUES (3, 1401, 2000)",
    "INSERT INTO SALGRADE VALUES (4, 2001, 3000)",
    "INSERT INTO SALGRADE VALUES (5, 3001, 9999)",
    // Something of every kind the schema explorer shows.
    "CREATE TABLE PROJECTS (PROJNO NUMBER(6) CONSTRAINT PK_PROJECTS PRIMARY KEY,"
    " PNAME VARCHAR2(30) NOT NULL CONSTRAINT UQ_PROJECTS_PNAME UNIQUE,"
    " BUDGET NUMBER(12,2) CONSTRAINT CK_PROJECTS_BUDGET CHECK (BUDGET >= 0),"
    " STATUS CHAR(1) DEFAULT 'A' CONSTRAINT CK_PROJECTS_STATUS CHECK (STATUS IN ('A', 'H', 'C')),"
    " LEAD NUMBER(4) CONSTRAINT FK_PROJECTS_LEAD REFERENCES EMP, STARTED DATE DEFAULT SYSDATE)",
    "CREATE TABLE AUDIT_LOG (LOG_ID NUMBER(10) CONSTRAINT PK_AUDIT_LOG PRIMARY KEY, LOG_DATE DATE NOT NULL,"
    " USERNAME VARCHAR2(30), ACTION VARCHAR2(20), TABLE_NAME VARCHAR2(30), AMOUNT NUMBER(10,2), NOTE VARCHAR2(100))",
    "CREATE INDEX EMP_ENAME_IDX ON EMP (ENAME)",
    "CREATE INDEX EMP_DEPT_JOB_IDX ON EMP (DEPTNO, JOB)",
    "CREATE INDEX AUDIT_LOG_DATE_IDX ON AUDIT_LOG (LOG_DATE)",
    "CREATE SEQUENCE EMP_SEQ START WITH 8000 INCREMENT BY 1",
    "CREATE SEQUENCE PROJ_SEQ START WITH 100 INCREMENT BY 10 MAXVALUE 999990 CYCLE",
    "CREATE VIEW EMP_DEPT_V AS SELECT e.EMPNO, e.ENAME, e.JOB, e.SAL, d.DNAME, d.LOC"
    " FROM EMP e, DEPT d WHERE e.DEPTNO = d.DEPTNO",
    "CREATE VIEW SAL_SUMMARY_V AS SELECT DEPTNO, COUNT(*) HEADCOUNT, SUM(SAL) TOTAL_SAL, MAX(SAL) MAX_SAL"
    " FROM EMP GROUP BY DEPTNO",
    "CREATE SYNONYM EMPLOYEES FOR SCOTT.EMP",
    "CREATE SYNONYM DEPARTMENTS FOR SCOTT.DEPT",
    "CREATE OR REPLACE TRIGGER EMP_SAL_AUDIT BEFORE INSERT OR UPDATE OF SAL, COMM ON EMP FOR EACH ROW"
    " WHEN (NEW.SAL > 0)\nBEGIN\n  INSERT INTO AUDIT_LOG (LOG_ID, LOG_DATE, USERNAME, ACTION, TABLE_NAME, AMOUNT)\n"
    "  VALUES (EMP_SEQ.NEXTVAL, SYSDATE, USER, 'SAL CHANGE', 'EMP', :NEW.SAL);\nEND;",
    "CREATE OR REPLACE TRIGGER DEPT_AFTER_DELETE AFTER DELETE ON DEPT\nBEGIN\n  NULL;\nEND;",
    "CREATE OR REPLACE PROCEDURE RAISE_SALARY (P_EMPNO IN NUMBER, P_PERCENT IN NUMBER DEFAULT 10) IS\nBEGIN\n"
    "  UPDATE EMP SET SAL = SAL * (1 + P_PERCENT / 100) WHERE EMPNO = P_EMPNO;\nEND;",
    "CREATE OR REPLACE PROCEDURE GET_EMP_NAME (P_EMPNO IN NUMBER, P_ENAME OUT VARCHAR2) IS\nBEGIN\n"
    "  SELECT ENAME INTO P_ENAME FROM EMP WHERE EMPNO = P_EMPNO;\nEND;",
    "CREATE OR REPLACE PROCEDURE SWAP_VALUES (P_A IN OUT NUMBER, P_B IN OUT NUMBER) IS\n  T NUMBER;\nBEGIN\n"
    "  T := P_A; P_A := P_B; P_B := T;\nEND;",
    "CREATE OR REPLACE PROCEDURE REFRESH_STATS IS\nBEGIN\n  NULL;\nEND;",
    "CREATE OR REPLACE PROCEDURE LOG_ACTION (P_ACTION IN VARCHAR2, P_NOTE IN VARCHAR2 DEFAULT NULL) IS\nBEGIN\n"
    "  INSERT INTO AUDIT_LOG (LOG_ID, LOG_DATE, USERNAME, ACTION, NOTE)\n"
    "  VALUES (EMP_SEQ.NEXTVAL, SYSDATE, USER, P_ACTION, P_NOTE);\nEND;",
    "CREATE OR REPLACE PROCEDURE FAILING_JOB IS\nBEGIN\n"
    "  RAISE_APPLICATION_ERROR(-20001, 'Nightly load failed: source file missing');\nEND;",
    "CREATE OR REPLACE FUNCTION EMP_COUNT (P_DEPTNO IN NUMBER) RETURN NUMBER IS\n  N NUMBER;\nBEGIN\n"
    "  SELECT COUNT(*) INTO N FROM EMP WHERE DEPTNO = P_DEPTNO;\n  RETURN N;\nEND;",
    "CREATE OR REPLACE FUNCTION ANNUAL_SALARY (P_EMPNO IN NUMBER, P_WITH_COMM IN VARCHAR2 DEFAULT 'Y') RETURN NUMBER IS\n"
    "  S NUMBER;\nBEGIN\n  SELECT SAL * 12 + DECODE(P_WITH_COMM, 'Y', NVL(COMM, 0), 0) INTO S FROM EMP"
    " WHERE EMPNO = P_EMPNO;\n  RETURN S;\nEND;",
    "CREATE OR REPLACE PACKAGE EMP_PKG IS\n"
    "  FUNCTION FIND_EMP (P_EMPNO IN NUMBER) RETURN VARCHAR2;\n"
    "  FUNCTION FIND_EMP (P_ENAME IN VARCHAR2) RETURN NUMBER;\n"
    "  PROCEDURE HIRE (P_ENAME IN VARCHAR2, P_JOB IN VARCHAR2, P_SAL IN NUMBER, P_EMPNO OUT NUMBER);\n"
    "  PROCEDURE FIRE (P_EMPNO IN NUMBER);\n"
    "  PROCEDURE ADJUST (P_EMPNO IN NUMBER, P_AMOUNT IN OUT NUMBER);\n"
    "  PROCEDURE ADJUST (P_DEPTNO IN NUMBER, P_PERCENT IN NUMBER, P_ROWS OUT NUMBER);\n"
    "END EMP_PKG;",
    "CREATE OR REPLACE PACKAGE BODY EMP_PKG IS\n"
    "  FUNCTION FIND_EMP (P_EMPNO IN NUMBER) RETURN VARCHAR2 IS N VARCHAR2(10);\n"
    "  BEGIN SELECT ENAME INTO N FROM EMP WHERE EMPNO = P_EMPNO; RETURN N; END;\n"
    "  FUNCTION FIND_EMP (P_ENAME IN VARCHAR2) RETURN NUMBER IS N NUMBER;\n"
    "  BEGIN SELECT EMPNO INTO N FROM EMP WHERE ENAME = P_ENAME; RETURN N; END;\n"
    "  PROCEDURE HIRE (P_ENAME IN VARCHAR2, P_JOB IN VARCHAR2, P_SAL IN NUMBER, P_EMPNO OUT NUMBER) IS\n"
    "  BEGIN SELECT EMP_SEQ.NEXTVAL INTO P_EMPNO FROM DUAL;\n"
    "    INSERT INTO EMP (EMPNO, ENAME, JOB, SAL, HIREDATE) VALUES (P_EMPNO, P_ENAME, P_JOB, P_SAL, SYSDATE); END;\n"
    "  PROCEDURE FIRE (P_EMPNO IN NUMBER) IS BEGIN DELETE FROM EMP WHERE EMPNO = P_EMPNO; END;\n"
    "  PROCEDURE ADJUST (P_EMPNO IN NUMBER, P_AMOUNT IN OUT NUMBER) IS\n"
    "  BEGIN UPDATE EMP SET SAL = SAL + P_AMOUNT WHERE EMPNO = P_EMPNO; END;\n"
    "  PROCEDURE ADJUST (P_DEPTNO IN NUMBER, P_PERCENT IN NUMBER, P_ROWS OUT NUMBER) IS\n"
    "  BEGIN UPDATE EMP SET SAL = SAL * (1 + P_PERCENT / 100) WHERE DEPTNO = P_DEPTNO; P_ROWS := SQL%ROWCOUNT; END;\n"
    "END EMP_PKG;",
    "CREATE OR REPLACE TYPE ADDRESS_T AS OBJECT (STREET VARCHAR2(40), CITY VARCHAR2(30), ZIP VARCHAR2(10))",
    "CREATE OR REPLACE TYPE PHONE_LIST_T AS VARRAY(5) OF VARCHAR2(20)",
    "CREATE OR REPLACE TYPE EMPNO_TAB_T AS TABLE OF NUMBER",
    "INSERT INTO PROJECTS (PROJNO, PNAME, BUDGET, STATUS, LEAD) VALUES (PROJ_SEQ.NEXTVAL, 'Payroll migration', 250000, 'A', 7566)",
    "INSERT INTO PROJECTS (PROJNO, PNAME, BUDGET, STATUS, LEAD) VALUES (PROJ_SEQ.NEXTVAL, 'Sales dashboard', 80000, 'H', 7698)",
    "INSERT INTO PROJECTS (PROJNO, PNAME, BUDGET, STATUS, LEAD) VALUES (PROJ_SEQ.NEXTVAL, 'Year-end close', 12000.5, 'C', 7782)",
    "GRANT SELECT ON EMP TO APPUSER",
    "GRANT SELECT ON DEPT TO PUBLIC",
    "GRANT EXECUTE ON EMP_PKG TO APPUSER",
};

const char* const kAppUserScript[] = {
    "CREATE TABLE APP_SETTINGS (NAME VARCHAR2(40) CONSTRAINT PK_APP_SETTINGS PRIMARY KEY, VALUE VARCHAR2(200),"
    " CHANGED DATE DEFAULT SYSDATE)",
    "INSERT INTO APP_SETTINGS (NAME, VALUE) VALUES ('REFRESH_INTERVAL', '60')",
    "INSERT INTO APP_SETTINGS (NAME, VALUE) VALUES ('ARCHIVE_DAYS', '30')",
    "CREATE OR REPLACE PROCEDURE PURGE_SETTINGS (P_DAYS IN NUMBER) IS\nBEGIN\n"
    "  DELETE FROM APP_SETTINGS WHERE CHANGED < SYSDATE - P_DAYS;\nEND;",
};

OraResult RunScript(OraSession& session, const char* const* script, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        OraResult r = RunSql(session, script[i]);
        if (!r.Ok()) {
            r.message += "\n  in: " + std::string(script[i]);
            return r;
        }
    }
    return session.Commit();
}

// A few thousand audit rows for grids and benchmarks, through a bound insert.
OraResult LoadAuditRows(OraSession& scott, int64_t now)
{
    std::unique_ptr<OraStatement> st;
    OraResult r = scott.Parse("INSERT INTO AUDIT_LOG (LOG_ID, LOG_DATE, USERNAME, ACTION, TABLE_NAME, AMOUNT, NOTE)"
                              " VALUES (:id, :logged, :who, :action, :tab, :amount, :note)",
                              &st);
    if (!r.Ok())
        return r;
    static const char* const kUsers[] = {"SCOTT", "APPUSER", "SYSTEM", "BATCH"};
    static const char* const kActions[] = {"INSERT", "UPDATE", "DELETE", "LOGIN", "EXPORT", "APPROVE"};
    static const char* const kTables[] = {"EMP", "DEPT", "PROJECTS", "BONUS", "SALGRADE"};
    for (int i = 1; i <= 3000; ++i) {
        auto text = [](const std::string& s) {
            OraValue v;
            v.kind = OraValue::Kind::Text;
            v.text = s;
            return v;
        };
        OraValue id;
        id.kind = OraValue::Kind::Number;
        id.number = OraNumFromInt(i);
        OraValue logged;
        logged.kind = OraValue::Kind::Date;
        logged.date = now - static_cast<int64_t>(3000 - i) * 2437; // about 85 days back, irregular seconds
        OraValue amount;
        amount.kind = (i % 7 == 0) ? OraValue::Kind::Null : OraValue::Kind::Number;
        amount.number = OraNumFromDouble(((i * 7919) % 100000) / 100.0);
        st->Bind("id", id);
        st->Bind("logged", logged);
        st->Bind("who", text(kUsers[i % 4]));
        st->Bind("action", text(kActions[i % 6]));
        st->Bind("tab", text(kTables[i % 5]));
        st->Bind("amount", amount);
        st->Bind("note", text(i % 5 == 0 ? std::string() : "Entry " + std::to_string(i) + " of the demo audit trail"));
        uint64_t rows = 0;
        r = st->Execute(&rows);
        if (!r.Ok())
            return r;
    }
    return scott.Commit();
}

struct DemoJob {
    const char* owner;
    const char* what;
    const char* interval;
    int64_t nextOffset;   // seconds from now
    int64_t lastOffset;   // seconds from now; 0 = never ran
    const char* broken;
    int failures;         // -1 = NULL (never failed or ran)
    int64_t totalTime;
};

OraResult LoadJobs(sqlite3* db, int64_t now)
{
    const int64_t day = 86400;
    const DemoJob jobs[] = {
        {"SCOTT", "refresh_stats;", "SYSDATE + 1/24", -600, -3600 - 600, "N", 0, 412},
        {"SCOTT", "raise_salary(7369, 5);", "ADD_MONTHS(TRUNC(SYSDATE, 'MM'), 1)", 12 * day, -18 * day, "N", 0, 3},
        {"SCOTT", "log_action('NIGHTLY', 'batch run');", "TRUNC(SYSDATE) + 1 + 2/24", 5 * 3600, -19 * 3600, "N", 0, 97},
        {"SCOTT", "failing_job;", "SYSDATE + 1/24", 240, -2 * day, "N", 3, 18},
        {"SCOTT", "emp_pkg.fire(0);", "NEXT_DAY(TRUNC(SYSDATE), 'MONDAY') + 8/24", 3 * day, -4 * day, "N", 0, 6},
        {"SCOTT", "failing_job;", "SYSDATE + 1", 0, -20 * day, "Y", 16, 44},
        {"SCOTT", "refresh_stats;", "null", 2 * day, 0, "N", -1, 0},
        {"SCOTT", "swap_values_demo;", "SYSDATE + 7", 0, -30 * day, "Y", 0, 0},
        {"SCOTT", "BEGIN log_action('WEEKLY'); refresh_stats; END;", "TRUNC(SYSDATE + 7, 'DAY')", -2 * day, -9 * day, "N", 1, 250},
        {"APPUSER", "purge_settings(30);", "TRUNC(SYSDATE) + 1", 9 * 3600, -15 * 3600, "N", 0, 12},
        {"APPUSER", "purge_settings(0);", "SYSDATE + 30/1440", -90, -1800, "N", 2, 5},
        {"SYSTEM", "dbms_output.put_line('housekeeping');", "SYSDATE + 6/24", 3 * 3600, -3 * 3600, "N", 0, 31},
    };
    const char* nls = "NLS_LANGUAGE='AMERICAN' NLS_TERRITORY='AMERICA' NLS_CURRENCY='$' NLS_ISO_CURRENCY='AMERICA'"
                      " NLS_NUMERIC_CHARACTERS='.,' NLS_DATE_FORMAT='DD-MON-RR' NLS_DATE_LANGUAGE='AMERICAN'"
                      " NLS_SORT='BINARY'";
    const int64_t year4000 = 64060588800; // 01-JAN-4000
    int64_t number = 0;
    for (const DemoJob& j : jobs) {
        SqliteStmt next(db, "SELECT last_number FROM cat_sequences WHERE sequence_owner = 'SYS' AND sequence_name = 'JOBSEQ'");
        number = next.Step() ? next.Int(0) : number + 1;
        SqliteStmt bump(db, "UPDATE cat_sequences SET last_number = last_number + 1 WHERE sequence_owner = 'SYS'"
                            " AND sequence_name = 'JOBSEQ'");
        bump.Run();
        const bool broken = j.broken[0] == 'Y';
        SqliteStmt q(db, "INSERT INTO main.cat_jobs(job, log_user, priv_user, schema_user, last_date, this_date, next_date,"
                         " total_time, broken, interval, failures, what, nls_env, misc_env, instance)"
                         " VALUES (?, ?, ?, ?, ?, NULL, ?, ?, ?, ?, ?, ?, ?, x'0102000200000000', 0)");
        q.Bind(1, number).Bind(2, std::string(j.owner)).Bind(3, std::string(j.owner)).Bind(4, std::string(j.owner));
        j.lastOffset ? q.Bind(5, now + j.lastOffset) : q.BindNull(5);
        q.Bind(6, broken ? year4000 : now + j.nextOffset);
        q.Bind(7, j.totalTime).Bind(8, std::string(j.broken)).Bind(9, std::string(j.interval));
        j.failures < 0 ? q.BindNull(10) : q.Bind(10, static_cast<int64_t>(j.failures));
        q.Bind(11, std::string(j.what)).Bind(12, std::string(nls));
        if (!q.Run())
            return OraResult{600, std::string("ORA-00600: internal error code, arguments: [demo jobs], [") +
                                      sqlite3_errmsg(db) + "]", 0};
    }
    return OraResult{};
}

} // namespace

OraResult LoadDemoSchema(const std::shared_ptr<OraSessionCore>& sysCore)
{
    {
        // Loaded once; a load that failed half-way fails again visibly.
        SqliteStmt done(sysCore->Db(), "SELECT 1 FROM cat_db WHERE key = 'demo_loaded'");
        if (done.Step())
            return OraResult{};
    }
    OraEngineSession sys(sysCore);
    OraResult r = RunScript(sys, kSysScript, std::size(kSysScript));
    if (!r.Ok())
        return r;
    OraResult alive = sysCore->CheckAlive();
    if (!alive.Ok())
        return alive;
    const int64_t now = OracleSysdate(sysCore->Db());
    // The other schemas are built by their owners, as a DBA would script them.
    {
        std::shared_ptr<OraSessionCore> core;
        r = OraSessionCore::OpenInternal(sysCore->Ref(), "SCOTT", &core);
        if (!r.Ok())
            return r;
        OraEngineSession scott(core);
        r = RunScript(scott, kScottScript, std::size(kScottScript));
        if (r.Ok())
            r = LoadAuditRows(scott, now);
        if (!r.Ok())
            return r;
    }
    {
        std::shared_ptr<OraSessionCore> core;
        r = OraSessionCore::OpenInternal(sysCore->Ref(), "APPUSER", &core);
        if (!r.Ok())
            return r;
        OraEngineSession appuser(core);
        r = RunScript(appuser, kAppUserScript, std::size(kAppUserScript));
        if (!r.Ok())
            return r;
    }
    // The demo's jobs are loaded committed, with no transaction of their own.
    r = sysCore->BeginWrite(OraSessionCore::LockWait::Wait, false);
    if (!r.Ok())
        return r;
    r = LoadJobs(sysCore->Db(), now);
    if (r.Ok() && !SqliteExec(sysCore->Db(), "INSERT INTO cat_db VALUES ('demo_loaded', '1')"))
        r = OraResult{600, "ORA-00600: internal error code, arguments: [demo marker]", 0};
    OraResult ended = sysCore->EndWrite(r.Ok());
    return r.Ok() ? ended : r;
}

} // namespace VkOracle

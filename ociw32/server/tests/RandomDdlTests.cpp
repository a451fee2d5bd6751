// DDL, grants and changes in random order over a handful of names (fixed
// seed): every statement ends in a result or an Oracle error with its text,
// never an internal error, whatever state earlier statements left behind.
#include "EngineFixture.h"

#include <random>

namespace oraenginetest {
namespace {

std::mt19937 g(99);
int P(int n) { return static_cast<int>(g() % n); }
const char* Pick(std::initializer_list<const char*> l) { return l.begin()[P(static_cast<int>(l.size()))]; }
std::string Name() { return Pick({ "T1", "T2", "V1", "S1", "I1", "X", "EMP", "SYS.DUAL", "P1", "TR1", "U1" }); }
std::string Type()
{
    return Pick({ "NUMBER", "NUMBER(5)", "NUMBER(5,2)", "VARCHAR2(10)", "CHAR(3)", "DATE", "LONG", "VARCHAR2", "FLOAT",
        "INTEGER", "NUMBER(*)", "RAW(4)" });
}
std::string Col() { return Pick({ "A", "B", "C", "D" }); }
std::string Stmt()
{
    switch (P(16)) {
    case 0: {
        std::string s = std::string("CREATE TABLE ") + Name() + " (";
        int n = 1 + P(4);
        for (int i = 0; i < n; ++i) {
            s += (i ? ", " : "") + Col() + " " + Type();
            if (!P(3))
                s += Pick({ " NOT NULL", " PRIMARY KEY", " UNIQUE", " DEFAULT 1", " DEFAULT SYSDATE", " CHECK (A > 0)",
                    " REFERENCES T1", " REFERENCES T2 (A)", " CONSTRAINT C1 CHECK (B IS NULL)" });
        }
        if (!P(3))
            s += Pick({ ", PRIMARY KEY (A, B)", ", UNIQUE (A)", ", FOREIGN KEY (A) REFERENCES T1 ON DELETE CASCADE",
                ", CONSTRAINT K CHECK (A IN (1,2))" });
        return s + ")";
    }
    case 1:
        return std::string("CREATE ") + Pick({ "", "OR REPLACE " }) + "VIEW " + Name() + " AS SELECT "
            + Pick({ "*", "A", "A + 1 X", "COUNT(*) N", "A, A" }) + " FROM " + Name();
    case 2:
        return std::string("CREATE ") + Pick({ "", "UNIQUE " }) + "INDEX " + Name() + " ON " + Name() + " (" + Col()
            + ")";
    case 3:
        return std::string("CREATE SEQUENCE ") + Name()
            + Pick({ "", " START WITH 5", " INCREMENT BY -1", " MAXVALUE 2 CYCLE", " MINVALUE 10 MAXVALUE 1" });
    case 4:
        return std::string("DROP ")
            + Pick({ "TABLE ", "VIEW ", "INDEX ", "SEQUENCE ", "SYNONYM ", "PROCEDURE ", "TRIGGER ", "USER " }) + Name()
            + Pick({ "", " CASCADE", " CASCADE CONSTRAINTS" });
    case 5:
        return std::string("INSERT INTO ") + Name() + " VALUES ("
            + Pick({ "1", "1, 'x'", "NULL", "'abc', SYSDATE, 3", "S1.NEXTVAL", "1, 2, 3, 4" }) + ")";
    case 6:
        return std::string("SELECT * FROM ") + Name();
    case 7:
        return std::string("GRANT ") + Pick({ "SELECT", "ALL", "INSERT, UPDATE", "CREATE TABLE", "DBA", "FOO" })
            + Pick({ " ON ", " " }) + Name() + " TO " + Pick({ "U1", "PUBLIC", "NOBODY", "SYSTEM" });
    case 8:
        return std::string("REVOKE ") + Pick({ "SELECT", "ALL", "CREATE TABLE", "DBA" }) + Pick({ " ON ", " " })
            + Name() + " FROM " + Pick({ "U1", "PUBLIC" });
    case 9:
        return std::string("CREATE ") + Pick({ "", "PUBLIC " }) + "SYNONYM " + Name() + " FOR " + Name();
    case 10:
        return std::string("CREATE USER U1 IDENTIFIED BY P") + Pick({ "", " ACCOUNT LOCK" });
    case 11:
        return std::string("ALTER TABLE ") + Name()
            + Pick({ " ADD (E NUMBER)", " ADD (A DATE)", " ADD CONSTRAINT Q UNIQUE (A)", " DROP CONSTRAINT Q",
                " ADD (F VARCHAR2(2) NOT NULL)" });
    case 12:
        return std::string("CREATE OR REPLACE TRIGGER TR1 BEFORE INSERT ON ") + Name()
            + " FOR EACH ROW BEGIN NULL; END;";
    case 13:
        return std::string("CREATE OR REPLACE PROCEDURE P1 (")
            + Pick({ "X IN NUMBER", "X OUT DATE, Y IN OUT VARCHAR2", "X T1.A%TYPE" }) + ") IS BEGIN NULL; END;";
    case 14:
        return std::string("UPDATE ") + Name() + " SET " + Col() + " = "
            + Pick({ "1", "NULL", "'zzzzzzzzzzzzz'", "SYSDATE", "A + 1" });
    default:
        return std::string("DELETE FROM ") + Name() + Pick({ "", " WHERE A = 1" });
    }
}

class RandomDdlTest : public EngineTest { };

TEST_F(RandomDdlTest, NoInternalErrors)
{
    VkOracle::OraSession& s = System();
    int ok = 0;
    std::vector<std::string> internal;
    for (int i = 0; i < 2500; ++i) {
        const std::string sql = Stmt();
        std::unique_ptr<VkOracle::OraStatement> st;
        VkOracle::OraResult r = s.Parse(sql, &st);
        if (r.Ok()) {
            uint64_t n = 0;
            r = st->Execute(&n);
            std::vector<VkOracle::OraValue> row;
            while (r.Ok() && st->Kind() == VkOracle::OraStatementKind::Query)
                r = st->Fetch(&row);
        }
        if (r.code == 600 || r.message.find(": Message ") != std::string::npos)
            internal.push_back(sql + " -> " + r.message);
        if (r.Ok() || r.code == 1403)
            ++ok;
        if (i % 7 == 0)
            s.Commit();
    }
    EXPECT_TRUE(internal.empty()) << internal.size() << " internal errors, first: " << internal.front();
    EXPECT_GT(ok, 300); // enough statements succeed to build up state
}

} // namespace
} // namespace oraenginetest

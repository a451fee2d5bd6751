// The engine answers the same in the Turkish locale as in the C locale: names
// and keywords are upper-cased by ASCII, data by Oracle's own rules, and
// numbers in SQL text are read and written with a decimal point.
#include "EngineFixture.h"
#include "ExplorerQueries.h"
#include "testsupport/TestLocale.h"

#include <cctype>

namespace oraenginetest {
namespace {

class TurkishEngineTest : public DemoEngineTest {
protected:
    void SetUp() override
    {
        QV_REQUIRE_LOCALE(m_turkish);
        // The trap is live. (Called through a pointer: GCC reasons about
        // toupper's result the C locale's way.)
        int (*volatile toUpper)(int) = std::toupper;
        ASSERT_EQ(toUpper('i'), 'i');
        DemoEngineTest::SetUp();
    }

    qvtest::ProcessLocale m_turkish{qvtest::kTurkishLocale};
};

TEST_F(TurkishEngineTest, LogonAndKeywordsWithLowerCaseI)
{
    std::unique_ptr<VkOracle::OraSession> s;
    VkOracle::OraResult r = Server().Logon(m_db, "scott", "tiger", &s);
    ASSERT_TRUE(r.Ok()) << r.message;
    ASSERT_TRUE(s);
    EXPECT_EQ(Run(*s, "select distinct deptno from emp order by deptno"), "10\n20\n30");
    EXPECT_EQ(Run(*s, "select count(*) from emp where ename like 'S%' and job in ('CLERK', 'ANALYST')"), "2");
    EXPECT_EQ(Run(*s, "select user from dual"), "SCOTT");
    r = Server().Logon(m_db, "scott", "tigers", &s);
    EXPECT_EQ(r.code, 1017);
}

TEST_F(TurkishEngineTest, IdentifiersWithIAndBinds)
{
    VkOracle::OraSession& scott = Logon("SCOTT", "TIGER");
    EXPECT_EQ(Run(scott, "create table liste (kimlik number(4), isim varchar2(20), birim number)"), "ok");
    EXPECT_EQ(Run(scott, "insert into LISTE (KIMLIK, ISIM) values (1, 'ilk')"), "rows=1");
    EXPECT_EQ(Run(scott, "select Isim, kImLiK from liste where isim is not null"), "ilk|1");
    EXPECT_EQ(Run(scott, "select column_name from user_tab_columns where table_name = 'LISTE' order by column_id"),
              "KIMLIK\nISIM\nBIRIM");

    std::unique_ptr<VkOracle::OraStatement> st;
    ASSERT_TRUE(scott.Parse("select isim from liste where kimlik = :kimlik", &st).Ok());
    VkOracle::OraValue v;
    v.kind = VkOracle::OraValue::Kind::Number;
    v.number = VkOracle::OraNumFromInt(1);
    const VkOracle::OraResult bound = st->Bind("kimlik", v);
    ASSERT_TRUE(bound.Ok()) << bound.message;
    uint64_t rows = 0;
    ASSERT_TRUE(st->Execute(&rows).Ok());
    std::vector<VkOracle::OraValue> row;
    ASSERT_TRUE(st->Fetch(&row).Ok());
    ASSERT_EQ(row.size(), 1u);
    EXPECT_EQ(ValueText(row[0]), "ilk");
}

TEST_F(TurkishEngineTest, DataFollowsOraclesCaseRules)
{
    // The session's language is American: i and I map to each other.
    EXPECT_EQ(Run("select upper('istanbul'), lower('IZMIR'), initcap('izmir ili') from dual"),
              "ISTANBUL|izmir|Izmir Ili");
    EXPECT_EQ(Run("select upper('\xC3\xA7i\xC3\xB6'), lower('\xC3\x87I\xC3\x96') from dual"),
              "\xC3\x87I\xC3\x96|\xC3\xA7i\xC3\xB6");
}

TEST_F(TurkishEngineTest, NumbersInSqlText)
{
    EXPECT_EQ(Run("select 1.5 + 1, to_number('2.25') * 2, 0.1 * 3 from dual"), "2.5|4.5|.3");
    EXPECT_EQ(Run("select to_char(1234.5, '9.99EEEE'), to_char(0.5), to_char(-1.25, '90.99') from dual"),
              " 1.23E+03|.5| -1.25");
    EXPECT_EQ(Run("select count(*) from scott.emp where rownum < 2.5"), "2");
    VkOracle::OraSession& scott = Logon("SCOTT", "TIGER");
    // The precision check of NUMBER(2,5) compares with 0.001.
    EXPECT_EQ(Run(scott, "create table kesir (oran number(2,5))"), "ok");
    EXPECT_EQ(Run(scott, "insert into kesir values (0.00099)"), "rows=1");
    EXPECT_EQ(Run(scott, "insert into kesir values (0.001)").substr(0, 9), "ORA-01438");
    EXPECT_EQ(Run(scott, "select oran * 2 from kesir"), ".00198");
}

TEST_F(TurkishEngineTest, ExplorerStatementsRun)
{
    VkOracle::OraSession& scott = Logon("SCOTT", "TIGER");
    VkOracle::OraSession& system = System();
    for (const ProgramQuery& q : kExplorer) {
        if (q.version == 7)
            continue;
        VkOracle::OraSession& s = (q.kind == 46 || q.kind == 47) ? system : scott;
        std::string sql;
        size_t arg = 0;
        for (const char* p = q.sql; *p; ++p) {
            if (p[0] == '%' && p[1] == 's' && arg < q.args.size()) {
                std::string a = q.args[arg++];
                if (!a.empty() && a[0] == '@')
                    a = Run(s, "SELECT OBJECT_ID FROM ALL_OBJECTS WHERE OWNER = 'SCOTT' AND OBJECT_NAME = '" +
                                   a.substr(1) + "' AND OBJECT_TYPE IN ('PROCEDURE','FUNCTION','PACKAGE')");
                sql += a;
                ++p;
            } else {
                sql += *p;
            }
        }
        const std::string result = Run(s, sql);
        EXPECT_EQ(result.find("ORA-"), std::string::npos) << "kind " << q.kind << ": " << sql << "\n" << result;
    }
}

} // namespace
} // namespace oraenginetest

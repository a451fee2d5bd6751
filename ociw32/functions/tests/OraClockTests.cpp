#include "ociw32/functions/tests/OraSqlFixture.h"

#include "ociw32/functions/OraClock.h"
#include "ociw32/functions/OraDateFormat.h"

#include <ctime>

using namespace VkOracle;

namespace {

class OraClockTest : public oratest::OraSqlTest {
protected:
    void TearDown() override
    {
        ClearOracleClock();
        OraSqlTest::TearDown();
    }
    int64_t Sysdate()
    {
        const std::string v = Eval("ora_sysdate()");
        EXPECT_EQ(v.substr(0, 2), "I:") << v;
        return std::stoll(v.substr(2));
    }
};

// A connection with the functions and no clock of its own.
struct PlainConnection {
    PlainConnection()
    {
        sqlite3_open(":memory:", &db);
        RegisterOracleFunctions(db);
    }
    ~PlainConnection() { sqlite3_close(db); }
    int64_t Sysdate()
    {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, "SELECT ora_sysdate()", -1, &stmt, nullptr);
        sqlite3_step(stmt);
        const int64_t v = sqlite3_column_int64(stmt, 0);
        sqlite3_finalize(stmt);
        return v;
    }
    sqlite3* db = nullptr;
};

} // namespace

TEST_F(OraClockTest, ConnectionClockIsPinned)
{
    EXPECT_EQ(Sysdate(), oratest::PinnedNow());
    EXPECT_EQ(Eval("ora_to_char_date(ora_sysdate(), 'YYYY-MM-DD HH24:MI:SS')"), "T:2026-12-07 10:30:00");
    EXPECT_EQ(OracleSysdate(m_db), oratest::PinnedNow());
}

TEST_F(OraClockTest, ProcessClockPinAndOffset)
{
    PlainConnection c;
    SetOracleClockPinned(1000000);
    EXPECT_EQ(c.Sysdate(), 1000000);
    EXPECT_EQ(OracleNow(), 1000000);

    SetOracleClockOffset(86400);
    const int64_t before = OraLocalTimeNow();
    const int64_t shifted = c.Sysdate();
    const int64_t after = OraLocalTimeNow();
    EXPECT_GE(shifted, before + 86400);
    EXPECT_LE(shifted, after + 86400);

    ClearOracleClock();
    const int64_t b2 = OraLocalTimeNow();
    const int64_t plain = c.Sysdate();
    EXPECT_GE(plain, b2);
    EXPECT_LE(plain, OraLocalTimeNow());
    EXPECT_EQ(OracleClockSetting().mode, OraClockMode::System);

    // A connection clock wins over the process clock.
    SetOracleClockPinned(5);
    SetConnectionClock(c.db, {OraClockMode::Pinned, 77});
    EXPECT_EQ(c.Sysdate(), 77);
    ClearConnectionClock(c.db);
    EXPECT_EQ(c.Sysdate(), 5);
}

// The zone's offset is converted once a second: each reading still equals
// the wall clock plus the offset localtime_r gives for that moment, also
// across a second's boundary.
TEST_F(OraClockTest, LocalTimeIsTheWallClockPlusTheZoneOffset)
{
    auto local = [](std::time_t t) {
        std::tm parts {};
        localtime_r(&t, &parts);
        return static_cast<int64_t>(t) + parts.tm_gmtoff;
    };
    const std::time_t start = std::time(nullptr);
    for (std::time_t before = start; before <= start;) {
        before = std::time(nullptr);
        const int64_t now = OraLocalTimeNow();
        const std::time_t after = std::time(nullptr);
        ASSERT_GE(now, local(before));
        ASSERT_LE(now, local(after));
    }
}

TEST_F(OraClockTest, StatementKeepsOneSysdate)
{
    const int64_t a = oratest::PinnedNow();
    EXPECT_EQ(BeginOracleStatement(m_db), a);
    SetConnectionClock(m_db, {OraClockMode::Pinned, a + 3600});
    EXPECT_EQ(Sysdate(), a); // the clock moved, the statement did not
    EXPECT_EQ(BeginOracleStatement(m_db), a); // a nested statement shares it
    EndOracleStatement(m_db);
    EXPECT_EQ(Sysdate(), a);
    EndOracleStatement(m_db);
    EXPECT_EQ(Sysdate(), a + 3600);
    EndOracleStatement(m_db); // unbalanced end is harmless
    EXPECT_EQ(Sysdate(), a + 3600);

    // Every row of one statement sees the same value.
    SetConnectionClock(m_db, {OraClockMode::Offset, 0});
    BeginOracleStatement(m_db);
    EXPECT_EQ(Query("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
                    "SELECT COUNT(DISTINCT ora_sysdate()) FROM n"),
              "I:1");
    EndOracleStatement(m_db);
}

TEST_F(OraClockTest, SessionDateFormat)
{
    EXPECT_EQ(SessionDateFormat(m_db), kOraDefaultDateFormat);
    EXPECT_EQ(SetSessionDateFormat(m_db, "YYYY-MM-DD HH24:MI"), 0);
    EXPECT_EQ(Eval("ora_to_char_date(ora_sysdate())"), "T:2026-12-07 10:30");
    EXPECT_EQ(Eval("ora_to_char_date(ora_to_date_implicit('2001-08-07 09:05'), 'DD.MM.YYYY HH24:MI')"),
              "T:07.08.2001 09:05");
    EXPECT_EQ(Eval("ora_to_date_implicit('AUG-01')"), "ORA-01858: a non-numeric character was found where a numeric was expected");
    EXPECT_EQ(SetSessionDateFormat(m_db, "YYYY-QQQ-XX"), 1821);
    EXPECT_EQ(SessionDateFormat(m_db), "YYYY-MM-DD HH24:MI");

    // Other connections keep their own format.
    PlainConnection other;
    EXPECT_EQ(SessionDateFormat(other.db), kOraDefaultDateFormat);
}

TEST_F(OraClockTest, ToDateDefaultsComeFromTheConnectionClock)
{
    SetConnectionClock(m_db, {OraClockMode::Pinned, [] {
                                  int64_t s = 0;
                                  OraDateFromParts({2061, 3, 20, 0, 0, 0}, &s);
                                  return s;
                              }()});
    EXPECT_EQ(Eval("ora_to_char_date(ora_to_date('15', 'DD'), 'YYYY-MM-DD')"), "T:2061-03-15");
    EXPECT_EQ(Eval("ora_to_char_date(ora_to_date('01-JAN-10'), 'YYYY-MM-DD')"), "T:2110-01-01");
}

TEST(OraFunctionsRegistration, RepeatedRegistrationAndCloseAreSafe)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    RegisterOracleFunctions(db);
    RegisterOracleFunctions(db);
    ASSERT_EQ(SetSessionDateFormat(db, "YYYY"), 0);
    EXPECT_EQ(SessionDateFormat(db), "YYYY");
    sqlite3_close(db);
    // Once closed, the connection's state is gone.
    sqlite3* db2 = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db2), SQLITE_OK);
    RegisterOracleFunctions(db2);
    EXPECT_EQ(SessionDateFormat(db2), kOraDefaultDateFormat);
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db2, "SELECT ora_nvl(NULL, 1)", -1, &stmt, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(stmt, 0), 1);
    sqlite3_finalize(stmt);
    sqlite3_close(db2);
    RegisterOracleFunctions(nullptr);
}

// Sessions are looked up by connection address, which a new connection may
// get again once the old one is closed: it must find its own fresh session.
TEST(OraFunctionsRegistration, AReusedConnectionAddressGetsAFreshSession)
{
    for (int i = 0; i < 20; ++i) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
        RegisterOracleFunctions(db);
        EXPECT_EQ(SessionDateFormat(db), kOraDefaultDateFormat) << "connection " << i;
        ASSERT_EQ(SetSessionDateFormat(db, "YYYY"), 0);
        EXPECT_EQ(SessionDateFormat(db), "YYYY");
        sqlite3_close(db);
        EXPECT_EQ(SessionDateFormat(db), kOraDefaultDateFormat) << "closed connection " << i;
    }
}

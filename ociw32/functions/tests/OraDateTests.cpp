#include "ociw32/functions/tests/OraSqlFixture.h"

#include "ociw32/functions/OraDate.h"

using namespace VkOracle;
using oratest::Cases;

namespace {

// SQL for a date literal and for showing a date expression.
std::string D(const std::string& text)
{
    const std::string fmt = text.size() > 10 ? "YYYY-MM-DD HH24:MI:SS" : "YYYY-MM-DD";
    return "ora_to_date('" + text + "', '" + fmt + "')";
}

std::string Show(const std::string& expr)
{
    return "ora_to_char_date(" + expr + ", 'YYYY-MM-DD HH24:MI:SS')";
}

int64_t Date(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    OraDateParts p;
    p.year = y;
    p.month = mo;
    p.day = d;
    p.hour = h;
    p.minute = mi;
    p.second = s;
    int64_t out = 0;
    EXPECT_TRUE(OraDateFromParts(p, &out));
    return out;
}

class OraDateSqlTest : public oratest::OraSqlTest {};

} // namespace

TEST(OraDate, CivilFieldsRoundTripAcrossTheRange)
{
    EXPECT_EQ(Date(1970, 1, 1), 0);
    EXPECT_EQ(Date(2001, 1, 1, 1, 1, 1), 978310861);
    EXPECT_EQ(Date(-4712, 1, 1), kOraDateMin);
    EXPECT_EQ(Date(9999, 12, 31, 23, 59, 59), kOraDateMax);
    for (int64_t s : {kOraDateMin, int64_t(-86401), int64_t(-1), int64_t(0), int64_t(951782400),
                      int64_t(4102444799), kOraDateMax}) {
        const OraDateParts p = OraPartsFromDate(s);
        int64_t back = 0;
        ASSERT_TRUE(OraDateFromParts(p, &back)) << s;
        EXPECT_EQ(back, s);
    }
    // The day before 1 AD is 31 Dec 1 BC: there is no year 0.
    const OraDateParts bc = OraPartsFromDate(Date(1, 1, 1) - 1);
    EXPECT_EQ(bc.year, -1);
    EXPECT_EQ(bc.month, 12);
    EXPECT_EQ(bc.day, 31);
}

TEST(OraDate, InvalidFieldsAreRefused)
{
    int64_t s = 0;
    const OraDateParts bad[] = {
        {0, 1, 1, 0, 0, 0},     {10000, 1, 1, 0, 0, 0}, {-4713, 12, 31, 0, 0, 0},
        {2001, 2, 29, 0, 0, 0}, {2001, 13, 1, 0, 0, 0}, {2001, 4, 31, 0, 0, 0},
        {2001, 1, 1, 24, 0, 0}, {2001, 1, 1, 0, 60, 0}, {2001, 1, 1, 0, 0, 60},
    };
    for (const OraDateParts& p : bad)
        EXPECT_FALSE(OraDateFromParts(p, &s)) << p.year << "-" << p.month << "-" << p.day;
    EXPECT_TRUE(OraDateFromParts({2000, 2, 29, 0, 0, 0}, &s));
    EXPECT_FALSE(OraDateFromParts({1900, 2, 29, 0, 0, 0}, &s));
}

TEST(OraDate, SevenByteFormRoundTrips)
{
    struct Case {
        unsigned char bytes[7];
        int64_t seconds;
    } const cases[] = {
        {{120, 101, 1, 1, 2, 2, 2}, Date(2001, 1, 1, 1, 1, 1)},
        {{120, 100, 1, 1, 1, 1, 1}, Date(2000, 1, 1)},
        {{119, 170, 1, 1, 1, 1, 1}, Date(1970, 1, 1)},
        {{199, 199, 12, 31, 24, 60, 60}, kOraDateMax},
        {{53, 88, 1, 1, 1, 1, 1}, kOraDateMin},
        {{100, 99, 12, 31, 1, 1, 1}, Date(-1, 12, 31)},
    };
    for (const Case& c : cases) {
        unsigned char out[7] = {};
        ASSERT_TRUE(EncodeOracleDate(c.seconds, out)) << c.seconds;
        EXPECT_EQ(std::vector<int>(out, out + 7), std::vector<int>(c.bytes, c.bytes + 7));
        int64_t back = 0;
        ASSERT_TRUE(DecodeOracleDate(c.bytes, &back));
        EXPECT_EQ(back, c.seconds);
    }
}

TEST(OraDate, CorruptSevenByteDatesAreRefused)
{
    const unsigned char bad[][7] = {
        {120, 101, 13, 1, 1, 1, 1},  // month 13
        {120, 101, 0, 1, 1, 1, 1},   // month 0
        {120, 101, 2, 29, 1, 1, 1},  // 29 Feb 2001
        {120, 101, 1, 1, 0, 1, 1},   // hour byte 0
        {120, 101, 1, 1, 25, 1, 1},  // hour 24
        {120, 101, 1, 1, 1, 61, 1},  // minute 60
        {120, 101, 1, 1, 1, 1, 61},  // second 60
        {100, 100, 1, 1, 1, 1, 1},   // year 0
        {120, 200, 1, 1, 1, 1, 1},   // year byte past 99
        {120, 50, 1, 1, 1, 1, 1},    // AD century with a BC year byte
        {0, 0, 0, 0, 0, 0, 0},
        {255, 255, 255, 255, 255, 255, 255},
    };
    for (const auto& b : bad) {
        int64_t s = 0;
        EXPECT_FALSE(DecodeOracleDate(b, &s)) << int(b[0]) << "," << int(b[1]) << "," << int(b[2]);
    }
    unsigned char out[7];
    EXPECT_FALSE(EncodeOracleDate(kOraDateMax + 1, out));
    EXPECT_FALSE(EncodeOracleDate(kOraDateMin - 1, out));
}

TEST(OraDate, CalendarHelpers)
{
    EXPECT_EQ(OraWeekday(Date(2026, 12, 7)), 1); // Monday
    EXPECT_EQ(OraWeekday(Date(1969, 12, 31, 23)), 3);
    EXPECT_EQ(OraJulianDay(Date(2000, 1, 1)), 2451545);
    EXPECT_EQ(OraJulianDay(Date(9999, 12, 31)), 5373484);
    EXPECT_EQ(OraDateFromJulianDay(2452129), Date(2001, 8, 7));
    EXPECT_EQ(OraIsoWeek(Date(2001, 12, 31)), 1);
    EXPECT_EQ(OraIsoYear(Date(2001, 12, 31)), 2002);
    EXPECT_EQ(OraIsoYear(Date(2005, 1, 1)), 2004);
    EXPECT_EQ(OraIsoWeek(Date(2005, 1, 1)), 53);
    EXPECT_EQ(OraDayOfYear(Date(2004, 12, 31)), 366);
}

TEST_F(OraDateSqlTest, AddMonthsKeepsMonthEnds)
{
    Check(Cases{
        {Show("ora_add_months(" + D("2001-01-31") + ", 1)"), "T:2001-02-28 00:00:00"},
        {Show("ora_add_months(" + D("2004-01-31") + ", 1)"), "T:2004-02-29 00:00:00"},
        {Show("ora_add_months(" + D("2001-02-28") + ", 1)"), "T:2001-03-31 00:00:00"},
        {Show("ora_add_months(" + D("2001-04-30") + ", 1)"), "T:2001-05-31 00:00:00"},
        {Show("ora_add_months(" + D("2001-01-30") + ", 1)"), "T:2001-02-28 00:00:00"},
        {Show("ora_add_months(" + D("2000-02-29") + ", 12)"), "T:2001-02-28 00:00:00"},
        {Show("ora_add_months(" + D("2001-03-15 10:20:30") + ", -2)"), "T:2001-01-15 10:20:30"},
        {Show("ora_add_months(" + D("2001-01-15") + ", -13)"), "T:1999-12-15 00:00:00"},
        {Show("ora_add_months(" + D("2001-01-15") + ", 1.9)"), "T:2001-02-15 00:00:00"},
        {Show("ora_add_months(" + D("2001-01-15") + ", '2')"), "T:2001-03-15 00:00:00"},
        {"ora_add_months(" + D("9999-12-15") + ", 1)",
         "ORA-01841: (full) year must be between -4713 and +9999, and not be 0"},
        {"ora_add_months(NULL, 1)", "NULL"},
        {"ora_add_months(" + D("2001-01-15") + ", NULL)", "NULL"},
    });
}

TEST_F(OraDateSqlTest, LastDayAndNextDay)
{
    Check(Cases{
        {Show("ora_last_day(" + D("2004-02-10 13:14:15") + ")"), "T:2004-02-29 13:14:15"},
        {Show("ora_last_day(" + D("1900-02-01") + ")"), "T:1900-02-28 00:00:00"},
        {Show("ora_last_day(" + D("2001-12-01") + ")"), "T:2001-12-31 00:00:00"},
        {"ora_last_day(NULL)", "NULL"},
        {Show("ora_next_day(" + D("2026-12-07") + ", 'MONDAY')"), "T:2026-12-14 00:00:00"},
        {Show("ora_next_day(" + D("2026-12-07") + ", 'tue')"), "T:2026-12-08 00:00:00"},
        {Show("ora_next_day(" + D("2026-12-07") + ", 'Sunday')"), "T:2026-12-13 00:00:00"},
        {Show("ora_next_day(" + D("2026-12-07") + ", 'mond')"), "T:2026-12-14 00:00:00"},
        {Show("ora_next_day(" + D("2026-12-07 15:00:00") + ", 'WED')"), "T:2026-12-09 15:00:00"},
        {"ora_next_day(" + D("2026-12-07") + ", 'XYZ')", "ORA-01846: not a valid day of the week"},
        {"ora_next_day(" + D("2026-12-07") + ", 'MO')", "ORA-01846: not a valid day of the week"},
        {"ora_next_day(" + D("2026-12-07") + ", NULL)", "NULL"},
    });
}

TEST_F(OraDateSqlTest, MonthsBetween)
{
    Check(Cases{
        {"ora_months_between(" + D("1995-02-02") + ", " + D("1995-01-01") + ")", "R:1.032258065"},
        {"ora_months_between(" + D("1995-01-01") + ", " + D("1995-02-02") + ")", "R:-1.032258065"},
        {"ora_months_between(" + D("2001-02-28") + ", " + D("2001-01-31") + ")", "I:1"},
        {"ora_months_between(" + D("2001-03-31") + ", " + D("2001-02-28") + ")", "I:1"},
        {"ora_months_between(" + D("2001-03-15") + ", " + D("2000-01-15") + ")", "I:14"},
        {"ora_months_between(" + D("2001-03-15 23:00:00") + ", " + D("2001-01-15") + ")", "I:2"},
        {"ora_months_between(" + D("2001-01-02 12:00:00") + ", " + D("2001-01-01") + ")",
         "R:0.04838709677"},
        {"ora_months_between(NULL, " + D("2001-01-01") + ")", "NULL"},
    });
}

TEST_F(OraDateSqlTest, TruncAndRoundEveryFormat)
{
    const std::string d = D("2001-08-17 14:45:50"); // a Friday
    struct Row {
        const char* fmt;
        const char* trunc;
        const char* round;
    } const rows[] = {
        {"CC", "2001-01-01 00:00:00", "2001-01-01 00:00:00"},
        {"SCC", "2001-01-01 00:00:00", "2001-01-01 00:00:00"},
        {"YYYY", "2001-01-01 00:00:00", "2002-01-01 00:00:00"},
        {"SYYYY", "2001-01-01 00:00:00", "2002-01-01 00:00:00"},
        {"YEAR", "2001-01-01 00:00:00", "2002-01-01 00:00:00"},
        {"YYY", "2001-01-01 00:00:00", "2002-01-01 00:00:00"},
        {"YY", "2001-01-01 00:00:00", "2002-01-01 00:00:00"},
        {"Y", "2001-01-01 00:00:00", "2002-01-01 00:00:00"},
        {"IYYY", "2001-01-01 00:00:00", "2001-12-31 00:00:00"},
        {"IY", "2001-01-01 00:00:00", "2001-12-31 00:00:00"},
        {"Q", "2001-07-01 00:00:00", "2001-10-01 00:00:00"},
        {"MONTH", "2001-08-01 00:00:00", "2001-09-01 00:00:00"},
        {"MON", "2001-08-01 00:00:00", "2001-09-01 00:00:00"},
        {"MM", "2001-08-01 00:00:00", "2001-09-01 00:00:00"},
        {"mm", "2001-08-01 00:00:00", "2001-09-01 00:00:00"},
        {"RM", "2001-08-01 00:00:00", "2001-09-01 00:00:00"},
        {"WW", "2001-08-13 00:00:00", "2001-08-20 00:00:00"},
        {"IW", "2001-08-13 00:00:00", "2001-08-20 00:00:00"},
        {"W", "2001-08-15 00:00:00", "2001-08-15 00:00:00"},
        {"DDD", "2001-08-17 00:00:00", "2001-08-18 00:00:00"},
        {"DD", "2001-08-17 00:00:00", "2001-08-18 00:00:00"},
        {"J", "2001-08-17 00:00:00", "2001-08-18 00:00:00"},
        {"DAY", "2001-08-12 00:00:00", "2001-08-19 00:00:00"},
        {"DY", "2001-08-12 00:00:00", "2001-08-19 00:00:00"},
        {"D", "2001-08-12 00:00:00", "2001-08-19 00:00:00"},
        {"HH", "2001-08-17 14:00:00", "2001-08-17 15:00:00"},
        {"HH12", "2001-08-17 14:00:00", "2001-08-17 15:00:00"},
        {"HH24", "2001-08-17 14:00:00", "2001-08-17 15:00:00"},
        {"MI", "2001-08-17 14:45:00", "2001-08-17 14:46:00"},
    };
    for (const Row& r : rows) {
        const std::string fmt = std::string("'") + r.fmt + "'";
        EXPECT_EQ(Eval(Show("ora_trunc_date(" + d + ", " + fmt + ")")), std::string("T:") + r.trunc)
            << "TRUNC " << r.fmt;
        EXPECT_EQ(Eval(Show("ora_round_date(" + d + ", " + fmt + ")")), std::string("T:") + r.round)
            << "ROUND " << r.fmt;
    }
}

TEST_F(OraDateSqlTest, RoundingThresholds)
{
    Check(Cases{
        {Show("ora_trunc_date(" + D("2001-08-17 14:45:50") + ")"), "T:2001-08-17 00:00:00"},
        {Show("ora_round_date(" + D("2001-08-17 14:45:50") + ")"), "T:2001-08-18 00:00:00"},
        {Show("ora_round_date(" + D("2001-08-17 11:59:59") + ")"), "T:2001-08-17 00:00:00"},
        {Show("ora_round_date(" + D("2001-06-30 23:59:59") + ", 'YEAR')"), "T:2001-01-01 00:00:00"},
        {Show("ora_round_date(" + D("2001-07-01 00:00:00") + ", 'YEAR')"), "T:2002-01-01 00:00:00"},
        {Show("ora_round_date(" + D("2001-08-15 23:00:00") + ", 'Q')"), "T:2001-07-01 00:00:00"},
        {Show("ora_round_date(" + D("2001-12-16 00:00:00") + ", 'MM')"), "T:2002-01-01 00:00:00"},
        {Show("ora_round_date(" + D("2001-08-15 23:59:59") + ", 'MM')"), "T:2001-08-01 00:00:00"},
        {Show("ora_trunc_date(" + D("1999-08-17 00:00:00") + ", 'CC')"), "T:1901-01-01 00:00:00"},
        {Show("ora_round_date(" + D("1999-08-17 00:00:00") + ", 'CC')"), "T:2001-01-01 00:00:00"},
        {Show("ora_round_date(" + D("1950-06-01 00:00:00") + ", 'CC')"), "T:1901-01-01 00:00:00"},
        {Show("ora_round_date(" + D("2001-08-17 14:29:59") + ", 'HH')"), "T:2001-08-17 14:00:00"},
        {Show("ora_round_date(" + D("2001-08-17 14:45:29") + ", 'MI')"), "T:2001-08-17 14:45:00"},
        {"ora_trunc_date(" + D("2001-08-17 14:45:50") + ", 'SS')", "ORA-01899: bad precision specifier"},
        {"ora_round_date(" + D("2001-08-17 14:45:50") + ", 'XX')", "ORA-01821: date format not recognized"},
        {"ora_round_date(" + D("9999-12-31 00:00:00") + ", 'YYYY')",
         "ORA-01841: (full) year must be between -4713 and +9999, and not be 0"},
        {"ora_trunc_date(" + D("2001-08-17 14:45:50") + ", NULL)", "NULL"},
        {"ora_trunc_date(NULL)", "NULL"},
    });
}

TEST_F(OraDateSqlTest, DateArithmeticInDays)
{
    const std::string base = D("2001-01-01");
    Check(Cases{
        {Show("ora_date_add_days(" + base + ", 1)"), "T:2001-01-02 00:00:00"},
        {Show("ora_date_add_days(" + base + ", 0.5)"), "T:2001-01-01 12:00:00"},
        {Show("ora_date_add_days(" + base + ", ora_div(1, 24))"), "T:2001-01-01 01:00:00"},
        {Show("ora_date_add_days(" + base + ", ora_div(1, 86400))"), "T:2001-01-01 00:00:01"},
        {Show("ora_date_add_days(" + base + ", ora_div(1, 172800))"), "T:2001-01-01 00:00:01"},
        {Show("ora_date_add_days(" + base + ", -1)"), "T:2000-12-31 00:00:00"},
        {"ora_date_diff(" + D("2001-01-02") + ", " + base + ")", "I:1"},
        {"ora_date_diff(" + D("2001-01-01 12:00:00") + ", " + base + ")", "R:0.5"},
        {"ora_date_diff(" + base + ", " + D("2001-01-01 06:00:00") + ")", "R:-0.25"},
        {"ora_date_add_days(" + D("9999-12-31") + ", 1)",
         "ORA-01841: (full) year must be between -4713 and +9999, and not be 0"},
        {"ora_date_add_days(NULL, 1)", "NULL"},
        {"ora_date_add_days(" + base + ", NULL)", "NULL"},
        {"ora_date_diff(" + base + ", NULL)", "NULL"},
    });
}

TEST_F(OraDateSqlTest, TextDatesConvertImplicitly)
{
    Check(Cases{
        {Show("ora_to_date_implicit('07-AUG-01')"), "T:2001-08-07 00:00:00"},
        {Show("ora_add_months('31-JAN-01', 1)"), "T:2001-02-28 00:00:00"},
        {"ora_to_date_implicit('2001-08-07')",
         "ORA-01843: not a valid month"},
        {"ora_to_date_implicit(NULL)", "NULL"},
        {"ora_to_date_implicit('')", "NULL"},
    });
}

// Job interval expressions composed the way the SQL compiler calls the
// functions; the fixture's clock says Monday 2026-12-07 10:30:00.
TEST_F(OraDateSqlTest, ScheduleExpressions)
{
    const std::string sysdate = "ora_sysdate()";
    auto trunc = [](const std::string& e, const std::string& fmt = "") {
        return "ora_trunc_date(" + e + (fmt.empty() ? "" : ", '" + fmt + "'") + ")";
    };
    auto plus = [](const std::string& d, const std::string& n) {
        return "ora_date_add_days(" + d + ", " + n + ")";
    };
    Check(Cases{
        // TRUNC(NEXT_DAY(LAST_DAY(SYSDATE),'Mon'))+10/24
        {Show(plus(trunc("ora_next_day(ora_last_day(" + sysdate + "), 'Mon')"), "ora_div(10, 24)")),
         "T:2027-01-04 10:00:00"},
        // TO_DATE('1-'||TO_CHAR(ADD_MONTHS(SYSDATE, 1),'MON-YYYY'),'DD-MON-YYYY')
        {Show("ora_to_date(ora_concat('1-', ora_to_char_date(ora_add_months(" + sysdate +
              ", 1), 'MON-YYYY')), 'DD-MON-YYYY')"),
         "T:2027-01-01 00:00:00"},
        // TRUNC(LAST_DAY(ADD_MONTHS(TRUNC(SYSDATE, 'Q'), 3)))
        {Show(trunc("ora_last_day(ora_add_months(" + trunc(sysdate, "Q") + ", 3))")),
         "T:2027-01-31 00:00:00"},
        // TRUNC(ADD_MONTHS(TRUNC(SYSDATE, 'Q'), 3)-1)
        {Show(trunc(plus("ora_add_months(" + trunc(sysdate, "Q") + ", 3)", "-1"))),
         "T:2026-12-31 00:00:00"},
        // TRUNC(LEAST(NEXT_DAY(SYSDATE,'Mon'),NEXT_DAY(SYSDATE,'Wed'),NEXT_DAY(SYSDATE,'Fri')))
        {Show(trunc("ora_least(ora_next_day(" + sysdate + ", 'Mon'), ora_next_day(" + sysdate +
                    ", 'Wed'), ora_next_day(" + sysdate + ", 'Fri'))")),
         "T:2026-12-09 00:00:00"},
        // TRUNC(SYSDATE+14)+8.5/24
        {Show(plus(trunc(plus(sysdate, "14")), "ora_div(8.5, 24)")), "T:2026-12-21 08:30:00"},
        // TRUNC(SYSDATE,'MI')+1/24
        {Show(plus(trunc(sysdate, "MI"), "ora_div(1, 24)")), "T:2026-12-07 11:30:00"},
        // SYSDATE+.020833 is half an hour to the second
        {Show(plus(sysdate, ".020833")), "T:2026-12-07 11:00:00"},
        // DECODE(LEAST(SYSDATE+.020833,TRUNC(SYSDATE)+.33333),SYSDATE+.020833,...,...)
        {Show("ora_decode(ora_least(" + plus(sysdate, ".020833") + ", " + plus(trunc(sysdate), ".33333") +
              "), " + plus(sysdate, ".020833") + ", " + plus(sysdate, ".020833") + ", " +
              plus(trunc(plus(sysdate, "1")), ".33333") + ")"),
         "T:2026-12-08 08:00:00"},
    });
}

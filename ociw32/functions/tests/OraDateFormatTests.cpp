#include "ociw32/functions/tests/OraSqlFixture.h"

#include "ociw32/functions/OraDateFormat.h"

using namespace VkOracle;
using oratest::Cases;

namespace {

class OraDateFormatTest : public oratest::OraSqlTest {
protected:
    std::string Fmt(const std::string& dateText, const std::string& fmt)
    {
        return Eval("ora_to_char_date(ora_to_date('" + dateText + "', 'SYYYY-MM-DD HH24:MI:SS'), '" +
                    fmt + "')");
    }
    std::string Parse(const std::string& text, const std::string& fmt)
    {
        return Eval("ora_to_char_date(ora_to_date('" + text + "', '" + fmt +
                    "'), 'SYYYY-MM-DD HH24:MI:SS')");
    }
};

int64_t At(int y, int mo, int d)
{
    OraDateParts p{y, mo, d, 0, 0, 0};
    int64_t s = 0;
    OraDateFromParts(p, &s);
    return s;
}

} // namespace

TEST_F(OraDateFormatTest, ToCharElements)
{
    const std::string d = "2001-08-07 09:05:03"; // a Tuesday
    struct Row {
        const char* fmt;
        const char* out;
    } const rows[] = {
        {"YYYY-MM-DD HH24:MI:SS", "2001-08-07 09:05:03"},
        {"DD-MON-RR", "07-AUG-01"},
        {"DD-MON-YY", "07-AUG-01"},
        {"Mon DD, YYYY", "Aug 07, 2001"},
        {"mon", "aug"},
        {"MONTH", "AUGUST   "},
        {"Month", "August   "},
        {"fmMonth DD, YYYY", "August 7, 2001"},
        {"fmMonth fmDD", "August 07"},
        {"DAY", "TUESDAY  "},
        {"fmDay", "Tuesday"},
        {"DY", "TUE"},
        {"dy", "tue"},
        {"D", "3"},
        {"DDD", "219"},
        {"J", "2452129"},
        {"HH", "09"},
        {"HH12", "09"},
        {"HH24", "09"},
        {"fmHH24", "9"},
        {"AM", "AM"},
        {"pm", "am"},
        {"A.M.", "A.M."},
        {"SSSSS", "32703"},
        {"Q", "3"},
        {"WW", "32"},
        {"IW", "32"},
        {"W", "1"},
        {"CC", "21"},
        {"SCC", " 21"},
        {"Y,YYY", "2,001"},
        {"YYY", "001"},
        {"YY", "01"},
        {"Y", "1"},
        {"RRRR", "2001"},
        {"IYYY", "2001"},
        {"RM", "VIII"},
        {"rm", "viii"},
        {"SYYYY", " 2001"},
        {"fmSYYYY", "2001"},
        {"AD", "AD"},
        {"B.C.", "A.D."},
        {"YEAR", "TWO THOUSAND ONE"},
        {"Year", "Two Thousand One"},
        {"DDTH", "07TH"},
        {"DDth", "07th"},
        {"fmDDth", "7th"},
        {"DDSP", "SEVEN"},
        {"DdSP", "Seven"},
        {"DDSPTH", "SEVENTH"},
        {"\"Quarter\" Q", "Quarter 3"},
        {"YYYY/MM/DD;HH24.MI", "2001/08/07;09.05"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(Fmt(d, r.fmt), std::string("T:") + r.out) << r.fmt;
}

TEST_F(OraDateFormatTest, ToCharEdgesOfDayAndYear)
{
    Check(Cases{
        {"ora_to_char_date(ora_to_date('2001-01-01 00:00:00','YYYY-MM-DD HH24:MI:SS'), 'HH:MI AM')",
         "T:12:00 AM"},
        {"ora_to_char_date(ora_to_date('2001-01-01 12:00:00','YYYY-MM-DD HH24:MI:SS'), 'HH:MI PM')",
         "T:12:00 PM"},
        {"ora_to_char_date(ora_to_date('2001-01-01 21:15:00','YYYY-MM-DD HH24:MI:SS'), 'HH:MI P.M.')",
         "T:09:15 P.M."},
        {"ora_to_char_date(ora_to_date('2001-12-31','YYYY-MM-DD'), 'IYYY-IW')", "T:2002-01"},
        {"ora_to_char_date(ora_to_date('2000-06-01','YYYY-MM-DD'), 'CC')", "T:20"},
        {"ora_to_char_date(ora_to_date('1998-06-01','YYYY-MM-DD'), 'YEAR')", "T:NINETEEN NINETY-EIGHT"},
        {"ora_to_char_date(ora_to_date('2001-01-01','YYYY-MM-DD'), 'RM')", "T:I   "},
        {"ora_to_char_date(ora_to_date('2001-01-01','YYYY-MM-DD'), 'fmRM')", "T:I"},
        {"ora_to_char_date(ora_to_date('2001-01-01','YYYY-MM-DD'), 'fmDDth')", "T:1st"},
        {"ora_to_char_date(ora_to_date('2001-01-02','YYYY-MM-DD'), 'fmDDth')", "T:2nd"},
        {"ora_to_char_date(ora_to_date('2001-01-03','YYYY-MM-DD'), 'fmDDth')", "T:3rd"},
        {"ora_to_char_date(ora_to_date('2001-01-11','YYYY-MM-DD'), 'fmDDth')", "T:11th"},
        {"ora_to_char_date(ora_to_date('2001-01-12','YYYY-MM-DD'), 'fmDDth')", "T:12th"},
        {"ora_to_char_date(ora_to_date('2001-01-22','YYYY-MM-DD'), 'fmDDth')", "T:22nd"},
        {"ora_to_char_date(ora_to_date('2001-01-22','YYYY-MM-DD'), 'DDSPTH')", "T:TWENTY-SECOND"},
        {"ora_to_char_date(ora_to_date('2001-01-01','YYYY-MM-DD'))", "T:01-JAN-01"},
        {"ora_to_char_date(ora_to_date('2001-01-01','YYYY-MM-DD'), 'YYYY-XX')",
         "ORA-01821: date format not recognized"},
        {"ora_to_char_date(NULL, 'YYYY')", "NULL"},
        {"ora_to_char_date(ora_to_date('2001-01-01','YYYY-MM-DD'), NULL)", "NULL"},
    });
}

TEST_F(OraDateFormatTest, ToDateFormats)
{
    struct Row {
        const char* text;
        const char* fmt;
        const char* out;
    } const rows[] = {
        {"01-JAN-01", "DD-MON-RR", " 2001-01-01 00:00:00"},
        {"2001-08-07 09:05:03", "YYYY-MM-DD HH24:MI:SS", " 2001-08-07 09:05:03"},
        {"20010807", "YYYYMMDD", " 2001-08-07 00:00:00"},
        {"2001-08-07", "YYYYMMDD", " 2001-08-07 00:00:00"},
        {"2001/08/07", "YYYY-MM-DD", " 2001-08-07 00:00:00"},
        {"2001-8-7", "YYYY-MM-DD", " 2001-08-07 00:00:00"},
        {"August 7, 2001", "Month DD, YYYY", " 2001-08-07 00:00:00"},
        {"aug 7 2001", "MON DD YYYY", " 2001-08-07 00:00:00"},
        {"7-AUGUST-2001", "DD-MON-YYYY", " 2001-08-07 00:00:00"},
        {"07-AUG-2001", "DD-MM-YYYY", " 2001-08-07 00:00:00"},
        {"07-VIII-2001", "DD-RM-YYYY", " 2001-08-07 00:00:00"},
        {"15-jan-2001", "DD-MON-YY", " 2001-01-15 00:00:00"},
        {"  01-JAN-2001  ", "DD-MON-YYYY", " 2001-01-01 00:00:00"},
        {"2001", "YYYY", " 2001-12-01 00:00:00"},
        {"10:30", "HH24:MI", " 2026-12-01 10:30:00"},
        {"09:15 PM", "HH:MI AM", " 2026-12-01 21:15:00"},
        {"09:15 p.m.", "HH:MI AM", " 2026-12-01 21:15:00"},
        {"12:10 AM", "HH12:MI PM", " 2026-12-01 00:10:00"},
        {"12:10 PM", "HH12:MI PM", " 2026-12-01 12:10:00"},
        {"2452129", "J", " 2001-08-07 00:00:00"},
        {"219 2001", "DDD YYYY", " 2001-08-07 00:00:00"},
        {"32703", "SSSSS", " 2026-12-01 09:05:03"},
        {"07-AUG-2001 TUE", "DD-MON-YYYY DY", " 2001-08-07 00:00:00"},
        {"01-JAN-2001", "DD-MON-YYYY HH24:MI:SS", " 2001-01-01 00:00:00"},
        {"7th of August 2001", "fmDDth \"of\" Month YYYY", " 2001-08-07 00:00:00"},
        {"4712-01-01 BC", "YYYY-MM-DD BC", "-4712-01-01 00:00:00"},
        {"-0044-03-15", "SYYYY-MM-DD", "-0044-03-15 00:00:00"},
        {"01-01-2001", "FXDD-MM-YYYY", " 2001-01-01 00:00:00"},
        {"1-1-2001", "FXfmDD-MM-YYYY", " 2001-01-01 00:00:00"},
        {"01-01-2001 10:20", "FXDD-MM-YYYY HH24:MI", " 2001-01-01 10:20:00"},
        {"2,001-03-04", "Y,YYY-MM-DD", " 2001-03-04 00:00:00"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(Parse(r.text, r.fmt), std::string("T:") + r.out) << r.text << " / " << r.fmt;
}

TEST_F(OraDateFormatTest, TwoDigitYears)
{
    // The pinned clock says 2026: RR maps 00-49 to 20xx and 50-99 to 19xx,
    // YY always takes the current century.
    Check(Cases{
        {"ora_to_char_date(ora_to_date('01-JAN-99'), 'YYYY')", "T:1999"},
        {"ora_to_char_date(ora_to_date('01-JAN-50'), 'YYYY')", "T:1950"},
        {"ora_to_char_date(ora_to_date('01-JAN-49'), 'YYYY')", "T:2049"},
        {"ora_to_char_date(ora_to_date('01-JAN-00'), 'YYYY')", "T:2000"},
        {"ora_to_char_date(ora_to_date('01-JAN-99', 'DD-MON-YY'), 'YYYY')", "T:2099"},
        {"ora_to_char_date(ora_to_date('01-JAN-1899', 'DD-MON-RR'), 'YYYY')", "T:1899"},
    });
    // In the second half of a century RR looks forward instead.
    int64_t now = 0, d = 0;
    int err = 0;
    ASSERT_TRUE(OraDateFromParts({2060, 6, 1, 0, 0, 0}, &now));
    ASSERT_TRUE(ParseOracleDate("01-JAN-49", "DD-MON-RR", now, &d, &err));
    EXPECT_EQ(d, At(2149, 1, 1));
    ASSERT_TRUE(ParseOracleDate("01-JAN-50", "DD-MON-RR", now, &d, &err));
    EXPECT_EQ(d, At(2050, 1, 1));
    ASSERT_TRUE(ParseOracleDate("01-JAN-99", "DD-MON-RR", now, &d, &err));
    EXPECT_EQ(d, At(2099, 1, 1));
}

TEST_F(OraDateFormatTest, ToDateErrorsCarryOracleTexts)
{
    struct Row {
        const char* text;
        const char* fmt;
        const char* error;
    } const rows[] = {
        {"01-JAN-2001 10", "DD-MON-YYYY",
         "ORA-01830: date format picture ends before converting entire input string"},
        {"01-XYZ-2001", "DD-MON-YYYY", "ORA-01843: not a valid month"},
        {"07-08-2001", "DD-MON-YYYY", "ORA-01843: not a valid month"},
        {"13", "MM", "ORA-01843: not a valid month"},
        {"32-JAN-2001", "DD-MON-YYYY", "ORA-01847: day of month must be between 1 and last day of month"},
        {"00-JAN-2001", "DD-MON-YYYY", "ORA-01847: day of month must be between 1 and last day of month"},
        {"31-FEB-2001", "DD-MON-YYYY", "ORA-01839: date not valid for month specified"},
        {"29-FEB-2001", "DD-MON-YYYY", "ORA-01839: date not valid for month specified"},
        {"AB-JAN-2001", "DD-MON-YYYY",
         "ORA-01858: a non-numeric character was found where a numeric was expected"},
        {"01aJAN-2001", "DD-MON-YYYY", "ORA-01861: literal does not match format string"},
        {"01-JAN-2001 y", "DD-MON-YYYY \"x\"", "ORA-01861: literal does not match format string"},
        {"01/01/2001", "FXDD-MM-YYYY", "ORA-01861: literal does not match format string"},
        {"01-01-2001  10:20", "FXDD-MM-YYYY HH24:MI",
         "ORA-01858: a non-numeric character was found where a numeric was expected"},
        {"1-1-2001", "FXDD-MM-YYYY",
         "ORA-01862: the numeric value does not match the length of the format item"},
        {"0000", "YYYY", "ORA-01841: (full) year must be between -4713 and +9999, and not be 0"},
        {"x", "YYYY-XX", "ORA-01821: date format not recognized"},
        {"2001 3", "YYYY Q", "ORA-01820: format code cannot appear in date input format"},
        {"01 01", "MM MON", "ORA-01816: month may only be specified once"},
        {"2001 2001", "YYYY RR", "ORA-01812: year may only be specified once"},
        {"10 10", "HH24 HH", "ORA-01813: hour may only be specified once"},
        {"01 01", "DD DD", "ORA-01810: format code appears twice"},
        {"10 AM", "HH24 AM", "ORA-01818: 'HH24' precludes use of meridian indicator"},
        {"01-JAN-2001 XM", "DD-MON-YYYY AM", "ORA-01855: AM/A.M. or PM/P.M. required"},
        {"01-JAN-2001 XX", "DD-MON-YYYY DY", "ORA-01846: not a valid day of the week"},
        {"25:00", "HH24:MI", "ORA-01850: hour must be between 0 and 23"},
        {"13:00", "HH:MI", "ORA-01849: hour must be between 1 and 12"},
        {"10:60", "HH24:MI", "ORA-01851: minutes must be between 0 and 59"},
        {"10:10:60", "HH24:MI:SS", "ORA-01852: seconds must be between 0 and 59"},
        {"86400", "SSSSS", "ORA-01853: seconds in day must be between 0 and 86399"},
        {"0", "J", "ORA-01854: julian date must be between 1 and 5373484"},
        {"367 2001", "DDD YYYY", "ORA-01848: day of year must be between 1 and 365 (366 for leap year)"},
        {"366 2001", "DDD YYYY", "ORA-01848: day of year must be between 1 and 365 (366 for leap year)"},
        {"2452129 2001-08-08", "J YYYY-MM-DD", "ORA-01834: day of month conflicts with Julian date"},
        {"1 2001", "J DDD", "ORA-01811: Julian date precludes use of day of year"},
        {"2001 AX", "YYYY AD", "ORA-01856: BC/B.C. or AD/A.D. required"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(Parse(r.text, r.fmt), r.error) << r.text << " / " << r.fmt;
    Check(Cases{
        {"ora_to_date(NULL, 'YYYY')", "NULL"},
        {"ora_to_date('2001', NULL)", "NULL"},
        {"ora_to_date('', 'YYYY')", "NULL"},
        {"ora_to_char_date(ora_to_date(20010807, 'YYYYMMDD'), 'YYYY-MM-DD')", "T:2001-08-07"},
    });
}

TEST(OraDateFormatApi, FormatAndParseRoundTripThroughManyModels)
{
    const char* const models[] = {"YYYY-MM-DD HH24:MI:SS", "DD-MON-YYYY HH:MI:SS AM",
                                  "fmMonth DD, YYYY HH24:MI:SS", "J SSSSS", "DDD YYYY HH24 MI SS",
                                  "YYYYMMDDHH24MISS", "DD.MM.RRRR HH12.MI.SS P.M."};
    int64_t now = 0;
    ASSERT_TRUE(OraDateFromParts({2026, 12, 7, 10, 30, 0}, &now));
    const int64_t samples[] = {At(2001, 8, 7) + 32703, At(1999, 12, 31) + 86399, At(2000, 2, 29),
                               At(1582, 10, 15) + 43200, At(9999, 12, 31) + 3600};
    for (const char* model : models)
        for (int64_t s : samples) {
            std::string text;
            int err = 0;
            ASSERT_TRUE(FormatOracleDate(s, model, &text, &err)) << model;
            int64_t back = 0;
            ASSERT_TRUE(ParseOracleDate(text, model, now, &back, &err))
                << model << " '" << text << "' " << err;
            EXPECT_EQ(back, s) << model << " '" << text << "'";
        }
}

TEST(OraDateFormatApi, SpellsNumbers)
{
    EXPECT_EQ(SpellOracleNumber(0), "ZERO");
    EXPECT_EQ(SpellOracleNumber(15), "FIFTEEN");
    EXPECT_EQ(SpellOracleNumber(40), "FORTY");
    EXPECT_EQ(SpellOracleNumber(2452129),
              "TWO MILLION FOUR HUNDRED FIFTY-TWO THOUSAND ONE HUNDRED TWENTY-NINE");
    EXPECT_EQ(FormatOracleDate(At(2001, 1, 1), "JSP").substr(0, 12), "TWO MILLION ");
    EXPECT_EQ(FormatOracleDate(At(2001, 1, 1), "bad format X"), "");
}

#include "OciTestFixture.h"

#include "ociw32/functions/OraDate.h"
#include "ociw32/functions/OraNumber.h"

#include <vector>

using namespace fake;

TEST_F(OciTest, ParseReportsErrorsAtOnceOrWhenDeferred)
{
    Logon(&m_lda);
    Open(&m_cda, &m_lda);
    EXPECT_EQ(oparse(&m_cda, T("SELECT FROM x"), -1, 0, 1), -936);
    EXPECT_EQ(m_cda.rc, 936);
    EXPECT_EQ(m_cda.peo, 7);
    EXPECT_EQ(Message(&m_cda, 936), "ORA-00936: missing expression\n");
    EXPECT_EQ(oexec(&m_cda), -1003);

    // Deferred: accepted now, reported by the first call that needs it.
    EXPECT_EQ(oparse(&m_cda, T("SELECT FROM x"), -1, 1, 1), 0);
    sb4 size = 0;
    EXPECT_EQ(odescr(&m_cda, 1, &size, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), -936);
    EXPECT_EQ(oparse(&m_cda, T("UPDATE 3"), -1, 1, 1), 0);
    EXPECT_EQ(oexec(&m_cda), 0);
    EXPECT_EQ(m_cda.rpc, 3u);
    EXPECT_EQ(m_cda.ft, FT_UPDATE);

    // The text length counts, not a terminator.
    EXPECT_EQ(oparse(&m_cda, T("UPDATE 7 trailing"), 8, 0, 1), 0);
    EXPECT_EQ(oexec(&m_cda), 0);
    EXPECT_EQ(m_cda.rpc, 7u);
    EXPECT_EQ(oparse(&m_cda, T("SELECT * FROM ROWS1"), -1, 0, 1), 0);
    EXPECT_EQ(m_cda.ft, FT_SELECT);
}

TEST_F(OciTest, DdlRunsAtParseUnlessDeferred)
{
    Logon(&m_lda);
    Open(&m_cda, &m_lda);
    ASSERT_EQ(oparse(&m_cda, T("CREATE TABLE t (x NUMBER)"), -1, 0, 1), 0);
    EXPECT_EQ(m_server.ddlRuns.load(), 1);
    EXPECT_EQ(oexec(&m_cda), 0);
    EXPECT_EQ(m_server.ddlRuns.load(), 1);
    ASSERT_EQ(oparse(&m_cda, T("CREATE TABLE u (x NUMBER)"), -1, 1, 1), 0);
    EXPECT_EQ(m_server.ddlRuns.load(), 1);
    EXPECT_EQ(oexec(&m_cda), 0);
    EXPECT_EQ(m_server.ddlRuns.load(), 2);
}

TEST_F(OciTest, DescribeListsTheSelectListThenEnds)
{
    Prepare("SELECT VALUES");
    struct Expected {
        const char* name;
        int type, size, prec, scale, nullok;
    };
    const Expected expected[] = {
        {"AMOUNT", 2, 22, 7, 2, 1},  {"COUNT", 2, 22, 10, 0, 1}, {"WORD", 1, 5, 0, 0, 1},
        {"WHEN", 12, 7, 0, 0, 1},    {"NOTHING", 1, 10, 0, 0, 1}, {"DIGITS", 96, 3, 0, 0, 1},
        {"HALF", 2, 22, 0, 0, 1},    {"A_VERY_LONG_COLUMN_N", 1, 3, 0, 0, 1},
    };
    sword pos = 1;
    for (const Expected& e : expected) {
        sb4 dbsize = -1, cbufl = 20, dsize = -1;
        sb2 dbtype = -1, prec = -1, scale = -1, nullok = -1;
        sb1 name[32] = {};
        ASSERT_EQ(odescr(&m_cda, pos++, &dbsize, &dbtype, name, &cbufl, &dsize, &prec, &scale, &nullok), 0);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(name), static_cast<size_t>(cbufl)), e.name);
        EXPECT_EQ(dbtype, e.type) << e.name;
        EXPECT_EQ(dbsize, e.size) << e.name;
        EXPECT_EQ(prec, e.prec) << e.name;
        EXPECT_EQ(scale, e.scale) << e.name;
        EXPECT_EQ(nullok, e.nullok) << e.name;
        EXPECT_GT(dsize, 0) << e.name;
    }
    sb4 dbsize = 0;
    EXPECT_EQ(odescr(&m_cda, pos, &dbsize, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), -1007);
    EXPECT_EQ(m_cda.rc, OCI_VAR_NOT_IN_LIST);
    EXPECT_EQ(odescr(&m_cda, 0, &dbsize, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), -1007);

    ASSERT_EQ(oparse(&m_cda, T("UPDATE 1"), -1, 0, 1), 0);
    EXPECT_EQ(odescr(&m_cda, 1, &dbsize, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), -1007);
}

TEST_F(OciTest, ArrayFetchCountsRowsCumulativelyAndEndsWith1403)
{
    struct Case {
        int rows, batch;
        std::vector<std::pair<int, int>> calls; // (return, rpc)
    };
    const Case cases[] = {
        {120, 50, {{0, 50}, {0, 100}, {-1403, 120}, {-1403, 120}}},
        {120, 40, {{0, 40}, {0, 80}, {0, 120}, {-1403, 120}}},
        {0, 10, {{-1403, 0}, {-1403, 0}}},
        {3, 1, {{0, 1}, {0, 2}, {0, 3}, {-1403, 3}}},
    };
    Logon(&m_lda);
    Open(&m_cda, &m_lda);
    for (const Case& c : cases) {
        const std::string sql = "SELECT * FROM ROWS" + std::to_string(c.rows);
        ASSERT_EQ(oparse(&m_cda, T(sql.c_str()), -1, 0, 1), 0);
        EXPECT_EQ(ofen(&m_cda, c.batch), -1002); // before oexec
        std::vector<int> ids(static_cast<size_t>(c.batch), -1);
        ASSERT_EQ(odefin(&m_cda, 1, reinterpret_cast<ub1*>(ids.data()), sizeof(int), SQLT_INT, -1,
                         nullptr, nullptr, -1, -1, nullptr, nullptr), 0);
        ASSERT_EQ(oexec(&m_cda), 0);
        int expectedNext = 1;
        for (auto [result, rpc] : c.calls) {
            const ub4 before = m_cda.rpc;
            EXPECT_EQ(ofen(&m_cda, c.batch), result) << sql << " batch " << c.batch;
            EXPECT_EQ(m_cda.rpc, static_cast<ub4>(rpc)) << sql;
            for (ub4 i = 0; i < m_cda.rpc - before; ++i)
                EXPECT_EQ(ids[i], expectedNext++);
        }
        // Executing again starts over.
        ASSERT_EQ(oexec(&m_cda), 0);
        EXPECT_EQ(m_cda.rpc, 0u);
    }
}

TEST_F(OciTest, FetchIntoEveryExternalType)
{
    Prepare("SELECT VALUES");
    // AMOUNT 1234.5, COUNT 42, WORD 'hello', WHEN 2001-01-01 01:01:01,
    // NOTHING NULL, DIGITS '123' (CHAR(3)), HALF -0.5, last 'abc'
    struct Case {
        int pos, ftype, bufl;
        std::vector<unsigned char> bytes;
        int rlen, indicator, rcode;
    };
    auto str = [](const char* s, size_t n) { return std::vector<unsigned char>(s, s + n); };
    unsigned char amount[21];
    const int amountLen = VkOracle::EncodeOracleNumber(VkOracle::OraNumFromDouble(1234.5), amount);
    const int i42 = 42;
    const double d1234 = 1234.5;
    const float fHalf = -0.5f;
    const Case cases[] = {
        {3, SQLT_CHR, 10, str("hello", 5), 5, 0, 0},
        {3, SQLT_STR, 10, str("hello", 6), 5, 0, 0},
        {3, SQLT_STR, 4, str("hel", 4), 3, 5, 1406},
        {3, SQLT_CHR, 3, str("hel", 3), 3, 5, 1406},
        {3, SQLT_AFC, 8, str("hello   ", 8), 8, 0, 0},
        {3, SQLT_LNG, 10, str("hello", 5), 5, 0, 0},
        {3, SQLT_LBI, 10, str("hello", 5), 5, 0, 0},
        {1, SQLT_STR, 10, str("1234.5", 7), 6, 0, 0},
        {7, SQLT_STR, 10, str("-.5", 4), 3, 0, 0},
        {4, SQLT_STR, 20, str("01-JAN-01", 10), 9, 0, 0},
        {1, SQLT_NUM, 22, std::vector<unsigned char>(amount, amount + amountLen), amountLen, 0, 0},
        {2, SQLT_INT, 4, std::vector<unsigned char>(reinterpret_cast<const unsigned char*>(&i42), reinterpret_cast<const unsigned char*>(&i42) + 4), 4, 0, 0},
        {6, SQLT_INT, 4, std::vector<unsigned char>{123, 0, 0, 0}, 4, 0, 0},
        {1, SQLT_FLT, 8, std::vector<unsigned char>(reinterpret_cast<const unsigned char*>(&d1234), reinterpret_cast<const unsigned char*>(&d1234) + 8), 8, 0, 0},
        {7, SQLT_FLT, 4, std::vector<unsigned char>(reinterpret_cast<const unsigned char*>(&fHalf), reinterpret_cast<const unsigned char*>(&fHalf) + 4), 4, 0, 0},
        {4, SQLT_DAT, 7, std::vector<unsigned char>{120, 101, 1, 1, 2, 2, 2}, 7, 0, 0},
        {5, SQLT_STR, 10, str("", 1), 0, -1, 1405},
        {5, SQLT_INT, 4, {}, 0, -1, 1405},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(oparse(&m_cda, T("SELECT VALUES"), -1, 0, 1), 0);
        std::vector<unsigned char> buf(static_cast<size_t>(c.bufl), 0xEE);
        sb2 ind = 99;
        ub2 rlen = 99, rcode = 99;
        ASSERT_EQ(odefin(&m_cda, c.pos, buf.data(), c.bufl, c.ftype, -1, &ind, nullptr, -1, -1, &rlen, &rcode), 0)
            << c.pos << "/" << c.ftype;
        ASSERT_EQ(oexec(&m_cda), 0);
        EXPECT_EQ(ofen(&m_cda, 1), 0) << c.pos << "/" << c.ftype;
        EXPECT_EQ(ind, c.indicator) << c.pos << "/" << c.ftype;
        EXPECT_EQ(rlen, c.rlen) << c.pos << "/" << c.ftype;
        EXPECT_EQ(rcode, c.rcode) << c.pos << "/" << c.ftype;
        EXPECT_EQ(std::vector<unsigned char>(buf.begin(), buf.begin() + static_cast<long>(c.bytes.size())), c.bytes)
            << c.pos << "/" << c.ftype;
    }
}

TEST_F(OciTest, FetchFailuresWithoutIndicatorsOrWithBadConversions)
{
    struct Case {
        int pos, ftype, bufl, code;
    };
    const Case cases[] = {
        {5, SQLT_STR, 10, 1405},  // NULL, no indicator
        {3, SQLT_STR, 3, 1406},   // truncated, no indicator
        {3, SQLT_INT, 4, 1722},   // 'hello' is no number
        {4, SQLT_INT, 4, 932},    // a date is no number
        {1, SQLT_DAT, 7, 932},    // a number is no date
        {3, SQLT_DAT, 7, 1858},   // 'hello' is no date
    };
    Logon(&m_lda);
    Open(&m_cda, &m_lda);
    for (const Case& c : cases) {
        ASSERT_EQ(oparse(&m_cda, T("SELECT VALUES"), -1, 0, 1), 0);
        std::vector<unsigned char> buf(static_cast<size_t>(c.bufl));
        ASSERT_EQ(odefin(&m_cda, c.pos, buf.data(), c.bufl, c.ftype, -1, nullptr, nullptr, -1, -1, nullptr, nullptr), 0);
        ASSERT_EQ(oexec(&m_cda), 0);
        EXPECT_EQ(ofen(&m_cda, 1), -c.code) << c.pos << "/" << c.ftype;
        EXPECT_EQ(m_cda.rc, c.code);
    }
    // Defines the library cannot serve are refused at once.
    ASSERT_EQ(oparse(&m_cda, T("SELECT VALUES"), -1, 0, 1), 0);
    int x = 0;
    EXPECT_EQ(odefin(&m_cda, 1, reinterpret_cast<ub1*>(&x), 3, SQLT_INT, -1, nullptr, nullptr, -1, -1, nullptr, nullptr), -1460);
    EXPECT_EQ(odefin(&m_cda, 9, reinterpret_cast<ub1*>(&x), 4, SQLT_INT, -1, nullptr, nullptr, -1, -1, nullptr, nullptr), -1007);
    EXPECT_EQ(odefin(&m_cda, 1, reinterpret_cast<ub1*>(&x), 4, 99, -1, nullptr, nullptr, -1, -1, nullptr, nullptr), -1460);
}

TEST_F(OciTest, ArraysFillWithTheirStrideAndMarkNulls)
{
    Prepare("SELECT * FROM ROWS7");
    char notes[7][12];
    sb2 ind[7];
    ub2 len[7], rc[7];
    unsigned char dates[7][7];
    ASSERT_EQ(odefin(&m_cda, 3, reinterpret_cast<ub1*>(notes), 12, SQLT_STR, -1, ind, nullptr, -1, -1, len, rc), 0);
    ASSERT_EQ(odefin(&m_cda, 4, &dates[0][0], 7, SQLT_DAT, -1, nullptr, nullptr, -1, -1, nullptr, nullptr), 0);
    ASSERT_EQ(oexec(&m_cda), 0);
    EXPECT_EQ(ofen(&m_cda, 7), 0);
    for (int i = 0; i < 7; ++i) {
        const int row = i + 1;
        if (row % 3 == 0) {
            EXPECT_EQ(ind[i], -1);
            EXPECT_EQ(rc[i], 1405);
            EXPECT_EQ(len[i], 0);
        } else {
            EXPECT_EQ(ind[i], 0);
            EXPECT_STREQ(notes[i], ("note " + std::to_string(row)).c_str());
            EXPECT_EQ(len[i], std::strlen(notes[i]));
        }
        EXPECT_EQ(dates[i][3], row); // day of January
    }
    EXPECT_EQ(ofen(&m_cda, 7), -1403);
    EXPECT_EQ(m_cda.rpc, 7u);
}

TEST_F(OciTest, NamedInBindsOfEveryType)
{
    Prepare("SELECT :a, :b, :c, :d, :e, :f, :g, :h, :nul FROM DUAL");
    const char* chr = "xyzzy";
    unsigned char num[21];
    const int numLen = VkOracle::EncodeOracleNumber(VkOracle::OraNumFromDouble(-12.25), num);
    int integer = -7;
    double dbl = 0.125;
    const char* str = "zero-terminated";
    const char* lng = "a long text";
    unsigned char date[7] = {119, 199, 12, 31, 24, 60, 59};
    const char* afc = "ab  ";
    int nullValue = 5;
    sb2 nullInd = -1;
    EXPECT_EQ(obndrv(&m_cda, T(":A"), -1, (ub1*)chr, 5, SQLT_CHR, -1, nullptr, nullptr, -1, -1), 0);
    EXPECT_EQ(obndrv(&m_cda, T("b"), -1, num, numLen, SQLT_NUM, -1, nullptr, nullptr, -1, -1), 0);
    EXPECT_EQ(obndrv(&m_cda, T(":c"), 2, (ub1*)&integer, sizeof integer, SQLT_INT, -1, nullptr, nullptr, -1, -1), 0);
    EXPECT_EQ(obndrv(&m_cda, T(":D"), -1, (ub1*)&dbl, sizeof dbl, SQLT_FLT, -1, nullptr, nullptr, -1, -1), 0);
    EXPECT_EQ(obndrv(&m_cda, T(":e"), -1, (ub1*)str, -1, SQLT_STR, -1, nullptr, nullptr, -1, -1), 0);
    EXPECT_EQ(obndrv(&m_cda, T(":f"), -1, (ub1*)lng, 6, SQLT_LNG, -1, nullptr, nullptr, -1, -1), 0);
    EXPECT_EQ(obndrv(&m_cda, T(":g"), -1, date, 7, SQLT_DAT, -1, nullptr, nullptr, -1, -1), 0);
    EXPECT_EQ(obndrv(&m_cda, T(":h"), -1, (ub1*)afc, 4, SQLT_AFC, -1, nullptr, nullptr, -1, -1), 0);
    EXPECT_EQ(oexec(&m_cda), -1008); // :nul not bound yet
    EXPECT_EQ(obndrv(&m_cda, T(":nul"), -1, (ub1*)&nullValue, 4, SQLT_INT, -1, &nullInd, nullptr, -1, -1), 0);
    EXPECT_EQ(obndrv(&m_cda, T(":zz"), -1, (ub1*)&nullValue, 4, SQLT_INT, -1, nullptr, nullptr, -1, -1), -1036);

    const char* expected[] = {"xyzzy", "-12.25", "-7", ".125", "zero-terminated", "a long",
                              "31-DEC-99", "ab  ", ""};
    char out[9][40];
    sb2 ind[9];
    for (int i = 0; i < 9; ++i)
        ASSERT_EQ(odefin(&m_cda, i + 1, reinterpret_cast<ub1*>(out[i]), 40, SQLT_STR, -1, &ind[i], nullptr, -1, -1, nullptr, nullptr), 0);
    ASSERT_EQ(oexec(&m_cda), 0);
    ASSERT_EQ(ofen(&m_cda, 1), 0);
    for (int i = 0; i < 9; ++i)
        EXPECT_STREQ(out[i], expected[i]) << i;
    EXPECT_EQ(ind[8], -1);

    // Binds are by reference: the next execution reads the variables again.
    integer = 99;
    nullInd = 0;
    ASSERT_EQ(oexec(&m_cda), 0);
    ASSERT_EQ(ofen(&m_cda, 1), 0);
    EXPECT_STREQ(out[2], "99");
    EXPECT_STREQ(out[8], "5");
}

TEST_F(OciTest, BlockOutBindsComeBack)
{
    Prepare("BEGIN :OUTN := :INN * 2; :OUTS := :INS || :INS; :OUTZ := :INZ; END;");
    double inN = 21, outN = 0;
    char inS[] = "ab", outS[8] = "?", shortS[4] = "?";
    int inZ = 0, outZ = 7;
    sb2 inZInd = -1, outZInd = 0;
    ASSERT_EQ(obndrv(&m_cda, T(":INN"), -1, (ub1*)&inN, 8, SQLT_FLT, -1, nullptr, nullptr, -1, -1), 0);
    ASSERT_EQ(obndrv(&m_cda, T(":OUTN"), -1, (ub1*)&outN, 8, SQLT_FLT, -1, nullptr, nullptr, -1, -1), 0);
    ASSERT_EQ(obndrv(&m_cda, T(":INS"), -1, (ub1*)inS, -1, SQLT_STR, -1, nullptr, nullptr, -1, -1), 0);
    ASSERT_EQ(obndrv(&m_cda, T(":OUTS"), -1, (ub1*)outS, sizeof outS, SQLT_STR, -1, nullptr, nullptr, -1, -1), 0);
    ASSERT_EQ(obndrv(&m_cda, T(":INZ"), -1, (ub1*)&inZ, 4, SQLT_INT, -1, &inZInd, nullptr, -1, -1), 0);
    ASSERT_EQ(obndrv(&m_cda, T(":OUTZ"), -1, (ub1*)&outZ, 4, SQLT_INT, -1, &outZInd, nullptr, -1, -1), 0);
    ASSERT_EQ(oexec(&m_cda), 0);
    EXPECT_EQ(outN, 42);
    EXPECT_STREQ(outS, "abab");
    EXPECT_EQ(outZInd, -1);

    // A text that does not fit its variable is a PL/SQL value error.
    ASSERT_EQ(obndrv(&m_cda, T(":OUTS"), -1, (ub1*)shortS, sizeof shortS, SQLT_STR, -1, nullptr, nullptr, -1, -1), 0);
    EXPECT_EQ(oexec(&m_cda), -6502);
    EXPECT_EQ(Message(&m_cda, 6502), "ORA-06502: PL/SQL: numeric or value error\n");
}

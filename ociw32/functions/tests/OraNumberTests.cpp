#include "ociw32/functions/tests/OraSqlFixture.h"

#include "ociw32/functions/OraNumber.h"

#include <cmath>

using namespace VkOracle;
using oratest::Cases;

namespace {
class OraNumberSqlTest : public oratest::OraSqlTest {};
} // namespace

TEST(OraNumber, PrintsAsOracleDoesWithoutAFormat)
{
    struct Row {
        double value;
        const char* text;
    } const rows[] = {
        {0.5, ".5"},
        {-0.5, "-.5"},
        {1e20, "100000000000000000000"},
        {1.0 / 3, ".333333333333333"},
        {2.0 / 3, ".666666666666667"},
        {0.1 + 0.2, ".3"},
        {123.456, "123.456"},
        {-1234567.125, "-1234567.125"},
        {1e-5, ".00001"},
        {1e39, "1000000000000000000000000000000000000000"},
        {1e40, "1.0000E+40"},
        {-1.5e-45, "-1.5000E-45"},
        {12345678901234567.0, "12345678901234568"},
        {0.0, "0"},
        {-0.0, "0"},
        {100.0, "100"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(FormatOracleNumber(r.value), r.text) << r.value;
    EXPECT_EQ(FormatOracleNumber(int64_t(9223372036854775807)), "9223372036854775807");
    EXPECT_EQ(FormatOracleNumber(int64_t(-42)), "-42");
}

TEST(OraNumber, ParsesImplicitText)
{
    struct Row {
        const char* text;
        bool ok;
        bool isInt;
        double value;
    } const rows[] = {
        {"123", true, true, 123},     {" -12 ", true, true, -12},  {"+7", true, true, 7},
        {"12.5", true, false, 12.5},  {".5", true, false, 0.5},   {"5.", true, true, 5},
        {"1e3", true, true, 1000},    {"-1.5E-2", true, false, -0.015},
        {"9223372036854775807", true, true, 9223372036854775807.0},
        {"abc", false, false, 0},     {"1 2", false, false, 0},   {"", false, false, 0},
        {"-", false, false, 0},       {".", false, false, 0},     {"1e", false, false, 0},
        {"0x10", false, false, 0},    {"1e999", false, false, 0}, {"12abc", false, false, 0},
    };
    for (const Row& r : rows) {
        OraNum n;
        ASSERT_EQ(ParseOracleNumber(r.text, &n), r.ok) << r.text;
        if (!r.ok)
            continue;
        EXPECT_EQ(n.isInt, r.isInt) << r.text;
        EXPECT_DOUBLE_EQ(n.AsDouble(), r.value) << r.text;
    }
}

TEST(OraNumber, FormatModels)
{
    struct Row {
        double value;
        const char* fmt;
        const char* out;
    } const rows[] = {
        {1234.5, "9999.99", " 1234.50"},
        {1234.5, "9,999.99", " 1,234.50"},
        {1234567, "9G999G999", " 1,234,567"},
        {12, "9,999", "    12"},
        {-1234.5, "9999.99", "-1234.50"},
        {0.5, "9.99", "  .50"},
        {0.5, "0.99", " 0.50"},
        {0, "999", "   0"},
        {0, "99.99", "   .00"},
        {0.004, "9.99", "  .00"},
        {7, "000", " 007"},
        {1234, "99", "###"},
        {999.996, "999.99", "#######"},
        {5, "$999", "   $5"},
        {-5, "$999", "  -$5"},
        {5, "S999", "  +5"},
        {-5, "S999", "  -5"},
        {-5, "999S", "  5-"},
        {-5, "999MI", "  5-"},
        {5, "999MI", "  5 "},
        {-5, "999PR", "  <5>"},
        {5, "999PR", "   5 "},
        {1234.5, "FM9999.99", "1234.5"},
        {1, "FM999.99", "1."},
        {1.5, "FM990.00", "1.50"},
        {-5, "FM999MI", "5-"},
        {255, "XX", " FF"},
        {255, "xx", " ff"},
        {255, "FMXX", "FF"},
        {10, "0XX", " 00A"},
        {256, "XX", "###"},
        {1994, "RN", "        MCMXCIV"},
        {1994, "FMRN", "MCMXCIV"},
        {4, "FMrn", "iv"},
        {1234.5, "9.99EEEE", " 1.23E+03"},
        {-0.00012, "9.9EEEE", "-1.2E-04"},
        {1.23, "9V99", " 123"},
        {0, "B999", "    "},
        {123.456, "TM", "123.456"},
        {0.5, "TM9", ".5"},
        {123.456, "TME", "1.23456E+02"},
        {-0.005, "TME", "-5E-03"},
        {0, "TME", "0E+00"},
        {2.675, "9.99", " 2.68"},
    };
    for (const Row& r : rows) {
        std::string out;
        ASSERT_EQ(FormatOracleNumberModel(OraNumFromDouble(r.value), r.fmt, &out), 0) << r.fmt;
        EXPECT_EQ(out, r.out) << r.value << " with " << r.fmt;
    }
    for (const char* bad : {"99A", "9.9.9", "9X9", "9MI9", "PR99", ",99"}) {
        std::string out;
        EXPECT_EQ(FormatOracleNumberModel(OraNumFromInt(1), bad, &out), 1481) << bad;
    }
}

TEST(OraNumber, RoundsAndTruncatesOnDecimalDigits)
{
    struct Row {
        double value;
        int places;
        double round;
        double trunc;
    } const rows[] = {
        {2.675, 2, 2.68, 2.67},      {-2.5, 0, -3, -2},          {2.5, 0, 3, 2},
        {1234, -2, 1200, 1200},      {1250, -2, 1300, 1200},     {-1250, -2, -1300, -1200},
        {1.999, 2, 2, 1.99},         {0.000123456, 5, 0.00012, 0.00012},
        {5, -1, 10, 0},              {4, -1, 0, 0},              {99.5, 0, 100, 99},
        {1.0 / 3, 3, 0.333, 0.333},  {-0.0005, 3, -0.001, 0},    {123.456, 10, 123.456, 123.456},
    };
    for (const Row& r : rows) {
        const OraNum v = OraNumFromDouble(r.value);
        EXPECT_DOUBLE_EQ(OraRoundNumber(v, r.places).AsDouble(), r.round) << r.value << "," << r.places;
        EXPECT_DOUBLE_EQ(OraTruncNumber(v, r.places).AsDouble(), r.trunc) << r.value << "," << r.places;
    }
    EXPECT_TRUE(OraRoundNumber(OraNumFromDouble(2.5), 0).isInt);
    EXPECT_EQ(OraRoundNumber(OraNumFromInt(9223372036854775807), -1).isInt, false);
}

TEST_F(OraNumberSqlTest, ArithmeticFunctions)
{
    Check(Cases{
        {"ora_mod(11, 4)", "I:3"},
        {"ora_mod(-11, 4)", "I:-3"},
        {"ora_mod(11, -4)", "I:3"},
        {"ora_mod(-11, -4)", "I:-3"},
        {"ora_mod(11, 0)", "I:11"},
        {"ora_mod(7.5, 2)", "R:1.5"},
        {"ora_mod(-7.5, 2)", "R:-1.5"},
        {"ora_mod(5.5, 1.1)", "I:0"},
        {"ora_mod(-9223372036854775808, -1)", "I:0"},
        {"ora_mod(NULL, 2)", "NULL"},
        {"ora_mod('11', '4')", "I:3"},
        {"ora_power(2, 10)", "I:1024"},
        {"ora_power(2, -1)", "R:0.5"},
        {"ora_power(2, 0.5)", "R:1.414213562"},
        {"ora_power(2, 64)", "R:1.844674407e+19"},
        {"ora_power(-2, 3)", "I:-8"},
        {"ora_power(-8, 0.5)", "ORA-01428: argument '-8' is out of range"},
        {"ora_power(10, 400)", "ORA-01426: numeric overflow"},
        {"ora_sqrt(16)", "I:4"},
        {"ora_sqrt(2)", "R:1.414213562"},
        {"ora_sqrt(-1)", "ORA-01428: argument '-1' is out of range"},
        {"ora_sqrt(-0.5)", "ORA-01428: argument '-.5' is out of range"},
        {"ora_ceil(1.2)", "I:2"},
        {"ora_ceil(-1.2)", "I:-1"},
        {"ora_floor(-1.2)", "I:-2"},
        {"ora_floor(5)", "I:5"},
        {"ora_ceil(3.0000000000000004)", "I:3"},
        {"ora_sign(-3)", "I:-1"},
        {"ora_sign(0)", "I:0"},
        {"ora_sign(2.5)", "I:1"},
        {"ora_abs(-5)", "I:5"},
        {"ora_abs(-2.5)", "R:2.5"},
        {"ora_abs(NULL)", "NULL"},
        {"ora_add(0.1, 0.2) = 0.3", "I:1"},
        {"ora_add('5', 1)", "I:6"},
        {"ora_add('x', 1)", "ORA-01722: invalid number"},
        {"ora_add(9223372036854775807, 1)", "R:9.223372037e+18"},
        {"ora_sub(0.3, 0.1) = 0.2", "I:1"},
        {"ora_sub(5, 7)", "I:-2"},
        {"ora_mul(1.1, 1.1)", "R:1.21"},
        {"ora_mul(2.5, 4)", "I:10"},
        {"ora_mul(1e200, 1e200)", "ORA-01426: numeric overflow"},
        {"ora_add(NULL, 1)", "NULL"},
        {"ora_div(7, 2)", "R:3.5"},
        {"ora_div(6, 3)", "I:2"},
        {"ora_div(1, 3)", "R:0.3333333333"},
        {"ora_div(1, 0)", "ORA-01476: divisor is equal to zero"},
        {"ora_div(1.5, 0.0)", "ORA-01476: divisor is equal to zero"},
        {"ora_div(NULL, 0)", "NULL"},
        {"ora_exp(0)", "I:1"},
        {"ora_ln(0)", "ORA-01428: argument '0' is out of range"},
        {"ora_log(10, 1000)", "I:3"},
        {"ora_round_num(2.675, 2)", "R:2.68"},
        {"ora_round_num(-2.5)", "I:-3"},
        {"ora_round_num(1250, -2)", "I:1300"},
        {"ora_round_num('2.5')", "I:3"},
        {"ora_round_num(1.5, NULL)", "NULL"},
        {"ora_trunc_num(-2.7)", "I:-2"},
        {"ora_trunc_num(1239, -1)", "I:1230"},
        {"ora_trunc_num(1.999, 2)", "R:1.99"},
        {"ora_trunc_num(15.79, 1.9)", "R:15.7"},
        {"ora_abs('x')", "ORA-01722: invalid number"},
    });
}

TEST_F(OraNumberSqlTest, Conversions)
{
    Check(Cases{
        {"ora_to_num('12')", "I:12"},
        {"ora_to_num(' 12.50 ')", "R:12.5"},
        {"ora_to_num('1 2')", "ORA-01722: invalid number"},
        {"ora_to_num('')", "NULL"},
        {"ora_to_num(5)", "I:5"},
        {"ora_to_num(2.5)", "R:2.5"},
        {"ora_to_number('123')", "I:123"},
        {"ora_to_number('abc')", "ORA-01722: invalid number"},
        {"ora_to_number('1e3')", "I:1000"},
        {"ora_to_number('-.5')", "R:-0.5"},
        {"ora_to_number('1,234.50', '9,999.99')", "R:1234.5"},
        {"ora_to_number('$1,234', '$9,999')", "I:1234"},
        {"ora_to_number('FF', 'XX')", "I:255"},
        {"ora_to_number('fff', 'XX')", "ORA-01722: invalid number"},
        {"ora_to_number('12345', '999')", "ORA-01722: invalid number"},
        {"ora_to_number('1.234', '9.99')", "ORA-01722: invalid number"},
        {"ora_to_number('<5>', '999PR')", "I:-5"},
        {"ora_to_number('5-', '999MI')", "I:-5"},
        {"ora_to_number('-5', '999')", "I:-5"},
        {"ora_to_number('1.2E+03', '9.9EEEE')", "I:1200"},
        {"ora_to_number('12', '9A9')", "ORA-01481: invalid number format model"},
        {"ora_to_number('12', NULL)", "NULL"},
        {"ora_to_number(NULL, '99')", "NULL"},
        {"ora_to_char_num(-0.5)", "T:-.5"},
        {"ora_to_char_num(1234.5, '9,999.99')", "T: 1,234.50"},
        {"ora_to_char_num('12.5', '99.9')", "T: 12.5"},
        {"ora_to_char_num('abc')", "T:abc"},
        {"ora_to_char_num('abc', '99')", "ORA-01722: invalid number"},
        {"ora_to_char_num(1, 'X9')", "ORA-01481: invalid number format model"},
        {"ora_to_char_num(0, 'FMB999')", "NULL"},
        {"ora_to_char_num(NULL, '999')", "NULL"},
        {"ora_to_char_num(5, NULL)", "NULL"},
    });
}

TEST_F(OraNumberSqlTest, SumAndAverage)
{
    ASSERT_EQ(Query("CREATE TABLE t(g INTEGER, v)"), "NO ROW");
    ASSERT_EQ(Query("INSERT INTO t VALUES (1, 0.1), (1, 0.2), (1, NULL), (2, 4), (2, 6), (2, '5'),"
                    " (3, NULL), (4, 'x'), (5, 9223372036854775807), (5, 1), (6, 1), (6, 2)"),
              "NO ROW");
    Check(Cases{
        {"ora_sum(v) = 0.3 FROM t WHERE g = 1", "I:1"},
        {"ora_avg(v) FROM t WHERE g = 1", "R:0.15"},
        {"ora_sum(v) FROM t WHERE g = 2", "I:15"},
        {"ora_avg(v) FROM t WHERE g = 2", "I:5"},
        {"ora_avg(v) FROM t WHERE g = 6", "R:1.5"},
        {"ora_sum(v) FROM t WHERE g = 3", "NULL"},
        {"ora_sum(v) FROM t WHERE g = 99", "NULL"},
        {"ora_avg(v) FROM t WHERE g = 99", "NULL"},
        {"COUNT(v) FROM t WHERE g = 99", "I:0"},
        {"ora_sum(v) FROM t WHERE g = 4", "ORA-01722: invalid number"},
        {"ora_sum(v) FROM t WHERE g = 5", "R:9.223372037e+18"},
        {"ora_sum(DISTINCT v) FROM t WHERE g IN (2, 6)", "I:18"},
    });
}

TEST(OraNumber, InternalNumberBytes)
{
    struct Row {
        double value;
        std::vector<int> bytes;
    } const rows[] = {
        {0, {128}},
        {1, {193, 2}},
        {10, {193, 11}},
        {100, {194, 2}},
        {123, {194, 2, 24}},
        {1234.5, {194, 13, 35, 51}},
        {0.5, {192, 51}},
        {0.01, {192, 2}},
        {-1, {62, 100, 102}},
        {-123, {61, 100, 78, 102}},
        {-0.5, {63, 51, 102}},
        {1e20, {203, 2}},
        {7788, {194, 78, 89}},
    };
    for (const Row& r : rows) {
        unsigned char out[21] = {};
        const int n = EncodeOracleNumber(OraNumFromDouble(r.value), out);
        EXPECT_EQ(std::vector<int>(out, out + n), r.bytes) << r.value;
        std::vector<unsigned char> in(r.bytes.begin(), r.bytes.end());
        OraNum back;
        ASSERT_TRUE(DecodeOracleNumber(in.data(), static_cast<int>(in.size()), &back)) << r.value;
        EXPECT_DOUBLE_EQ(back.AsDouble(), r.value);
    }
    // Integers come back exact, fractions as doubles.
    unsigned char out[21];
    const int n = EncodeOracleNumber(OraNumFromInt(9223372036854775807), out);
    OraNum big;
    ASSERT_TRUE(DecodeOracleNumber(out, n, &big));
    EXPECT_TRUE(big.isInt);
    EXPECT_EQ(big.i, 9223372036854775807);

    const std::vector<std::vector<unsigned char>> bad = {
        {}, {193}, {128, 1}, {193, 0}, {193, 101}, {62, 102}, {62, 1, 102}, {193, 1},
        std::vector<unsigned char>(23, 193)};
    for (const auto& b : bad) {
        OraNum v;
        EXPECT_FALSE(DecodeOracleNumber(b.data(), static_cast<int>(b.size()), &v)) << b.size();
    }
    EXPECT_FALSE(DecodeOracleNumber(nullptr, 2, &big));
}

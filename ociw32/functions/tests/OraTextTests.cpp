#include "ociw32/functions/tests/OraSqlFixture.h"

using oratest::Cases;

namespace {
class OraTextSqlTest : public oratest::OraSqlTest {};
} // namespace

TEST_F(OraTextSqlTest, SubstrEdgeRules)
{
    Check(Cases{
        {"ora_substr('ABCDEFG', 3, 4)", "T:CDEF"},
        {"ora_substr('ABCDEFG', -3, 2)", "T:EF"},
        {"ora_substr('ABCDEFG', -3)", "T:EFG"},
        {"ora_substr('ABCDEFG', 0, 2)", "T:AB"},
        {"ora_substr('ABCDEFG', 3)", "T:CDEFG"},
        {"ora_substr('ABCDEFG', 7)", "T:G"},
        {"ora_substr('ABCDEFG', 8)", "NULL"},
        {"ora_substr('ABCDEFG', -7, 1)", "T:A"},
        {"ora_substr('ABCDEFG', -8)", "NULL"},
        {"ora_substr('ABCDEFG', 2, 0)", "NULL"},
        {"ora_substr('ABCDEFG', 2, -1)", "NULL"},
        {"ora_substr('ABCDEFG', 2, 100)", "T:BCDEFG"},
        {"ora_substr('ABCDEFG', 2.9, 1.9)", "T:B"},
        {"ora_substr('ABCDEFG', '2', '3')", "T:BCD"},
        {"ora_substr('ABCDEFG', 'x')", "ORA-01722: invalid number"},
        {"ora_substr(12345, 2, 2)", "T:23"},
        {"ora_substr(0.5, 1, 2)", "T:.5"},
        {"ora_substr('ÄÖÜß', 2, 2)", "T:ÖÜ"},
        {"ora_substr(NULL, 1)", "NULL"},
        {"ora_substr('', 1)", "NULL"},
        {"ora_substr('ABC', NULL)", "NULL"},
        {"ora_substr('ABC', 1, NULL)", "NULL"},
    });
}

TEST_F(OraTextSqlTest, InstrEdgeRules)
{
    Check(Cases{
        {"ora_instr('CORPORATE FLOOR', 'OR')", "I:2"},
        {"ora_instr('CORPORATE FLOOR', 'OR', 3)", "I:5"},
        {"ora_instr('CORPORATE FLOOR', 'OR', 3, 2)", "I:14"},
        {"ora_instr('CORPORATE FLOOR', 'OR', -3, 2)", "I:2"},
        {"ora_instr('CORPORATE FLOOR', 'OR', -1)", "I:14"},
        {"ora_instr('CORPORATE FLOOR', 'OR', -1, 3)", "I:2"},
        {"ora_instr('CORPORATE FLOOR', 'OR', -1, 4)", "I:0"},
        {"ora_instr('CORPORATE FLOOR', 'OR', 1, 3)", "I:14"},
        {"ora_instr('CORPORATE FLOOR', 'XY')", "I:0"},
        {"ora_instr('CORPORATE FLOOR', 'OR', 0)", "I:0"},
        {"ora_instr('CORPORATE FLOOR', 'OR', 100)", "I:0"},
        {"ora_instr('CORPORATE FLOOR', 'OR', -100)", "I:0"},
        {"ora_instr('CORPORATE FLOOR', 'OR', 1, 0)", "ORA-01428: argument '0' is out of range"},
        {"ora_instr('AAA', 'AA', 1, 2)", "I:2"},
        {"ora_instr('äöü', 'ü')", "I:3"},
        {"ora_instr(12345, 34)", "I:3"},
        {"ora_instr(NULL, 'A')", "NULL"},
        {"ora_instr('ABC', NULL)", "NULL"},
        {"ora_instr('ABC', '')", "NULL"},
        {"ora_instr('ABC', 'B', NULL)", "NULL"},
    });
}

TEST_F(OraTextSqlTest, LengthPadTrimReplaceTranslate)
{
    Check(Cases{
        {"ora_length('abc')", "I:3"},
        {"ora_length('')", "NULL"},
        {"ora_length(NULL)", "NULL"},
        {"ora_length('äb')", "I:2"},
        {"ora_length(12.5)", "I:4"},
        {"ora_lpad('abc', 6, 'xy')", "T:xyxabc"},
        {"ora_lpad('abc', 5)", "T:  abc"},
        {"ora_lpad('abc', 2)", "T:ab"},
        {"ora_rpad('abc', 6, 'xy')", "T:abcxyx"},
        {"ora_rpad('abc', 2)", "T:ab"},
        {"ora_lpad('abc', 0)", "NULL"},
        {"ora_lpad('abc', 5, NULL)", "NULL"},
        {"ora_lpad(NULL, 5)", "NULL"},
        {"ora_lpad(7, 3, '0')", "T:007"},
        {"ora_ltrim('xxabcxx', 'x')", "T:abcxx"},
        {"ora_rtrim('xxabcxx', 'x')", "T:xxabc"},
        {"ora_ltrim('  abc  ')", "T:abc  "},
        {"ora_rtrim('  abc  ')", "T:  abc"},
        {"ora_ltrim('xyxzabc', 'xyz')", "T:abc"},
        {"ora_ltrim('xxx', 'x')", "NULL"},
        {"ora_ltrim('abc', NULL)", "NULL"},
        {"ora_trim('  abc  ')", "T:abc"},
        {"ora_trim('xxabcxx', 'x')", "T:abc"},
        {"ora_trim('xxabcxx', 'x', 'LEADING')", "T:abcxx"},
        {"ora_trim('xxabcxx', 'x', 'TRAILING')", "T:xxabc"},
        {"ora_trim('xxabcxx', 'x', 'BOTH')", "T:abc"},
        {"ora_trim('abc', 'xy')", "ORA-30001: trim set should have only one character"},
        {"ora_trim('   ')", "NULL"},
        {"ora_trim('abc', NULL)", "NULL"},
        {"ora_replace('JACK and JUE', 'J', 'BL')", "T:BLACK and BLUE"},
        {"ora_replace('abc', 'b')", "T:ac"},
        {"ora_replace('abc', NULL)", "T:abc"},
        {"ora_replace('abc', 'b', NULL)", "T:ac"},
        {"ora_replace('aaa', 'a')", "NULL"},
        {"ora_replace(NULL, 'a')", "NULL"},
        {"ora_translate('2KRW229', '0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ', "
         "'9999999999XXXXXXXXXXXXXXXXXXXXXXXXXX')",
         "T:9XXX999"},
        {"ora_translate('abc', 'ab', 'x')", "T:xc"},
        {"ora_translate('abc', 'abc', 'x')", "T:x"},
        {"ora_translate('ab', 'ab', 'x')", "T:x"},
        {"ora_translate('b', 'ab', 'x')", "NULL"},
        {"ora_translate('abc', NULL, 'x')", "NULL"},
    });
}

TEST_F(OraTextSqlTest, CaseFunctions)
{
    Check(Cases{
        {"ora_upper('abc Äö')", "T:ABC ÄÖ"},
        {"ora_lower('ABC ÄÖ')", "T:abc äö"},
        {"ora_upper(NULL)", "NULL"},
        {"ora_initcap('the SOAP-opera o''neil')", "T:The Soap-Opera O'Neil"},
        {"ora_initcap('abc123def ghi')", "T:Abc123def Ghi"},
        {"ora_initcap('élan vital')", "T:Élan Vital"},
        {"ora_chr(65)", "T:A"},
        {"ora_ascii('A')", "I:65"},
        {"ora_ascii('é')", "I:233"},
        {"ora_ascii('')", "NULL"},
    });
}

TEST_F(OraTextSqlTest, ConcatenationIgnoresNull)
{
    Check(Cases{
        {"ora_concat('a', NULL)", "T:a"},
        {"ora_concat(NULL, 'b')", "T:b"},
        {"ora_concat(NULL, NULL)", "NULL"},
        {"ora_concat('', '')", "NULL"},
        {"ora_concat('a', '')", "T:a"},
        {"ora_concat('a', 'b', 'c')", "T:abc"},
        {"ora_concat('x', 1.5)", "T:x1.5"},
        {"ora_concat('x', 0.5)", "T:x.5"},
        {"ora_concat('x', -0.25)", "T:x-.25"},
        {"ora_concat(1, 2)", "T:12"},
        {"ora_concat('d=', ora_to_char_date(ora_to_date('2001-01-01', 'YYYY-MM-DD')))", "T:d=01-JAN-01"},
    });
}

// Integers and doubles that hold one are written straight into the result;
// every other number must come out as Oracle's formatting writes it.
TEST_F(OraTextSqlTest, ConcatenationWritesNumbersAsOracleDoes)
{
    Check(Cases{
        {"ora_concat('ROW ', 0)", "T:ROW 0"},
        {"ora_concat('ROW ', 42)", "T:ROW 42"},
        {"ora_concat('ROW ', -42)", "T:ROW -42"},
        {"ora_concat('n', 123456789012345)", "T:n123456789012345"},
        {"ora_concat('n', 9223372036854775807)", "T:n9223372036854775807"},
        {"ora_concat('n', -9223372036854775807 - 1)", "T:n-9223372036854775808"},
        {"ora_concat(1, 2, -3)", "T:12-3"},
        {"ora_concat('r', CAST(5 AS REAL))", "T:r5"},
        {"ora_concat('r', 0.0)", "T:r0"},
        {"ora_concat('r', -0.0)", "T:r0"},
        {"ora_concat('r', -2.0)", "T:r-2"},
        {"ora_concat('r', 1e15)", "T:r1000000000000000"},
        {"ora_concat('r', 9.1e18)", "T:r9100000000000000000"},
        {"ora_concat('r', -9.1e18)", "T:r-9100000000000000000"},
        // Out of int64's reach, or not integral: Oracle's formatting.
        {"ora_concat('r', 9.3e18)", "T:r9300000000000000000"},
        {"ora_concat('r', -9.3e18)", "T:r-9300000000000000000"},
        {"ora_concat('r', 2 * 9223372036854775807.0)", "T:r18446744073709600000"},
        {"ora_concat('r', 1e39)", "T:r1000000000000000000000000000000000000000"},
        {"ora_concat('r', 1e40)", "T:r1.0000E+40"},
        {"ora_concat('r', -1e40)", "T:r-1.0000E+40"},
        {"ora_concat('r', 0.5)", "T:r.5"},
        {"ora_concat('r', -1.5)", "T:r-1.5"},
        {"ora_concat('r', 1 / 3.0)", "T:r.333333333333333"},
        {"ora_concat('r', 123.456)", "T:r123.456"},
        {"ora_concat('r', 2.5e-10)", "T:r.00000000025"},
        {"ora_concat('r', 1e15 + 0.5)", "T:r1000000000000000"}, // 15 significant digits
        // Mixed with NULL, '' and a blob (read as its bytes).
        {"ora_concat(1, 'a', 2.5, NULL, '', -3)", "T:1a2.5-3"},
        {"ora_concat(x'41', 1)", "T:A1"},
        {"ora_concat(NULL, 0)", "T:0"},
    });
}

TEST_F(OraTextSqlTest, NullFunctions)
{
    Check(Cases{
        {"ora_nvl(NULL, 'x')", "T:x"},
        {"ora_nvl('', 'x')", "T:x"},
        {"ora_nvl('a', 'x')", "T:a"},
        {"ora_nvl(NULL, NULL)", "NULL"},
        {"ora_nvl(NULL, '')", "NULL"},
        {"ora_nvl(0, 5)", "I:0"},
        {"ora_nvl2(NULL, 'a', 'b')", "T:b"},
        {"ora_nvl2('', 'a', 'b')", "T:b"},
        {"ora_nvl2(1, 'a', 'b')", "T:a"},
        {"ora_nvl2(1, NULL, 'b')", "NULL"},
        {"ora_coalesce(NULL, '', 3, 4)", "I:3"},
        {"ora_coalesce(NULL, NULL)", "NULL"},
    });
}

TEST_F(OraTextSqlTest, DecodeMatchesNullWithNull)
{
    Check(Cases{
        {"ora_decode(NULL, NULL, 'null', 'other')", "T:null"},
        {"ora_decode('', NULL, 'empty')", "T:empty"},
        {"ora_decode(NULL, 1, 'one', 'other')", "T:other"},
        {"ora_decode(1, 1, 'one', 2, 'two')", "T:one"},
        {"ora_decode(2, 1, 'one', 2, 'two')", "T:two"},
        {"ora_decode(3, 1, 'one', 2, 'two')", "NULL"},
        {"ora_decode(3, 1, 'one', 'default')", "T:default"},
        {"ora_decode(3, 1, 'one', NULL, 'null', 'default')", "T:default"},
        {"ora_decode(2, '2', 'x')", "T:x"},
        {"ora_decode('2', 2.0, 'x')", "T:x"},
        {"ora_decode(1.0, 1, 'y')", "T:y"},
        {"ora_decode('a', 'A', 1, 0)", "I:0"},
        {"ora_decode('a', 'a', 1, 0)", "I:1"},
        {"ora_decode('abc', 1, 'x')", "ORA-01722: invalid number"},
        {"ora_decode(1, 1, 'first', 1, 'second')", "T:first"},
    });
}

TEST_F(OraTextSqlTest, LeastAndGreatest)
{
    Check(Cases{
        {"ora_least(3, 1, 2)", "I:1"},
        {"ora_greatest(3, 1, 2)", "I:3"},
        {"ora_greatest(1, 2.5)", "R:2.5"},
        {"ora_least('b', 'a', 'c')", "T:a"},
        {"ora_greatest('abc', 'abd')", "T:abd"},
        {"ora_least(1, NULL, 2)", "NULL"},
        {"ora_greatest('a', '')", "NULL"},
        {"ora_greatest(2, '10')", "I:10"},
        {"ora_greatest('2', 10)", "T:2"},
        {"ora_least(1, 'x')", "ORA-01722: invalid number"},
        {"ora_least(9223372036854775807, 9223372036854775806)", "I:9223372036854775806"},
    });
}

TEST_F(OraTextSqlTest, HostileArgumentsGiveResultsNotCrashes)
{
    Check(Cases{
        {"ora_substr('abc', -9223372036854775808)", "NULL"},
        {"ora_substr('abc', 9223372036854775807, 9223372036854775807)", "NULL"},
        {"ora_substr('abc', 1, 1e300)", "T:abc"},
        {"ora_substr('abc', -1e300)", "NULL"},
        {"ora_instr('abc', 'c', -9223372036854775808)", "I:0"},
        {"ora_instr('abc', 'c', 1, 9223372036854775807)", "I:0"},
        {"ora_length(ora_lpad('x', 1e12))", "I:32767"},
        {"ora_lpad('x', -1e300)", "NULL"},
        {"ora_add_months(0, 9223372036854775807)",
         "ORA-01841: (full) year must be between -4713 and +9999, and not be 0"},
        {"ora_date_add_days(0, 1e300)",
         "ORA-01841: (full) year must be between -4713 and +9999, and not be 0"},
        {"ora_to_char_date(9223372036854775807, 'YYYY')",
         "ORA-01841: (full) year must be between -4713 and +9999, and not be 0"},
        {"ora_last_day(1e300)", "ORA-01841: (full) year must be between -4713 and +9999, and not be 0"},
        {"ora_to_char_num(1e300, '999')", "T:####"},
        {"ora_to_char_num(-1e300)", "T:-1.0000E+300"},
        {"ora_round_num(1e300, -400)", "I:0"},
        {"ora_round_num(1.5, 9223372036854775807)", "R:1.5"},
        {"ora_power(9223372036854775807, 2)", "R:8.507059173e+37"},
        {"ora_abs(-9223372036854775808)", "R:9.223372037e+18"},
        {"ora_div(-9223372036854775808, -1)", "R:9.223372037e+18"},
        {"ora_to_date(ora_rpad('1', 5000, '9'), 'J')",
         "ORA-01830: date format picture ends before converting entire input string"},
        {"ora_to_date('01-JAN-2001', ora_rpad('\"', 300, 'x'))", "ORA-01821: date format not recognized"},
        {"ora_to_number(ora_rpad('9', 400, '9'))", "ORA-01722: invalid number"},
        {"ora_decode(1, 1)", "ORA-00938: not enough arguments for function"},
        {"ora_chr(-1)", "ORA-01428: argument '-1' is out of range"},
        {"ora_substr(x'ff41', 2, 1)", "T:A"},
        {"ora_length(x'e282')", "I:2"},
    });
}

TEST_F(OraTextSqlTest, LikeIsCaseSensitiveWithEscapes)
{
    Check(Cases{
        {"ora_like('SCOTT', 'SC%')", "I:1"},
        {"ora_like('SCOTT', 'sc%')", "I:0"},
        {"ora_like('SCOTT', 'S_O%T')", "I:1"},
        {"ora_like('SCOTT', '%T')", "I:1"},
        {"ora_like('SCOTT', '%O%O%')", "I:0"},
        {"ora_like('SCOTT', '%')", "I:1"},
        {"ora_like('SCOTT', 'SCOT')", "I:0"},
        {"ora_like('SCOTT', 'SCOTT_')", "I:0"},
        {"ora_like('aXbXc', 'a%b%c')", "I:1"},
        {"ora_like('abcabd', '%abd')", "I:1"},
        {"ora_like('ÄÖ', '_Ö')", "I:1"},
        {"ora_like('50%', '50\\%', '\\')", "I:1"},
        {"ora_like('500', '50\\%', '\\')", "I:0"},
        {"ora_like('A_B', 'A#_B', '#')", "I:1"},
        {"ora_like('AxB', 'A#_B', '#')", "I:0"},
        {"ora_like('A#B', 'A##B', '#')", "I:1"},
        {"ora_like('AB', 'A#B', '#')", "ORA-01424: missing or illegal character following the escape character"},
        {"ora_like('AB', 'AB', '##')", "ORA-01425: escape character must be character string of length 1"},
        {"ora_like(NULL, '%')", "NULL"},
        {"ora_like('a', NULL)", "NULL"},
        {"ora_like('a', '')", "NULL"},
        {"ora_like(123, '1%')", "I:1"},
    });
}

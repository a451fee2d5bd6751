#include "ociw32/functions/OraErrors.h"

#include <gtest/gtest.h>

using namespace VkOracle;

TEST(OraErrors, TextsAreOraclesOwn)
{
    struct Row {
        int code;
        const char* text;
    } const rows[] = {
        {1, "ORA-00001: unique constraint (%s.%s) violated"},
        {28, "ORA-00028: your session has been killed"},
        {900, "ORA-00900: invalid SQL statement"},
        {904, "ORA-00904: invalid column name"},
        {905, "ORA-00905: missing keyword"},
        {907, "ORA-00907: missing right parenthesis"},
        {911, "ORA-00911: invalid character"},
        {917, "ORA-00917: missing comma"},
        {923, "ORA-00923: FROM keyword not found where expected"},
        {933, "ORA-00933: SQL command not properly ended"},
        {936, "ORA-00936: missing expression"},
        {942, "ORA-00942: table or view does not exist"},
        {1001, "ORA-01001: invalid cursor"},
        {1002, "ORA-01002: fetch out of sequence"},
        {1003, "ORA-01003: no statement parsed"},
        {1007, "ORA-01007: variable not in select list"},
        {1008, "ORA-01008: not all variables bound"},
        {1012, "ORA-01012: not logged on"},
        {1013, "ORA-01013: user requested cancel of current operation"},
        {1017, "ORA-01017: invalid username/password; logon denied"},
        {1031, "ORA-01031: insufficient privileges"},
        {1034, "ORA-01034: ORACLE not available"},
        {1036, "ORA-01036: illegal variable name/number"},
        {1400, "ORA-01400: mandatory (NOT NULL) column is missing or NULL during insert"},
        {1403, "ORA-01403: no data found"},
        {1405, "ORA-01405: fetched column value is NULL"},
        {1406, "ORA-01406: fetched column value was truncated"},
        {1422, "ORA-01422: exact fetch returns more than requested number of rows"},
        {1476, "ORA-01476: divisor is equal to zero"},
        {1722, "ORA-01722: invalid number"},
        {1756, "ORA-01756: quoted string not properly terminated"},
        {1830, "ORA-01830: date format picture ends before converting entire input string"},
        {1843, "ORA-01843: not a valid month"},
        {1858, "ORA-01858: a non-numeric character was found where a numeric was expected"},
        {1861, "ORA-01861: literal does not match format string"},
        {2291, "ORA-02291: integrity constraint (%s.%s) violated - parent key not found"},
        {2292, "ORA-02292: integrity constraint (%s.%s) violated - child record found"},
        {3113, "ORA-03113: end-of-file on communication channel"},
        {3114, "ORA-03114: not connected to ORACLE"},
        {6502, "ORA-06502: PL/SQL: numeric or value error"},
        {6510, "ORA-06510: PL/SQL: unhandled user-defined exception"},
        {12154, "ORA-12154: TNS:could not resolve service name"},
        {12541, "ORA-12541: TNS:no listener"},
        {23421, "ORA-23421: job number %s is not a job in the job queue"},
        {28000, "ORA-28000: the account is locked"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(FormatOraError(r.code), r.text);
}

TEST(OraErrors, EveryCodeOfTheEmulatorIsKnown)
{
    const int codes[] = {
        1,    26,   27,   28,   30,   31,   900,  904,  905,  907,  911,  917,  918,  920,
        921,  923,  932,  933,  936,  937,  942,  955,  975,  979,  1000, 1001, 1002, 1003,
        1005, 1007, 1008, 1012, 1013, 1017, 1031, 1033, 1034, 1036, 1400, 1401, 1403, 1405,
        1406, 1416, 1417, 1422, 1427, 1438, 1468, 1476, 1719, 1722, 1756, 1799, 1821, 1830,
        1839, 1840, 1841, 1843, 1846, 1847, 1849, 1850, 1851, 1852, 1855, 1858, 1861, 3113,
        3114, 3123, 3128, 4043, 6502, 6510, 6512, 6550, 12011, 12012, 12154, 12514, 12541,
        12560, 20000, 20999, 23319, 23420, 23421, 28000};
    for (int code : codes)
        EXPECT_TRUE(IsKnownOraError(code)) << code;
    EXPECT_FALSE(IsKnownOraError(2));
    EXPECT_FALSE(IsKnownOraError(-1));
    EXPECT_FALSE(IsKnownOraError(99999));
}

TEST(OraErrors, ArgumentsFillTheTemplate)
{
    EXPECT_EQ(FormatOraError(1, {"SCOTT", "PK_EMP"}), "ORA-00001: unique constraint (SCOTT.PK_EMP) violated");
    EXPECT_EQ(FormatOraError(6512, {"\"SCOTT.P\", ", "5"}), "ORA-06512: at \"SCOTT.P\", line 5");
    EXPECT_EQ(FormatOraError(6512, {"", "2"}), "ORA-06512: at line 2");
    EXPECT_EQ(FormatOraError(6550, {"1", "28", "PLS-00103: Encountered the symbol \"END\""}),
              "ORA-06550: line 1, column 28:\nPLS-00103: Encountered the symbol \"END\"");
    EXPECT_EQ(FormatOraError(12011, {"1"}), "ORA-12011: execution of 1 jobs failed");
    EXPECT_EQ(FormatOraError(20001, {"custom message"}), "ORA-20001: custom message");
    EXPECT_EQ(FormatOraError(1, {"ONLY"}), "ORA-00001: unique constraint (ONLY.) violated");
    EXPECT_EQ(FormatOraError(1722, {"ignored"}), "ORA-01722: invalid number");
    EXPECT_EQ(FormatOraError(2), "ORA-00002: Message 2 not found;  product=RDBMS; facility=ORA");
}

TEST(OraErrors, CodesParseBackFromMessages)
{
    EXPECT_EQ(ParseOraErrorCode("ORA-01722: invalid number"), 1722);
    EXPECT_EQ(ParseOraErrorCode("ORA-00001: unique constraint (A.B) violated"), 1);
    EXPECT_EQ(ParseOraErrorCode("ORA-12154: TNS:could not resolve service name"), 12154);
    EXPECT_EQ(ParseOraErrorCode("ORA-1722: invalid number"), 0);
    EXPECT_EQ(ParseOraErrorCode("ORA-01722 invalid number"), 0);
    EXPECT_EQ(ParseOraErrorCode("no such function: ora_x"), 0);
    EXPECT_EQ(ParseOraErrorCode("ORA-"), 0);
    EXPECT_EQ(ParseOraErrorCode(""), 0);
    EXPECT_EQ(ParseOraErrorCode(nullptr), 0);
}

TEST(OraErrors, LaterServersUseLaterWordings)
{
    EXPECT_EQ(FormatServerOraError(904, 7, {"\"X\""}), "ORA-00904: invalid column name");
    EXPECT_EQ(FormatServerOraError(904, 8), "ORA-00904: invalid column name");
    EXPECT_EQ(FormatServerOraError(904, 10, {"\"EMPNOX\""}), "ORA-00904: \"EMPNOX\": invalid identifier");
    EXPECT_EQ(FormatServerOraError(1400, 7),
              "ORA-01400: mandatory (NOT NULL) column is missing or NULL during insert");
    EXPECT_EQ(FormatServerOraError(1400, 10, {"\"SCOTT\".\"EMP\".\"EMPNO\""}),
              "ORA-01400: cannot insert NULL into (\"SCOTT\".\"EMP\".\"EMPNO\")");
    EXPECT_EQ(FormatServerOraError(1438, 8),
              "ORA-01438: value larger than specified precision allows for this column");
    EXPECT_EQ(FormatServerOraError(1438, 10),
              "ORA-01438: value larger than specified precision allowed for this column");
    EXPECT_EQ(FormatServerOraError(942, 10), "ORA-00942: table or view does not exist");
}

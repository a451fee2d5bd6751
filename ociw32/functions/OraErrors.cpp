#include "ociw32/functions/OraErrors.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace VkOracle {

namespace {

struct OraMessage {
    int code;
    const char* text;
};

// Oracle 7/8 wording (the client's message file), kept sorted by code.
const OraMessage kMessages[] = {
    {1, "unique constraint (%s.%s) violated"},
    {18, "maximum number of sessions exceeded"},
    {20, "maximum number of processes (%s) exceeded"},
    {26, "missing or invalid session ID"},
    {27, "cannot kill current session"},
    {28, "your session has been killed"},
    {30, "User session ID does not exist."},
    {31, "session marked for kill"},
    {51, "timeout occurred while waiting for a resource"},
    {54, "resource busy and acquire with NOWAIT specified"},
    {60, "deadlock detected while waiting for resource"},
    {900, "invalid SQL statement"},
    {901, "invalid CREATE command"},
    {902, "invalid datatype"},
    {903, "invalid table name"},
    {904, "invalid column name"},
    {905, "missing keyword"},
    {906, "missing left parenthesis"},
    {907, "missing right parenthesis"},
    {908, "missing NULL keyword"},
    {909, "invalid number of arguments"},
    {910, "specified length too long for its datatype"},
    {911, "invalid character"},
    {913, "too many values"},
    {917, "missing comma"},
    {918, "column ambiguously defined"},
    {919, "invalid function"},
    {920, "invalid relational operator"},
    {921, "unexpected end of SQL command"},
    {922, "missing or invalid option"},
    {923, "FROM keyword not found where expected"},
    {924, "missing BY keyword"},
    {925, "missing INTO keyword"},
    {926, "missing VALUES keyword"},
    {927, "missing equal sign"},
    {928, "missing SELECT keyword"},
    {929, "missing period"},
    {930, "missing asterisk"},
    {931, "missing identifier"},
    {932, "inconsistent datatypes"},
    {933, "SQL command not properly ended"},
    {934, "group function is not allowed here"},
    {935, "group function is nested too deeply"},
    {936, "missing expression"},
    {937, "not a single-group group function"},
    {938, "not enough arguments for function"},
    {939, "too many arguments for function"},
    {942, "table or view does not exist"},
    {944, "insufficient number of clusters"},
    {946, "missing TO keyword"},
    {947, "not enough values"},
    {948, "ALTER CLUSTER statement no longer supported"},
    {949, "illegal reference to remote database"},
    {950, "invalid DROP option"},
    {951, "cluster not empty"},
    {953, "missing or invalid index name"},
    {954, "missing IDENTIFIED keyword"},
    {955, "name is already used by an existing object"},
    {956, "missing or invalid auditing option"},
    {957, "duplicate column name"},
    {959, "tablespace '%s' does not exist"},
    {960, "ambiguous column naming in select list"},
    {962, "too many group-by / order-by expressions"},
    {964, "table name not in FROM list"},
    {965, "column aliases not allowed for '*'"},
    {966, "missing TABLE keyword"},
    {967, "missing WHERE keyword"},
    {968, "missing INDEX keyword"},
    {969, "missing ON keyword"},
    {970, "missing WITH keyword"},
    {971, "missing SET keyword"},
    {972, "identifier is too long"},
    {973, "invalid row count estimate"},
    {974, "invalid PCTFREE value (percentage)"},
    {975, "date + date not allowed"},
    {976, "LEVEL, PRIOR, or ROWNUM not allowed here"},
    {977, "duplicate auditing option"},
    {978, "nested group function without GROUP BY"},
    {979, "not a GROUP BY expression"},
    {980, "synonym translation is no longer valid"},
    {981, "cannot mix table and system auditing options"},
    {982, "missing plus sign"},
    {984, "column not allowed here"},
    {985, "invalid program name"},
    {986, "missing or invalid group names(s)"},
    {987, "missing or invalid username(s)"},
    {988, "missing or invalid password(s)"},
    {989, "too many passwords for usernames given"},
    {990, "missing or invalid privilege"},
    {992, "invalid format for REVOKE command"},
    {993, "missing GRANT keyword"},
    {994, "missing OPTION keyword"},
    {995, "missing or invalid synonym identifier"},
    {996, "the concatenate operator is ||, not |"},
    {997, "illegal use of LONG datatype"},
    {998, "must name this expression with a column alias"},
    {999, "invalid view name"},
    {1000, "maximum open cursors exceeded"},
    {1001, "invalid cursor"},
    {1002, "fetch out of sequence"},
    {1003, "no statement parsed"},
    {1004, "default username feature not supported; logon denied"},
    {1005, "null password given; logon denied"},
    {1006, "bind variable does not exist"},
    {1007, "variable not in select list"},
    {1008, "not all variables bound"},
    {1009, "missing mandatory parameter"},
    {1010, "invalid OCI operation"},
    {1012, "not logged on"},
    {1013, "user requested cancel of current operation"},
    {1014, "ORACLE shutdown in progress"},
    {1017, "invalid username/password; logon denied"},
    {1019, "unable to allocate memory in the user side"},
    {1024, "invalid datatype in OCI call"},
    {1031, "insufficient privileges"},
    {1033, "ORACLE initialization or shutdown in progress"},
    {1034, "ORACLE not available"},
    {1035, "ORACLE only available to users with RESTRICTED SESSION privilege"},
    {1036, "illegal variable name/number"},
    {1039, "insufficient privileges on underlying objects of the view"},
    {1045, "user %s lacks CREATE SESSION privilege; logon denied"},
    {1400, "mandatory (NOT NULL) column is missing or NULL during insert"},
    {1401, "inserted value too large for column"},
    {1402, "view WITH CHECK OPTION where-clause violation"},
    {1403, "no data found"},
    {1405, "fetched column value is NULL"},
    {1406, "fetched column value was truncated"},
    {1407, "cannot update mandatory (NOT NULL) column to NULL"},
    {1408, "such column list already indexed"},
    {1410, "invalid ROWID"},
    {1412, "zero length not allowed for this datatype"},
    {1416, "two tables cannot be outer-joined to each other"},
    {1417, "a table may be outer joined to at most one other table"},
    {1418, "specified index does not exist"},
    {1422, "exact fetch returns more than requested number of rows"},
    {1424, "missing or illegal character following the escape character"},
    {1425, "escape character must be character string of length 1"},
    {1426, "numeric overflow"},
    {1427, "single-row subquery returns more than one row"},
    {1428, "argument '%s' is out of range"},
    {1430, "column being added already exists in table"},
    {1432, "public synonym to be dropped does not exist"},
    {1434, "private synonym to be dropped does not exist"},
    {1435, "user does not exist"},
    {1438, "value larger than specified precision allows for this column"},
    {1440, "column to be modified must be empty to decrease precision or scale"},
    {1441, "column to be modified must be empty to decrease column length"},
    {1442, "column to be modified to NOT NULL is already NOT NULL"},
    {1449, "column contains NULL values; cannot alter to NOT NULL"},
    {1451, "column to be modified to NULL cannot be modified to NULL"},
    {1455, "converting column overflows integer datatype"},
    {1460, "unimplemented or unreasonable conversion requested"},
    {1468, "a predicate may reference only one outer-joined table"},
    {1476, "divisor is equal to zero"},
    {1481, "invalid number format model"},
    {1489, "result of string concatenation is too long"},
    {1702, "a view is not appropriate here"},
    {1704, "string literal too long"},
    {1719, "outer join operator (+) not allowed in operand of OR or IN"},
    {1722, "invalid number"},
    {1723, "zero-length columns are not allowed"},
    {1727, "numeric precision specifier is out of range (1 to 38)"},
    {1728, "numeric scale specifier is out of range (-84 to 127)"},
    {1730, "invalid number of column names specified"},
    {1732, "data manipulation operation not legal on this view"},
    {1733, "virtual column not allowed here"},
    {1735, "invalid ALTER TABLE option"},
    {1736, "[NOT] SUCCESSFUL expected"},
    {1740, "missing double quote in identifier"},
    {1741, "illegal zero-length identifier"},
    {1743, "only pure functions can be indexed"},
    {1744, "inappropriate INTO"},
    {1747, "invalid user.table.column, table.column, or column specification"},
    {1748, "only simple column names allowed here"},
    {1749, "you may not GRANT/REVOKE privileges to/from yourself"},
    {1750, "UPDATE/REFERENCES may only be REVOKEd from the whole table, not by column"},
    {1756, "quoted string not properly terminated"},
    {1757, "Must specify an object number"},
    {1758, "table must be empty to add mandatory (NOT NULL) column"},
    {1761, "DML operation does not map to a unique table in the join"},
    {1765, "specifying table's owner name is not allowed"},
    {1767, "UPDATE ... SET expression must be a subquery"},
    {1768, "number string too long"},
    {1772, "Must specify a value for LEVEL"},
    {1776, "cannot modify more than one base table through a join view"},
    {1779, "cannot modify a column which maps to a non key-preserved table"},
    {1785, "ORDER BY item must be the number of a SELECT-list expression"},
    {1786, "FOR UPDATE of this query expression is not allowed"},
    {1788, "CONNECT BY clause required in this query block"},
    {1789, "query block has incorrect number of result columns"},
    {1790, "expression must have same datatype as corresponding expression"},
    {1791, "not a SELECTed expression"},
    {1796, "this operator cannot be used with lists"},
    {1797, "this operator must be followed by ANY or ALL"},
    {1799, "a column may not be outer-joined to a subquery"},
    {1800, "a literal in the date format was too large to process"},
    {1801, "date format is too long for internal buffer"},
    {1802, "Julian date is out of range"},
    {1803, "failure in getting date/time"},
    {1810, "format code appears twice"},
    {1811, "Julian date precludes use of day of year"},
    {1812, "year may only be specified once"},
    {1813, "hour may only be specified once"},
    {1814, "AM/PM conflicts with use of A.M./P.M."},
    {1815, "BC/AD conflicts with use of B.C./A.D."},
    {1816, "month may only be specified once"},
    {1817, "day of week may only be specified once"},
    {1818, "'HH24' precludes use of meridian indicator"},
    {1819, "signed year precludes use of BC/AD"},
    {1820, "format code cannot appear in date input format"},
    {1821, "date format not recognized"},
    {1830, "date format picture ends before converting entire input string"},
    {1831, "year conflicts with Julian date"},
    {1832, "day of year conflicts with Julian date"},
    {1833, "month conflicts with Julian date"},
    {1834, "day of month conflicts with Julian date"},
    {1835, "day of week conflicts with Julian date"},
    {1836, "hour conflicts with seconds in day"},
    {1837, "minutes of hour conflicts with seconds in day"},
    {1838, "seconds of minute conflicts with seconds in day"},
    {1839, "date not valid for month specified"},
    {1840, "input value not long enough for date format"},
    {1841, "(full) year must be between -4713 and +9999, and not be 0"},
    {1842, "quarter must be between 1 and 4"},
    {1843, "not a valid month"},
    {1844, "week of year must be between 1 and 52"},
    {1845, "week of month must be between 1 and 5"},
    {1846, "not a valid day of the week"},
    {1847, "day of month must be between 1 and last day of month"},
    {1848, "day of year must be between 1 and 365 (366 for leap year)"},
    {1849, "hour must be between 1 and 12"},
    {1850, "hour must be between 0 and 23"},
    {1851, "minutes must be between 0 and 59"},
    {1852, "seconds must be between 0 and 59"},
    {1853, "seconds in day must be between 0 and 86399"},
    {1854, "julian date must be between 1 and 5373484"},
    {1855, "AM/A.M. or PM/P.M. required"},
    {1856, "BC/B.C. or AD/A.D. required"},
    {1857, "not a valid time zone"},
    {1858, "a non-numeric character was found where a numeric was expected"},
    {1859, "a non-alphabetic character was found where an alphabetic was expected"},
    {1861, "literal does not match format string"},
    {1862, "the numeric value does not match the length of the format item"},
    {1864, "the date is out of range for the current calendar"},
    {1898, "too many precision specifiers"},
    {1899, "bad precision specifier"},
    {1913, "EXCLUSIVE keyword expected"},
    {1917, "user or role '%s' does not exist"},
    {1918, "user '%s' does not exist"},
    {1919, "role '%s' does not exist"},
    {1920, "user name '%s' conflicts with another user or role name"},
    {1921, "role name '%s' conflicts with another user or role name"},
    {1922, "CASCADE must be specified to drop '%s'"},
    {1924, "role '%s' not granted or does not exist"},
    {1927, "cannot REVOKE privileges you did not grant"},
    {1929, "no privileges to GRANT"},
    {1931, "cannot grant %s to a role"},
    {1932, "ADMIN option not granted for role '%s'"},
    {1934, "circular role grant detected"},
    {1940, "cannot drop a user that is currently connected"},
    {1949, "ROLE keyword expected"},
    {1950, "no privileges on tablespace '%s'"},
    {1951, "ROLE '%s' not granted to '%s'"},
    {1952, "system privileges not granted to '%s'"},
    {2149, "Specified partition does not exist"},
    {2260, "table can have only one primary key"},
    {2261, "such unique or primary key already exists in the table"},
    {2264, "name already used by an existing constraint"},
    {2266, "unique/primary keys in table referenced by enabled foreign keys"},
    {2270, "no matching unique or primary key for this column-list"},
    {2273, "this unique/primary key is referenced by some foreign keys"},
    {2289, "sequence does not exist"},
    {2290, "check constraint (%s.%s) violated"},
    {2291, "integrity constraint (%s.%s) violated - parent key not found"},
    {2292, "integrity constraint (%s.%s) violated - child record found"},
    {2293, "cannot enable (%s.%s) - check constraint violated"},
    {2296, "cannot enable (%s.%s) - null values found"},
    {2299, "cannot enable (%s.%s) - duplicate keys found"},
    {2430, "cannot enable constraint (%s) - no such constraint"},
    {2431, "cannot disable constraint (%s) - no such constraint"},
    {2437, "cannot enable (%s.%s) - primary key violated"},
    {2443, "Cannot drop constraint  - nonexistent constraint"},
    {2449, "unique/primary keys in table referenced by foreign keys"},
    {3113, "end-of-file on communication channel"},
    {3114, "not connected to ORACLE"},
    {3123, "operation would block"},
    {3128, "connection is in blocking mode"},
    {4043, "object %s does not exist"},
    {4063, "%s has errors"},
    {4067, "not executed, %s does not exist"},
    {4068, "existing state of packages%s has been discarded"},
    {4080, "trigger '%s' does not exist"},
    {4081, "trigger '%s' already exists"},
    {4088, "error during execution of trigger '%s'"},
    {6500, "PL/SQL: storage error"},
    {6501, "PL/SQL: program error"},
    {6502, "PL/SQL: numeric or value error"},
    {6503, "PL/SQL: Function returned without value"},
    {6504, "PL/SQL: Return types of Result Set variables or query do not match"},
    {6508, "PL/SQL: could not find program unit being called"},
    {6510, "PL/SQL: unhandled user-defined exception"},
    {6511, "PL/SQL: cursor already open"},
    {6512, "at %sline %s"},
    {6530, "Reference to uninitialized composite"},
    {6531, "Reference to uninitialized collection"},
    {6532, "Subscript outside of limit"},
    {6533, "Subscript beyond count"},
    {6550, "line %s, column %s:\n%s"},
    {6553, "PLS-%s: %s"},
    {6564, "object %s does not exist"},
    {6571, "Function %s does not guarantee not to update database"},
    {6592, "CASE not found while executing CASE statement"},
    {8002, "sequence %s.CURRVAL is not yet defined in this session"},
    {8004, "sequence %s.NEXTVAL %s %sVALUE and cannot be instantiated"},
    {8177, "can't serialize access for this transaction"},
    {12011, "execution of %s jobs failed"},
    {12012, "error on auto execute of job %s"},
    {12154, "TNS:could not resolve service name"},
    {12203, "TNS:unable to connect to destination"},
    {12500, "TNS:listener failed to start a dedicated server process"},
    {12504, "TNS:listener was not given the SID in CONNECT_DATA"},
    {12505, "TNS:listener could not resolve SID given in connect descriptor"},
    {12514, "TNS:listener could not resolve SERVICE_NAME given in connect descriptor"},
    {12535, "TNS:operation timed out"},
    {12541, "TNS:no listener"},
    {12545, "TNS:name lookup failure"},
    {12560, "TNS:protocol adapter error"},
    {12571, "TNS:packet writer failure"},
    {12899, "value too large for column %s (actual: %s, maximum: %s)"},
    {23319, "parameter value %s is not appropriate"},
    {23420, "interval must evaluate to a time in the future"},
    {23421, "job number %s is not a job in the job queue"},
    {28000, "the account is locked"},
    {28001, "the password has expired"},
    {28002, "the password will expire within %s days"},
    {30001, "trim set should have only one character"},
};

const OraMessage* FindMessage(int code)
{
    const OraMessage* lo = kMessages;
    const OraMessage* hi = kMessages + sizeof(kMessages) / sizeof(kMessages[0]);
    while (lo < hi) {
        const OraMessage* mid = lo + (hi - lo) / 2;
        if (mid->code < code)
            lo = mid + 1;
        else
            hi = mid;
    }
    return (lo != kMessages + sizeof(kMessages) / sizeof(kMessages[0]) && lo->code == code) ? lo
                                                                                          : nullptr;
}

// Later wordings of a message and the first major version that sends them.
struct LaterWording {
    int code;
    int sinceVersion;
    const char* text;
};

const LaterWording kLaterWordings[] = {
    {904, 9, "%s: invalid identifier"},
    {1400, 8, "cannot insert NULL into (%s)"},
    {1407, 8, "cannot update (%s) to NULL"},
    {1438, 10, "value larger than specified precision allowed for this column"},
};

std::string Fill(int code, const std::string& tmpl, std::initializer_list<std::string> args);

std::string Prefix(int code)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "ORA-%05d: ", code);
    return buf;
}

} // namespace

bool IsKnownOraError(int code)
{
    return (code >= 20000 && code <= 20999) || FindMessage(code) != nullptr;
}

std::string OraErrorText(int code)
{
    if (code >= 20000 && code <= 20999)
        return "%s";
    if (const OraMessage* m = FindMessage(code))
        return m->text;
    char buf[96];
    std::snprintf(buf, sizeof buf, "Message %d not found;  product=RDBMS; facility=ORA", code);
    return buf;
}

std::string FormatOraError(int code)
{
    return Prefix(code) + OraErrorText(code);
}

std::string FormatOraError(int code, std::initializer_list<std::string> args)
{
    return Fill(code, OraErrorText(code), args);
}

std::string OraServerErrorText(int code, int serverMajorVersion)
{
    const char* text = nullptr;
    for (const LaterWording& w : kLaterWordings)
        if (w.code == code && serverMajorVersion >= w.sinceVersion)
            text = w.text;
    return text ? std::string(text) : OraErrorText(code);
}

std::string FormatServerOraError(int code, int serverMajorVersion,
                                 std::initializer_list<std::string> args)
{
    return Fill(code, OraServerErrorText(code, serverMajorVersion), args);
}

namespace {

std::string Fill(int code, const std::string& tmpl, std::initializer_list<std::string> args)
{
    std::string out = Prefix(code);
    auto next = args.begin();
    for (size_t i = 0; i < tmpl.size(); ++i) {
        if (tmpl[i] == '%' && i + 1 < tmpl.size() && tmpl[i + 1] == 's') {
            if (next != args.end())
                out += *next++;
            ++i;
        } else {
            out += tmpl[i];
        }
    }
    return out;
}

} // namespace

int ParseOraErrorCode(const char* message)
{
    if (!message || std::strncmp(message, "ORA-", 4) != 0)
        return 0;
    int code = 0;
    int digits = 0;
    for (const char* p = message + 4; *p >= '0' && *p <= '9' && digits < 6; ++p, ++digits)
        code = code * 10 + (*p - '0');
    if (digits != 5 || message[9] != ':')
        return 0;
    return code;
}

} // namespace VkOracle

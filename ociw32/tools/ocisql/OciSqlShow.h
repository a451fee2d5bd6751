#pragma once
// ocisql's DESCRIBE and SHOW USER / PARAMETER / ERRORS: dictionary queries
// through the runner, printed in the layout database administrators know.

#include "ociw32/tools/ocisql/OciSqlRunner.h"

#include <string>

namespace VkOracle {

class OciSqlShow {
public:
    OciSqlShow(OciSqlRunner& runner, OciSqlOutput& out, OciSqlOutput& err);

    // Columns of a table or view, or the arguments of a procedure, function
    // or package; false (ORA-04043 printed) when there is no such object.
    bool Describe(const std::string& name);
    // USER is "SCOTT"; false (error printed) when the query failed.
    bool User();
    // Parameters whose names contain `part` (all when empty); false (error printed) on failure.
    bool Parameter(const std::string& part);
    // Compile errors of a stored unit ("PROCEDURE", "SCOTT.P"); false (error printed) on failure.
    bool Errors(const std::string& type, const std::string& name);

    // A column's type as DESCRIBE shows it: NUMBER(7,2), VARCHAR2(10), DATE.
    static std::string TypeText(const std::string& type, const std::string& length, const std::string& precision,
                                const std::string& scale);
    // V$PARAMETER's TYPE number as SHOW PARAMETER names it.
    static std::string ParameterType(const std::string& number);

private:
    bool Resolve(const std::string& name, std::string* owner, std::string* object, std::string* type);
    bool DescribeColumns(const std::string& owner, const std::string& object);
    bool DescribeArguments(const std::string& owner, const std::string& package, const std::string& object,
                           const std::string& type);

    OciSqlRunner& m_runner;
    OciSqlOutput& m_out;
    OciSqlOutput& m_err;
};

} // namespace VkOracle

#include "ociw32/tools/ocisql/OciSqlShow.h"

#include "platform/VkAscii.h"

namespace VkOracle {

namespace {

// Pads to `width`; a longer text keeps its length.
std::string Pad(const std::string& s, size_t width)
{
    return s.size() >= width ? s : s + std::string(width - s.size(), ' ');
}

std::string TrimRight(std::string s)
{
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

// A name as typed: quoted parts keep their case, the rest is upper case.
std::string NamePart(const std::string& s)
{
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"')
        return s.substr(1, s.size() - 2);
    return VkAsciiUpper(s);
}

} // namespace

OciSqlShow::OciSqlShow(OciSqlRunner& runner, OciSqlOutput& out, OciSqlOutput& err)
    : m_runner(runner), m_out(out), m_err(err)
{
}

std::string OciSqlShow::TypeText(const std::string& type, const std::string& length, const std::string& precision,
                                 const std::string& scale)
{
    if (type == "NUMBER") {
        if (precision.empty())
            return scale.empty() ? type : "NUMBER(38)";
        if (scale.empty() || scale == "0")
            return "NUMBER(" + precision + ")";
        return "NUMBER(" + precision + "," + scale + ")";
    }
    if (type == "FLOAT")
        return "FLOAT(" + (precision.empty() ? std::string("126") : precision) + ")";
    if (type == "VARCHAR2" || type == "VARCHAR" || type == "CHAR" || type == "RAW" || type == "NVARCHAR2"
        || type == "NCHAR")
        return type + "(" + length + ")";
    return type;
}

std::string OciSqlShow::ParameterType(const std::string& number)
{
    static const char* const kTypes[] = {"boolean", "string", "integer", "file", "reserved", "big integer"};
    const int n = number.size() == 1 ? number[0] - '0' : 0;
    return n >= 1 && n <= 6 ? kTypes[n - 1] : "unknown";
}

bool OciSqlShow::User()
{
    OciSqlRunner::Rows rows;
    if (!m_runner.Fetch("SELECT USER FROM DUAL", {}, &rows) || rows.empty())
        return false;
    m_out << "USER is \"" << rows[0][0] << "\"\n";
    return true;
}

bool OciSqlShow::Parameter(const std::string& part)
{
    OciSqlRunner::Rows rows;
    if (!m_runner.Fetch("SELECT name, type, value FROM v$parameter WHERE name LIKE :p ORDER BY name",
                        {{":p", "%" + VkAsciiLower(part) + "%"}}, &rows))
        return false;
    if (rows.empty())
        return true;
    m_out << '\n' << Pad("NAME", 36) << ' ' << Pad("TYPE", 11) << " VALUE\n"
          << std::string(36, '-') << ' ' << std::string(11, '-') << ' ' << std::string(30, '-') << '\n';
    for (const auto& r : rows)
        m_out << TrimRight(Pad(r[0], 36) + ' ' + Pad(ParameterType(r[1]), 11) + ' ' + r[2]) << '\n';
    return true;
}

bool OciSqlShow::Errors(const std::string& type, const std::string& name)
{
    if (name.empty()) {
        m_out << "No errors.\n";
        return true;
    }
    const size_t dot = name.find('.');
    std::string owner, object = NamePart(name);
    if (dot != std::string::npos) {
        owner = NamePart(name.substr(0, dot));
        object = NamePart(name.substr(dot + 1));
    }
    OciSqlRunner::Rows rows;
    const bool ok = owner.empty()
                        ? m_runner.Fetch("SELECT line || '/' || position, text FROM user_errors"
                                         " WHERE name = :n AND type = :t ORDER BY sequence",
                                         {{":n", object}, {":t", type}}, &rows)
                        : m_runner.Fetch("SELECT line || '/' || position, text FROM all_errors"
                                         " WHERE owner = :o AND name = :n AND type = :t ORDER BY sequence",
                                         {{":o", owner}, {":n", object}, {":t", type}}, &rows);
    if (!ok)
        return false;
    if (rows.empty()) {
        m_out << "No errors.\n";
        return true;
    }
    m_out << "Errors for " << type << ' ' << (owner.empty() ? object : owner + "." + object) << ":\n\n"
          << "LINE/COL ERROR\n" << std::string(8, '-') << ' ' << std::string(65, '-') << '\n';
    for (const auto& r : rows)
        m_out << Pad(r[0], 8) << ' ' << r[1] << '\n';
    m_out << '\n';
    return true;
}

bool OciSqlShow::Resolve(const std::string& name, std::string* owner, std::string* object, std::string* type)
{
    static const std::string kFind =
        "SELECT object_type FROM all_objects WHERE owner = :o AND object_name = :n"
        " AND object_type IN ('TABLE', 'VIEW', 'PROCEDURE', 'FUNCTION', 'PACKAGE')";
    OciSqlRunner::Rows rows;
    const size_t dot = name.find('.');
    if (dot != std::string::npos) {
        *owner = NamePart(name.substr(0, dot));
        *object = NamePart(name.substr(dot + 1));
    } else {
        *object = NamePart(name);
        if (!m_runner.Fetch("SELECT USER FROM DUAL", {}, &rows) || rows.empty())
            return false;
        *owner = rows[0][0];
    }
    if (!m_runner.Fetch(kFind, {{":o", *owner}, {":n", *object}}, &rows))
        return false;
    if (rows.empty() && dot == std::string::npos) {
        // A private synonym first, then a public one.
        if (!m_runner.Fetch("SELECT table_owner, table_name FROM all_synonyms WHERE synonym_name = :n"
                            " AND owner IN (USER, 'PUBLIC') ORDER BY CASE owner WHEN 'PUBLIC' THEN 2 ELSE 1 END",
                            {{":n", *object}}, &rows))
            return false;
        if (rows.empty())
            return true;
        *owner = rows[0][0];
        *object = rows[0][1];
        if (!m_runner.Fetch(kFind, {{":o", *owner}, {":n", *object}}, &rows))
            return false;
    }
    if (!rows.empty())
        *type = rows[0][0];
    return true;
}

bool OciSqlShow::Describe(const std::string& name)
{
    std::string owner, object, type;
    if (!Resolve(name, &owner, &object, &type))
        return false;
    if (type.empty()) {
        m_err << "ERROR:\nORA-04043: object " << name << " does not exist\n\n";
        m_err.Flush();
        return false;
    }
    if (type == "TABLE" || type == "VIEW")
        return DescribeColumns(owner, object);
    if (type == "PACKAGE")
        return DescribeArguments(owner, object, "", type);
    return DescribeArguments(owner, "", object, type);
}

bool OciSqlShow::DescribeColumns(const std::string& owner, const std::string& object)
{
    OciSqlRunner::Rows rows;
    if (!m_runner.Fetch("SELECT column_name, nullable, data_type, data_length, data_precision, data_scale"
                        " FROM all_tab_columns WHERE owner = :o AND table_name = :n ORDER BY column_id",
                        {{":o", owner}, {":n", object}}, &rows))
        return false;
    m_out << ' ' << Pad("Name", 41) << ' ' << Pad("Null?", 8) << " Type\n"
          << ' ' << std::string(41, '-') << ' ' << std::string(8, '-') << ' ' << std::string(28, '-') << '\n';
    for (const auto& r : rows)
        m_out << ' ' << Pad(r[0], 41) << ' ' << Pad(r[1] == "N" ? "NOT NULL" : "", 8) << ' '
              << TypeText(r[2], r[3], r[4], r[5]) << '\n';
    m_out << '\n';
    return true;
}

bool OciSqlShow::DescribeArguments(const std::string& owner, const std::string& package, const std::string& object,
                                   const std::string& type)
{
    OciSqlRunner::Rows rows;
    const bool ok =
        package.empty()
            ? m_runner.Fetch("SELECT object_name, argument_name, position, data_type, in_out, default_value"
                             " FROM all_arguments WHERE owner = :o AND object_name = :n AND package_name IS NULL"
                             " ORDER BY sequence",
                             {{":o", owner}, {":n", object}}, &rows)
            : m_runner.Fetch("SELECT object_name, argument_name, position, data_type, in_out, default_value"
                             " FROM all_arguments WHERE owner = :o AND package_name = :p"
                             " ORDER BY object_name, overload, sequence",
                             {{":o", owner}, {":p", package}}, &rows);
    if (!ok)
        return false;
    if (rows.empty() && !package.empty())
        return true;
    // One unit at a time (a package's by name, overloads in turn): a header,
    // then its arguments (the return value is position 0).
    size_t i = 0;
    do {
        const std::string unit = rows.empty() ? object : rows[i][0];
        std::string returns;
        std::vector<const std::vector<std::string>*> args;
        bool function = package.empty() && type == "FUNCTION";
        for (; i < rows.size() && rows[i][0] == unit; ++i) {
            if (rows[i][2] == "0" && rows[i][1].empty()) {
                function = true;
                returns = rows[i][3];
            } else if (!rows[i][1].empty()) {
                args.push_back(&rows[i]);
            }
        }
        m_out << (function ? "FUNCTION " : "PROCEDURE ") << unit;
        if (function && !returns.empty())
            m_out << " RETURNS " << returns;
        m_out << '\n';
        if (!args.empty()) {
            m_out << ' ' << Pad("Argument Name", 30) << ' ' << Pad("Type", 23) << ' ' << Pad("In/Out", 6)
                  << " Default?\n"
                  << ' ' << std::string(30, '-') << ' ' << std::string(23, '-') << ' ' << std::string(6, '-') << ' '
                  << std::string(8, '-') << '\n';
            for (const auto* a : args)
                m_out << TrimRight(' ' + Pad((*a)[1], 30) + ' ' + Pad((*a)[3], 23) + ' ' + Pad((*a)[4], 6) + ' '
                                   + ((*a)[5].empty() ? "" : "DEFAULT"))
                      << '\n';
        }
        if (!package.empty())
            m_out << '\n';
    } while (i < rows.size());
    if (package.empty())
        m_out << '\n';
    return true;
}

} // namespace VkOracle

#include "ociw32/tools/ocisql/OciSqlVariables.h"

#include "platform/VkAscii.h"

#include <algorithm>
#include <charconv>

namespace VkOracle {

namespace {

constexpr int kNumberChars = 64;
constexpr int kLongestText = 32767; // PL/SQL's VARCHAR2 limit

bool IsNameChar(char c)
{
    return VkIsAsciiAlnum(c) || c == '_' || c == '$' || c == '#';
}

} // namespace

std::string OciSqlVariables::Variable::Value() const
{
    if (indicator == -1)
        return {};
    return std::string(buffer.data());
}

std::string OciSqlVariables::Variable::TypeText() const
{
    return Numeric() ? type : type + "(" + std::to_string(size) + ")";
}

bool OciSqlVariables::Declare(const std::string& nameIn, const std::string& typeIn, std::string* error)
{
    const std::string name = VkAsciiUpper(nameIn);
    if (name.empty() || !VkIsAsciiAlpha(name[0]) || name.size() > 30
        || !std::all_of(name.begin(), name.end(), IsNameChar)) {
        *error = "SP2-0553: Illegal variable name \"" + nameIn + "\".";
        return false;
    }
    std::string type;
    for (char c : typeIn)
        if (!VkIsAsciiSpace(c))
            type += VkAsciiToUpper(c);
    auto var = std::make_unique<Variable>();
    var->name = name;
    if (type == "NUMBER") {
        var->type = type;
        var->buffer.assign(kNumberChars, 0);
    } else {
        const size_t open = type.find('(');
        const std::string base = type.substr(0, open);
        int size = 1;
        bool ok = base == "VARCHAR2" || base == "CHAR";
        if (ok && open != std::string::npos) {
            const char* first = type.data() + open + 1;
            const char* last = type.data() + type.size() - 1;
            const auto [ptr, ec] = std::from_chars(first, last, size);
            ok = type.back() == ')' && ec == std::errc() && ptr == last;
        } else if (base == "VARCHAR2") {
            ok = false; // VARCHAR2 needs its length
        }
        if (!ok || size < 1 || size > kLongestText) {
            *error = "Usage: VAR[IABLE] [ <variable> [ NUMBER | CHAR | CHAR (n) | VARCHAR2 (n) ] ]";
            return false;
        }
        var->type = base;
        var->size = size;
        var->buffer.assign(static_cast<size_t>(size) + 1, 0);
    }
    for (auto& existing : m_variables)
        if (existing->name == name) {
            existing = std::move(var);
            return true;
        }
    m_variables.push_back(std::move(var));
    return true;
}

OciSqlVariables::Variable* OciSqlVariables::Find(const std::string& nameIn)
{
    std::string name = VkAsciiUpper(nameIn);
    if (!name.empty() && name[0] == ':')
        name.erase(0, 1);
    for (auto& v : m_variables)
        if (v->name == name)
            return v.get();
    return nullptr;
}

std::vector<std::string> OciSqlVariables::Placeholders(const std::string& s)
{
    std::vector<std::string> names;
    size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (c == '\'' || c == '"') {
            const size_t end = s.find(c, i + 1);
            i = end == std::string::npos ? s.size() : end + 1;
        } else if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
            const size_t end = s.find('\n', i);
            i = end == std::string::npos ? s.size() : end + 1;
        } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
            const size_t end = s.find("*/", i + 2);
            i = end == std::string::npos ? s.size() : end + 2;
        } else if (c == ':' && i + 1 < s.size() && VkIsAsciiAlpha(s[i + 1])) {
            size_t j = i + 1;
            while (j < s.size() && IsNameChar(s[j]))
                ++j;
            const std::string name = VkAsciiUpper(s.substr(i + 1, j - i - 1));
            if (std::find(names.begin(), names.end(), name) == names.end())
                names.push_back(name);
            i = j;
        } else if (IsNameChar(c)) {
            while (i < s.size() && IsNameChar(s[i]))
                ++i; // "a:b" does not occur, but "x:=1" does
        } else {
            ++i;
        }
    }
    return names;
}

} // namespace VkOracle

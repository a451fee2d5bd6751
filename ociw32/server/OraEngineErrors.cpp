#include "ociw32/server/OraEngineErrors.h"

#include "ociw32/functions/OraErrors.h"

#include <cstdio>

namespace VkOracle {
namespace {

struct EngineText {
    int code;
    const char* text;
};

const EngineText kEngineTexts[] = {
    {36, "maximum number of recursive SQL levels (%s) exceeded"},
    {940, "invalid ALTER command"},
    {1086, "savepoint '%s' never established"},
    {1452, "cannot CREATE UNIQUE INDEX; duplicate keys found"},
    {1778, "maximum subquery nesting level exceeded"},
    {1792, "maximum number of columns in a table or view is 1000"},
    {2017, "integer value required"},
    {2065, "illegal option for ALTER SYSTEM"},
    {2095, "specified initialization parameter cannot be modified"},
    {2096, "specified initialization parameter is not modifiable with this option"},
    {2097, "parameter cannot be modified because specified value is invalid"},
    {2429, "cannot drop index used for enforcement of unique/primary key"},
    {3001, "unimplemented feature"},
    {3095, "expression level is too deep, maximum %s"},
    {4002, "INCREMENT must be a non-zero integer"},
    {4004, "MINVALUE must be less than MAXVALUE"},
    {4006, "START WITH cannot be less than MINVALUE"},
    {4008, "START WITH cannot be more than MAXVALUE"},
};

} // namespace

std::string EngineErrorMessage(int code, int serverMajorVersion, const std::vector<std::string>& args)
{
    std::string text;
    if (IsKnownOraError(code)) {
        text = OraServerErrorText(code, serverMajorVersion);
    } else {
        text = "Message " + std::to_string(code) + " not found";
        for (const EngineText& t : kEngineTexts)
            if (t.code == code)
                text = t.text;
    }
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "ORA-%05d: ", code);
    std::string out = prefix;
    size_t next = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 's') {
            if (next < args.size())
                out += args[next++];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace VkOracle

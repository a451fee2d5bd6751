#pragma once
// Oracle SQL tokens: the first stage of the front end. Unquoted identifiers
// and keywords come out upper-cased; every token keeps its byte offset so
// that parse errors report the position Oracle reports.

#include <string>
#include <vector>

namespace VkOracle {

enum class TokKind { Ident, QuotedIdent, Number, String, Bind, Op, End };

struct SqlToken {
    TokKind kind = TokKind::End;
    std::string text; // identifier (upper case unless quoted), literal value, operator
    int pos = 0;      // byte offset in the statement
    int end = 0;      // offset just past the token
};

struct SqlTokenError {
    int code = 0; // 0 = none; 911, 972, 1704, 1740, 1741, 1756
    int pos = 0;
};

// Splits `sql` into tokens ending with one End token. Comments (-- and /* */)
// are skipped. On a lexical error the tokens so far are returned and *error
// is filled.
std::vector<SqlToken> TokenizeSql(const std::string& sql, SqlTokenError* error);

} // namespace VkOracle

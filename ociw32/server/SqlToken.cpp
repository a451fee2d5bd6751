#include "ociw32/server/SqlToken.h"

#include "platform/VkAscii.h"

namespace VkOracle {
namespace {
bool IsIdentStart(unsigned char c) { return VkIsAsciiAlpha(c) || c >= 0x80; }
bool IsIdentChar(unsigned char c) { return VkIsAsciiAlnum(c) || c == '_' || c == '$' || c == '#' || c >= 0x80; }
} // namespace

std::vector<SqlToken> TokenizeSql(const std::string& sql, SqlTokenError* error)
{
    std::vector<SqlToken> out;
    *error = SqlTokenError{};
    const int n = static_cast<int>(sql.size());
    int i = 0;
    auto push = [&](TokKind kind, std::string text, int pos, int end) {
        out.push_back(SqlToken{kind, std::move(text), pos, end});
    };
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(sql[i]);
        if (VkIsAsciiSpace(c)) {
            ++i;
            continue;
        }
        if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            while (i < n && sql[i] != '\n')
                ++i;
            continue;
        }
        if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            const size_t close = sql.find("*/", static_cast<size_t>(i) + 2);
            i = close == std::string::npos ? n : static_cast<int>(close) + 2;
            continue;
        }
        const int start = i;
        if (IsIdentStart(c)) {
            while (i < n && IsIdentChar(static_cast<unsigned char>(sql[i])))
                ++i;
            if (i - start > 30) {
                *error = SqlTokenError{972, start};
                break;
            }
            push(TokKind::Ident, VkAsciiUpper(sql.substr(start, i - start)), start, i);
            continue;
        }
        if (VkIsAsciiDigit(c) || (c == '.' && i + 1 < n && VkIsAsciiDigit(sql[i + 1]))) {
            while (i < n && VkIsAsciiDigit(sql[i]))
                ++i;
            if (i < n && sql[i] == '.' && !(i + 1 < n && sql[i + 1] == '.')) {
                ++i;
                while (i < n && VkIsAsciiDigit(sql[i]))
                    ++i;
            }
            if (i < n && (sql[i] == 'e' || sql[i] == 'E')) {
                int j = i + 1;
                if (j < n && (sql[j] == '+' || sql[j] == '-'))
                    ++j;
                if (j < n && VkIsAsciiDigit(sql[j])) {
                    while (j < n && VkIsAsciiDigit(sql[j]))
                        ++j;
                    i = j;
                }
            }
            push(TokKind::Number, sql.substr(start, i - start), start, i);
            continue;
        }
        if (c == '\'') {
            std::string value;
            ++i;
            bool closed = false;
            while (i < n) {
                if (sql[i] == '\'') {
                    if (i + 1 < n && sql[i + 1] == '\'') {
                        value += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value += sql[i++];
            }
            if (!closed) {
                *error = SqlTokenError{1756, start};
                break;
            }
            if (value.size() > 4000) {
                *error = SqlTokenError{1704, start};
                break;
            }
            push(TokKind::String, value, start, i);
            continue;
        }
        if (c == '"') {
            const size_t close = sql.find('"', static_cast<size_t>(i) + 1);
            if (close == std::string::npos || close == static_cast<size_t>(i) + 1) {
                *error = SqlTokenError{close == std::string::npos ? 1740 : 1741, start};
                break;
            }
            if (close - start - 1 > 30) {
                *error = SqlTokenError{972, start};
                break;
            }
            i = static_cast<int>(close) + 1;
            push(TokKind::QuotedIdent, sql.substr(start + 1, close - start - 1), start, i);
            continue;
        }
        if (c == ':' && i + 1 < n && (IsIdentChar(static_cast<unsigned char>(sql[i + 1])))) {
            ++i;
            while (i < n && IsIdentChar(static_cast<unsigned char>(sql[i])))
                ++i;
            push(TokKind::Bind, VkAsciiUpper(sql.substr(start + 1, i - start - 1)), start, i);
            continue;
        }
        // (+) may be written with blanks inside: "( + )".
        if (c == '(') {
            int j = i + 1;
            while (j < n && VkIsAsciiSpace(sql[j]))
                ++j;
            if (j < n && sql[j] == '+') {
                int k = j + 1;
                while (k < n && VkIsAsciiSpace(sql[k]))
                    ++k;
                if (k < n && sql[k] == ')') {
                    i = k + 1;
                    push(TokKind::Op, "(+)", start, i);
                    continue;
                }
            }
        }
        static const char* const kTwo[] = {"||", "<>", "!=", "^=", "<=", ">=", ":=", "=>", "**", ".."};
        bool two = false;
        if (i + 1 < n) {
            for (const char* op : kTwo) {
                if (sql[i] == op[0] && sql[i + 1] == op[1]) {
                    push(TokKind::Op, op, start, i + 2);
                    i += 2;
                    two = true;
                    break;
                }
            }
        }
        if (two)
            continue;
        if (std::string("()+-*/,.=<>;@%").find(static_cast<char>(c)) != std::string::npos) {
            push(TokKind::Op, std::string(1, static_cast<char>(c)), start, i + 1);
            ++i;
            continue;
        }
        *error = SqlTokenError{911, start};
        break;
    }
    push(TokKind::End, "", n, n);
    return out;
}

} // namespace VkOracle

// The character functions and the NULL-handling functions (NVL, DECODE,
// LEAST, ...) as SQLite functions.
#include "ociw32/functions/OraSqlValues.h"
#include "ociw32/functions/OraText.h"
#include "platform/VkAscii.h"

#include <charconv>
#include <cstdint>
#include <cstring>

namespace VkOracle::detail {

namespace {

// True when the argument has a value; otherwise the result is already set
// (NULL) or an error has been raised.
bool Got(sqlite3_context* ctx, Arg a)
{
    if (a == Arg::Null)
        sqlite3_result_null(ctx);
    return a == Arg::Value;
}

void ResultValue(sqlite3_context* ctx, sqlite3_value* v)
{
    if (IsNullArg(v))
        sqlite3_result_null(ctx);
    else
        sqlite3_result_value(ctx, v);
}

bool IsNumericValue(sqlite3_value* v)
{
    const int t = sqlite3_value_type(v);
    return t == SQLITE_INTEGER || t == SQLITE_FLOAT;
}

// Appends an integer as FormatOracleNumber writes one (plain decimal).
void AppendInteger(std::string* out, int64_t value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out->append(digits, static_cast<size_t>(end - digits));
}

void Concat(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    std::string out;
    std::string part;
    for (int k = 0; k < argc; ++k) {
        sqlite3_value* v = argv[k];
        // Integral numbers and text go straight in; other numbers take
        // Oracle's formatting.
        switch (sqlite3_value_type(v)) {
        case SQLITE_NULL:
            continue;
        case SQLITE_INTEGER:
            AppendInteger(&out, sqlite3_value_int64(v));
            continue;
        case SQLITE_FLOAT:
            if (const OraNum n = OraNumFromDouble(sqlite3_value_double(v)); n.isInt) {
                AppendInteger(&out, n.i);
                continue;
            }
            break;
        case SQLITE_TEXT: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v)); // before its length
            out.append(text, static_cast<size_t>(sqlite3_value_bytes(v)));
            continue;
        }
        default:
            break;
        }
        if (ArgText(ctx, v, &part) == Arg::Value)
            out += part;
    }
    ResultText(ctx, out);
}

void Nvl(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    ResultValue(ctx, IsNullArg(argv[0]) ? argv[1] : argv[0]);
}

void Nvl2(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    ResultValue(ctx, IsNullArg(argv[0]) ? argv[2] : argv[1]);
}

void Coalesce(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    for (int k = 0; k < argc; ++k)
        if (!IsNullArg(argv[k])) {
            sqlite3_result_value(ctx, argv[k]);
            return;
        }
    sqlite3_result_null(ctx);
}

// 1 equal, 0 not, -1 error raised. NULL equals NULL (DECODE's rule).
int DecodeMatch(sqlite3_context* ctx, sqlite3_value* a, sqlite3_value* b)
{
    const bool an = IsNullArg(a), bn = IsNullArg(b);
    if (an || bn)
        return an && bn ? 1 : 0;
    if (IsNumericValue(a) || IsNumericValue(b)) {
        OraNum x, y;
        if (ArgNumber(ctx, a, &x) == Arg::Error || ArgNumber(ctx, b, &y) == Arg::Error)
            return -1;
        return CompareNumbers(x, y) == 0 ? 1 : 0;
    }
    std::string x, y;
    ArgText(ctx, a, &x);
    ArgText(ctx, b, &y);
    return x == y ? 1 : 0;
}

void Decode(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (argc < 3) {
        RaiseOra(ctx, 938);
        return;
    }
    int k = 1;
    for (; k + 1 < argc; k += 2) {
        const int m = DecodeMatch(ctx, argv[0], argv[k]);
        if (m < 0)
            return;
        if (m == 1) {
            ResultValue(ctx, argv[k + 1]);
            return;
        }
    }
    if (k < argc)
        ResultValue(ctx, argv[k]); // the default
    else
        sqlite3_result_null(ctx);
}

// LEAST/GREATEST: the first argument decides whether values compare as
// numbers or as text; any NULL gives NULL.
void Extreme(sqlite3_context* ctx, int argc, sqlite3_value** argv, int sign)
{
    for (int k = 0; k < argc; ++k)
        if (IsNullArg(argv[k])) {
            sqlite3_result_null(ctx);
            return;
        }
    if (IsNumericValue(argv[0])) {
        OraNum best;
        ArgNumber(ctx, argv[0], &best);
        for (int k = 1; k < argc; ++k) {
            OraNum n;
            if (ArgNumber(ctx, argv[k], &n) == Arg::Error)
                return;
            if (CompareNumbers(n, best) * sign > 0)
                best = n;
        }
        ResultNumber(ctx, best);
        return;
    }
    std::string best;
    ArgText(ctx, argv[0], &best);
    for (int k = 1; k < argc; ++k) {
        std::string s;
        ArgText(ctx, argv[k], &s);
        if (s.compare(best) * sign > 0)
            best = s;
    }
    ResultText(ctx, best);
}

void Least(sqlite3_context* ctx, int argc, sqlite3_value** argv) { Extreme(ctx, argc, argv, -1); }
void Greatest(sqlite3_context* ctx, int argc, sqlite3_value** argv) { Extreme(ctx, argc, argv, 1); }

template <std::string (*F)(const std::string&)>
void TextMap(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    std::string s;
    if (Got(ctx, ArgText(ctx, argv[0], &s)))
        ResultText(ctx, F(s));
}

void Length(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    std::string s;
    if (Got(ctx, ArgText(ctx, argv[0], &s)))
        sqlite3_result_int64(ctx, static_cast<int64_t>(OraLength(s)));
}

void Substr(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    std::string s;
    int64_t pos = 0, len = 0;
    if (!Got(ctx, ArgText(ctx, argv[0], &s)) || !Got(ctx, ArgInt(ctx, argv[1], &pos)))
        return;
    if (argc > 2 && !Got(ctx, ArgInt(ctx, argv[2], &len)))
        return;
    ResultText(ctx, OraSubstr(s, pos, argc > 2, len));
}

void Instr(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    std::string s, t;
    int64_t pos = 1, occ = 1;
    if (!Got(ctx, ArgText(ctx, argv[0], &s)) || !Got(ctx, ArgText(ctx, argv[1], &t)))
        return;
    if (argc > 2 && !Got(ctx, ArgInt(ctx, argv[2], &pos)))
        return;
    if (argc > 3 && !Got(ctx, ArgInt(ctx, argv[3], &occ)))
        return;
    int64_t result = 0;
    if (OraInstr(s, t, pos, occ, &result) != 0) {
        RaiseOra(ctx, 1428, {std::to_string(occ)});
        return;
    }
    sqlite3_result_int64(ctx, result);
}

void Pad(sqlite3_context* ctx, int argc, sqlite3_value** argv, bool left)
{
    std::string s, pad = " ";
    int64_t n = 0;
    if (!Got(ctx, ArgText(ctx, argv[0], &s)) || !Got(ctx, ArgInt(ctx, argv[1], &n)))
        return;
    if (argc > 2 && !Got(ctx, ArgText(ctx, argv[2], &pad)))
        return;
    if (n > 32767)
        n = 32767; // Oracle's longest VARCHAR2 value
    ResultText(ctx, OraPad(s, n, pad, left));
}

void Lpad(sqlite3_context* ctx, int argc, sqlite3_value** argv) { Pad(ctx, argc, argv, true); }
void Rpad(sqlite3_context* ctx, int argc, sqlite3_value** argv) { Pad(ctx, argc, argv, false); }

void TrimSides(sqlite3_context* ctx, int argc, sqlite3_value** argv, bool leading, bool trailing)
{
    std::string s, set = " ";
    if (!Got(ctx, ArgText(ctx, argv[0], &s)))
        return;
    if (argc > 1 && !Got(ctx, ArgText(ctx, argv[1], &set)))
        return;
    ResultText(ctx, OraTrimSet(s, set, leading, trailing));
}

void Ltrim(sqlite3_context* ctx, int argc, sqlite3_value** argv) { TrimSides(ctx, argc, argv, true, false); }
void Rtrim(sqlite3_context* ctx, int argc, sqlite3_value** argv) { TrimSides(ctx, argc, argv, false, true); }

// ora_trim(s[, ch[, mode]]): mode 'BOTH', 'LEADING' or 'TRAILING'.
void Trim(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    std::string s, ch = " ", mode = "BOTH";
    if (!Got(ctx, ArgText(ctx, argv[0], &s)))
        return;
    if (argc > 1 && !Got(ctx, ArgText(ctx, argv[1], &ch)))
        return;
    if (argc > 2 && ArgText(ctx, argv[2], &mode) != Arg::Value)
        mode = "BOTH";
    if (OraLength(ch) != 1) {
        RaiseOra(ctx, 30001);
        return;
    }
    const char m = VkAsciiToUpper(mode[0]);
    ResultText(ctx, OraTrimSet(s, ch, m != 'T', m != 'L'));
}

void Replace(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    std::string s, search, repl;
    if (!Got(ctx, ArgText(ctx, argv[0], &s)))
        return;
    if (ArgText(ctx, argv[1], &search) != Arg::Value) {
        ResultText(ctx, s);
        return;
    }
    if (argc > 2)
        ArgText(ctx, argv[2], &repl);
    ResultText(ctx, OraReplace(s, search, repl));
}

void Translate(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    std::string s, from, to;
    if (!Got(ctx, ArgText(ctx, argv[0], &s)) || !Got(ctx, ArgText(ctx, argv[1], &from)) ||
        !Got(ctx, ArgText(ctx, argv[2], &to)))
        return;
    ResultText(ctx, OraTranslate(s, from, to));
}

void Chr(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    int64_t n = 0;
    if (!Got(ctx, ArgInt(ctx, argv[0], &n)))
        return;
    if (n < 0 || n > 0x10FFFF) {
        RaiseOra(ctx, 1428, {std::to_string(n)});
        return;
    }
    std::string out;
    const uint32_t cp = static_cast<uint32_t>(n);
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    if (cp == 0)
        sqlite3_result_text(ctx, "", 1, SQLITE_TRANSIENT); // CHR(0) is one NUL character
    else
        ResultText(ctx, out);
}

void Ascii(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    std::string s;
    if (!Got(ctx, ArgText(ctx, argv[0], &s)))
        return;
    const std::string first = OraSubstr(s, 1, true, 1);
    const unsigned char c = static_cast<unsigned char>(first[0]);
    uint32_t cp = c;
    if (first.size() > 1) {
        cp = first.size() == 2 ? (c & 0x1F) : first.size() == 3 ? (c & 0x0F) : (c & 0x07);
        for (size_t k = 1; k < first.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(first[k]) & 0x3F);
    }
    sqlite3_result_int64(ctx, cp);
}

void Like(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    std::string s, pattern, escape;
    if (!Got(ctx, ArgText(ctx, argv[0], &s)) || !Got(ctx, ArgText(ctx, argv[1], &pattern)))
        return;
    if (argc > 2 && !Got(ctx, ArgText(ctx, argv[2], &escape)))
        return;
    bool matches = false;
    if (int err = OraLike(s, pattern, escape, &matches)) {
        RaiseOra(ctx, err);
        return;
    }
    sqlite3_result_int(ctx, matches ? 1 : 0);
}

} // namespace

std::vector<OraFunctionDef> TextFunctionDefs()
{
    return {
        {"ora_concat", -1, true, Concat},
        {"ora_nvl", 2, true, Nvl},
        {"ora_nvl2", 3, true, Nvl2},
        {"ora_coalesce", -1, true, Coalesce},
        {"ora_decode", -1, true, Decode},
        {"ora_least", -1, true, Least},
        {"ora_greatest", -1, true, Greatest},
        {"ora_upper", 1, true, TextMap<OraUpper>},
        {"ora_lower", 1, true, TextMap<OraLower>},
        {"ora_initcap", 1, true, TextMap<OraInitCap>},
        {"ora_length", 1, true, Length},
        {"ora_substr", 2, true, Substr},
        {"ora_substr", 3, true, Substr},
        {"ora_instr", 2, true, Instr},
        {"ora_instr", 3, true, Instr},
        {"ora_instr", 4, true, Instr},
        {"ora_lpad", 2, true, Lpad},
        {"ora_lpad", 3, true, Lpad},
        {"ora_rpad", 2, true, Rpad},
        {"ora_rpad", 3, true, Rpad},
        {"ora_ltrim", 1, true, Ltrim},
        {"ora_ltrim", 2, true, Ltrim},
        {"ora_rtrim", 1, true, Rtrim},
        {"ora_rtrim", 2, true, Rtrim},
        {"ora_trim", 1, true, Trim},
        {"ora_trim", 2, true, Trim},
        {"ora_trim", 3, true, Trim},
        {"ora_replace", 2, true, Replace},
        {"ora_replace", 3, true, Replace},
        {"ora_translate", 3, true, Translate},
        {"ora_like", 2, true, Like},
        {"ora_like", 3, true, Like},
        {"ora_chr", 1, true, Chr},
        {"ora_ascii", 1, true, Ascii},
    };
}

} // namespace VkOracle::detail

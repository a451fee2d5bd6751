#include "ociw32/functions/OraText.h"

#include <vector>

namespace VkOracle {

namespace {

// One character per element; a byte that starts no valid sequence stands alone.
std::vector<std::string> Chars(const std::string& s)
{
    std::vector<std::string> out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        if (i + n > s.size())
            n = 1;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
                n = 1;
                break;
            }
        out.push_back(s.substr(i, n));
        i += n;
    }
    return out;
}

std::string Join(const std::vector<std::string>& chars, size_t from, size_t to)
{
    std::string out;
    for (size_t k = from; k < to && k < chars.size(); ++k)
        out += chars[k];
    return out;
}

uint32_t Decode(const std::string& ch)
{
    const unsigned char c = static_cast<unsigned char>(ch[0]);
    if (ch.size() == 1)
        return c;
    uint32_t cp = ch.size() == 2 ? (c & 0x1F) : ch.size() == 3 ? (c & 0x0F) : (c & 0x07);
    for (size_t k = 1; k < ch.size(); ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(ch[k]) & 0x3F);
    return cp;
}

std::string Encode(uint32_t cp)
{
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

uint32_t ToUpperCp(uint32_t c)
{
    if (c >= 'a' && c <= 'z')
        return c - 32;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x430 && c <= 0x44F))
        return c - 32;
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2)
        return c - 32;
    if (c >= 0x450 && c <= 0x45F)
        return c - 80;
    return c;
}

uint32_t ToLowerCp(uint32_t c)
{
    if (c >= 'A' && c <= 'Z')
        return c + 32;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x410 && c <= 0x42F))
        return c + 32;
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2)
        return c + 32;
    if (c >= 0x400 && c <= 0x40F)
        return c + 80;
    return c;
}

bool IsWordChar(uint32_t c)
{
    return (c >= '0' && c <= '9') || ToUpperCp(c) != c || ToLowerCp(c) != c;
}

std::string MapCase(const std::string& s, uint32_t (*map)(uint32_t))
{
    std::string out;
    out.reserve(s.size());
    for (const std::string& ch : Chars(s)) {
        const uint32_t cp = Decode(ch);
        const uint32_t mapped = map(cp);
        out += mapped == cp ? ch : Encode(mapped);
    }
    return out;
}

} // namespace

size_t OraLength(const std::string& s) { return Chars(s).size(); }

std::string OraUpper(const std::string& s) { return MapCase(s, ToUpperCp); }
std::string OraLower(const std::string& s) { return MapCase(s, ToLowerCp); }

std::string OraInitCap(const std::string& s)
{
    std::string out;
    bool inWord = false;
    for (const std::string& ch : Chars(s)) {
        const uint32_t cp = Decode(ch);
        const uint32_t mapped = inWord ? ToLowerCp(cp) : ToUpperCp(cp);
        out += mapped == cp ? ch : Encode(mapped);
        inWord = IsWordChar(cp);
    }
    return out;
}

std::string OraSubstr(const std::string& s, int64_t position, bool hasLength, int64_t length)
{
    const std::vector<std::string> chars = Chars(s);
    const int64_t n = static_cast<int64_t>(chars.size());
    if (hasLength && length < 1)
        return {};
    int64_t start; // 0-based
    if (position > 0)
        start = position - 1;
    else if (position == 0)
        start = 0;
    else if (position < -n)
        return {};
    else
        start = n + position;
    if (start >= n)
        return {};
    const int64_t end = hasLength && length < n - start ? start + length : n;
    return Join(chars, static_cast<size_t>(start), static_cast<size_t>(end));
}

int OraInstr(const std::string& s, const std::string& search, int64_t position,
             int64_t occurrence, int64_t* result)
{
    if (occurrence < 1)
        return 1428;
    *result = 0;
    const std::vector<std::string> hay = Chars(s);
    const std::vector<std::string> needle = Chars(search);
    const int64_t n = static_cast<int64_t>(hay.size());
    const int64_t m = static_cast<int64_t>(needle.size());
    if (position == 0 || m == 0 || m > n)
        return 0;
    auto matchesAt = [&](int64_t i) {
        for (int64_t k = 0; k < m; ++k)
            if (hay[i + k] != needle[k])
                return false;
        return true;
    };
    int64_t found = 0;
    if (position > 0) {
        for (int64_t i = position - 1; i + m <= n; ++i)
            if (matchesAt(i) && ++found == occurrence) {
                *result = i + 1;
                return 0;
            }
    } else {
        int64_t i = n + position; // 0-based start of the backward search
        if (i + m > n)
            i = n - m;
        for (; i >= 0; --i)
            if (matchesAt(i) && ++found == occurrence) {
                *result = i + 1;
                return 0;
            }
    }
    return 0;
}

std::string OraPad(const std::string& s, int64_t length, const std::string& pad, bool left)
{
    if (length < 1)
        return {};
    const std::vector<std::string> chars = Chars(s);
    const size_t want = static_cast<size_t>(length);
    if (chars.size() >= want)
        return Join(chars, 0, want);
    const std::vector<std::string> padChars = Chars(pad);
    if (padChars.empty())
        return {};
    std::string fill;
    for (size_t k = 0; k < want - chars.size(); ++k)
        fill += padChars[k % padChars.size()];
    return left ? fill + s : s + fill;
}

std::string OraTrimSet(const std::string& s, const std::string& set, bool leading, bool trailing)
{
    const std::vector<std::string> chars = Chars(s);
    const std::vector<std::string> setChars = Chars(set);
    auto inSet = [&](const std::string& ch) {
        for (const std::string& c : setChars)
            if (c == ch)
                return true;
        return false;
    };
    size_t from = 0, to = chars.size();
    if (leading)
        while (from < to && inSet(chars[from]))
            ++from;
    if (trailing)
        while (to > from && inSet(chars[to - 1]))
            --to;
    return Join(chars, from, to);
}

std::string OraReplace(const std::string& s, const std::string& search, const std::string& replacement)
{
    if (search.empty())
        return s;
    std::string out;
    size_t pos = 0;
    while (true) {
        const size_t hit = s.find(search, pos);
        if (hit == std::string::npos)
            break;
        out.append(s, pos, hit - pos);
        out += replacement;
        pos = hit + search.size();
    }
    out.append(s, pos, std::string::npos);
    return out;
}

std::string OraTranslate(const std::string& s, const std::string& from, const std::string& to)
{
    const std::vector<std::string> fromChars = Chars(from);
    const std::vector<std::string> toChars = Chars(to);
    std::string out;
    for (const std::string& ch : Chars(s)) {
        size_t k = 0;
        while (k < fromChars.size() && fromChars[k] != ch)
            ++k;
        if (k == fromChars.size())
            out += ch;
        else if (k < toChars.size())
            out += toChars[k];
    }
    return out;
}

int OraLike(const std::string& s, const std::string& pattern, const std::string& escape,
            bool* matches)
{
    const std::vector<std::string> esc = Chars(escape);
    if (esc.size() > 1)
        return 1425;
    // The pattern compiled to elements: kind 0 literal, 1 '_', 2 '%'.
    struct Element {
        int kind;
        std::string ch;
    };
    std::vector<Element> elements;
    const std::vector<std::string> p = Chars(pattern);
    for (size_t k = 0; k < p.size(); ++k) {
        if (!esc.empty() && p[k] == esc[0]) {
            if (k + 1 >= p.size() || (p[k + 1] != "%" && p[k + 1] != "_" && p[k + 1] != esc[0]))
                return 1424;
            elements.push_back({0, p[++k]});
        } else if (p[k] == "%") {
            elements.push_back({2, {}});
        } else if (p[k] == "_") {
            elements.push_back({1, {}});
        } else {
            elements.push_back({0, p[k]});
        }
    }
    // Greedy match with one backtrack point per '%' (linear in practice).
    const std::vector<std::string> t = Chars(s);
    size_t ti = 0, ei = 0;
    size_t starE = std::string::npos, starT = 0;
    while (ti < t.size()) {
        if (ei < elements.size() && elements[ei].kind == 2) {
            starE = ei++;
            starT = ti;
        } else if (ei < elements.size() &&
                   (elements[ei].kind == 1 || elements[ei].ch == t[ti])) {
            ++ei;
            ++ti;
        } else if (starE != std::string::npos) {
            ei = starE + 1;
            ti = ++starT;
        } else {
            *matches = false;
            return 0;
        }
    }
    while (ei < elements.size() && elements[ei].kind == 2)
        ++ei;
    *matches = ei == elements.size();
    return 0;
}

} // namespace VkOracle

#include "platform/RegText.h"

#include "platform/RegHive.h"
#include "platform/VkRegHealth.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

constexpr size_t WrapColumn = 76;

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix)
{
    if (s.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char a = s[i], b = prefix[i];
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (a != b)
            return false;
    }
    return true;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// 1 to 8 hex digits and nothing else.
bool ParseHex32(std::string_view s, DWORD* v)
{
    if (s.empty() || s.size() > 8)
        return false;
    DWORD r = 0;
    for (char c : s) {
        int d = HexDigit(c);
        if (d < 0)
            return false;
        r = (r << 4) | static_cast<DWORD>(d);
    }
    *v = r;
    return true;
}

std::string Escape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

// Reads a quoted text starting at s[*pos] == '"'; *pos ends after the
// closing quote. False when the quote is never closed.
bool ParseQuoted(std::string_view s, size_t* pos, std::string* out)
{
    out->clear();
    size_t i = *pos + 1;
    while (i < s.size()) {
        char c = s[i];
        if (c == '"') {
            *pos = i + 1;
            return true;
        }
        if (c == '\\' && i + 1 < s.size()) {
            char n = s[i + 1];
            switch (n) {
            case '\\': out->push_back('\\'); break;
            case '"': out->push_back('"'); break;
            case 'n': out->push_back('\n'); break;
            case 'r': out->push_back('\r'); break;
            default: // not an escape: keep what was written
                out->push_back('\\');
                out->push_back(n);
            }
            i += 2;
            continue;
        }
        out->push_back(c);
        ++i;
    }
    return false;
}

bool IsPlainString(std::string_view data)
{
    if (data.empty() || data.back() != '\0')
        return false;
    data.remove_suffix(1);
    return data.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

// Finds the stored spelling of each level of names below root.
bool StoredSpelling(HKEY root, const std::vector<std::string>& names, std::string* path)
{
    HKEY cur = root;
    bool ok = true;
    for (const auto& name : names) {
        std::string found;
        char buf[300];
        for (DWORD i = 0;; ++i) {
            DWORD len = sizeof buf;
            if (RegEnumKeyEx(cur, i, buf, &len) != ERROR_SUCCESS)
                break;
            if (VkRegFoldName(std::string_view(buf, len)) == VkRegFoldName(name)) {
                found.assign(buf, len);
                break;
            }
        }
        HKEY next = nullptr;
        if (found.empty() || RegOpenKeyEx(cur, found.c_str(), KEY_READ, &next) != ERROR_SUCCESS) {
            ok = false;
            break;
        }
        if (cur != root)
            RegCloseKey(cur);
        cur = next;
        *path += "\\" + found;
    }
    if (cur != root)
        RegCloseKey(cur);
    return ok;
}

std::vector<std::string> SplitNames(std::string_view sub)
{
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= sub.size()) {
        size_t end = sub.find('\\', start);
        if (end == std::string_view::npos)
            end = sub.size();
        if (end > start)
            names.emplace_back(sub.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

// Closes a key handle when it goes out of scope.
struct OpenKey {
    HKEY key = nullptr;
    OpenKey() = default;
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    ~OpenKey()
    {
        if (key)
            RegCloseKey(key);
    }
};

LONG ExportValues(HKEY key, const std::string& path, std::string* out)
{
    *out += "[" + path + "]\n";
    std::vector<char> name(256);
    std::vector<BYTE> data(256);
    for (DWORD i = 0;;) {
        DWORD nameLen = static_cast<DWORD>(name.size()), dataLen = static_cast<DWORD>(data.size()), type = 0;
        LONG rc = RegEnumValue(key, i, name.data(), &nameLen, &type, data.data(), &dataLen);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc == ERROR_MORE_DATA) {
            DWORD maxName = 0, maxData = 0;
            if ((rc = RegQueryInfoKey(key, nullptr, nullptr, nullptr, &maxName, &maxData)) != ERROR_SUCCESS)
                return rc;
            name.resize(std::max<size_t>(name.size(), maxName + 1));
            data.resize(std::max<size_t>(data.size(), maxData));
            continue; // again with room enough
        }
        if (rc != ERROR_SUCCESS)
            return rc;
        std::string line = nameLen ? VkRegText::Quote(std::string_view(name.data(), nameLen)) : "@";
        line += "=";
        line += VkRegText::FormatData(type, std::string_view(reinterpret_cast<char*>(data.data()), dataLen),
                                      line.size());
        *out += line + "\n";
        ++i;
    }
    *out += "\n";
    return ERROR_SUCCESS;
}

// The branch below key, depth first in name order, with a stack of its own
// rather than the thread's: keys deeper than the registry allows (a hive
// written by something else) are left out and counted in *skipped.
LONG ExportBranch(HKEY top, const std::string& topPath, int topDepth, std::string* out, int* skipped)
{
    struct Pending {
        std::string path;
        std::string name; // below the parent's handle; empty for the top
        int depth;
        std::shared_ptr<OpenKey> parent;
    };
    std::vector<Pending> stack;
    stack.push_back({topPath, {}, topDepth, nullptr});
    while (!stack.empty()) {
        Pending item = std::move(stack.back());
        stack.pop_back();
        auto key = std::make_shared<OpenKey>();
        if (item.parent) {
            if (RegOpenKeyEx(item.parent->key, item.name.c_str(), KEY_READ, &key->key) != ERROR_SUCCESS)
                continue; // deleted meanwhile
        } else if (RegOpenKeyEx(top, nullptr, KEY_READ, &key->key) != ERROR_SUCCESS) {
            return ERROR_FILE_NOT_FOUND;
        }
        item.parent.reset();
        if (LONG rc = ExportValues(key->key, item.path, out); rc != ERROR_SUCCESS)
            return rc;
        std::vector<std::string> subKeys;
        char buf[300];
        for (DWORD i = 0;; ++i) {
            DWORD len = sizeof buf;
            LONG rc = RegEnumKeyEx(key->key, i, buf, &len);
            if (rc == ERROR_NO_MORE_ITEMS)
                break;
            if (rc != ERROR_SUCCESS)
                return rc;
            subKeys.emplace_back(buf, len);
        }
        if (subKeys.empty())
            continue;
        if (item.depth >= VkRegHive::MaxDepth) {
            if (skipped)
                *skipped += static_cast<int>(subKeys.size());
            continue;
        }
        // Pushed in reverse so that they come off in name order.
        for (auto it = subKeys.rbegin(); it != subKeys.rend(); ++it)
            stack.push_back({item.path + "\\" + *it, *it, item.depth + 1, key});
    }
    return ERROR_SUCCESS;
}

// Parses the text after "hex" (":..." or "(N):...") into a type and bytes;
// continuation lines ending in "\" are taken from lines at *next.
bool ParseHexData(std::string_view rest, const std::vector<std::string_view>& lines, size_t* next,
                  DWORD* type, std::string* bytes, std::string* error)
{
    *type = REG_BINARY;
    if (!rest.empty() && rest.front() == '(') {
        size_t close = rest.find(')');
        if (close == std::string_view::npos || !ParseHex32(rest.substr(1, close - 1), type)) {
            *error = "bad value type in hex(...)";
            return false;
        }
        rest.remove_prefix(close + 1);
    }
    if (rest.empty() || rest.front() != ':') {
        *error = "expected ':' after hex";
        return false;
    }
    rest.remove_prefix(1);
    std::string list(Trim(rest));
    while (!list.empty() && list.back() == '\\') {
        list.pop_back();
        if (*next >= lines.size()) {
            *error = "hex data continues past the end of the file";
            return false;
        }
        list += Trim(lines[(*next)++]);
    }
    bytes->clear();
    std::string_view s(list);
    size_t start = 0;
    while (start < s.size()) {
        size_t comma = s.find(',', start);
        std::string_view tok = Trim(s.substr(start, comma == std::string_view::npos ? comma : comma - start));
        DWORD v = 0;
        if (tok.size() > 2 || !ParseHex32(tok, &v)) {
            *error = "bad byte \"" + std::string(tok) + "\" in hex data";
            return false;
        }
        bytes->push_back(static_cast<char>(v));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
        if (start == s.size())
            break; // a trailing comma is harmless
    }
    return true;
}

} // namespace

bool VkRegText::SplitKeyPath(std::string_view path, HKEY* root, std::string* subPath)
{
    size_t slash = path.find('\\');
    std::string rootName(path.substr(0, slash));
    HKEY r = RegRootFromName(rootName.c_str());
    if (!r)
        return false;
    *root = r;
    subPath->assign(slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1));
    return true;
}

std::string VkRegText::Quote(std::string_view text) { return "\"" + Escape(text) + "\""; }

std::string VkRegText::FormatData(DWORD type, std::string_view data, size_t column)
{
    if (type == REG_SZ && IsPlainString(data))
        return Quote(data.substr(0, data.size() - 1));
    if (type == REG_DWORD && data.size() == 4) {
        DWORD v = 0;
        std::memcpy(&v, data.data(), 4);
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", v);
        return buf;
    }
    char prefix[24];
    if (type == REG_BINARY)
        std::snprintf(prefix, sizeof prefix, "hex:");
    else
        std::snprintf(prefix, sizeof prefix, "hex(%x):", type);
    std::string out = prefix;
    size_t col = column + out.size();
    static const char digits[] = "0123456789abcdef";
    for (size_t i = 0; i < data.size(); ++i) {
        auto b = static_cast<unsigned char>(data[i]);
        out += digits[b >> 4];
        out += digits[b & 15];
        col += 2;
        if (i + 1 < data.size()) {
            out += ',';
            ++col;
            if (col >= WrapColumn) {
                out += "\\\n  ";
                col = 2;
            }
        }
    }
    return out;
}

static LONG ExportText(std::string_view keyPath, std::string* text, int* skipped)
{
    HKEY root = nullptr;
    std::string sub;
    if (!VkRegText::SplitKeyPath(keyPath, &root, &sub))
        return ERROR_FILE_NOT_FOUND;
    std::string path = RegRootName(root);
    const std::vector<std::string> names = SplitNames(sub);
    if (!StoredSpelling(root, names, &path))
        return ERROR_FILE_NOT_FOUND;
    OpenKey key;
    LONG rc = RegOpenKeyEx(root, sub.c_str(), KEY_READ, &key.key);
    if (rc != ERROR_SUCCESS)
        return rc;
    // The classes root lies two levels down in its hive.
    const int depth = static_cast<int>(names.size()) + (root == HKEY_CLASSES_ROOT ? 2 : 0);
    std::string out = "REGEDIT4\n\n";
    rc = ExportBranch(key.key, path, depth, &out, skipped);
    if (rc == ERROR_SUCCESS)
        *text = std::move(out);
    return rc;
}

LONG VkRegText::DeleteKey(std::string_view keyPath)
{
    HKEY root = nullptr;
    std::string sub;
    if (!SplitKeyPath(keyPath, &root, &sub))
        return ERROR_FILE_NOT_FOUND;
    if (SplitNames(sub).empty())
        return ERROR_ACCESS_DENIED;
    return RegDeleteTree(root, sub.c_str());
}

static VkRegText::ImportResult ImportText(std::string_view text)
{
    using ImportResult = VkRegText::ImportResult;
    ImportResult result;
    std::vector<std::string_view> lines;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }

    auto fail = [&](size_t lineIndex, LONG status, std::string message) {
        result.status = status;
        result.line = static_cast<int>(lineIndex + 1);
        result.message = std::move(message);
    };

    // All of the file or nothing: the hives it names join one transaction.
    VkRegTransaction transaction;
    HKEY current = nullptr;
    bool sawHeader = false;
    size_t i = 0;
    while (i < lines.size() && result.status == ERROR_SUCCESS) {
        const size_t at = i;
        std::string_view line = Trim(lines[i++]);
        if (line.empty() || line.front() == ';')
            continue;
        if (!sawHeader) {
            if (line != "REGEDIT4") {
                fail(at, ERROR_INVALID_DATA,
                     StartsWithNoCase(line, "windows registry editor")
                         ? "only REGEDIT4 files can be read, not version 5 files"
                         : "not a REGEDIT4 file: the first line must be \"REGEDIT4\"");
                break;
            }
            sawHeader = true;
            continue;
        }
        if (line.front() == '[') {
            if (current)
                RegCloseKey(current);
            current = nullptr;
            if (line.back() != ']') {
                fail(at, ERROR_INVALID_DATA, "key line without a closing ']'");
                break;
            }
            std::string_view path = line.substr(1, line.size() - 2);
            const bool remove = !path.empty() && path.front() == '-';
            if (remove)
                path.remove_prefix(1);
            HKEY root = nullptr;
            std::string sub;
            if (!VkRegText::SplitKeyPath(path, &root, &sub)) {
                fail(at, ERROR_INVALID_DATA, "unknown root key in \"" + std::string(path) + "\"");
                break;
            }
            if (SplitNames(sub).size() + (root == HKEY_CLASSES_ROOT ? 2 : 0) > VkRegHive::MaxDepth) {
                fail(at, ERROR_INVALID_PARAMETER,
                     "the key lies deeper than " + std::to_string(VkRegHive::MaxDepth) + " levels");
                break;
            }
            if (LONG rc = transaction.Include(root); rc != ERROR_SUCCESS) {
                fail(at, rc, "cannot open the registry: " + VkRegErrorText(rc, root));
                break;
            }
            if (remove) {
                LONG rc = VkRegText::DeleteKey(path);
                if (rc == ERROR_ACCESS_DENIED)
                    fail(at, rc, "a root key cannot be deleted");
                else if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
                    fail(at, rc, "cannot delete the key (error " + std::to_string(rc) + ")");
                else
                    ++result.keys;
                continue;
            }
            LONG rc = RegCreateKeyEx(root, sub.c_str(), KEY_ALL_ACCESS, &current);
            if (rc != ERROR_SUCCESS) {
                fail(at, rc, "cannot create the key: " + VkRegErrorText(rc, root));
                break;
            }
            ++result.keys;
            continue;
        }
        if (line.front() != '"' && line.front() != '@') {
            fail(at, ERROR_INVALID_DATA, "expected a key in [...] or a value line");
            break;
        }
        if (!current) {
            fail(at, ERROR_INVALID_DATA, "value outside of a key");
            break;
        }
        std::string name;
        size_t pos = line.front() == '@' ? 1 : 0;
        if (pos == 0 && !ParseQuoted(line, &pos, &name)) {
            fail(at, ERROR_INVALID_DATA, "value name without a closing quote");
            break;
        }
        std::string_view rest = Trim(line.substr(pos));
        if (rest.empty() || rest.front() != '=') {
            fail(at, ERROR_INVALID_DATA, "expected '=' after the value name");
            break;
        }
        rest = Trim(rest.substr(1));
        if (rest == "-") {
            LONG rc = RegDeleteValue(current, name.c_str());
            if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
                fail(at, rc, "cannot delete the value (error " + std::to_string(rc) + ")");
            else
                ++result.values;
            continue;
        }
        DWORD type = REG_SZ;
        std::string bytes;
        std::string error;
        if (!rest.empty() && rest.front() == '"') {
            size_t p = 0;
            if (!ParseQuoted(rest, &p, &bytes)) {
                fail(at, ERROR_INVALID_DATA, "text without a closing quote");
                break;
            }
            if (!Trim(rest.substr(p)).empty()) {
                fail(at, ERROR_INVALID_DATA, "unexpected text after the closing quote");
                break;
            }
            bytes.push_back('\0');
        } else if (StartsWithNoCase(rest, "dword:")) {
            DWORD v = 0;
            if (!ParseHex32(Trim(rest.substr(6)), &v)) {
                fail(at, ERROR_INVALID_DATA, "dword: wants 1 to 8 hex digits");
                break;
            }
            type = REG_DWORD;
            bytes.assign(reinterpret_cast<const char*>(&v), 4);
        } else if (StartsWithNoCase(rest, "hex")) {
            if (!ParseHexData(rest.substr(3), lines, &i, &type, &bytes, &error)) {
                fail(at, ERROR_INVALID_DATA, error);
                break;
            }
        } else {
            fail(at, ERROR_INVALID_DATA, "unrecognised value data");
            break;
        }
        LONG rc = RegSetValueEx(current, name.c_str(), type, reinterpret_cast<const BYTE*>(bytes.data()),
                                static_cast<DWORD>(bytes.size()));
        if (rc != ERROR_SUCCESS) {
            fail(at, rc, "cannot set the value (error " + std::to_string(rc) + ")");
            break;
        }
        ++result.values;
    }
    if (current)
        RegCloseKey(current);
    if (result.status == ERROR_SUCCESS && !sawHeader)
        fail(0, ERROR_INVALID_DATA, "empty file: no \"REGEDIT4\" line");
    if (result.status == ERROR_SUCCESS) {
        if (LONG rc = transaction.Commit(); rc != ERROR_SUCCESS) {
            result.status = rc;
            result.line = 0;
            result.message = "cannot save the changes (error " + std::to_string(rc) + ")";
        }
    }
    if (result.status != ERROR_SUCCESS) {
        // The transaction is rolled back as it goes.
        result.keys = 0;
        result.values = 0;
    }
    return result;
}

LONG VkRegText::Export(std::string_view keyPath, std::string* text, int* skipped)
{
    if (skipped)
        *skipped = 0;
    try {
        return ExportText(keyPath, text, skipped);
    } catch (const std::bad_alloc&) {
        return ERROR_OUTOFMEMORY;
    }
}

VkRegText::ImportResult VkRegText::Import(std::string_view text)
{
    try {
        return ImportText(text);
    } catch (const std::bad_alloc&) {
        ImportResult r;
        r.status = ERROR_OUTOFMEMORY;
        r.message = "out of memory";
        return r;
    }
}

#include "platform/Profile.h"

#include "platform/DataRoot.h"
#include "platform/ProfileFile.h"

#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace {

// One lock for every profile file: a write is read, change, replace.
std::mutex s_profileMutex;

std::filesystem::path Resolve(const char* file)
{
    std::string_view name = file ? file : "";
    if (name.empty())
        name = "win.ini";
    if (name.find('/') == std::string_view::npos)
        return VkDataRoot() / std::filesystem::path(name);
    return std::filesystem::path(name);
}

// Copies text cut to the buffer; the number of characters copied.
DWORD CopyString(std::string_view text, char* buffer, DWORD size)
{
    if (!buffer || size == 0)
        return 0;
    size_t n = std::min<size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<DWORD>(n);
}

// Copies items as a double-NUL list, cut as Windows cuts it.
DWORD CopyList(const std::vector<std::string>& items, char* buffer, DWORD size)
{
    if (!buffer || size == 0)
        return 0;
    if (size == 1) {
        buffer[0] = '\0';
        return 0;
    }
    std::string all;
    for (const auto& item : items) {
        all += item;
        all.push_back('\0');
    }
    if (all.size() + 1 <= size) {
        std::memcpy(buffer, all.data(), all.size());
        buffer[all.size()] = '\0';
        if (all.empty() && size > 1)
            buffer[1] = '\0';
        return static_cast<DWORD>(all.size());
    }
    std::memcpy(buffer, all.data(), size - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return size - 2;
}

std::string_view StripQuotes(std::string_view v)
{
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// Whether a key could be written and read back as the same entry.
bool StorableKey(std::string_view key)
{
    key = TrimBlanks(key);
    return !key.empty() && !HasLineBreak(key) && key.find('=') == std::string_view::npos &&
           key.front() != '[' && key.front() != ';';
}

bool StorableSection(std::string_view section) { return !HasLineBreak(section); }

// Keeps exceptions (only memory exhaustion can raise one here) from
// crossing the library boundary.
template <class T, class F>
T Guard(T failed, F body)
{
    try {
        return body();
    } catch (...) {
        return failed;
    }
}

} // namespace

static DWORD GetPrivateProfileStringImpl(const char* section, const char* key, const char* defaultValue,
                                          char* buffer, DWORD size, const char* file)
{
    if (!buffer || size == 0)
        return 0;
    std::string_view def = defaultValue ? defaultValue : "";
    while (!def.empty() && def.back() == ' ')
        def.remove_suffix(1);

    std::lock_guard lock(s_profileMutex);
    const VkProfileFile profile = VkProfileFile::Load(Resolve(file));
    if (!section)
        return CopyList(profile.SectionNames(), buffer, size);
    if (!key) {
        // As Windows does: no entries (or no section) give the default.
        std::vector<std::string> names = profile.EntryNames(section);
        if (names.empty() && !def.empty())
            return CopyString(def, buffer, size);
        return CopyList(names, buffer, size);
    }
    if (!*key)
        return CopyString("", buffer, size);
    auto value = profile.Value(section, key);
    return CopyString(value ? StripQuotes(*value) : def, buffer, size);
}

static BOOL WritePrivateProfileStringImpl(const char* section, const char* key, const char* value,
                                          const char* file)
{
    if (!section)
        return key || value ? FALSE : TRUE; // all null: nothing cached to flush
    if (!StorableSection(section) || (key && value && (!StorableKey(key) || HasLineBreak(value))))
        return FALSE;
    const std::filesystem::path path = Resolve(file);
    std::lock_guard lock(s_profileMutex);
    VkProfileFile profile = VkProfileFile::Load(path);
    bool changed = false;
    if (!key)
        changed = profile.DeleteSection(section);
    else if (!value)
        changed = profile.DeleteEntry(section, key);
    else
        changed = profile.SetValue(section, key, value) || !std::filesystem::exists(path);
    if (!changed)
        return TRUE;
    return profile.Save(path) ? TRUE : FALSE;
}

static DWORD GetPrivateProfileSectionNamesImpl(char* buffer, DWORD size, const char* file)
{
    return GetPrivateProfileString(nullptr, nullptr, nullptr, buffer, size, file);
}

static DWORD GetPrivateProfileSectionImpl(const char* section, char* buffer, DWORD size, const char* file)
{
    if (!section || !buffer || size == 0)
        return 0;
    std::lock_guard lock(s_profileMutex);
    const VkProfileFile profile = VkProfileFile::Load(Resolve(file));
    return CopyList(profile.SectionLines(section), buffer, size);
}

static BOOL WritePrivateProfileSectionImpl(const char* section, const char* lines, const char* file)
{
    if (!section || !StorableSection(section))
        return FALSE;
    const std::filesystem::path path = Resolve(file);
    std::lock_guard lock(s_profileMutex);
    VkProfileFile profile = VkProfileFile::Load(path);
    if (!lines) {
        if (!profile.DeleteSection(section))
            return TRUE;
        return profile.Save(path) ? TRUE : FALSE;
    }
    std::vector<std::string> items;
    for (const char* p = lines; *p; p += std::strlen(p) + 1) {
        std::string_view item(p);
        size_t eq = item.find('=');
        if (HasLineBreak(item) || (eq != std::string_view::npos && !StorableKey(item.substr(0, eq))))
            return FALSE;
        items.emplace_back(item);
    }
    profile.ReplaceSection(section, items);
    return profile.Save(path) ? TRUE : FALSE;
}

static UINT GetPrivateProfileIntImpl(const char* section, const char* key, INT defaultValue, const char* file)
{
    char buf[64];
    if (!section || !key || GetPrivateProfileString(section, key, "", buf, sizeof buf, file) == 0)
        return static_cast<UINT>(defaultValue);
    std::string_view s = TrimBlanks(buf);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    unsigned base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    UINT value = 0;
    for (char c : s) {
        unsigned d;
        if (c >= '0' && c <= '9')
            d = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = static_cast<unsigned>(c - 'A' + 10);
        else
            break;
        value = value * base + d;
    }
    return negative ? 0u - value : value;
}

DWORD GetPrivateProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                              DWORD size, const char* file)
{
    return Guard(DWORD{0},
                 [&] { return GetPrivateProfileStringImpl(section, key, defaultValue, buffer, size, file); });
}

BOOL WritePrivateProfileString(const char* section, const char* key, const char* value, const char* file)
{
    return Guard(FALSE, [&] { return WritePrivateProfileStringImpl(section, key, value, file); });
}

DWORD GetPrivateProfileSectionNames(char* buffer, DWORD size, const char* file)
{
    return Guard(DWORD{0}, [&] { return GetPrivateProfileSectionNamesImpl(buffer, size, file); });
}

DWORD GetPrivateProfileSection(const char* section, char* buffer, DWORD size, const char* file)
{
    return Guard(DWORD{0}, [&] { return GetPrivateProfileSectionImpl(section, buffer, size, file); });
}

BOOL WritePrivateProfileSection(const char* section, const char* lines, const char* file)
{
    return Guard(FALSE, [&] { return WritePrivateProfileSectionImpl(section, lines, file); });
}

UINT GetPrivateProfileInt(const char* section, const char* key, INT defaultValue, const char* file)
{
    return Guard(static_cast<UINT>(defaultValue),
                 [&] { return GetPrivateProfileIntImpl(section, key, defaultValue, file); });
}

#include "platform/ProfileFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b)
{
    a = Trim(a);
    b = Trim(b);
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

VkProfileFile::Line VkProfileFile::Parse(std::string text)
{
    Line line;
    std::string_view t = Trim(text);
    if (t.empty()) {
        line.kind = Kind::Blank;
    } else if (t.front() == '[' && t.rfind(']') != std::string_view::npos) {
        line.kind = Kind::Section;
        line.name = Trim(t.substr(1, t.rfind(']') - 1));
    } else if (t.front() == ';') {
        line.kind = Kind::Comment;
    } else if (size_t eq = t.find('='); eq != std::string_view::npos) {
        line.kind = Kind::Entry;
        line.name = Trim(t.substr(0, eq));
        line.value = Trim(t.substr(eq + 1));
    } else {
        line.kind = Kind::Other;
        line.name = t;
    }
    line.text = std::move(text);
    return line;
}

VkProfileFile VkProfileFile::Load(const std::filesystem::path& file)
{
    VkProfileFile profile;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return profile;
    std::ostringstream ss;
    ss << in.rdbuf();
    std::string content = ss.str();
    std::string_view rest(content);
    if (rest.substr(0, 3) == "\xEF\xBB\xBF") {
        profile.m_bom = true;
        rest.remove_prefix(3);
    }
    if (rest.find("\r\n") != std::string_view::npos)
        profile.m_eol = "\r\n";
    while (!rest.empty()) {
        size_t nl = rest.find('\n');
        std::string_view text = rest.substr(0, nl);
        if (!text.empty() && text.back() == '\r')
            text.remove_suffix(1);
        profile.m_lines.push_back(Parse(std::string(text)));
        rest.remove_prefix(nl == std::string_view::npos ? rest.size() : nl + 1);
    }
    return profile;
}

std::pair<size_t, size_t> VkProfileFile::Find(std::string_view section) const
{
    size_t header = std::string::npos;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind != Kind::Section)
            continue;
        if (header != std::string::npos)
            return {header, i};
        if (SameName(m_lines[i].name, section))
            header = i;
    }
    return {header, m_lines.size()};
}

size_t VkProfileFile::FindEntry(size_t header, size_t end, std::string_view name) const
{
    for (size_t i = header + 1; i < end; ++i)
        if (m_lines[i].kind == Kind::Entry && SameName(m_lines[i].name, name))
            return i;
    return std::string::npos;
}

std::vector<std::string> VkProfileFile::SectionNames() const
{
    std::vector<std::string> names;
    for (const auto& line : m_lines) {
        if (line.kind != Kind::Section)
            continue;
        bool seen = false;
        for (const auto& n : names)
            seen = seen || SameName(n, line.name);
        if (!seen)
            names.push_back(line.name);
    }
    return names;
}

std::vector<std::string> VkProfileFile::EntryNames(std::string_view section) const
{
    std::vector<std::string> names;
    auto [header, end] = Find(section);
    if (header == std::string::npos)
        return names;
    for (size_t i = header + 1; i < end; ++i) {
        const Line& line = m_lines[i];
        if (line.kind != Kind::Entry || line.name.empty())
            continue;
        bool seen = false;
        for (const auto& n : names)
            seen = seen || SameName(n, line.name);
        if (!seen)
            names.push_back(line.name);
    }
    return names;
}

std::vector<std::string> VkProfileFile::SectionLines(std::string_view section) const
{
    std::vector<std::string> lines;
    auto [header, end] = Find(section);
    if (header == std::string::npos)
        return lines;
    for (size_t i = header + 1; i < end; ++i) {
        const Line& line = m_lines[i];
        if (line.kind == Kind::Entry)
            lines.push_back(line.name + "=" + line.value);
        else if (line.kind == Kind::Other)
            lines.push_back(line.name);
    }
    return lines;
}

std::optional<std::string> VkProfileFile::Value(std::string_view section, std::string_view name) const
{
    auto [header, end] = Find(section);
    if (header == std::string::npos)
        return std::nullopt;
    size_t i = FindEntry(header, end, name);
    if (i == std::string::npos)
        return std::nullopt;
    return m_lines[i].value;
}

bool VkProfileFile::SetValue(std::string_view section, std::string_view name, std::string_view value)
{
    name = Trim(name);
    value = Trim(value);
    const std::string text = std::string(name) + "=" + std::string(value);
    auto [header, end] = Find(section);
    if (header == std::string::npos) {
        if (!m_lines.empty() && m_lines.back().kind != Kind::Blank)
            m_lines.push_back(Parse(""));
        m_lines.push_back(Parse("[" + std::string(Trim(section)) + "]"));
        m_lines.push_back(Parse(text));
        return true;
    }
    size_t i = FindEntry(header, end, name);
    if (i != std::string::npos) {
        if (m_lines[i].value == value)
            return false;
        // The entry keeps the spelling of its name.
        m_lines[i] = Parse(m_lines[i].name + "=" + std::string(value));
        return true;
    }
    size_t pos = end;
    while (pos > header + 1 && m_lines[pos - 1].kind == Kind::Blank)
        --pos;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(pos), Parse(text));
    return true;
}

bool VkProfileFile::DeleteEntry(std::string_view section, std::string_view name)
{
    auto [header, end] = Find(section);
    if (header == std::string::npos)
        return false;
    bool changed = false;
    for (size_t i = end; i-- > header + 1;) {
        if (m_lines[i].kind == Kind::Entry && SameName(m_lines[i].name, name)) {
            m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(i));
            changed = true;
        }
    }
    return changed;
}

bool VkProfileFile::DeleteSection(std::string_view section)
{
    bool changed = false;
    for (;;) {
        auto [header, end] = Find(section);
        if (header == std::string::npos)
            return changed;
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(header),
                      m_lines.begin() + static_cast<std::ptrdiff_t>(end));
        changed = true;
    }
}

void VkProfileFile::ReplaceSection(std::string_view section, const std::vector<std::string>& lines)
{
    auto [header, end] = Find(section);
    if (header == std::string::npos) {
        if (!m_lines.empty() && m_lines.back().kind != Kind::Blank)
            m_lines.push_back(Parse(""));
        m_lines.push_back(Parse("[" + std::string(Trim(section)) + "]"));
        for (const auto& l : lines)
            m_lines.push_back(Parse(l));
        return;
    }
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(header + 1),
                  m_lines.begin() + static_cast<std::ptrdiff_t>(end));
    std::vector<Line> fresh;
    for (const auto& l : lines)
        fresh.push_back(Parse(l));
    if (header + 1 < m_lines.size())
        fresh.push_back(Parse("")); // keep the next section apart
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(header + 1), fresh.begin(), fresh.end());
}

bool VkProfileFile::Save(const std::filesystem::path& file) const
{
    std::string content = m_bom ? "\xEF\xBB\xBF" : "";
    for (const auto& line : m_lines)
        content += line.text + m_eol;

    std::string tmp = file.string() + ".XXXXXX";
    int fd = ::mkstemp(tmp.data());
    if (fd < 0)
        return false;
    struct stat st {};
    // A new file is its owner's alone; an existing one keeps its mode.
    mode_t mode = 0600;
    if (::stat(file.c_str(), &st) == 0)
        mode = st.st_mode & 07777;
    ::fchmod(fd, mode);
    size_t done = 0;
    bool ok = true;
    while (ok && done < content.size()) {
        ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += static_cast<size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && std::rename(tmp.c_str(), file.c_str()) == 0)
        return true;
    ::unlink(tmp.c_str());
    return false;
}

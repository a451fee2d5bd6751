#include "ociw32/tools/ocisql/OciSqlScript.h"

#include "platform/VkAscii.h"

#include <sstream>

namespace VkOracle {

namespace {

// The first words of a text, upper case, skipping comments.
std::vector<std::string> FirstWords(const std::string& text, size_t count)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size() && words.size() < count) {
        const char c = text[i];
        if (VkIsAsciiSpace(c)) {
            ++i;
        } else if (c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
            while (i < text.size() && text[i] != '\n')
                ++i;
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            const size_t end = text.find("*/", i + 2);
            i = end == std::string::npos ? text.size() : end + 2;
        } else if (VkIsAsciiAlpha(c)) {
            size_t j = i;
            while (j < text.size() && (VkIsAsciiAlnum(text[j]) || text[j] == '_'))
                ++j;
            words.push_back(VkAsciiUpper(text.substr(i, j - i)));
            i = j;
        } else {
            break;
        }
    }
    return words;
}

} // namespace

bool OciSqlScript::IsBlock(const std::string& text)
{
    const std::vector<std::string> w = FirstWords(text, 4);
    if (w.empty())
        return false;
    if (w[0] == "BEGIN" || w[0] == "DECLARE")
        return true;
    if (w[0] != "CREATE")
        return false;
    size_t k = 1;
    if (w.size() > 2 && w[1] == "OR" && w[2] == "REPLACE")
        k = 3;
    if (k >= w.size())
        return false;
    const std::string& kind = w[k];
    return kind == "PROCEDURE" || kind == "FUNCTION" || kind == "PACKAGE" || kind == "TRIGGER"
        || kind == "TYPE";
}

std::string OciSqlScript::SingleStatement(const std::string& text)
{
    std::string s = VkAsciiTrim(text);
    if (!IsBlock(s) && !s.empty() && s.back() == ';') {
        s.pop_back();
        s = VkAsciiTrim(s);
    }
    return s;
}

bool OciSqlScript::AtStart() const
{
    return VkAsciiTrim(m_buffer).empty() && !m_inQuote && !m_inComment;
}

void OciSqlScript::Emit(std::vector<std::string>* out)
{
    std::string s = VkAsciiTrim(m_buffer);
    if (s.empty())
        s = std::move(m_held);
    m_held.clear();
    m_lines = 0;
    m_buffer.clear();
    m_inQuote = false;
    m_inComment = false;
    if (!s.empty())
        out->push_back(s);
}

bool OciSqlScript::AddLine(const std::string& rawLine, std::vector<std::string>* out)
{
    std::string line = rawLine;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    const std::string trimmed = VkAsciiTrim(line);
    const bool atStart = VkAsciiTrim(m_buffer).empty() && !m_inQuote && !m_inComment;
    if (trimmed == "/") {
        Emit(out);
        return true;
    }
    if (trimmed == "." && !atStart) {
        m_held = VkAsciiTrim(m_buffer);
        m_buffer.clear();
        m_inQuote = m_inComment = false;
        m_lines = 0;
        return true;
    }
    if (atStart) {
        const std::string word = VkAsciiUpper(trimmed);
        if (word == "EXIT" || word == "QUIT" || word == "EXIT;" || word == "QUIT;")
            return false;
        // Blank lines, comment lines, remarks and a lone '.' between statements.
        if (trimmed.empty() || trimmed == "." || trimmed.rfind("--", 0) == 0 || word == "REM"
            || word.rfind("REM ", 0) == 0)
            return true;
    }
    if (!m_buffer.empty())
        m_buffer += '\n';
    ++m_lines;
    const bool block = IsBlock(m_buffer + line);
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (m_inComment) {
            if (c == '*' && i + 1 < line.size() && line[i + 1] == '/') {
                m_inComment = false;
                m_buffer += "*/";
                i += 2;
                continue;
            }
        } else if (m_inQuote) {
            if (c == '\'')
                m_inQuote = false; // a doubled quote re-enters at once
        } else if (c == '\'') {
            m_inQuote = true;
        } else if (c == '-' && i + 1 < line.size() && line[i + 1] == '-') {
            m_buffer.append(line, i, std::string::npos);
            return true;
        } else if (c == '/' && i + 1 < line.size() && line[i + 1] == '*') {
            m_inComment = true;
            m_buffer += "/*";
            i += 2;
            continue;
        } else if (c == ';' && !block) {
            Emit(out);
            ++i;
            // What follows on the line starts the next statement.
            const std::string rest = VkAsciiTrim(line.substr(i));
            if (!rest.empty())
                return AddLine(rest, out);
            return true;
        }
        m_buffer += c;
        ++i;
    }
    return true;
}

void OciSqlScript::Finish(std::vector<std::string>* out)
{
    std::string s = VkAsciiTrim(m_buffer);
    if (!IsBlock(s) && !s.empty() && s.back() == ';')
        s.pop_back();
    m_buffer = s;
    Emit(out);
}

} // namespace VkOracle

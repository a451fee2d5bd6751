#pragma once
// An INI (profile) file held as its lines, so that editing one entry keeps
// every other line (comments, spacing, unknown lines) as it was.
//
// Reading follows Windows: blanks around names, "=" and values are ignored;
// section and entry names compare without case (ASCII); lines starting with
// ";" are comments; a line without "=" is no entry. With duplicate sections
// or entries the first one counts, and later duplicates are hidden. A
// malformed line is simply not an entry; nothing in a file is fatal.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class VkProfileFile {
public:
    // The file's contents; a missing or unreadable file reads as empty.
    static VkProfileFile Load(const std::filesystem::path& file);

    // Section names in file order, each name once (its first spelling).
    std::vector<std::string> SectionNames() const;
    // Entry names of the first section so named, each once.
    std::vector<std::string> EntryNames(std::string_view section) const;
    // "name=value" for each entry of the section and the bare text of each
    // line without "=", as GetPrivateProfileSection returns them.
    std::vector<std::string> SectionLines(std::string_view section) const;
    // The entry's value, blanks trimmed, quotes kept; nothing when absent.
    std::optional<std::string> Value(std::string_view section, std::string_view name) const;

    // Edits; each answers whether anything changed.
    bool SetValue(std::string_view section, std::string_view name, std::string_view value);
    bool DeleteEntry(std::string_view section, std::string_view name);
    // Removes every section of that name with all its lines.
    bool DeleteSection(std::string_view section);
    // Replaces the section's lines by "name=value" lines (created when absent).
    void ReplaceSection(std::string_view section, const std::vector<std::string>& lines);

    // Writes a temporary file beside the target and renames it over it, so
    // readers see the old or the new file, never a part.
    bool Save(const std::filesystem::path& file) const;

private:
    enum class Kind { Blank, Comment, Section, Entry, Other };
    struct Line {
        std::string text; // as in the file, without the line end
        Kind kind = Kind::Blank;
        std::string name;  // section or entry name, trimmed
        std::string value; // entry value, trimmed
    };
    static Line Parse(std::string text);
    // [header, end) of the first section named section; header is npos when absent.
    std::pair<size_t, size_t> Find(std::string_view section) const;
    size_t FindEntry(size_t header, size_t end, std::string_view name) const;

    std::vector<Line> m_lines;
    std::string m_eol = "\n";
    bool m_bom = false;
};

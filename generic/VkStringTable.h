#pragma once
// A module's string table: texts loaded by numeric identifier. Each module
// keeps one (a function returning a static table) holding its messages,
// captions and command prompts.

#include "platform/WinTypes.h"

#include <initializer_list>
#include <map>
#include <string>
#include <utility>

class VkStringTable {
public:
    VkStringTable(std::initializer_list<std::pair<const UINT, const char*>> entries);

    // The text, or the empty text when the table has no such identifier.
    std::string Load(UINT id) const;
    bool Has(UINT id) const { return m_texts.count(id) != 0; }

    // Load(id) with printf-style arguments applied (format strings of the
    // table use %s, %ld and the like).
    template <typename... Args>
    std::string Format(UINT id, Args... args) const
    {
        return VkFormat(Load(id).c_str(), args...);
    }

    static std::string VkFormat(const char* format, ...);

private:
    std::map<UINT, std::string> m_texts;
};

// A command prompt "status text\ntool tip": the two parts. Without a line
// feed the whole text is the status text and there is no tool tip.
struct VkCommandPrompt {
    std::string status;
    std::string toolTip;
};
VkCommandPrompt VkSplitPrompt(const std::string& prompt);

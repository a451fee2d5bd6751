#include "generic/VkStringTable.h"

#include <cstdarg>
#include <cstdio>

VkStringTable::VkStringTable(std::initializer_list<std::pair<const UINT, const char*>> entries)
{
    for (const auto& [id, text] : entries)
        m_texts.emplace(id, text ? text : "");
}

std::string VkStringTable::Load(UINT id) const
{
    auto it = m_texts.find(id);
    return it == m_texts.end() ? std::string() : it->second;
}

std::string VkStringTable::VkFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (needed > 0) {
        text.resize(static_cast<std::size_t>(needed) + 1);
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(static_cast<std::size_t>(needed));
    }
    va_end(args);
    return text;
}

VkCommandPrompt VkSplitPrompt(const std::string& prompt)
{
    const auto lf = prompt.find('\n');
    if (lf == std::string::npos)
        return {prompt, {}};
    return {prompt.substr(0, lf), prompt.substr(lf + 1)};
}

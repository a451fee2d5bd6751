#include "platform/VkTnsEntryScanner.h"

#include "platform/VkAscii.h"

#include <algorithm>

bool VkTnsEntryScanner::StartsAlias(const std::string& line)
{
    std::size_t i = 0;
    while (i < line.size() && !VkIsAsciiSpace(line[i]) && line[i] != '(' && line[i] != ')' && line[i] != '='
           && line[i] != '#')
        ++i;
    if (i == 0)
        return false;
    while (i < line.size() && VkIsAsciiSpace(line[i]))
        ++i;
    if (i == line.size() || line[i] != '=')
        return false;
    ++i;
    while (i < line.size() && VkIsAsciiSpace(line[i]))
        ++i;
    return i < line.size() && line[i] == '(';
}

VkTnsEntryScanner::Result VkTnsEntryScanner::Scan(std::istream& in,
                                                  const std::function<void(const std::string&)>& onEntry)
{
    Result result = ScanLines([&in](std::string* line) { return static_cast<bool>(std::getline(in, *line)); },
                              onEntry);
    result.readError = in.bad();
    return result;
}

VkTnsEntryScanner::Result VkTnsEntryScanner::Scan(std::string_view text,
                                                  const std::function<void(const std::string&)>& onEntry)
{
    // Lines as std::getline splits them: at each '\n', with no empty line
    // after a final one.
    size_t at = 0;
    return ScanLines(
        [&](std::string* line) {
            if (at >= text.size())
                return false;
            const size_t end = std::min(text.find('\n', at), text.size());
            line->assign(text.substr(at, end - at));
            at = end + 1;
            return true;
        },
        onEntry);
}

VkTnsEntryScanner::Result VkTnsEntryScanner::ScanLines(const std::function<bool(std::string*)>& nextLine,
                                                       const std::function<void(const std::string&)>& onEntry)
{
    Result result;
    std::string pending; // the entry being gathered
    std::size_t depth = 0;
    bool opened = false; // pending holds a "("
    std::string line;
    while (nextLine(&line)) {
        std::size_t start = 0;
        while (start < line.size() && VkIsAsciiSpace(line[start]))
            ++start;
        if (start == line.size() || line[start] == '#')
            continue;
        if (depth > 0 && start == 0 && StartsAlias(line)) {
            // The entry before never closed; the new alias must not be swallowed by it.
            result.damaged = true;
            pending.clear();
            depth = 0;
            opened = false;
        }
        for (std::size_t i = start; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '(') {
                ++depth;
                opened = true;
            } else if (c == ')') {
                if (depth == 0) {
                    // Closes nothing: what is gathered stands on its own.
                    result.damaged = true;
                    if (opened)
                        onEntry(pending);
                    pending.clear();
                    opened = false;
                    continue;
                }
                --depth;
            }
            pending += c;
        }
        if (opened && depth == 0) {
            onEntry(pending);
            pending.clear();
            opened = false;
        }
    }
    if (opened)
        result.damaged = true;
    return result;
}

#pragma once
// The contents list of a help folder: its index first, then the topics the
// index links to in the order it names them, then every other topic of the
// folder by title. Window-free so that the order can be tested.

#include <QString>

#include <filesystem>
#include <vector>

struct VkHelpEntry {
    QString title;               // the page's <title>, else its file name
    std::filesystem::path page;  // absolute path inside the folder
    int level = 0;               // 0 for the index, 1 for topics
};

// Empty when the folder has no index.html.
std::vector<VkHelpEntry> VkHelpContents(const std::filesystem::path& folder);

// The text of the <title> element of an HTML page, trimmed; empty when the
// page cannot be read or has none.
QString VkHelpPageTitle(const std::filesystem::path& page);

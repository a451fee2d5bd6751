#pragma once
// The one folder that stands for "this machine and user": registry hives,
// the embedded Oracle home and, by default, the documents folder.

#include <filesystem>
#include <string_view>

// $QUORVANE_ROOT, or ~/.local/share/quorvane; created when missing.
// Read afresh on every call so that tests can switch roots.
std::filesystem::path VkDataRoot();

// A folder below the data root ("registry", "oracle", "documents"),
// created when missing.
std::filesystem::path VkDataRootDir(std::string_view name);

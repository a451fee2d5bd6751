#pragma once
// Reads a whole file without the C++ stream library: a short-lived process
// (a logon from `ocisql -c`) would otherwise pay for setting up the
// library's locale on its first stream.

#include <filesystem>
#include <string>

enum class VkFileRead {
    Ok,         // text holds the file's bytes, as they are
    CannotOpen, // errno tells why; text is empty
    ReadFailed, // opened, but a read failed (errno tells why); text is empty
};

VkFileRead VkReadFileText(const std::filesystem::path& file, std::string* text);

#pragma once
// Whether the registry of the current data root can be used, and if not,
// why, in words that name the file or folder at fault; and setting a damaged
// hive aside so that a fresh one can take its place.

#include "platform/Registry.h"

#include <filesystem>
#include <string>
#include <vector>

struct VkRegProblem {
    enum Kind {
        Damaged,    // the hive file is no hive (or a damaged one)
        Unreadable, // the hive file cannot be opened or written
        NoFolder,   // the folder of the hives cannot be made or written
    };
    Kind kind = Damaged;
    std::filesystem::path path; // the file or folder at fault
    std::string cause;          // the system's reason, when there is one
};

// The problem of root's hive; false when the hive opens and can be written.
bool VkCheckRegistryHive(HKEY root, VkRegProblem* problem);

// The problems of the hives the program lives on (the current user's and
// the local machine's), each reported once.
std::vector<VkRegProblem> VkCheckRegistry();

// One sentence naming the file or folder and what is wrong with it.
std::string VkRegProblemText(const VkRegProblem& problem);

// The name VkSetHiveAside would give file now.
std::filesystem::path VkHiveAsideName(const std::filesystem::path& file);

// Renames a hive file (and its log files) to "<file>.damaged", or
// "<file>.damaged-2" and so on: never over an existing file. *kept receives
// the new name; false with *error set when the rename failed.
bool VkSetHiveAside(const std::filesystem::path& file, std::filesystem::path* kept, std::string* error);

// A registry error in words for a tool's message, naming the hive file when
// the error is the hive's own (damaged, unreadable); "error <n>" otherwise.
std::string VkRegErrorText(LONG rc, HKEY root);

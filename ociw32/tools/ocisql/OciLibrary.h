#pragma once
// The call interface's entry points, resolved by name from a loaded library
// (or, for tests, taken from code linked in).

#include "ociw32/include/OciEntryPoints.h"

#include <string>

namespace VkOracle {

struct OciFunctions : OciEntryPoints {
    // Whether every entry point ocisql calls is there.
    bool Complete() const;
};

// Loads `file` with the system's search order and resolves the entry points.
// False with *error set when the library cannot be loaded.
bool LoadOciLibrary(const std::string& file, OciFunctions* functions, std::string* error);

} // namespace VkOracle

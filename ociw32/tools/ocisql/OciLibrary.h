#pragma once
// The call interface's entry points, resolved by name from a loaded library
// (or, for tests, taken from code linked in).

#include "ociw32/include/oci7.h"

#include <string>

namespace VkOracle {

struct OciFunctions {
    decltype(&::opinit) opinit = nullptr;
    decltype(&::olog) olog = nullptr;
    decltype(&::ologof) ologof = nullptr;
    decltype(&::oopen) oopen = nullptr;
    decltype(&::oparse) oparse = nullptr;
    decltype(&::oclose) oclose = nullptr;
    decltype(&::ocom) ocom = nullptr;
    decltype(&::odescr) odescr = nullptr;
    decltype(&::oerhms) oerhms = nullptr;
    decltype(&::obndrv) obndrv = nullptr;
    decltype(&::oexec) oexec = nullptr;
    decltype(&::odefin) odefin = nullptr;
    decltype(&::ofen) ofen = nullptr;
    decltype(&::onbtst) onbtst = nullptr;
    decltype(&::onbset) onbset = nullptr;
    decltype(&::obreak) obreak = nullptr;

    // Whether every entry point ocisql calls is there.
    bool Complete() const;
};

// Loads `file` with the system's search order and resolves the entry points.
// False with *error set when the library cannot be loaded.
bool LoadOciLibrary(const std::string& file, OciFunctions* functions, std::string* error);

} // namespace VkOracle

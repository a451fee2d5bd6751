#pragma once
// A fuzz target: one reader of outside input fed arbitrary bytes. Built
// either for libFuzzer (clang, sanitizers; scripts/fuzz.sh) or with the
// replay driver (FuzzDriver.cpp), which CI runs for a few seconds each.
// A target returns 0 and must neither crash nor leak whatever it is fed.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// Sound inputs made by the program's own writers, so that mutations start
// from what real files look like; the driver's -write-seeds stores them.
std::vector<std::string> QvFuzzSeeds();

// The bytes as a string (readers take their input in several shapes).
inline std::string QvFuzzBytes(const uint8_t* data, size_t size)
{
    return std::string(reinterpret_cast<const char*>(data), size);
}

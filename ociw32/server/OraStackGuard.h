#pragma once
// How much native stack the calling thread has left. The parsers, the
// compiler and the PL/SQL interpreter recurse with their input; they ask
// this before going deeper, so hostile nesting ends in an Oracle error on
// any thread (whatever its stack size), never in a crash.

#include <cstddef>

namespace VkOracle {

// Bytes kept free below the deepest frame the engine will start.
constexpr size_t kOraStackReserve = 256 * 1024;

// True when fewer than `reserve` bytes of the calling thread's stack are left.
bool OraStackLow(size_t reserve = kOraStackReserve);

} // namespace VkOracle

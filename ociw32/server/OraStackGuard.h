#pragma once
// How much native stack the calling thread has left. The parsers, the
// compiler and the PL/SQL interpreter recurse with their input; they ask
// this before going deeper, so hostile nesting ends in an Oracle error on
// any thread (whatever its stack size), never in a crash.

#include <cstddef>

namespace VkOracle {

// Bytes kept free below the deepest frame the engine will start.
constexpr size_t kOraStackReserve = 256 * 1024;
// PL/SQL stops recursing earlier, so that a recursion of PL/SQL ends in its
// own error rather than in one of the SQL a level runs.
constexpr size_t kPlsqlStackReserve = 2 * kOraStackReserve;

// True when fewer than `reserve` bytes of the calling thread's stack are left.
bool OraStackLow(size_t reserve = kOraStackReserve);

} // namespace VkOracle

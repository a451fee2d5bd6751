#pragma once
// SHA-256 (FIPS 180-4), enough for the server's password verifiers.

#include <array>
#include <cstdint>
#include <string>

namespace VkOracle {

// The 32-byte digest of data.
std::array<uint8_t, 32> OraSha256(const std::string& data);

// The digest as 64 upper-case hex digits.
std::string OraSha256Hex(const std::string& data);

} // namespace VkOracle

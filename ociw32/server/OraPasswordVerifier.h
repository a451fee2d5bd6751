#pragma once
// Password verifiers as the server keeps them instead of passwords:
// "S:" + SHA-256 of (salt + upper-cased password) + salt, in upper-case hex
// (passwords are case-insensitive, as on servers of these versions). A
// stored value without the prefix is a password an older file kept; it still
// verifies, and the caller replaces it with a verifier.

#include <string>

namespace VkOracle {

class OraPasswordVerifier {
public:
    // A new verifier of password with a fresh random salt.
    static std::string Make(const std::string& password);
    // Whether password matches stored (a verifier or an old plain value);
    // false for an empty or damaged stored value.
    static bool Matches(const std::string& stored, const std::string& password);
    // Whether stored is a verifier rather than an old plain value.
    static bool IsVerifier(const std::string& stored);
    // The 16 hex digits the dictionary shows as a user's password.
    static std::string Shown(const std::string& stored);

    static std::string WithSalt(const std::string& password, const std::string& saltHex);
};

} // namespace VkOracle

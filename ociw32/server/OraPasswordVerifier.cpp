#include "ociw32/server/OraPasswordVerifier.h"

#include "ociw32/server/OraSha256.h"
#include "platform/VkAscii.h"

#include <sys/random.h>

#include <random>

namespace VkOracle {
namespace {

constexpr size_t kSaltBytes = 16;
constexpr size_t kDigestHex = 64;
const char kPrefix[] = "S:";

std::string Hex(const unsigned char* bytes, size_t n)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        out += kHex[bytes[i] >> 4];
        out += kHex[bytes[i] & 15];
    }
    return out;
}

std::string FreshSaltHex()
{
    unsigned char salt[kSaltBytes];
    size_t got = 0;
    while (got < sizeof salt) {
        const ssize_t n = getrandom(salt + got, sizeof salt - got, 0);
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    if (got < sizeof salt) {
        std::random_device device;
        for (unsigned char& byte : salt)
            byte = static_cast<unsigned char>(device());
    }
    return Hex(salt, sizeof salt);
}

bool IsHex(const std::string& s)
{
    for (char c : s)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    return true;
}

// Compares without stopping at the first difference.
bool SameText(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (size_t i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

} // namespace

std::string OraPasswordVerifier::WithSalt(const std::string& password, const std::string& saltHex)
{
    return kPrefix + OraSha256Hex(saltHex + VkAsciiUpper(password)) + saltHex;
}

std::string OraPasswordVerifier::Make(const std::string& password)
{
    return WithSalt(password, FreshSaltHex());
}

bool OraPasswordVerifier::IsVerifier(const std::string& stored)
{
    return stored.size() == 2 + kDigestHex + 2 * kSaltBytes && stored.compare(0, 2, kPrefix) == 0 &&
           IsHex(stored.substr(2));
}

bool OraPasswordVerifier::Matches(const std::string& stored, const std::string& password)
{
    if (stored.empty())
        return false;
    if (!IsVerifier(stored))
        return stored.compare(0, 2, kPrefix) != 0 && SameText(VkAsciiUpper(stored), VkAsciiUpper(password));
    return SameText(stored, WithSalt(password, stored.substr(2 + kDigestHex)));
}

std::string OraPasswordVerifier::Shown(const std::string& stored)
{
    return IsVerifier(stored) ? stored.substr(2, 16) : std::string();
}

} // namespace VkOracle

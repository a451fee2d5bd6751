#include "generic/CBlowfish.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

Bytes FromHex(const std::string& hex)
{
    Bytes out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<BYTE>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return out;
}

// The published vectors treat a block as two big-endian words; ours are
// little-endian.
Bytes SwapWords(Bytes b)
{
    for (std::size_t i = 0; i + 4 <= b.size(); i += 4) {
        std::swap(b[i], b[i + 3]);
        std::swap(b[i + 1], b[i + 2]);
    }
    return b;
}

struct Vector {
    const char* key;
    const char* plain;
    const char* cipher;
};

// Eric Young's ECB test data.
const Vector kEcbVectors[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
    {"07A1133E4A0B2686", "0248D43806F67172", "1730E5778BEA1DA4"},
    {"3849674C2602319E", "51454B582DDF440A", "A25E7856CF2651EB"},
    {"04B915BA43FEB5B6", "42FD443059577FA2", "353882B109CE8F1A"},
    {"0113B970FD34F2CE", "059B5E0851CF143A", "48F4D0884C379918"},
    {"0170F175468FB5E6", "0756D8E0774761D2", "432193B78951FC98"},
    {"43297FAD38E373FE", "762514B829BF486A", "13F04154D69D1AE5"},
    {"07A7137045DA2A16", "3BDD119049372802", "2EEDDA93FFD39C79"},
    {"04689104C2FD3B2F", "26955F6835AF609A", "D887E0393C2DA6E3"},
    {"37D06BB516CB7546", "164D5E404F275232", "5F99D04F5B163969"},
    {"1F08260D1AC2465E", "6B056E18759F5CCA", "4A057A3B24D3977B"},
    {"584023641ABA6176", "004BD6EF09176062", "452031C1E4FADA8E"},
    {"025816164629B007", "480D39006EE762F2", "7555AE39F59B87BD"},
    {"49793EBC79B3258F", "437540C8698F3CFA", "53C55F9CB49FC019"},
    {"4FB05E1515AB73A7", "072D43A077075292", "7A8E7BFA937E89A3"},
    {"49E95D6D4CA229BF", "02FE55778117F12A", "CF9C5D7A4986ADB5"},
    {"018310DC409B26D6", "1D9D5C5018F728C2", "D1ABB290658BC778"},
    {"1C587F1C13924FEF", "305532286D6F295A", "55CB3774D13EF201"},
    {"0101010101010101", "0123456789ABCDEF", "FA34EC4847B268B2"},
    {"1F1F1F1F0E0E0E0E", "0123456789ABCDEF", "A790795108EA3CAE"},
    {"E0FEE0FEF1FEF1FE", "0123456789ABCDEF", "C39E072D9FAC631D"},
    {"0000000000000000", "FFFFFFFFFFFFFFFF", "014933E0CDAFF6E4"},
    {"FFFFFFFFFFFFFFFF", "0000000000000000", "F21E9A77B71C49BC"},
    {"0123456789ABCDEF", "0000000000000000", "245946885754369A"},
    {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
};

void CheckVector(const Bytes& key, const std::string& plain, const std::string& cipher)
{
    CBlowfish bf(key.data(), static_cast<WORD>(key.size()));
    Bytes block = SwapWords(FromHex(plain));
    ASSERT_EQ(bf.Encrypt(block.data(), 8), 1);
    EXPECT_EQ(block, SwapWords(FromHex(cipher)));
    ASSERT_EQ(bf.Decrypt(block.data(), 8), 1);
    EXPECT_EQ(block, SwapWords(FromHex(plain)));
}

TEST(CBlowfish, PublishedEcbVectors)
{
    for (const Vector& v : kEcbVectors) {
        SCOPED_TRACE(v.key);
        CheckVector(FromHex(v.key), v.plain, v.cipher);
    }
}

// The key schedule with keys of 1 to 24 bytes.
TEST(CBlowfish, PublishedKeyLengthVectors)
{
    const Bytes fullKey = FromHex("F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677");
    const char* ciphers[] = {
        "F9AD597C49DB005E", "E91D21C1D961A6D6", "E9C2B70A1BC65CF3", "BE1E639408640F05", "B39E44481BDB1E6E",
        "9457AA83B1928C0D", "8BB77032F960629D", "E87A244E2CC85E82", "15750E7A4F4EC577", "122BA70B3AB64AE0",
        "3A833C9AFFC537F6", "9409DA87A90F6BF2", "884F80625060B8B4", "1F85031C19E11968", "79D9373A714CA34F",
        "93142887EE3BE15C", "03429E838CE2D14B", "A4299E27469FF67B", "AFD5AED1C1BC96A8", "10851C0E3858DA9F",
        "E6F51ED79B9DB21F", "64A6E14AFD36B46F", "80C7D7D45A5479AD", "05044B62FA52D080",
    };
    for (std::size_t length = 1; length <= 24; ++length) {
        SCOPED_TRACE(length);
        CheckVector(Bytes(fullKey.begin(), fullKey.begin() + static_cast<long>(length)), "FEDCBA9876543210",
                    ciphers[length - 1]);
    }
}

TEST(CBlowfish, LengthsNotAMultipleOfEightAreRefused)
{
    CBlowfish bf("WyDelnGarp");
    for (DWORD length : {1u, 7u, 9u, 15u, 17u}) {
        SCOPED_TRACE(length);
        Bytes buffer(length, 0x5A);
        EXPECT_EQ(bf.Encrypt(buffer.data(), length), 0);
        EXPECT_EQ(bf.Decrypt(buffer.data(), length), 0);
        EXPECT_EQ(buffer, Bytes(length, 0x5A));
    }
    EXPECT_EQ(bf.Encrypt(nullptr, 0), 1);
}

TEST(CBlowfish, TextKeyEqualsItsBytes)
{
    const char* key = "WyDelnGarp";
    CBlowfish fromText(key);
    CBlowfish fromBytes(reinterpret_cast<const BYTE*>(key), 10);
    Bytes a(16, 1), b(16, 1);
    fromText.Encrypt(a.data(), 16);
    fromBytes.Encrypt(b.data(), 16);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, Bytes(16, 1));
}

// Records made by an independent Blowfish implementation with the store's key.
TEST(CBlowfish, StoreKeyRecordsMatchAReferenceImplementation)
{
    struct Case {
        const char* text;
        const char* record;
    };
    const Case cases[] = {
        {"", "10000000560a8ff3d2d4135f560a8ff3d2d4135f"},
        {"scott/tiger", "10000000a91774dba56c29018c7f192e3ffca847"},
        {"0123456789abcdef", "200000008c0cc364dc88eeab228353fa069f7267560a8ff3d2d4135f560a8ff3d2d4135f"},
    };
    CBlowfish bf("WyDelnGarp");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(bf.EncryptString(c.text), FromHex(c.record));
        EXPECT_EQ(bf.DecryptString(FromHex(c.record)), c.text);
    }
}

TEST(CBlowfish, RecordSizes)
{
    CBlowfish bf("WyDelnGarp");
    const Bytes empty = bf.EncryptString("");
    ASSERT_EQ(empty.size(), 20u);
    EXPECT_EQ(Bytes(empty.begin(), empty.begin() + 4), (Bytes{16, 0, 0, 0}));
    EXPECT_EQ(bf.EncryptString(std::string(15, 'a').c_str()).size(), 20u);
    EXPECT_EQ(bf.EncryptString(std::string(16, 'a').c_str()).size(), 36u);
    EXPECT_EQ(bf.EncryptString(nullptr), empty);
}

TEST(CBlowfish, EveryLengthRoundTrips)
{
    CBlowfish bf("WyDelnGarp");
    for (std::size_t n = 0; n <= 40; ++n) {
        SCOPED_TRACE(n);
        std::string text;
        for (std::size_t i = 0; i < n; ++i)
            text += static_cast<char>(1 + (i * 37) % 255);
        const Bytes record = bf.EncryptString(text.c_str());
        const DWORD expectedL = static_cast<DWORD>(n + 16 - n % 16);
        ASSERT_EQ(record.size(), expectedL + 4);
        EXPECT_EQ(record[0] | (record[1] << 8) | (record[2] << 16) | (record[3] << 24), static_cast<int>(expectedL));
        if (n > 0) {
            EXPECT_NE(std::memcmp(record.data() + 4, text.data(), n), 0);
        }
        EXPECT_EQ(bf.DecryptString(record.data(), record.size()), text);
        EXPECT_EQ(bf.DecryptString(record.data()), text);

        DWORD length = 0;
        BYTE* legacy = bf.EncryptString(text.c_str(), &length);
        EXPECT_EQ(length, record.size());
        EXPECT_EQ(Bytes(legacy, legacy + length), record);
        delete[] legacy;
    }
}

TEST(CBlowfish, DecryptStringNeverReadsPastTheRecord)
{
    CBlowfish bf("WyDelnGarp");
    const Bytes good = bf.EncryptString("secret");
    struct Case {
        const char* what;
        Bytes record;
    };
    Bytes longer = good;
    longer[0] = 24; // more than the 16 stored bytes
    Bytes odd = good;
    odd[0] = 12; // not a multiple of 8
    Bytes huge = good;
    huge[3] = 0x80;
    const Case cases[] = {
        {"length word beyond the record", longer},
        {"length word not a multiple of 8", odd},
        {"huge length word", huge},
        {"cut short", Bytes(good.begin(), good.end() - 1)},
        {"no length word", Bytes(good.begin(), good.begin() + 3)},
        {"nothing", Bytes()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(bf.DecryptString(c.record.data(), c.record.size()), "");
    }
    EXPECT_EQ(bf.DecryptString(nullptr, 20), "");
    // A record with bytes to spare after it still decrypts.
    Bytes padded = good;
    padded.resize(good.size() + 8, 0xEE);
    EXPECT_EQ(bf.DecryptString(padded), "secret");
    // The record given is left as it was.
    const Bytes copy = good;
    bf.DecryptString(good);
    EXPECT_EQ(good, copy);
}

TEST(CBlowfish, AnotherKeyDoesNotDecrypt)
{
    const Bytes record = CBlowfish("WyDelnGarp").EncryptString("secret");
    EXPECT_NE(CBlowfish("another").DecryptString(record), "secret");
}

} // namespace

#pragma once
// Blowfish (16 rounds, the standard tables and key schedule) in electronic
// code book mode, and the encrypted-string record the settings store keeps
// passwords in:
//     offset 0: L, 32-bit little-endian, the smallest multiple of 16 above
//               the text's length
//     offset 4: L bytes of ciphertext of the text, its terminator and zero
//               bytes up to L
// Each 8-byte block is two 32-bit words in little-endian order, the first
// being the left half.

#include "platform/WinTypes.h"

#include <cstddef>
#include <string>
#include <vector>

class CBlowfish {
public:
    // The standard tables, without a key.
    CBlowfish();
    // Keyed with the bytes of a zero-terminated text (null: no key bytes).
    explicit CBlowfish(const char* key);
    CBlowfish(const BYTE* key, WORD keyLength);

    // Loads the standard tables and runs the key schedule.
    void DoInitialize(const BYTE* key, WORD keyLength);

    // 1 when done; 0, with the buffer untouched, when length is not a
    // multiple of 8.
    int Encrypt(BYTE* buffer, DWORD length);
    int Decrypt(BYTE* buffer, DWORD length);

    // The record for text (null counts as empty); its size is L + 4.
    std::vector<BYTE> EncryptString(const char* text);
    // The same record in a new[] buffer that the caller delete[]s; its size
    // goes to *length when length is not null.
    BYTE* EncryptString(const char* text, DWORD* length);

    // The text in a record of recordSize bytes: the deciphered bytes up to
    // the first zero. Empty when the record is shorter than its length word
    // says, or that word is not a multiple of 8. Never reads past the record.
    std::string DecryptString(const BYTE* record, std::size_t recordSize);
    std::string DecryptString(const std::vector<BYTE>& record)
    {
        return DecryptString(record.data(), record.size());
    }
    // For a record whose size is not known: trusts its length word. Prefer
    // the sized form for data from outside.
    std::string DecryptString(const BYTE* record);

protected:
    void InitializeBlowfish(const BYTE* key, WORD keyLength);
    void Blowfish_encipher(DWORD* xl, DWORD* xr);
    void Blowfish_decipher(DWORD* xl, DWORD* xr);

private:
    DWORD F(DWORD x) const;
    void LoadTables();

    DWORD m_P[18];
    DWORD m_S[4][256];
};

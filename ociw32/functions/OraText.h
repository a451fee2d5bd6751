#pragma once
// Oracle's character functions on UTF-8 text, counting characters (not
// bytes). Oracle has no empty string: every function here returns an empty
// std::string where Oracle returns NULL, and callers map it to NULL.
// Case mapping covers ASCII, Latin-1, Greek and Cyrillic letters.

#include <cstdint>
#include <string>

namespace VkOracle {

size_t OraLength(const std::string& s);
std::string OraUpper(const std::string& s);
std::string OraLower(const std::string& s);
// First letter of each word upper case, the rest lower; words are runs of
// letters and digits.
std::string OraInitCap(const std::string& s);

// SUBSTR: position 0 counts as 1, a negative position counts from the end;
// a length below 1 gives NULL. hasLength false = to the end.
std::string OraSubstr(const std::string& s, int64_t position, bool hasLength, int64_t length);

// INSTR: 1-based position of the occurrence-th match, 0 when none; a negative
// position searches backwards from that many characters before the end.
// Returns 0 or 1428 (occurrence below 1).
int OraInstr(const std::string& s, const std::string& search, int64_t position,
             int64_t occurrence, int64_t* result);

// LPAD/RPAD to `length` characters (text longer than that is cut).
std::string OraPad(const std::string& s, int64_t length, const std::string& pad, bool left);

// LTRIM/RTRIM with a set of characters.
std::string OraTrimSet(const std::string& s, const std::string& set, bool leading, bool trailing);

std::string OraReplace(const std::string& s, const std::string& search, const std::string& replacement);
std::string OraTranslate(const std::string& s, const std::string& from, const std::string& to);

// LIKE: case-sensitive, '%' any run, '_' one character, `escape` (empty for
// none) makes the next '%', '_' or escape character literal. Returns 0 with
// *matches set, 1425 for an escape that is not one character, 1424 for an
// escape followed by anything else.
int OraLike(const std::string& s, const std::string& pattern, const std::string& escape,
            bool* matches);

} // namespace VkOracle

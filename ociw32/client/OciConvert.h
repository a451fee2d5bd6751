#pragma once
// Conversions between values crossing the server seam and the program
// variables of the call interface's external data types.

#include "ociw32/server/OraServer.h"

namespace VkOracle {

// Whether a program variable of external type `ftype` and `length` bytes can
// be defined (fetched into) or bound. 0, or ORA-01460 for a type or length
// the library does not convert.
int OciCheckExternalType(int ftype, int length, bool forDefine);

// One fetched cell written to `buf` (`bufl` bytes) as external type `ftype`.
// Returns the column return code: 0, 1405 (NULL: nothing written but a
// string's terminator), 1406 (truncated; *originalLength is the value's
// full length) or a conversion error (1722, 932, 1455, 1840, ...).
struct OciCell {
    int rcode = 0;
    int length = 0;         // bytes delivered
    int originalLength = 0; // full length when truncated
};
OciCell OciStoreValue(const OraValue& value, int ftype, unsigned char* buf, int bufl);

// A bound program variable read as a value. `length` < 0 means "up to the
// terminator" for the text types. Returns 0 or a conversion error code.
int OciLoadValue(const unsigned char* buf, int length, int ftype, OraValue* value);

// Value texts as the server's implicit conversions give them (numbers as
// Oracle prints them, dates in the default DD-MON-RR).
std::string OciValueText(const OraValue& value);

} // namespace VkOracle

#pragma once
// Oracle message texts for the error codes the stand-in raises.

#include <initializer_list>
#include <string>

namespace VkOracle {

// The text after "ORA-nnnnn: " for an Oracle error code, with "%s" where the
// message takes arguments (ORA-00001 "unique constraint (%s.%s) violated").
// Codes 20000-20999 (raised by applications) give "%s". Unknown codes give
// "Message nnnnn not found; ..." as Oracle's client does.
std::string OraErrorText(int code);

// The wording a server of the given major version (7, 8, 9, 10, ...) sends:
// a few messages were reworded with arguments in later releases (ORA-00904
// "%s: invalid identifier" from 9i, ORA-01400 "cannot insert NULL into (%s)"
// from 8.0, ...). Arguments are passed already quoted ("\"SCOTT\".\"EMP\"").
// Errors raised on the client side (TNS, call interface) keep OraErrorText.
std::string OraServerErrorText(int code, int serverMajorVersion);
std::string FormatServerOraError(int code, int serverMajorVersion,
                                 std::initializer_list<std::string> args = {});

// "ORA-%05d: text" with the template text unchanged (no argument filled in).
std::string FormatOraError(int code);

// "ORA-%05d: text" with each "%s" of the template replaced by the next
// argument in order; missing arguments become empty.
std::string FormatOraError(int code, std::initializer_list<std::string> args);

// Whether the code has a message of its own in the table (20000-20999 count).
bool IsKnownOraError(int code);

// Reads the code back from a text of the form "ORA-nnnnn: ..." (as SQLite
// functions of this library report their failures). 0 when it has no code.
int ParseOraErrorCode(const char* message);

} // namespace VkOracle

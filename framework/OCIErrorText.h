#pragma once
// The text of the Oracle error left in a logon or cursor data area.

#include "ociw32/include/oci7.h"

#include <string>

namespace VkOracle {

// "No error" while the area's code is 0; otherwise the client library's
// message for it, trimmed (the server's messages end in a line feed). Empty
// when the library cannot give one.
std::string OCIErrorText(const Cda_Def& area);

// Text with white space removed at both ends.
std::string OCITrimmed(const std::string& text);

} // namespace VkOracle

#pragma once
// BSTR: length-prefixed UTF-16 text. The 32-bit byte length sits just
// before the characters, which are followed by a 16-bit terminator, so a
// BSTR is also a C string of OLECHAR and may hold embedded NULs. A null
// BSTR is a valid empty string for every function here.
//
// The rest of the system speaks UTF-8 std::string; the Vk functions below
// convert (invalid UTF-8 or lone surrogates become U+FFFD).

#include "platform/WinTypes.h"

#include <string>
#include <string_view>

using BSTR = OLECHAR*;

// A copy of the NUL-terminated text; null for a null source or no memory.
BSTR SysAllocString(const OLECHAR* text);
// len characters copied from text (zeros when text is null).
BSTR SysAllocStringLen(const OLECHAR* text, UINT len);
// len bytes copied from data (zeros when data is null); the length in
// characters rounds down for an odd byte count.
BSTR SysAllocStringByteLen(const char* data, UINT len);
// Replace *target by a new copy; FALSE (target unchanged) without memory.
INT SysReAllocString(BSTR* target, const OLECHAR* text);
INT SysReAllocStringLen(BSTR* target, const OLECHAR* text, UINT len);
void SysFreeString(BSTR text);
// Characters, and bytes, not counting the terminator; 0 for null.
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);

// UTF-8 <-> UTF-16.
std::u16string VkUtf8ToUtf16(std::string_view text);
std::string VkUtf16ToUtf8(std::u16string_view text);
// A new BSTR holding the UTF-8 text (null only without memory).
BSTR VkBstrFromUtf8(std::string_view text);
// The whole BSTR, embedded NULs included, as UTF-8; "" for null.
std::string VkBstrToUtf8(BSTR text);
// A NUL-terminated OLECHAR string as UTF-8; "" for null.
std::string VkOleToUtf8(const OLECHAR* text);

#pragma once
// INI (profile) files with the Win32 functions and their semantics. Strings
// are UTF-8. A file name without any "/" lies in the data root (the
// stand-in for the Windows folder); other paths are used as given.
//
// Lists (section names, entry names, a section's lines) come back as
// Windows returns them: each item NUL-terminated and one more NUL at the
// end. When a list does not fit, it is cut, still ends with two NULs, and
// the result is size - 2; a single string that does not fit is cut and the
// result is size - 1. Names compare without case (ASCII); blanks around
// names, "=" and values are ignored; with duplicate sections or entries the
// first one counts. Every write replaces the file at once (a temporary
// file renamed over it) and creates it on the first write. Thread-safe.

#include "platform/WinTypes.h"

// section null: the section names; key null: the entry names of section;
// otherwise the entry's text (one pair of enclosing quotes removed) or
// defaultValue (trailing blanks removed) when absent. Answers the number
// of characters copied, without the final NUL.
DWORD GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                              char* buffer, DWORD size, const char* file);

// Sets key in section to value (both created when missing). A null value
// deletes the entry, a null key the whole section. FALSE when the file
// cannot be written or a name or value cannot be stored in an INI line
// (line breaks; "=" or a leading "[" or ";" in a key).
BOOL WritePrivateProfileString(const char* section, const char* key, const char* value, const char* file);

DWORD GetPrivateProfileSectionNames(char* buffer, DWORD size, const char* file);

// The section's entries as "name=value" lines.
DWORD GetPrivateProfileSection(const char* section, char* buffer, DWORD size, const char* file);

// Replaces the section's entries by the "name=value" lines of a
// double-NUL list; a null list deletes the section.
BOOL WritePrivateProfileSection(const char* section, const char* lines, const char* file);

// The entry as a number (decimal, or hexadecimal after "0x", with a sign);
// defaultValue when the entry is absent or empty.
UINT GetPrivateProfileInt(const char* section, const char* key, INT defaultValue, const char* file);

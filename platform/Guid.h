#pragma once
// GUIDs (class and interface identifiers) with their registry text form
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".

#include "platform/WinTypes.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

constexpr bool IsEqualGUID(REFGUID a, REFGUID b)
{
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
        return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i])
            return false;
    return true;
}
constexpr bool IsEqualIID(REFIID a, REFIID b) { return IsEqualGUID(a, b); }
constexpr bool IsEqualCLSID(REFCLSID a, REFCLSID b) { return IsEqualGUID(a, b); }
constexpr bool operator==(REFGUID a, REFGUID b) { return IsEqualGUID(a, b); }
// A total order (field by field) so GUIDs can key ordered containers.
bool operator<(REFGUID a, REFGUID b);

constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
constexpr IID IID_NULL = GUID_NULL;

// Parses "{8-4-4-4-12}" hexadecimal text (either case, braces required,
// nothing around it). False, with *out untouched, on anything else.
bool VkGuidFromString(std::string_view text, GUID* out);
// The braced upper-case form, as the registry holds it.
std::string VkGuidToString(REFGUID guid);

// The Windows spellings over UTF-16 text. CLSIDFromString and
// IIDFromString answer CO_E_CLASSSTRING / E_INVALIDARG for bad text.
HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid);
HRESULT IIDFromString(LPCOLESTR text, IID* iid);
// Writes the braced form and its terminator; answers the characters
// written including the terminator, 0 when cch is too small (39 needed).
int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int cch);

template <>
struct std::hash<GUID> {
    std::size_t operator()(const GUID& g) const noexcept;
};

#include "platform/Guid.h"

#include <cstring>
#include <cstdio>

bool operator<(REFGUID a, REFGUID b)
{
    if (a.Data1 != b.Data1)
        return a.Data1 < b.Data1;
    if (a.Data2 != b.Data2)
        return a.Data2 < b.Data2;
    if (a.Data3 != b.Data3)
        return a.Data3 < b.Data3;
    return std::memcmp(a.Data4, b.Data4, 8) < 0;
}

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads n hex digits at text[pos].
bool ReadHex(std::string_view text, size_t pos, size_t n, std::uint64_t* value)
{
    std::uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) {
        int d = HexDigit(text[pos + i]);
        if (d < 0)
            return false;
        v = v << 4 | static_cast<unsigned>(d);
    }
    *value = v;
    return true;
}

} // namespace

bool VkGuidFromString(std::string_view text, GUID* out)
{
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
    if (text.size() != 38 || text[0] != '{' || text[37] != '}' || text[9] != '-' || text[14] != '-' ||
        text[19] != '-' || text[24] != '-')
        return false;
    GUID g{};
    std::uint64_t v = 0;
    if (!ReadHex(text, 1, 8, &v))
        return false;
    g.Data1 = static_cast<DWORD>(v);
    if (!ReadHex(text, 10, 4, &v))
        return false;
    g.Data2 = static_cast<WORD>(v);
    if (!ReadHex(text, 15, 4, &v))
        return false;
    g.Data3 = static_cast<WORD>(v);
    const size_t bytePos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        if (!ReadHex(text, bytePos[i], 2, &v))
            return false;
        g.Data4[i] = static_cast<BYTE>(v);
    }
    *out = g;
    return true;
}

std::string VkGuidToString(REFGUID g)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2, g.Data3,
                  g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return buf;
}

namespace {

// GUID text is ASCII; anything wider cannot be one.
bool NarrowAscii(LPCOLESTR text, std::string* out)
{
    if (!text)
        return false;
    for (; *text; ++text) {
        if (*text > 0x7F || out->size() > 64)
            return false;
        out->push_back(static_cast<char>(*text));
    }
    return true;
}

} // namespace

HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid)
{
    if (!clsid)
        return E_INVALIDARG;
    std::string narrow;
    if (!NarrowAscii(text, &narrow) || !VkGuidFromString(narrow, clsid))
        return CO_E_CLASSSTRING;
    return S_OK;
}

HRESULT IIDFromString(LPCOLESTR text, IID* iid)
{
    if (!iid)
        return E_INVALIDARG;
    std::string narrow;
    if (!NarrowAscii(text, &narrow) || !VkGuidFromString(narrow, iid))
        return E_INVALIDARG;
    return S_OK;
}

int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int cch)
{
    const std::string text = VkGuidToString(guid);
    if (!buffer || cch < static_cast<int>(text.size()) + 1)
        return 0;
    for (size_t i = 0; i < text.size(); ++i)
        buffer[i] = static_cast<OLECHAR>(text[i]);
    buffer[text.size()] = 0;
    return static_cast<int>(text.size()) + 1;
}

std::size_t std::hash<GUID>::operator()(const GUID& g) const noexcept
{
    std::uint64_t a = (std::uint64_t(g.Data1) << 32) | (std::uint64_t(g.Data2) << 16) | g.Data3;
    std::uint64_t b = 0;
    std::memcpy(&b, g.Data4, 8);
    return std::hash<std::uint64_t>()(a * 0x9E3779B97F4A7C15ull ^ b);
}

#include "platform/Bstr.h"

#include <QString>

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

constexpr size_t PrefixBytes = sizeof(std::uint32_t);
constexpr UINT MaxBytes = std::numeric_limits<std::uint32_t>::max() - 16;

BSTR AllocBytes(const void* data, UINT bytes)
{
    if (bytes > MaxBytes)
        return nullptr;
    auto* block = static_cast<char*>(std::malloc(PrefixBytes + bytes + sizeof(OLECHAR) + 1));
    if (!block)
        return nullptr;
    const std::uint32_t len = bytes;
    std::memcpy(block, &len, PrefixBytes);
    char* chars = block + PrefixBytes;
    if (data)
        std::memcpy(chars, data, bytes);
    else
        std::memset(chars, 0, bytes);
    // An odd byte count still ends in a whole NUL character.
    std::memset(chars + bytes, 0, sizeof(OLECHAR) + 1);
    return reinterpret_cast<BSTR>(chars);
}

char* BlockOf(BSTR text) { return reinterpret_cast<char*>(text) - PrefixBytes; }

} // namespace

BSTR SysAllocString(const OLECHAR* text)
{
    if (!text)
        return nullptr;
    size_t n = 0;
    while (text[n])
        ++n;
    if (n > MaxBytes / sizeof(OLECHAR))
        return nullptr;
    return AllocBytes(text, static_cast<UINT>(n * sizeof(OLECHAR)));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT len)
{
    if (len > MaxBytes / sizeof(OLECHAR))
        return nullptr;
    return AllocBytes(text, len * static_cast<UINT>(sizeof(OLECHAR)));
}

BSTR SysAllocStringByteLen(const char* data, UINT len) { return AllocBytes(data, len); }

INT SysReAllocString(BSTR* target, const OLECHAR* text)
{
    if (!target)
        return FALSE;
    BSTR fresh = SysAllocString(text);
    if (!fresh && text)
        return FALSE;
    SysFreeString(*target);
    *target = fresh;
    return TRUE;
}

INT SysReAllocStringLen(BSTR* target, const OLECHAR* text, UINT len)
{
    if (!target)
        return FALSE;
    BSTR fresh = SysAllocStringLen(text, len);
    if (!fresh)
        return FALSE;
    SysFreeString(*target);
    *target = fresh;
    return TRUE;
}

void SysFreeString(BSTR text)
{
    if (text)
        std::free(BlockOf(text));
}

UINT SysStringByteLen(BSTR text)
{
    if (!text)
        return 0;
    std::uint32_t len = 0;
    std::memcpy(&len, BlockOf(text), PrefixBytes);
    return len;
}

UINT SysStringLen(BSTR text) { return SysStringByteLen(text) / sizeof(OLECHAR); }

std::u16string VkUtf8ToUtf16(std::string_view text)
{
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<size_t>(s.size()));
}

std::string VkUtf16ToUtf8(std::u16string_view text)
{
    const QByteArray utf8 = QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()))
                                .toUtf8();
    return std::string(utf8.constData(), static_cast<size_t>(utf8.size()));
}

BSTR VkBstrFromUtf8(std::string_view text)
{
    const std::u16string wide = VkUtf8ToUtf16(text);
    if (wide.size() > MaxBytes / sizeof(OLECHAR))
        return nullptr;
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

std::string VkBstrToUtf8(BSTR text)
{
    if (!text)
        return {};
    return VkUtf16ToUtf8(std::u16string_view(text, SysStringLen(text)));
}

std::string VkOleToUtf8(const OLECHAR* text)
{
    if (!text)
        return {};
    return VkUtf16ToUtf8(std::u16string_view(text));
}

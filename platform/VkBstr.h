#pragma once
// An owning BSTR: freed on destruction, copied deeply, built from UTF-8.

#include "platform/Bstr.h"

#include <string>
#include <string_view>
#include <utility>

class VkBstr {
public:
    VkBstr() = default;
    VkBstr(std::string_view utf8) : m_text(VkBstrFromUtf8(utf8)) {}
    VkBstr(const char* utf8) : m_text(utf8 ? VkBstrFromUtf8(utf8) : nullptr) {}
    // A copy of a UTF-16 string (null stays null).
    explicit VkBstr(const OLECHAR* text) : m_text(SysAllocString(text)) {}
    VkBstr(const VkBstr& other) : m_text(Copy(other.m_text)) {}
    VkBstr(VkBstr&& other) noexcept : m_text(std::exchange(other.m_text, nullptr)) {}
    VkBstr& operator=(VkBstr other) noexcept
    {
        std::swap(m_text, other.m_text);
        return *this;
    }
    ~VkBstr() { SysFreeString(m_text); }

    // Takes ownership of text.
    static VkBstr Attach(BSTR text)
    {
        VkBstr b;
        b.m_text = text;
        return b;
    }
    // Gives up ownership; the caller frees the result.
    BSTR Detach() { return std::exchange(m_text, nullptr); }
    // A fresh copy for an [out] parameter, owned by the receiver.
    BSTR Copy() const { return Copy(m_text); }

    BSTR Get() const { return m_text; }
    // Frees the current text and answers the slot for an [out] BSTR.
    BSTR* Out()
    {
        SysFreeString(std::exchange(m_text, nullptr));
        return &m_text;
    }
    UINT Length() const { return SysStringLen(m_text); }
    bool IsNull() const { return m_text == nullptr; }
    std::string Utf8() const { return VkBstrToUtf8(m_text); }

private:
    static BSTR Copy(BSTR text) { return text ? SysAllocStringByteLen(reinterpret_cast<const char*>(text), SysStringByteLen(text)) : nullptr; }

    BSTR m_text = nullptr;
};

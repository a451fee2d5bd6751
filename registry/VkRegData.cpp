#include "registry/VkRegData.h"
#include "platform/VkNumberText.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

VkRegData::~VkRegData() = default;

bool VkRegPlainData::IsEmpty() const
{
    return std::holds_alternative<std::monostate>(m_data);
}

VkRegTypes VkRegPlainData::NaturalType() const
{
    if (AsNumber())
        return dtypeInteger;
    if (AsBytes())
        return dtypeBinary;
    return dtypeString;
}

bool VkRegPlainData::ToText(std::string* out) const
{
    if (const std::string* text = AsText())
        *out = *text;
    else if (const LONG* number = AsNumber())
        *out = std::to_string(*number);
    else if (IsEmpty())
        out->clear();
    else
        return false; // bytes have no text form
    return true;
}

bool VkRegPlainData::ToInt32(LONG* out) const
{
    if (const LONG* number = AsNumber()) {
        *out = *number;
        return true;
    }
    if (const std::string* text = AsText())
        return VkRegTextToInt32(*text, out);
    if (IsEmpty()) {
        *out = 0;
        return true;
    }
    return false;
}

bool VkRegPlainData::ToBytes(std::vector<BYTE>* out) const
{
    if (const std::vector<BYTE>* bytes = AsBytes()) {
        *out = *bytes;
        return true;
    }
    return false;
}

bool VkRegTextToInt32(const std::string& text, LONG* out)
{
    std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return false;
    std::size_t end = text.find_last_not_of(" \t") + 1;
    const std::string core = text.substr(begin, end - begin);
    for (char c : core) {
        const bool allowed = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E';
        if (!allowed)
            return false;
    }
    errno = 0;
    char* stop = nullptr;
    const double value = VkStrtod(core.c_str(), &stop);
    if (stop != core.c_str() + core.size() || errno == ERANGE || !std::isfinite(value))
        return false;
    const double rounded = std::nearbyint(value); // the default mode rounds half to even
    if (rounded < -2147483648.0 || rounded > 2147483647.0)
        return false;
    *out = static_cast<LONG>(rounded);
    return true;
}

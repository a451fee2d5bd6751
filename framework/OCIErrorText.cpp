#include "framework/OCIErrorText.h"

#include "framework/VkOCIW32Lib.h"

namespace VkOracle {

std::string OCITrimmed(const std::string& text)
{
    const char* blanks = " \t\r\n\v\f";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

std::string OCIErrorText(const Cda_Def& area)
{
    if (area.rc == 0)
        return "No error";
    const auto& lib = OCIW32();
    if (!lib.oerhms)
        return {};
    text buffer[200] = {};
    // The call does not change the area; its prototype simply is not const.
    lib.oerhms(const_cast<Cda_Def*>(&area), static_cast<sb2>(area.rc), buffer, 199);
    buffer[199] = 0;
    return OCITrimmed(reinterpret_cast<const char*>(buffer));
}

} // namespace VkOracle

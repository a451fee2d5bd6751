#include "controls/CJobFileNames.h"

#include "controls/QVCtrlStrings.h"
#include "generic/VkPaths.h"
#include "platform/VkAscii.h"

#include <system_error>

namespace {

std::filesystem::path Absolute(const std::string& text, const std::filesystem::path& base)
{
    std::filesystem::path path(text);
    if (path.is_relative())
        path = base / path;
    return path.lexically_normal();
}

bool IsFileName(const std::string& name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20)
            return false;
    return true;
}

} // namespace

std::string CJobFileNames::Extension()
{
    return QVCtrlStrings().Load(IDS_JX_EXTENSION);
}

std::filesystem::path CJobFileNames::ExportPath(const std::string& text, const std::filesystem::path& base)
{
    if (text.empty() || text.back() == '/')
        return {};
    std::filesystem::path path = Absolute(text, base);
    std::string name = path.filename().string();
    if (!IsFileName(name))
        return {};
    if (const auto dot = name.rfind('.'); dot != std::string::npos && dot > 0)
        name.erase(dot);
    if (!IsFileName(name))
        return {};
    return path.replace_filename(name + "." + Extension());
}

std::filesystem::path CJobFileNames::ImportPath(const std::string& text, const std::filesystem::path& base)
{
    if (text.empty())
        return {};
    const std::filesystem::path path = Absolute(text, base);
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(path, ignored))
        return {};
    const std::string extension = path.extension().string();
    if (extension.size() < 2 || !VkAsciiEqualNoCase(extension.substr(1), Extension()))
        return {};
    return path;
}

std::filesystem::path CJobFileNames::DefaultExportName(const std::filesystem::path& base)
{
    return VkFirstFreeNumberedFile(base, QVCtrlStrings().Load(IDS_JX_DEFAULT_STEM), "." + Extension());
}

#include "generic/vkpath.h"

#include "generic/VkPaths.h"
#include "platform/DataRoot.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

vkpath::vkpath(const std::string& fullPath)
{
    const auto slash = fullPath.find_last_of('/');
    if (slash == std::string::npos) {
        m_fileName = fullPath;
    } else {
        m_folder = fullPath.substr(0, slash == 0 ? 1 : slash);
        m_fileName = fullPath.substr(slash + 1);
    }
}

vkpath::vkpath(const std::string& folder, const std::string& fileName) : m_folder(folder), m_fileName(fileName) {}

std::string vkpath::FullPath() const
{
    if (m_folder.empty())
        return m_fileName;
    if (m_fileName.empty())
        return m_folder;
    return (fs::path(m_folder) / m_fileName).string();
}

void vkpath::AppendFolder(const std::string& subFolder)
{
    if (subFolder.empty())
        return;
    m_folder = m_folder.empty() ? subFolder : (fs::path(m_folder) / subFolder).string();
}

bool vkpath::Exists() const
{
    std::error_code error;
    return !m_fileName.empty() && fs::is_regular_file(FullPath(), error);
}

std::int64_t vkpath::Size() const
{
    std::error_code error;
    const auto size = fs::file_size(FullPath(), error);
    return error ? -1 : static_cast<std::int64_t>(size);
}

bool vkpath::Copy(const vkpath& target, bool overwrite) const
{
    std::error_code error;
    const auto options = overwrite ? fs::copy_options::overwrite_existing : fs::copy_options::none;
    return fs::copy_file(FullPath(), target.FullPath(), options, error) && !error;
}

bool vkpath::Delete() const
{
    std::error_code error;
    return fs::remove(FullPath(), error) && !error;
}

vkpath vkpath::Special(SpecialFolder which)
{
    vkpath path;
    switch (which) {
    case SpecialFolder::Documents:
        path.m_folder = VkPersonalFolder().string();
        break;
    case SpecialFolder::Temp: {
        std::error_code error;
        const fs::path temp = fs::temp_directory_path(error);
        path.m_folder = error ? std::string("/tmp") : temp.string();
        break;
    }
    case SpecialFolder::AppData:
        path.m_folder = VkDataRoot().string();
        break;
    }
    return path;
}

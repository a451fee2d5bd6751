#pragma once
// A file path kept as a folder and a file name, with the file operations
// the modules need. Nothing here throws: failures are results.

#include <cstdint>
#include <string>

class vkpath {
public:
    enum class SpecialFolder { Documents, Temp, AppData };

    vkpath() = default;
    // A full path: everything before the last separator is the folder.
    explicit vkpath(const std::string& fullPath);
    vkpath(const std::string& folder, const std::string& fileName);

    const std::string& Folder() const { return m_folder; }
    const std::string& FileName() const { return m_fileName; }
    // The folder and file name joined; the folder alone without a name.
    std::string FullPath() const;
    bool Empty() const { return m_folder.empty() && m_fileName.empty(); }

    void SetFolder(const std::string& folder) { m_folder = folder; }
    void SetFileName(const std::string& fileName) { m_fileName = fileName; }
    // Adds sub-folders ("network/ADMIN") below the folder.
    void AppendFolder(const std::string& subFolder);

    // The path names an existing regular file.
    bool Exists() const;
    // The file's size in bytes, -1 when it cannot be read.
    std::int64_t Size() const;
    bool Copy(const vkpath& target, bool overwrite = true) const;
    bool Delete() const;

    // A folder of the user's ("Documents" is the data root's while
    // QUORVANE_ROOT is set or the user has none).
    static vkpath Special(SpecialFolder which);

    bool operator==(const vkpath& other) const { return FullPath() == other.FullPath(); }

private:
    std::string m_folder;
    std::string m_fileName;
};

#pragma once
// Where a key tree comes from and goes back to: a registry branch below the
// home path ("HKEY_CURRENT_USER\Software\Tarnwick"), or an INI file named
// after the application key in the folder the home path names. Every call
// runs under the source's own lock, then the module's key and value locks.

#include "registry/VkRegKeyNode.h"

#include "platform/WinTypes.h"

#include <mutex>
#include <string>

class VkRegSourceNode {
public:
    VkRegSourceNode() = default;
    VkRegSourceNode(const VkRegSourceNode&) = delete;
    VkRegSourceNode& operator=(const VkRegSourceNode&) = delete;

    int Source() const;
    // E_FAIL, changing nothing, for anything but sourceRegistry or sourceINIFile.
    HRESULT SetSource(int source);
    std::string HomePath() const;
    void SetHomePath(std::string path);

    // The branch (created when missing) as a new tree whose top key is named
    // applicationKey; null when the location cannot be opened or the INI file
    // does not exist.
    VkRegKeyPtr Read(const std::string& applicationKey);
    // Writes the modified values (every value when forced), deletes the
    // removed items and creates the keys that are new. S_OK when all of it
    // could be written, S_FALSE otherwise.
    HRESULT Write(const VkRegKeyPtr& key, bool force);
    // Deletes what the store holds for the key: its registry branch or its
    // INI file. S_FALSE when there was nothing to delete or it failed.
    HRESULT RemoveKey(const VkRegKeyPtr& key);

private:
    std::string IniFile(const std::string& applicationKey) const;

    mutable std::mutex m_lock;
    int m_source = sourceRegistry;
    std::string m_homePath;
};

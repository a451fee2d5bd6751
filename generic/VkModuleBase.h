#pragma once
// One dynamically loaded module (shared library), loaded by file name and
// asked for entry points by name. Nothing here throws.

#include <string>

class VkModuleBase {
public:
    // loadNow: Load() at once; a failure only leaves the module unloaded.
    explicit VkModuleBase(std::string fileName, bool loadNow = false);
    VkModuleBase(const VkModuleBase& other);
    VkModuleBase& operator=(const VkModuleBase& other);
    virtual ~VkModuleBase();

    // Loads the file with the platform's standard search for libraries (a
    // name without a folder is searched for, a path is taken as it is);
    // true when the module is loaded afterwards.
    bool Load();
    // Frees the module; true when it was loaded and is now freed.
    bool Unload();
    bool Loaded() const { return m_handle != nullptr; }
    // An exported entry point, or null when not loaded or not exported.
    void* Proc(const char* name) const;

    const std::string& FileName() const { return m_fileName; }

    // True when the file can be loaded at all; it is freed again at once.
    static bool CanLoad(const std::string& fileName);

protected:
    void SetFileName(std::string fileName) { m_fileName = std::move(fileName); }
    // A module that may still run code of its own (threads) after its users
    // let it go stays mapped once freed, so nothing jumps into unmapped code.
    void SetKeepResident(bool keep) { m_keepResident = keep; }

private:
    std::string m_fileName;
    void* m_handle = nullptr;
    bool m_keepResident = false;
};

#include "generic/VkModuleBase.h"

#include <dlfcn.h>

VkModuleBase::VkModuleBase(std::string fileName, bool loadNow) : m_fileName(std::move(fileName))
{
    if (loadNow)
        Load();
}

// A copy holds its own reference to the module, so each one may unload.
VkModuleBase::VkModuleBase(const VkModuleBase& other)
    : m_fileName(other.m_fileName), m_keepResident(other.m_keepResident)
{
    if (other.Loaded())
        Load();
}

VkModuleBase& VkModuleBase::operator=(const VkModuleBase& other)
{
    if (this == &other)
        return *this;
    Unload();
    m_fileName = other.m_fileName;
    m_keepResident = other.m_keepResident;
    if (other.Loaded())
        Load();
    return *this;
}

VkModuleBase::~VkModuleBase() { Unload(); }

bool VkModuleBase::Load()
{
    if (m_handle)
        return true;
    if (m_fileName.empty())
        return false;
    int flags = RTLD_NOW | RTLD_LOCAL;
    if (m_keepResident)
        flags |= RTLD_NODELETE;
    m_handle = dlopen(m_fileName.c_str(), flags);
    return m_handle != nullptr;
}

bool VkModuleBase::Unload()
{
    if (!m_handle)
        return false;
    const bool freed = dlclose(m_handle) == 0;
    m_handle = nullptr;
    return freed;
}

void* VkModuleBase::Proc(const char* name) const
{
    if (!m_handle || !name)
        return nullptr;
    return dlsym(m_handle, name);
}

bool VkModuleBase::CanLoad(const std::string& fileName)
{
    if (fileName.empty())
        return false;
    // Lazy binding: the file is checked without resolving its references.
    void* handle = dlopen(fileName.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (!handle)
        return false;
    dlclose(handle);
    return true;
}

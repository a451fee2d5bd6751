#include "platform/Serializable.h"

#include <cstring>
#include <mutex>
#include <vector>

namespace {

struct ClassRegistry {
    std::mutex mutex;
    std::vector<const CRuntimeClass*> classes;
};

// Never destroyed: modules may unregister while the process exits.
ClassRegistry& Registry()
{
    static auto* registry = new ClassRegistry;
    return *registry;
}

} // namespace

const CRuntimeClass CObject::classCObject = {"CObject", 0xFFFF, nullptr, nullptr};

CObject* CRuntimeClass::CreateObject() const
{
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const
{
    for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass) {
        if (c == base)
            return true;
    }
    return false;
}

CObject::~CObject() = default;

const CRuntimeClass* CObject::GetRuntimeClass() const
{
    return &classCObject;
}

void CObject::Serialize(CArchive&) {}

bool CObject::IsKindOf(const CRuntimeClass* cls) const
{
    return GetRuntimeClass()->IsDerivedFrom(cls);
}

void VkRegisterSerialClass(const CRuntimeClass* cls)
{
    if (!cls || !cls->m_lpszClassName)
        return;
    auto& reg = Registry();
    std::lock_guard lock(reg.mutex);
    reg.classes.push_back(cls);
}

void VkUnregisterSerialClass(const CRuntimeClass* cls)
{
    auto& reg = Registry();
    std::lock_guard lock(reg.mutex);
    for (auto it = reg.classes.rbegin(); it != reg.classes.rend(); ++it) {
        if (*it == cls) {
            reg.classes.erase(std::next(it).base());
            return;
        }
    }
}

const CRuntimeClass* VkFindSerialClass(const char* name)
{
    if (!name)
        return nullptr;
    auto& reg = Registry();
    std::lock_guard lock(reg.mutex);
    for (auto it = reg.classes.rbegin(); it != reg.classes.rend(); ++it) {
        if (std::strcmp((*it)->m_lpszClassName, name) == 0)
            return *it;
    }
    return nullptr;
}

#pragma once
// Serialisable objects: CObject with its run-time class (name, schema,
// factory, base) and the process-wide registry by which an archive finds a
// class from the name stored in it.
//
// A serialisable class:
//     class CThing : public CObject {
//         DECLARE_SERIAL(CThing)
//     public:
//         void Serialize(CArchive& ar) override;
//     };
//     IMPLEMENT_SERIAL(CThing, CObject, 1)   // in CThing.cpp
// IMPLEMENT_SERIAL registers the class while its module loads and removes
// it again when the module unloads.

#include "platform/Archive.h"
#include "platform/WinTypes.h"

// A schema with this bit accepts every stored schema; the object reads the
// stored one from CArchive::GetObjectSchema().
constexpr UINT VERSIONABLE_SCHEMA = 0x80000000u;

struct CRuntimeClass {
    const char* m_lpszClassName;
    UINT m_wSchema;                  // 0xFFFF: not serialisable
    CObject* (*m_pfnCreateObject)(); // null: cannot be created by name
    const CRuntimeClass* m_pBaseClass;

    // A new object, or null when the class has no factory.
    CObject* CreateObject() const;
    bool IsDerivedFrom(const CRuntimeClass* base) const;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

class CObject {
public:
    virtual ~CObject();
    virtual const CRuntimeClass* GetRuntimeClass() const;
    // Writes or reads the object's own data; the default does nothing.
    virtual void Serialize(CArchive& ar);
    bool IsKindOf(const CRuntimeClass* cls) const;

    static const CRuntimeClass classCObject;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

// The registry of serialisable classes. A class registered twice under one
// name (two modules) is found as the latest registration still present.
void VkRegisterSerialClass(const CRuntimeClass* cls);
void VkUnregisterSerialClass(const CRuntimeClass* cls);
// The registered class of that name (compared exactly), or null.
const CRuntimeClass* VkFindSerialClass(const char* name);

// Registers a class for the lifetime of a static object.
class VkSerialClassRegistrar {
public:
    explicit VkSerialClassRegistrar(const CRuntimeClass* cls) : m_class(cls) { VkRegisterSerialClass(cls); }
    ~VkSerialClassRegistrar() { VkUnregisterSerialClass(m_class); }
    VkSerialClassRegistrar(const VkSerialClassRegistrar&) = delete;
    VkSerialClassRegistrar& operator=(const VkSerialClassRegistrar&) = delete;

private:
    const CRuntimeClass* m_class;
};

#define DECLARE_SERIAL(class_name)                                             \
public:                                                                        \
    static const CRuntimeClass class##class_name;                              \
    const CRuntimeClass* GetRuntimeClass() const override;                     \
    static CObject* CreateObject();                                            \
    friend CArchive& operator>>(CArchive& ar, class_name*& pOb);

// Reading "ar >> pThing" checks the stored class against CThing.
#define IMPLEMENT_SERIAL(class_name, base_class_name, schema)                  \
    CObject* class_name::CreateObject() { return new class_name; }             \
    const CRuntimeClass class_name::class##class_name = {                      \
        #class_name, (schema), &class_name::CreateObject,                      \
        RUNTIME_CLASS(base_class_name)};                                       \
    const CRuntimeClass* class_name::GetRuntimeClass() const                   \
    {                                                                          \
        return RUNTIME_CLASS(class_name);                                      \
    }                                                                          \
    [[maybe_unused]] CArchive& operator>>(CArchive& ar, class_name*& pOb)      \
    {                                                                          \
        pOb = static_cast<class_name*>(ar.ReadObject(RUNTIME_CLASS(class_name))); \
        return ar;                                                             \
    }                                                                          \
    static const VkSerialClassRegistrar s_serialRegistrar##class_name(         \
        RUNTIME_CLASS(class_name));

#pragma once
// VkComObject: reference counting and QueryInterface for a C++ class that
// implements COM interfaces, plus the per-binary count of live objects
// that DllCanUnloadNow answers from.
//
//   class CThing : public VkComObject<CThing, VkDispatchImpl<CThing, IThing>, VkConnectionPointContainerImpl>
//
// QueryInterface answers IUnknown (always the first interface's), every
// listed interface and the interfaces each extends (through its
// BaseInterface), and whatever FindExtraInterface returns. Objects start
// with no reference; create them with VkCreateObject, which hands out the
// first one. The object deletes itself when the last reference goes.
//
// The live-object count is kept per binary (hidden visibility): every
// module, and the program, counts only its own objects.

#include "platform/ComInterfaces.h"
#include "platform/ComPtr.h"

#include <atomic>
#include <new>
#include <type_traits>
#include <utility>

namespace VkModuleLocal __attribute__((visibility("hidden"))) {

// Live objects of this binary plus IClassFactory::LockServer locks.
inline std::atomic<LONG> s_lockCount{0};
inline void Lock() { s_lockCount.fetch_add(1, std::memory_order_relaxed); }
inline void Unlock() { s_lockCount.fetch_sub(1, std::memory_order_acq_rel); }
inline LONG LockCount() { return s_lockCount.load(std::memory_order_acquire); }

// The interface pointer of type I (or one it extends) matching riid.
template <class I>
void* FindInterface(I* p, REFIID riid)
{
    if (IsEqualIID(riid, I::Iid()))
        return p;
    if constexpr (!std::is_same_v<I, IUnknown>) {
        using Base = typename I::BaseInterface;
        if constexpr (!std::is_same_v<Base, IUnknown>)
            return FindInterface<Base>(static_cast<Base*>(p), riid);
    }
    return nullptr;
}

} // namespace VkModuleLocal

template <class Derived, class First, class... Rest>
class VkComObject : public First, public Rest... {
public:
    VkComObject(const VkComObject&) = delete;
    VkComObject& operator=(const VkComObject&) = delete;

    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        void* found = nullptr;
        if (IsEqualIID(riid, IID_IUnknown))
            found = static_cast<IUnknown*>(static_cast<First*>(this));
        else
            found = Find<First, Rest...>(riid);
        if (!found)
            found = FindExtraInterface(riid);
        if (!found)
            return E_NOINTERFACE;
        AddRef();
        *object = found;
        return S_OK;
    }
    ULONG AddRef() override { return m_refs.fetch_add(1, std::memory_order_relaxed) + 1; }
    ULONG Release() override
    {
        const ULONG left = m_refs.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0)
            delete this;
        return left;
    }

    // The object's IUnknown, without a new reference.
    IUnknown* Identity() { return static_cast<IUnknown*>(static_cast<First*>(this)); }

protected:
    VkComObject() { VkModuleLocal::Lock(); }
    virtual ~VkComObject() { VkModuleLocal::Unlock(); }

    // More interfaces than the listed ones (an event interface a sink
    // answers, say); the pointer returned is AddRef'd by QueryInterface.
    virtual void* FindExtraInterface(REFIID) { return nullptr; }
    ULONG RefCount() const { return m_refs.load(); }

private:
    template <class I, class... More>
    void* Find(REFIID riid)
    {
        if (void* p = VkModuleLocal::FindInterface<I>(static_cast<I*>(this), riid))
            return p;
        if constexpr (sizeof...(More) > 0)
            return Find<More...>(riid);
        else
            return nullptr;
    }

    std::atomic<ULONG> m_refs{0};
};

// Creates a T and answers its riid interface with one reference. A T with
// `HRESULT FinalConstruct()` has it called first; its failure, or an
// exception from the constructor, fails the creation with nothing alive.
template <class T, class... Args>
HRESULT VkCreateObject(REFIID riid, void** out, Args&&... args)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    T* p = nullptr;
    try {
        p = new T(std::forward<Args>(args)...);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
    p->AddRef();
    HRESULT hr = S_OK;
    if constexpr (requires { p->FinalConstruct(); })
        hr = p->FinalConstruct();
    if (SUCCEEDED(hr))
        hr = p->QueryInterface(riid, out);
    p->Release();
    return hr;
}

template <class T, class I, class... Args>
HRESULT VkCreateObject(ComPtr<I>* out, Args&&... args)
{
    return VkCreateObject<T>(VkIidOf<I>(), reinterpret_cast<void**>(out->ReleaseAndGetAddressOf()),
                             std::forward<Args>(args)...);
}

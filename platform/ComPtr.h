#pragma once
// ComPtr<T>: holds one reference to a COM interface and releases it.
// Copying AddRefs, moving transfers; As() asks for another interface.

#include "platform/ComInterfaces.h"

#include <cstddef>
#include <utility>

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a reference of its own (AddRef).
    ComPtr(T* p) : m_p(p) { AddRefIfAny(); }
    ComPtr(const ComPtr& other) : m_p(other.m_p) { AddRefIfAny(); }
    ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    template <class U>
    ComPtr(const ComPtr<U>& other) : m_p(other.Get())
    {
        AddRefIfAny();
    }
    ~ComPtr() { Reset(); }

    ComPtr& operator=(ComPtr other) noexcept
    {
        std::swap(m_p, other.m_p);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t)
    {
        Reset();
        return *this;
    }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    // The slot for an [out] interface; releases what was held.
    T** ReleaseAndGetAddressOf()
    {
        Reset();
        return &m_p;
    }
    // The slot itself, for calls that fill an empty pointer.
    T** GetAddressOf() { return &m_p; }
    // Takes over a reference the caller owned (no AddRef).
    void Attach(T* p)
    {
        Reset();
        m_p = p;
    }
    // Gives the reference to the caller (no Release).
    T* Detach() { return std::exchange(m_p, nullptr); }
    // Releases the reference; answers the count Release returned (0 if none).
    ULONG Reset()
    {
        ULONG count = 0;
        if (T* p = std::exchange(m_p, nullptr))
            count = p->Release();
        return count;
    }
    // QueryInterface for U; the result replaces what *out held.
    template <class U>
    HRESULT As(ComPtr<U>* out) const
    {
        if (!m_p)
            return E_POINTER;
        return m_p->QueryInterface(VkIidOf<U>(), reinterpret_cast<void**>(out->ReleaseAndGetAddressOf()));
    }
    HRESULT AsIID(REFIID iid, void** out) const
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return m_p ? m_p->QueryInterface(iid, out) : E_POINTER;
    }
    // An AddRef'd copy for an [out] parameter.
    HRESULT CopyTo(T** out) const
    {
        if (!out)
            return E_POINTER;
        *out = m_p;
        AddRefIfAny();
        return S_OK;
    }

    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.m_p == b.m_p; }
    friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.m_p == nullptr; }

private:
    void AddRefIfAny() const
    {
        if (m_p)
            m_p->AddRef();
    }

    T* m_p = nullptr;
};

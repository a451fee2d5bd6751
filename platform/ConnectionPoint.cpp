#include "platform/ConnectionPoint.h"

#include "platform/ComObject.h"
#include "platform/DispatchTable.h"
#include "platform/Variant.h"

#include <algorithm>

namespace {

// Enumerators over snapshots; each item holds a reference.
class ConnectionsEnumerator final : public VkComObject<ConnectionsEnumerator, IEnumConnections> {
public:
    explicit ConnectionsEnumerator(std::vector<CONNECTDATA> items, size_t position = 0)
        : m_items(std::move(items)), m_position(position)
    {
        for (auto& c : m_items)
            c.pUnk->AddRef();
    }
    ~ConnectionsEnumerator() override
    {
        for (auto& c : m_items)
            c.pUnk->Release();
    }

    HRESULT Next(ULONG count, CONNECTDATA* items, ULONG* fetched) override
    {
        if (!items || (count > 1 && !fetched))
            return E_POINTER;
        ULONG n = 0;
        for (; n < count && m_position < m_items.size(); ++n, ++m_position) {
            items[n] = m_items[m_position];
            items[n].pUnk->AddRef();
        }
        if (fetched)
            *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG count) override
    {
        const size_t left = m_items.size() - m_position;
        m_position += std::min<size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT Reset() override
    {
        m_position = 0;
        return S_OK;
    }
    HRESULT Clone(IEnumConnections** copy) override
    {
        return VkCreateObject<ConnectionsEnumerator>(IID_IEnumConnections, reinterpret_cast<void**>(copy), m_items,
                                               m_position);
    }

private:
    std::vector<CONNECTDATA> m_items;
    size_t m_position;
};

class PointsEnumerator final : public VkComObject<PointsEnumerator, IEnumConnectionPoints> {
public:
    explicit PointsEnumerator(std::vector<IConnectionPoint*> items, size_t position = 0)
        : m_items(std::move(items)), m_position(position)
    {
        for (auto* p : m_items)
            p->AddRef();
    }
    ~PointsEnumerator() override
    {
        for (auto* p : m_items)
            p->Release();
    }

    HRESULT Next(ULONG count, IConnectionPoint** items, ULONG* fetched) override
    {
        if (!items || (count > 1 && !fetched))
            return E_POINTER;
        ULONG n = 0;
        for (; n < count && m_position < m_items.size(); ++n, ++m_position) {
            items[n] = m_items[m_position];
            items[n]->AddRef();
        }
        if (fetched)
            *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG count) override
    {
        const size_t left = m_items.size() - m_position;
        m_position += std::min<size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT Reset() override
    {
        m_position = 0;
        return S_OK;
    }
    HRESULT Clone(IEnumConnectionPoints** copy) override
    {
        return VkCreateObject<PointsEnumerator>(IID_IEnumConnectionPoints, reinterpret_cast<void**>(copy),
                                                    m_items, m_position);
    }

private:
    std::vector<IConnectionPoint*> m_items;
    size_t m_position;
};

} // namespace

// ---- VkConnectionPoint ----

VkConnectionPoint::VkConnectionPoint(IConnectionPointContainer* container, REFIID iid)
    : m_container(container), m_iid(iid)
{
}

VkConnectionPoint::~VkConnectionPoint() { UnadviseAll(); }

HRESULT VkConnectionPoint::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IConnectionPoint))
        return E_NOINTERFACE;
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

ULONG VkConnectionPoint::AddRef() { return m_container->AddRef(); }
ULONG VkConnectionPoint::Release() { return m_container->Release(); }

HRESULT VkConnectionPoint::GetConnectionInterface(IID* iid)
{
    if (!iid)
        return E_POINTER;
    *iid = m_iid;
    return S_OK;
}

HRESULT VkConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container)
{
    if (!container)
        return E_POINTER;
    *container = m_container;
    m_container->AddRef();
    return S_OK;
}

HRESULT VkConnectionPoint::Advise(IUnknown* sink, DWORD* cookie)
{
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    if (!sink)
        return E_POINTER;
    IUnknown* answered = nullptr;
    if (FAILED(sink->QueryInterface(m_iid, reinterpret_cast<void**>(&answered))) || !answered)
        return CONNECT_E_CANNOTCONNECT;
    std::lock_guard lock(m_mutex);
    if (m_nextCookie == 0) {
        answered->Release();
        return CONNECT_E_ADVISELIMIT;
    }
    const DWORD c = m_nextCookie++;
    m_sinks.emplace(c, answered);
    *cookie = c;
    return S_OK;
}

HRESULT VkConnectionPoint::Unadvise(DWORD cookie)
{
    IUnknown* sink = nullptr;
    {
        std::lock_guard lock(m_mutex);
        auto it = m_sinks.find(cookie);
        if (it == m_sinks.end())
            return CONNECT_E_NOCONNECTION;
        sink = it->second;
        m_sinks.erase(it);
    }
    // Released outside the lock: the sink's destructor may call back.
    sink->Release();
    return S_OK;
}

HRESULT VkConnectionPoint::EnumConnections(IEnumConnections** connections)
{
    if (!connections)
        return E_POINTER;
    std::vector<CONNECTDATA> items;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& [cookie, sink] : m_sinks)
            items.push_back(CONNECTDATA{sink, cookie});
        // The enumerator's constructor takes its references; keep the
        // sinks alive until then.
        for (auto& c : items)
            c.pUnk->AddRef();
    }
    HRESULT hr = VkCreateObject<ConnectionsEnumerator>(IID_IEnumConnections, reinterpret_cast<void**>(connections), items);
    for (auto& c : items)
        c.pUnk->Release();
    return hr;
}

void VkConnectionPoint::ForEachSink(const std::function<void(IUnknown*)>& fn) const
{
    DWORD after = 0;
    for (;;) {
        ComPtr<IUnknown> sink;
        {
            std::lock_guard lock(m_mutex);
            auto it = m_sinks.upper_bound(after);
            if (it == m_sinks.end())
                return;
            after = it->first;
            sink = it->second;
        }
        fn(sink.Get());
    }
}

size_t VkConnectionPoint::FireDispatch(DISPID id, std::initializer_list<VARIANT> args) const
{
    size_t called = 0;
    ForEachSink([&](IUnknown* sink) {
        ComPtr<IDispatch> dispatch;
        if (FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.ReleaseAndGetAddressOf()))))
            return;
        ++called;
        // Events go out as method calls in the system default locale.
        std::vector<VARIANT> reversed(args.begin(), args.end());
        std::reverse(reversed.begin(), reversed.end());
        DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        VARIANT result;
        VariantInit(&result);
        UINT argErr = 0;
        dispatch->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr, &argErr);
        VariantClear(&result);
    });
    return called;
}

void VkConnectionPoint::UnadviseAll()
{
    std::map<DWORD, IUnknown*> sinks;
    {
        std::lock_guard lock(m_mutex);
        sinks.swap(m_sinks);
    }
    for (auto& [cookie, sink] : sinks)
        sink->Release();
}

// ---- VkConnectionPointContainerImpl ----

HRESULT VkConnectionPointContainerImpl::EnumConnectionPoints(IEnumConnectionPoints** points)
{
    if (!points)
        return E_POINTER;
    std::vector<IConnectionPoint*> items(m_points.begin(), m_points.end());
    return VkCreateObject<PointsEnumerator>(IID_IEnumConnectionPoints, reinterpret_cast<void**>(points), items);
}

HRESULT VkConnectionPointContainerImpl::FindConnectionPoint(REFIID riid, IConnectionPoint** point)
{
    if (!point)
        return E_POINTER;
    *point = nullptr;
    for (VkConnectionPoint* p : m_points) {
        if (IsEqualIID(p->ConnectionIid(), riid)) {
            p->AddRef();
            *point = p;
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

// ---- Client helpers ----

HRESULT VkAdvise(IUnknown* container, REFIID iid, IUnknown* sink, DWORD* cookie)
{
    if (!container || !cookie)
        return E_POINTER;
    *cookie = 0;
    ComPtr<IConnectionPointContainer> cpc;
    HRESULT hr = container->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(cpc.GetAddressOf()));
    if (FAILED(hr))
        return hr;
    ComPtr<IConnectionPoint> point;
    hr = cpc->FindConnectionPoint(iid, point.GetAddressOf());
    if (FAILED(hr))
        return hr;
    return point->Advise(sink, cookie);
}

HRESULT VkUnadvise(IUnknown* container, REFIID iid, DWORD cookie)
{
    if (!container)
        return E_POINTER;
    ComPtr<IConnectionPointContainer> cpc;
    HRESULT hr = container->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(cpc.GetAddressOf()));
    if (FAILED(hr))
        return hr;
    ComPtr<IConnectionPoint> point;
    hr = cpc->FindConnectionPoint(iid, point.GetAddressOf());
    if (FAILED(hr))
        return hr;
    return point->Unadvise(cookie);
}

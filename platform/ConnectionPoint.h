#pragma once
// Connection points: an object's outgoing (event) interfaces.
//
// VkConnectionPoint is a member of the object that fires the events; its
// AddRef and Release are the container's, so a client holding the point
// keeps the object alive. Sinks are held with one reference each from
// Advise to Unadvise (or the point's destruction). Cookies start at 1 and
// are never reused by one point.
//
// Firing takes the sinks one at a time under the lock, holds a reference
// and calls it with the lock released, so a sink may Advise or Unadvise
// (itself or another) while being called: a sink removed before its turn
// is not called, one added meanwhile is called in its turn.
//
// VkConnectionPointContainerImpl answers IConnectionPointContainer for an
// object listing its points with AddConnectionPoint.

#include "platform/ComInterfaces.h"
#include "platform/ComPtr.h"

#include <functional>
#include <map>
#include <mutex>
#include <vector>

class VkConnectionPoint : public IConnectionPoint {
public:
    // container: the owning object's IConnectionPointContainer (not
    // AddRef'd: the point lives inside it). iid: the outgoing interface.
    VkConnectionPoint(IConnectionPointContainer* container, REFIID iid);
    // Releases every sink still advised.
    virtual ~VkConnectionPoint();
    VkConnectionPoint(const VkConnectionPoint&) = delete;
    VkConnectionPoint& operator=(const VkConnectionPoint&) = delete;

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetConnectionInterface(IID* iid) override;
    HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) override;
    // The sink must answer the outgoing interface (CONNECT_E_CANNOTCONNECT).
    HRESULT Advise(IUnknown* sink, DWORD* cookie) override;
    // CONNECT_E_NOCONNECTION for a cookie not advised.
    HRESULT Unadvise(DWORD cookie) override;
    // A snapshot of the sinks at the time of the call, in cookie order.
    HRESULT EnumConnections(IEnumConnections** connections) override;

    REFIID ConnectionIid() const { return m_iid; }
    // Calls fn for each sink (the pointer answering the outgoing interface)
    // as described above.
    void ForEachSink(const std::function<void(IUnknown* sink)>& fn) const;
    // Calls Invoke(id) as a method, in the system default locale, on every
    // sink's IDispatch, ignoring sink failures. Arguments in written order. Answers the number of sinks called.
    size_t FireDispatch(DISPID id, std::initializer_list<VARIANT> args = {}) const;
    // Drops every sink (an object shutting down).
    void UnadviseAll();

private:
    IConnectionPointContainer* m_container;
    IID m_iid;
    mutable std::mutex m_mutex;
    std::map<DWORD, IUnknown*> m_sinks;
    DWORD m_nextCookie = 1;
};

class VkConnectionPointContainerImpl : public IConnectionPointContainer {
public:
    using BaseInterface = IConnectionPointContainer;

    HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) override;
    // CONNECT_E_NOCONNECTION when the object has no point for riid.
    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

protected:
    // Points are registered once, by the object's constructor.
    void AddConnectionPoint(VkConnectionPoint* point) { m_points.push_back(point); }

private:
    std::vector<VkConnectionPoint*> m_points;
};

// Finds the container's point for iid and advises sink; *cookie gets the
// cookie. The usual client sequence in one call.
HRESULT VkAdvise(IUnknown* container, REFIID iid, IUnknown* sink, DWORD* cookie);
HRESULT VkUnadvise(IUnknown* container, REFIID iid, DWORD cookie);

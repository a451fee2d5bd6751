#pragma once
// A sink for a control's event interface that counts the calls of one
// event, as a host's sink would receive them (on the control's worker
// thread). Advise it with VkAdvise on the event interface's identifier.

#include "platform/ComObject.h"
#include "platform/DispatchTable.h"

#include <atomic>

namespace qvtest {

template <const IID& EventIid, DISPID EventId>
class EventCounter final : public VkComObject<EventCounter<EventIid, EventId>,
                                              VkDispatchImpl<EventCounter<EventIid, EventId>, IDispatch>> {
public:
    static const VkDispatchTable<EventCounter>& DispatchTable()
    {
        static const VkDispatchTable<EventCounter> table =
            VkDispatchTable<EventCounter>().Method(EventId, "Event", 0, 0, [](EventCounter& s, VkDispatchCall&) {
                ++s.calls;
                return S_OK;
            });
        return table;
    }
    std::atomic<int> calls{0};

protected:
    void* FindExtraInterface(REFIID riid) override
    {
        return IsEqualIID(riid, EventIid) ? static_cast<IDispatch*>(this) : nullptr;
    }
};

} // namespace qvtest

#include "app/CSchedulerCtrlEventSink.h"

#include "controls/ISchedulerCtrl.h"
#include "generic/VkPostedMessage.h"

const VkDispatchTable<CSchedulerCtrlEventSink>& CSchedulerCtrlEventSink::DispatchTable()
{
    static const VkDispatchTable<CSchedulerCtrlEventSink> table = VkDispatchTable<CSchedulerCtrlEventSink>().Method(
        DISPID_SC_ONLOGIN, "OnLogin", 0, 0, [](CSchedulerCtrlEventSink& sink, VkDispatchCall&) {
            // Posting is safe from any thread; the view acts when it arrives.
            if (QObject* view = sink.m_view.load())
                VkPostMessage(view, UWM_QUEUE_LOGIN);
            return S_OK;
        });
    return table;
}

void* CSchedulerCtrlEventSink::FindExtraInterface(REFIID riid)
{
    return IsEqualIID(riid, DIID__ISchedulerCtrlEvents) ? static_cast<IDispatch*>(this) : nullptr;
}

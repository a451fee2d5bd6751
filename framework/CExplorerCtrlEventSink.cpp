#include "framework/CExplorerCtrlEventSink.h"

#include "controls/IExplorerCtrl.h"
#include "generic/VkPostedMessage.h"

const VkDispatchTable<CExplorerCtrlEventSink>& CExplorerCtrlEventSink::DispatchTable()
{
    static const VkDispatchTable<CExplorerCtrlEventSink> table = VkDispatchTable<CExplorerCtrlEventSink>().Method(
        DISPID_EX_ONLOGIN, "OnLogin", 0, 0, [](CExplorerCtrlEventSink& sink, VkDispatchCall&) {
            // Posting is safe from any thread; the window asks the control
            // when the message arrives.
            if (QObject* receiver = sink.m_receiver.load())
                VkPostMessage(receiver, UWM_EXPLORER_LOGIN);
            return S_OK;
        });
    return table;
}

void* CExplorerCtrlEventSink::FindExtraInterface(REFIID riid)
{
    return IsEqualIID(riid, DIID__IExplorerCtrlEvents) ? static_cast<IDispatch*>(this) : nullptr;
}

#include "app/CQuillViewEventSink.h"

#include "generic/VkPostedMessage.h"
#include "gridview/IQuillView.h"

void CQuillViewEventSink::Post(UINT message)
{
    // Posting is safe from any thread; the view acts when it arrives.
    if (QObject* view = m_view.load())
        VkPostMessage(view, message);
}

const VkDispatchTable<CQuillViewEventSink>& CQuillViewEventSink::DispatchTable()
{
    using S = CQuillViewEventSink;
    static const VkDispatchTable<S> table =
        VkDispatchTable<S>()
            .Method(DISPID_QV_ONLOGIN, "OnLogin", 0, 0,
                    [](S& sink, VkDispatchCall&) {
                        sink.Post(UWM_GRID_LOGIN);
                        return S_OK;
                    })
            .Method(DISPID_QV_ONTITLECHANGE, "OnTitleChange", 0, 0, [](S& sink, VkDispatchCall&) {
                sink.Post(UWM_GRID_TITLE);
                return S_OK;
            });
    return table;
}

void* CQuillViewEventSink::FindExtraInterface(REFIID riid)
{
    return IsEqualIID(riid, DIID__IQuillViewEvents) ? static_cast<IDispatch*>(this) : nullptr;
}

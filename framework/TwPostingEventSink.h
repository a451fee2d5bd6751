#pragma once
// The receiver of a hosted control's events. Events may arrive on the
// control's worker thread, so the sink does nothing there but post one
// message per event to its receiver, which acts on the interface thread.
//
//   m_sink = TwPostingEventSink::Advise(unknown, DIID__IQuillViewEvents, this,
//                                       {{DISPID_QV_ONLOGIN, "OnLogin", UWM_GRID_LOGIN}});
//   ...
//   m_sink->Unadvise(unknown);

#include "platform/ComObject.h"
#include "platform/DispatchTable.h"

#include <QObject>

#include <atomic>
#include <vector>

class TwPostingEventSink final : public VkComObject<TwPostingEventSink, IDispatch> {
public:
    struct Post {
        DISPID event;
        const char* name;
        UINT message;
    };

    // A sink connected to source's `events` interface that posts to
    // receiver; null when source is null or offers no such events.
    static ComPtr<TwPostingEventSink> Advise(IUnknown* source, REFIID events, QObject* receiver,
                                             std::vector<Post> posts);
    // Stops posting at once, then disconnects from source (null when the
    // source is gone already).
    void Unadvise(IUnknown* source);
    DWORD Cookie() const { return m_cookie; }

    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excepInfo, UINT* argErr) override;

    // Cookie of a sink that is not connected.
    static constexpr DWORD kNoCookie = 0xFEFEFEFE;

protected:
    void* FindExtraInterface(REFIID riid) override;

private:
    TwPostingEventSink(REFIID events, QObject* receiver, const std::vector<Post>& posts);

    IID m_events;
    std::atomic<QObject*> m_receiver;
    VkDispatchTable<TwPostingEventSink> m_table;
    DWORD m_cookie = kNoCookie;
};

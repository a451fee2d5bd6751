#include "framework/TwPostingEventSink.h"

#include "generic/VkPostedMessage.h"
#include "platform/ConnectionPoint.h"

namespace {
constexpr UINT kMaxArguments = 32;
}

TwPostingEventSink::TwPostingEventSink(REFIID events, QObject* receiver, const std::vector<Post>& posts)
    : m_events(events), m_receiver(receiver)
{
    for (const Post& post : posts) {
        const UINT message = post.message;
        // Arguments are of no interest: the receiver asks the control.
        m_table.Method(post.event, post.name, 0, kMaxArguments, [message](TwPostingEventSink& sink, VkDispatchCall&) {
            // Posting is safe from any thread; the receiver acts when it arrives.
            if (QObject* receiver = sink.m_receiver.load())
                VkPostMessage(receiver, message);
            return S_OK;
        });
    }
}

ComPtr<TwPostingEventSink> TwPostingEventSink::Advise(IUnknown* source, REFIID events, QObject* receiver,
                                                      std::vector<Post> posts)
{
    if (!source)
        return nullptr;
    ComPtr<TwPostingEventSink> sink(new TwPostingEventSink(events, receiver, posts));
    DWORD cookie = 0;
    if (FAILED(VkAdvise(source, events, sink.Get(), &cookie)))
        return nullptr;
    sink->m_cookie = cookie;
    return sink;
}

void TwPostingEventSink::Unadvise(IUnknown* source)
{
    m_receiver = nullptr;
    if (source && m_cookie != kNoCookie)
        VkUnadvise(source, m_events, m_cookie);
    m_cookie = kNoCookie;
}

HRESULT TwPostingEventSink::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT TwPostingEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info)
        *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT TwPostingEventSink::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    return m_table.GetIDsOfNames(riid, names, count, ids);
}

HRESULT TwPostingEventSink::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr)
{
    return m_table.Invoke(this, id, riid, lcid, flags, params, result, excepInfo, argErr);
}

void* TwPostingEventSink::FindExtraInterface(REFIID riid)
{
    return IsEqualIID(riid, m_events) ? static_cast<IDispatch*>(this) : nullptr;
}

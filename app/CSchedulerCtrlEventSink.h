#pragma once
// The receiver of the scheduler control's events. OnLogin arrives on the
// control's worker thread, so the sink does nothing there but post
// UWM_QUEUE_LOGIN to its view; every other event is ignored.

#include "platform/ComObject.h"
#include "platform/DispatchTable.h"

#include <QObject>

#include <atomic>

// Posted by the sink to its view when a logon or log-off ended.
constexpr UINT UWM_QUEUE_LOGIN = 1724;

class CSchedulerCtrlEventSink final
    : public VkComObject<CSchedulerCtrlEventSink, VkDispatchImpl<CSchedulerCtrlEventSink, IDispatch>> {
public:
    static constexpr DWORD kSinkId = 100;
    // Cookie of a sink that is not advised.
    static constexpr DWORD kNoCookie = 0xFEFEFEFE;

    explicit CSchedulerCtrlEventSink(QObject* view) : m_view(view) {}

    static const VkDispatchTable<CSchedulerCtrlEventSink>& DispatchTable();
    // The view stops receiving (it is going).
    void Detach() { m_view = nullptr; }

protected:
    void* FindExtraInterface(REFIID riid) override;

private:
    std::atomic<QObject*> m_view;
};

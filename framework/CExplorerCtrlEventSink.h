#pragma once
// The receiver of the schema explorer control's events. OnLogin arrives on
// the explorer's worker thread, so the sink does nothing there but post
// UWM_EXPLORER_LOGIN to its tool window.

#include "platform/ComObject.h"
#include "platform/DispatchTable.h"

#include <QObject>

#include <atomic>

// Posted by the sink to the explorer tool window when a logon started or
// ended, or after a log-off.
constexpr UINT UWM_EXPLORER_LOGIN = 1824;

class CExplorerCtrlEventSink final
    : public VkComObject<CExplorerCtrlEventSink, VkDispatchImpl<CExplorerCtrlEventSink, IDispatch>> {
public:
    static constexpr DWORD kSinkId = 100;
    // Cookie of a sink that is not advised.
    static constexpr DWORD kNoCookie = 0xFEFEFEFE;

    explicit CExplorerCtrlEventSink(QObject* receiver) : m_receiver(receiver) {}

    static const VkDispatchTable<CExplorerCtrlEventSink>& DispatchTable();
    // The receiver stops receiving (it is going).
    void Detach() { m_receiver = nullptr; }

protected:
    void* FindExtraInterface(REFIID riid) override;

private:
    std::atomic<QObject*> m_receiver;
};

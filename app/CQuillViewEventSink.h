#pragma once
// The receiver of the SQL grid control's events: OnLogin posts
// UWM_GRID_LOGIN and OnTitleChange posts UWM_GRID_TITLE to its view, which
// acts on them on the interface thread whichever thread raised them.

#include "platform/ComObject.h"
#include "platform/DispatchTable.h"

#include <QObject>

#include <atomic>

// Posted by the sink to its view.
constexpr UINT UWM_GRID_LOGIN = 1725;
constexpr UINT UWM_GRID_TITLE = 1726;

class CQuillViewEventSink final : public VkComObject<CQuillViewEventSink, VkDispatchImpl<CQuillViewEventSink, IDispatch>> {
public:
    // Cookie of a sink that is not advised.
    static constexpr DWORD kNoCookie = 0xFEFEFEFE;

    explicit CQuillViewEventSink(QObject* view) : m_view(view) {}

    static const VkDispatchTable<CQuillViewEventSink>& DispatchTable();
    // The view stops receiving (it is going).
    void Detach() { m_view = nullptr; }

protected:
    void* FindExtraInterface(REFIID riid) override;

private:
    void Post(UINT message);

    std::atomic<QObject*> m_view;
};

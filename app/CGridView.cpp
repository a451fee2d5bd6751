#include "app/CGridView.h"

#include "app/CGridDoc.h"
#include "app/CQuillView.h"
#include "app/CQuillViewEventSink.h"
#include "gridview/IQuillView.h"
#include "platform/ConnectionPoint.h"

#include <QCoreApplication>
#include <QResizeEvent>

CGridView::CGridView(CGridDoc* doc, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_cookie(CQuillViewEventSink::kNoCookie)
{
    setObjectName(QStringLiteral("GridView"));
    auto* control = new CQuillView(this);
    control->setGeometry(0, 0, 300, 300);
    if (!control->Create()) {
        // The window stays empty; the document never gets a control.
        delete control;
        return;
    }
    m_control = control;
    m_control->show();
    Advise();
    m_control->SetExternalExplorer(0);
    if (m_doc)
        m_doc->SetControl(m_control);
}

CGridView::~CGridView()
{
    CloseControl();
}

void CGridView::Advise()
{
    ComPtr<IUnknown> unknown = m_control->GetIUnknown();
    if (!unknown)
        return;
    m_sink = ComPtr<CQuillViewEventSink>(new CQuillViewEventSink(this));
    DWORD cookie = 0;
    if (SUCCEEDED(VkAdvise(unknown.Get(), DIID__IQuillViewEvents, m_sink.Get(), &cookie)))
        m_cookie = cookie;
}

void CGridView::Unadvise()
{
    if (m_sink)
        m_sink->Detach();
    if (m_control && m_cookie != CQuillViewEventSink::kNoCookie)
        if (ComPtr<IUnknown> unknown = m_control->GetIUnknown())
            VkUnadvise(unknown.Get(), DIID__IQuillViewEvents, m_cookie);
    m_cookie = CQuillViewEventSink::kNoCookie;
    m_sink = nullptr;
}

void CGridView::CloseControl()
{
    if (!m_control)
        return;
    Unadvise();
    m_control->DestroyControl();
    // Notices still on their way find no one.
    QCoreApplication::removePostedEvents(this, static_cast<int>(UWM_GRID_LOGIN));
    QCoreApplication::removePostedEvents(this, static_cast<int>(UWM_GRID_TITLE));
}

bool CGridView::event(QEvent* event)
{
    const auto type = static_cast<UINT>(event->type());
    if (type == UWM_GRID_LOGIN || type == UWM_GRID_TITLE) {
        if (m_doc && m_control && m_control->HasControl())
            m_doc->UpdateTitle();
        return true;
    }
    return QWidget::event(event);
}

void CGridView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_control)
        m_control->setGeometry(rect());
}

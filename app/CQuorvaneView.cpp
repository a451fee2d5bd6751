#include "app/CQuorvaneView.h"

#include "app/CQuorvaneDoc.h"
#include "app/CSchedulerCtrl.h"
#include "controls/ISchedulerCtrl.h"
#include "framework/TwExplorerTool.h"
#include "framework/TwQuillApp.h"
#include "generic/VkPostedMessage.h"
#include "generic/VkWndRecord.h"
#include "platform/Archive.h"

#include <QCoreApplication>
#include <QResizeEvent>

CQuorvaneView::CQuorvaneView(CQuorvaneDoc* doc, QWidget* parent)
    : QWidget(parent), m_doc(doc)
{
    setObjectName(QStringLiteral("QuorvaneView"));
    auto* control = new CSchedulerCtrl(this);
    control->setGeometry(0, 0, 300, 300);
    if (!control->Create()) {
        // The window stays empty; the document never gets a control.
        delete control;
        return;
    }
    m_control = control;
    m_control->show();
    m_control->PostEventsTo(this, DIID__ISchedulerCtrlEvents, {{DISPID_SC_ONLOGIN, "OnLogin", UWM_QUEUE_LOGIN}});
    // The control only keeps it.
    TwExplorerTool* explorer = TwQuillApp::App() ? TwQuillApp::App()->ExplorerTool() : nullptr;
    m_control->SetExternalExplorer(explorer ? explorer->WindowHandle() : 0);
    if (m_doc)
        m_doc->SetControl(m_control);
}

CQuorvaneView::~CQuorvaneView()
{
    CloseControl();
}

CSchedulerCtrl* CQuorvaneView::Control() const
{
    return m_control;
}

void CQuorvaneView::CloseControl()
{
    if (!m_control)
        return;
    m_control->DestroyControl();
    // A login notice still on its way finds no one.
    QCoreApplication::removePostedEvents(this, static_cast<int>(UWM_QUEUE_LOGIN));
}

bool CQuorvaneView::event(QEvent* event)
{
    if (event->type() == static_cast<QEvent::Type>(UWM_QUEUE_LOGIN)) {
        if (m_doc && m_control && m_control->HasControl())
            m_doc->UpdateTitle(m_control->Connected() ? CQuorvaneDoc::TitleConnected : CQuorvaneDoc::TitleNotConnected);
        return true;
    }
    return QWidget::event(event);
}

void CQuorvaneView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_control) {
        m_control->setGeometry(rect());
        if (m_doc)
            m_doc->SetControl(m_control);
    }
}

void CQuorvaneView::Serialize(CArchive& ar)
{
    SerializeWnd(ar, this, true);
    // After a load the frame lays the control out again at its own size.
    if (ar.IsLoading() && parentWidget())
        QCoreApplication::postEvent(parentWidget(), new QEvent(QEvent::LayoutRequest));
}

#include "app/CGridView.h"

#include "app/CGridDoc.h"
#include "app/CQuillView.h"
#include "gridview/IQuillView.h"

#include <QCoreApplication>
#include <QResizeEvent>

CGridView::CGridView(CGridDoc* doc, QWidget* parent)
    : QWidget(parent), m_doc(doc)
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
    m_control->PostEventsTo(this, DIID__IQuillViewEvents,
                            {{DISPID_QV_ONLOGIN, "OnLogin", UWM_GRID_LOGIN},
                             {DISPID_QV_ONTITLECHANGE, "OnTitleChange", UWM_GRID_TITLE}});
    m_control->SetExternalExplorer(0);
    if (m_doc)
        m_doc->SetControl(m_control);
}

CGridView::~CGridView()
{
    CloseControl();
}

void CGridView::CloseControl()
{
    if (!m_control)
        return;
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

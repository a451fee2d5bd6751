#include "controls/CSchedulerMainDlg.h"

#include "controls/CJobListCtrl.h"
#include "controls/CJobListStatusCtrl.h"
#include "controls/QVCtrlStrings.h"
#include "generic/VkPostedMessage.h"

#include <QResizeEvent>

CSchedulerMainDlg::CSchedulerMainDlg(QWidget* parent)
    : QWidget(parent), m_list(new CJobListCtrl(this)), m_status(new CJobListStatusCtrl(this))
{
    m_list->SetStatusBar(m_status);
    // The children cover the whole window.
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(m_status, &CJobListStatusCtrl::reconnectRequested, this,
            [this] { VkPostMessage(this, SMD_RECONNECT); });
    resize(440, 360);
    Relayout();
}

QString CSchedulerMainDlg::HelpFile() const
{
    return QVCtrlString(IDS_JL_HELP_FILE);
}

QString CSchedulerMainDlg::HelpTopic() const
{
    return QVCtrlString(IDS_JL_HELP_TOPIC);
}

void CSchedulerMainDlg::ShowStatusBar(bool show)
{
    if (show == m_showStatusBar)
        return;
    m_showStatusBar = show;
    m_status->setVisible(show);
    Relayout();
}

void CSchedulerMainDlg::Relayout()
{
    const int bar = m_showStatusBar ? CJobListStatusCtrl::kHeight : 0;
    m_list->setGeometry(0, 0, width(), std::max(0, height() - bar));
    m_status->setGeometry(0, height() - CJobListStatusCtrl::kHeight, width(), CJobListStatusCtrl::kHeight);
}

void CSchedulerMainDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Relayout();
}

bool CSchedulerMainDlg::event(QEvent* event)
{
    if (auto* message = dynamic_cast<VkMessageEvent*>(event)) {
        if (message->Message() == SMD_RECONNECT) {
            m_list->Reconnect();
            return true;
        }
        if (message->Message() == SMD_RELAYOUT) {
            Relayout();
            return true;
        }
    }
    return QWidget::event(event);
}

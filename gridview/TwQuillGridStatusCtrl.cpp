#include "gridview/TwQuillGridStatusCtrl.h"

#include "framework/TwStatusImagePane.h"
#include "generic/VkDateFormat.h"

#include <QHBoxLayout>
#include <QLabel>

TwQuillGridStatusCtrl::TwQuillGridStatusCtrl(QWidget* parent)
    : QWidget(parent), m_text(new QLabel(this)), m_version(new QLabel(this)), m_time(new QLabel(this)),
      m_image(new TwStatusImagePane(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_version);
    layout->addWidget(m_time);
    layout->addWidget(m_image);
    m_image->SetImage(IDB_TW_NOT_CONNECTED);
    m_text->setTextFormat(Qt::PlainText);
    m_version->setTextFormat(Qt::PlainText);
    m_time->setTextFormat(Qt::PlainText);
}

void TwQuillGridStatusCtrl::ApplyStatus(const TwGridStatusRecord& status)
{
    const QString text = QString::fromStdString(status.m_text);
    m_text->setText(text);
    m_text->setToolTip(status.m_tip.empty() ? text : QString::fromStdString(status.m_tip));
    m_image->Apply(status);
}

LONG TwQuillGridStatusCtrl::Image() const
{
    return m_image->Image();
}

void TwQuillGridStatusCtrl::SetVersion(const std::string& version)
{
    m_version->setText(QString::fromStdString(version));
}

void TwQuillGridStatusCtrl::SetServerTime(DATE serverTime)
{
    if (serverTime == 0)
        return;
    m_time->setText(QString::fromStdString(VkDateFormat::FormatDateToShortDateFormat(serverTime, true) + " "
                                           + VkDateFormat::FormatDateToTimeFormat(serverTime, true)));
}

void TwQuillGridStatusCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (Image() == IDB_TW_NOT_CONNECTED)
        emit reconnectRequested();
    QWidget::mouseDoubleClickEvent(event);
}

QString TwQuillGridStatusCtrl::StatusText() const
{
    return m_text->text();
}

QString TwQuillGridStatusCtrl::StatusTip() const
{
    return m_text->toolTip();
}

QString TwQuillGridStatusCtrl::VersionText() const
{
    return m_version->text();
}

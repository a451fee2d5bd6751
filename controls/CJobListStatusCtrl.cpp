#include "controls/CJobListStatusCtrl.h"

#include "framework/TwStatusArt.h"
#include "controls/QVCtrlStrings.h"
#include "generic/VkDateFormat.h"

#include <QDateTime>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace {

const char* const kBlanks = "  ";

} // namespace

CJobListStatusCtrl::CJobListStatusCtrl(QWidget* parent) : QWidget(parent)
{
    setFixedHeight(kHeight);
    // Its window paints no background of its own (the children cover it):
    // the bar erases its own, or old texts and frames would show through.
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    const int widths[] = {150, 80, 60, 100};
    for (int i = 0; i < 4; ++i) {
        auto* pane = new QLabel(this);
        static const char* const names[] = {"statusText", "statusVersion", "statusTime", "statusImage"};
        pane->setObjectName(QString::fromLatin1(names[i]));
        pane->setFrameShape(QFrame::Panel);
        pane->setFrameShadow(QFrame::Sunken);
        pane->setMinimumWidth(widths[i]);
        if (i != PaneText)
            pane->setFixedWidth(widths[i]);
        layout->addWidget(pane, i == PaneText ? 1 : 0);
        m_panes.push_back(pane);
    }
    m_panes[PaneImage]->setAlignment(Qt::AlignCenter);
    m_panes[PaneImage]->installEventFilter(this);
    m_panes[PaneVersion]->setToolTip(QVCtrlString(IDS_JL_VERSION_TIP));
    m_panes[PaneTime]->setToolTip(QVCtrlString(IDS_JL_SERVER_TIME_TIP));
    m_animation.setInterval(kAnimationMs);
    connect(&m_animation, &QTimer::timeout, this, &CJobListStatusCtrl::AnimationStep);
    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, [this] { Tick(LocalNow()); });
    m_tick.start();
}

DATE CJobListStatusCtrl::LocalNow()
{
    const QDateTime now = QDateTime::currentDateTime();
    VkDateFormat::Parts parts;
    parts.year = now.date().year();
    parts.month = now.date().month();
    parts.day = now.date().day();
    parts.hour = now.time().hour();
    parts.minute = now.time().minute();
    parts.second = now.time().second();
    double date = 0;
    VkDateFormat::ToAutomationDate(parts, date);
    return date + now.time().msec() / 86400000.0;
}

QPixmap CJobListStatusCtrl::StatusImage(LONG image, int frames)
{
    return QPixmap::fromImage(TwStatusArt::Strip(image, frames));
}

void CJobListStatusCtrl::LoadFrames(LONG image, int frames)
{
    frames = std::max(1, frames);
    const QPixmap strip = StatusImage(image, frames);
    const int width = strip.width() / frames;
    m_frames.clear();
    for (int f = 0; f < frames; ++f)
        m_frames.push_back(strip.copy(f * width, 0, width, strip.height()));
    m_image = image;
    m_frame = 0;
    m_step = 1;
    m_panes[PaneImage]->setFixedWidth(width + 10);
}

void CJobListStatusCtrl::ApplyStatus(const CJobStatusRecord& status)
{
    if (status.m_image != IDB_TW_KEEP) {
        if (status.m_animate) {
            LoadFrames(status.m_image, status.m_frames);
            m_bounce = status.m_bounce;
            m_animation.start();
        } else {
            m_animation.stop();
            LoadFrames(status.m_image, 1);
        }
        ShowFrame();
    }
    const QString text = QString::fromStdString(status.m_text);
    m_panes[PaneText]->setText(text);
    m_panes[PaneText]->setToolTip(text);
    m_panes[PaneImage]->setToolTip(QString::fromStdString(status.m_tip));
}

void CJobListStatusCtrl::ShowFrame()
{
    if (m_frames.empty())
        m_panes[PaneImage]->clear();
    else
        m_panes[PaneImage]->setPixmap(m_frames[static_cast<size_t>(m_frame)]);
}

void CJobListStatusCtrl::AnimationStep()
{
    ShowFrame();
    const int count = FrameCount();
    if (count <= 1)
        return;
    if (m_bounce) {
        if (m_frame + m_step >= count || m_frame + m_step < 0)
            m_step = -m_step;
        m_frame += m_step;
    } else {
        m_frame = (m_frame + 1) % count;
    }
}

void CJobListStatusCtrl::SetVersion(const std::string& version)
{
    m_panes[PaneVersion]->setText(QVCtrlStrings().Format(IDS_JL_VERSION_PANE, version.c_str()).c_str() +
                                  QString(kBlanks));
}

void CJobListStatusCtrl::SetServerTime(DATE serverTime, DATE localNow)
{
    m_offset = localNow - serverTime;
    m_offsetKnown = true;
    Tick(localNow);
}

void CJobListStatusCtrl::Tick(DATE localNow)
{
    if (!m_offsetKnown)
        return;
    m_panes[PaneTime]->setText(QString::fromStdString(VkDateFormat::FormatDateToTimeFormat(localNow - m_offset)) +
                               kBlanks);
}

QString CJobListStatusCtrl::PaneTextOf(Pane pane) const
{
    return m_panes[pane]->text();
}

QString CJobListStatusCtrl::PaneTipOf(Pane pane) const
{
    return m_panes[pane]->toolTip();
}

int CJobListStatusCtrl::PaneWidth(Pane pane) const
{
    return m_panes[pane]->minimumWidth();
}

bool CJobListStatusCtrl::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_panes[PaneImage] && event->type() == QEvent::MouseButtonDblClick) {
        emit reconnectRequested();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

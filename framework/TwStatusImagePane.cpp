#include "framework/TwStatusImagePane.h"

#include "framework/TwStatusArt.h"

#include <algorithm>

TwStatusImagePane::TwStatusImagePane(QWidget* parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("statusImage"));
    setAlignment(Qt::AlignCenter);
    m_animation.setInterval(kFrameMs);
    connect(&m_animation, &QTimer::timeout, this, &TwStatusImagePane::Step);
}

void TwStatusImagePane::SetImage(LONG image, int frames, bool animate, bool bounce)
{
    if (image == IDB_TW_KEEP)
        return;
    frames = animate ? std::max(1, frames) : 1;
    const QPixmap strip = QPixmap::fromImage(TwStatusArt::Strip(image, frames));
    const int width = strip.width() / frames;
    m_frames.clear();
    for (int f = 0; f < frames; ++f)
        m_frames.push_back(strip.copy(f * width, 0, width, strip.height()));
    m_image = image;
    m_frame = 0;
    m_step = 1;
    m_bounce = bounce;
    setFixedWidth(width + 10);
    if (frames > 1)
        m_animation.start();
    else
        m_animation.stop();
    ShowFrame();
}

void TwStatusImagePane::Apply(const TwStatusRecord& status)
{
    if (status.m_image == IDB_TW_KEEP)
        return;
    SetImage(status.m_image, status.m_frames, status.m_animate, status.m_bounce);
    setToolTip(QString::fromStdString(status.m_tip));
}

void TwStatusImagePane::ShowFrame()
{
    if (m_frames.empty())
        clear();
    else
        setPixmap(m_frames[static_cast<size_t>(m_frame)]);
}

void TwStatusImagePane::Step()
{
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
    ShowFrame();
}

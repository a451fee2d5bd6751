#include "framework/TwStatusArt.h"

#include "framework/TwWorkerMessages.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

// A small database drum in the lower left part of the frame.
void DrawDrum(QPainter& p, const QColor& body)
{
    const QRectF box(1.5, 5.5, 9, 9.5);
    const qreal lid = 3;
    QPainterPath side;
    side.moveTo(box.left(), box.top() + lid / 2);
    side.lineTo(box.left(), box.bottom() - lid / 2);
    side.arcTo(QRectF(box.left(), box.bottom() - lid, box.width(), lid), 180, 180);
    side.lineTo(box.right(), box.top() + lid / 2);
    side.closeSubpath();
    p.setPen(QPen(body.darker(170), 1));
    p.setBrush(body);
    p.drawPath(side);
    p.setBrush(body.lighter(140));
    p.drawEllipse(QRectF(box.left(), box.top(), box.width(), lid));
    p.setPen(QPen(body.darker(140), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(box.left(), box.top() + 3.2, box.width(), lid), 180 * 16, 180 * 16);
}

void DrawTick(QPainter& p)
{
    QPen pen(QColor(0, 150, 0), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.drawPolyline(QPolygonF({QPointF(8.5, 7), QPointF(11, 10), QPointF(15, 2.5)}));
}

void DrawCross(QPainter& p)
{
    QPen pen(QColor(200, 0, 0), 2.4, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    p.drawLine(QPointF(9.5, 2), QPointF(14.5, 7));
    p.drawLine(QPointF(14.5, 2), QPointF(9.5, 7));
}

// Waves going out from the drum's top right: more of them frame by frame.
void DrawWaves(QPainter& p, int frame, int frames)
{
    const int count = 1 + (frames > 1 ? frame * 3 / std::max(1, frames - 1) : 3);
    for (int i = 0; i < std::min(count, 4); ++i) {
        const qreal r = 3 + i * 2.6;
        p.setPen(QPen(QColor(220, 150, 0), 1.4, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(8 - r, 7 - r, 2 * r, 2 * r), 10 * 16, 70 * 16);
    }
}

// A ring of four segments with one lit, turning frame by frame.
void DrawBusy(QPainter& p, int frame)
{
    const QRectF ring(8.5, 0.5, 7, 7);
    for (int i = 0; i < 4; ++i) {
        const bool lit = i == frame % 4;
        p.setPen(QPen(lit ? QColor(0, 110, 220) : QColor(170, 190, 215), lit ? 2.2 : 1.6, Qt::SolidLine,
                      Qt::FlatCap));
        p.drawArc(ring, (90 - i * 90 - 10) * 16, -70 * 16);
    }
}

void DrawWarning(QPainter& p)
{
    QPainterPath sign;
    sign.moveTo(8, 1);
    sign.lineTo(15, 14.5);
    sign.lineTo(1, 14.5);
    sign.closeSubpath();
    p.setPen(QPen(QColor(150, 110, 0), 1));
    p.setBrush(QColor(250, 205, 40));
    p.drawPath(sign);
    p.setPen(QPen(Qt::black, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 5.5), QPointF(8, 9.5));
    p.drawPoint(QPointF(8, 12.3));
}

} // namespace

QImage TwStatusArt::Frame(LONG image, int frame, int frames)
{
    QImage picture(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    switch (image) {
    case IDB_TW_NO_CLIENT:
        DrawWarning(p);
        break;
    case IDB_TW_CONNECTING:
        DrawDrum(p, QColor(120, 150, 190));
        DrawWaves(p, frame, frames);
        break;
    case IDB_TW_BUSY:
        DrawDrum(p, QColor(120, 150, 190));
        DrawBusy(p, frame);
        break;
    case IDB_TW_DONE:
        DrawDrum(p, QColor(120, 150, 190));
        DrawTick(p);
        break;
    case IDB_TW_NOT_CONNECTED:
        DrawDrum(p, QColor(150, 150, 150));
        DrawCross(p);
        break;
    default:
        DrawDrum(p, QColor(150, 150, 150));
        break;
    }
    return picture;
}

QImage TwStatusArt::Strip(LONG image, int frames)
{
    frames = std::max(1, frames);
    QImage strip(kSize * frames, kSize, QImage::Format_ARGB32_Premultiplied);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    for (int f = 0; f < frames; ++f)
        p.drawImage(f * kSize, 0, Frame(image, f, frames));
    return strip;
}

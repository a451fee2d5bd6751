#include "framework/TwArtwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

QImage TwAboutBitmap()
{
    QImage image(96, 96, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 96);
    sky.setColorAt(0, QColor(28, 52, 96));
    sky.setColorAt(1, QColor(58, 110, 170));
    p.setBrush(sky);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(2, 2, 92, 92), 14, 14);
    // A clock face over three stacked queue rows.
    p.setBrush(QColor(240, 244, 250));
    p.drawEllipse(QPointF(48, 38), 24, 24);
    p.setPen(QPen(QColor(28, 52, 96), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(48, 38), QPointF(48, 22));
    p.drawLine(QPointF(48, 38), QPointF(60, 44));
    p.setPen(Qt::NoPen);
    const QColor rows[] = {QColor(250, 190, 60), QColor(120, 200, 120), QColor(230, 100, 90)};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(rows[i]);
        p.drawRoundedRect(QRectF(18, 68 + i * 8, 60, 5), 2, 2);
    }
    return image;
}

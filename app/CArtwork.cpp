#include "app/CArtwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace {

// One palette for every icon so that the set reads as a family.
const QColor kInk(40, 56, 84);
const QColor kPaper(250, 250, 246);
const QColor kBlue(52, 112, 196);
const QColor kGreen(46, 150, 84);
const QColor kRed(204, 62, 54);
const QColor kAmber(232, 168, 40);

using Painter = std::function<void(QPainter&)>;

QPen InkPen(qreal width = 1.6)
{
    return QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Sheet(QPainter& p, const QRectF& r, const QColor& fill = kPaper)
{
    p.setPen(InkPen(1.2));
    p.setBrush(fill);
    p.drawRoundedRect(r, 1.5, 1.5);
}

void Rows(QPainter& p, qreal x, qreal y, int count, qreal width)
{
    p.setPen(QPen(kBlue, 1.6, Qt::SolidLine, Qt::FlatCap));
    for (int i = 0; i < count; ++i)
        p.drawLine(QPointF(x, y + i * 3), QPointF(x + width, y + i * 3));
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& colour)
{
    p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const QLineF line(to, from);
    QLineF a = line;
    a.setLength(4);
    a.setAngle(line.angle() + 35);
    QLineF b = line;
    b.setLength(4);
    b.setAngle(line.angle() - 35);
    p.drawLine(a);
    p.drawLine(b);
}

void Star(QPainter& p, QPointF c)
{
    p.setPen(QPen(kAmber, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-3, 0), c + QPointF(3, 0));
    p.drawLine(c + QPointF(0, -3), c + QPointF(0, 3));
    p.drawLine(c + QPointF(-2, -2), c + QPointF(2, 2));
    p.drawLine(c + QPointF(-2, 2), c + QPointF(2, -2));
}

void Cylinder(QPainter& p, const QRectF& r)
{
    p.setPen(InkPen(1.2));
    p.setBrush(QColor(214, 226, 244));
    QPainterPath body;
    body.moveTo(r.left(), r.top() + 2);
    body.lineTo(r.left(), r.bottom() - 2);
    body.arcTo(QRectF(r.left(), r.bottom() - 4, r.width(), 4), 180, 180);
    body.lineTo(r.right(), r.top() + 2);
    p.drawPath(body);
    p.drawEllipse(QRectF(r.left(), r.top(), r.width(), 4));
}

void Play(QPainter& p, QPointF at, qreal size)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    QPolygonF tri;
    tri << at << at + QPointF(size, size / 2) << at + QPointF(0, size);
    p.drawPolygon(tri);
}

void StopSquare(QPainter& p, const QRectF& r)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    p.drawRoundedRect(r, 1, 1);
}

void Refresh(QPainter& p, QPointF c, qreal r)
{
    p.setPen(QPen(kGreen, 2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 60 * 16, 280 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    QPolygonF head;
    const QPointF tip = c + QPointF(r * 0.5, -r * 0.87);
    head << tip + QPointF(-3.5, -2.5) << tip + QPointF(2.5, 0.5) << tip + QPointF(-2, 3);
    p.drawPolygon(head);
}

Painter PainterFor(UINT id)
{
    switch (id) {
    case 32818: // new palette
        return [](QPainter& p) {
            Sheet(p, QRectF(3, 2, 10, 13));
            Rows(p, 5, 6, 3, 6);
            Star(p, QPointF(13, 4));
        };
    case 32816: // open palette
        return [](QPainter& p) {
            p.setPen(InkPen(1.2));
            p.setBrush(kAmber);
            QPolygonF folder;
            folder << QPointF(1.5, 4) << QPointF(6, 4) << QPointF(7.5, 5.5) << QPointF(14.5, 5.5)
                   << QPointF(14.5, 14) << QPointF(1.5, 14);
            p.drawPolygon(folder);
            p.setBrush(QColor(248, 206, 110));
            QPolygonF flap;
            flap << QPointF(1.5, 14) << QPointF(4, 8) << QPointF(16, 8) << QPointF(14.5, 14);
            p.drawPolygon(flap);
        };
    case 32822: // save palette
        return [](QPainter& p) {
            p.setPen(InkPen(1.2));
            p.setBrush(kBlue);
            p.drawRoundedRect(QRectF(2, 2, 12, 12), 1.5, 1.5);
            p.setBrush(kPaper);
            p.drawRect(QRectF(4.5, 2, 7, 5));
            p.setBrush(QColor(214, 226, 244));
            p.drawRect(QRectF(4.5, 9.5, 7, 4.5));
        };
    case 57600: // connect new queue
        return [](QPainter& p) {
            Cylinder(p, QRectF(2, 3, 8, 11));
            p.setPen(QPen(kGreen, 2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(12.5, 5), QPointF(12.5, 12));
            p.drawLine(QPointF(9, 8.5), QPointF(16, 8.5));
        };
    case 57634: // copy
        return [](QPainter& p) {
            Sheet(p, QRectF(2, 2, 8, 10));
            Sheet(p, QRectF(6, 5, 8, 10));
            Rows(p, 8, 8, 3, 4);
        };
    case 57637: // paste
        return [](QPainter& p) {
            p.setPen(InkPen(1.2));
            p.setBrush(QColor(196, 150, 96));
            p.drawRoundedRect(QRectF(2, 3, 10, 12), 1.5, 1.5);
            p.setBrush(kInk);
            p.drawRect(QRectF(5, 1.5, 4, 3));
            Sheet(p, QRectF(7, 7, 7.5, 8));
            Rows(p, 9, 10, 2, 4);
        };
    case 32782: // delete
        return [](QPainter& p) {
            p.setPen(QPen(kRed, 2.4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(4, 4), QPointF(12, 12));
            p.drawLine(QPointF(12, 4), QPointF(4, 12));
        };
    case 1067: // schema explorer
        return [](QPainter& p) {
            p.setPen(InkPen(1.2));
            p.drawLine(QPointF(4, 4), QPointF(4, 13));
            p.drawLine(QPointF(4, 8.5), QPointF(8, 8.5));
            p.drawLine(QPointF(4, 13), QPointF(8, 13));
            p.setBrush(kAmber);
            p.drawRect(QRectF(2, 1.5, 4.5, 3.5));
            p.setBrush(kBlue);
            p.drawRect(QRectF(8, 6.5, 6, 4));
            p.drawRect(QRectF(8, 11, 6, 4));
        };
    case 32784: // auto tile
        return [](QPainter& p) {
            p.setPen(InkPen(1.2));
            p.setBrush(kPaper);
            p.drawRect(QRectF(1.5, 2.5, 6, 11));
            p.drawRect(QRectF(8.5, 2.5, 6, 11));
            p.setBrush(kBlue);
            p.drawRect(QRectF(1.5, 2.5, 6, 2.5));
            p.drawRect(QRectF(8.5, 2.5, 6, 2.5));
        };
    case 32771: // export
        return [](QPainter& p) {
            Sheet(p, QRectF(2, 2, 8, 12));
            Rows(p, 4, 6, 3, 4);
            Arrow(p, QPointF(8, 10), QPointF(15, 10), kGreen);
        };
    case 32772: // import
        return [](QPainter& p) {
            Sheet(p, QRectF(6, 2, 8, 12));
            Rows(p, 8, 6, 3, 4);
            Arrow(p, QPointF(1, 10), QPointF(9, 10), kBlue);
        };
    case 32775: // new job
        return [](QPainter& p) {
            p.setPen(InkPen(1.2));
            p.setBrush(kPaper);
            p.drawEllipse(QRectF(2, 3, 11, 11));
            p.drawLine(QPointF(7.5, 8.5), QPointF(7.5, 5));
            p.drawLine(QPointF(7.5, 8.5), QPointF(10, 9.5));
            Star(p, QPointF(13, 3.5));
        };
    case 32781: // modify job
        return [](QPainter& p) {
            Sheet(p, QRectF(2, 2, 9, 12));
            Rows(p, 4, 5, 2, 5);
            p.setPen(QPen(kAmber, 3, Qt::SolidLine, Qt::FlatCap));
            p.drawLine(QPointF(7, 13), QPointF(14, 6));
            p.setPen(QPen(kInk, 1.2));
            p.drawLine(QPointF(6, 14.5), QPointF(7, 13));
        };
    case 32779: // break
        return [](QPainter& p) {
            p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(2, 8), QPointF(6.5, 8));
            p.drawLine(QPointF(9.5, 8), QPointF(14, 8));
            p.setPen(QPen(kRed, 1.8, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(6.5, 4), QPointF(9.5, 12));
        };
    case 32778: // run
        return [](QPainter& p) { Play(p, QPointF(4, 2.5), 11); };
    case 32783: // stop
        return [](QPainter& p) { StopSquare(p, QRectF(3.5, 3.5, 9, 9)); };
    case 32774: // stop all
        return [](QPainter& p) {
            StopSquare(p, QRectF(1.5, 1.5, 8, 8));
            p.setPen(QPen(kPaper, 1));
            StopSquare(p, QRectF(6.5, 6.5, 8, 8));
            p.setPen(QPen(kPaper, 1));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(QRectF(6.5, 6.5, 8, 8), 1, 1);
        };
    case 133: // refresh
        return [](QPainter& p) { Refresh(p, QPointF(8, 8.5), 5); };
    case 141: // refresh all
        return [](QPainter& p) {
            Cylinder(p, QRectF(1.5, 7, 6, 8));
            Refresh(p, QPointF(10.5, 6.5), 4);
        };
    default:
        return {};
    }
}

QPixmap Render(const Painter& paint, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    paint(p);
    return pixmap;
}

QIcon IconFrom(const Painter& paint)
{
    QIcon icon;
    for (int size : {16, 24, 32, 48})
        icon.addPixmap(Render(paint, size));
    return icon;
}

} // namespace

QIcon QvToolBarIcon(UINT id)
{
    const Painter paint = PainterFor(id);
    return paint ? IconFrom(paint) : QIcon();
}

QIcon QvFrameIcon()
{
    return IconFrom([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
        p.setBrush(kPaper);
        p.drawEllipse(QRectF(3, 2, 10, 10));
        p.setPen(QPen(kInk, 1.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 7), QPointF(8, 3.8));
        p.drawLine(QPointF(8, 7), QPointF(10.5, 8));
        p.setPen(QPen(kAmber, 1.6, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(3, 13.8), QPointF(13, 13.8));
    });
}

QIcon QvQueueIcon()
{
    return IconFrom([](QPainter& p) {
        Cylinder(p, QRectF(1.5, 2, 7, 12));
        Rows(p, 10, 5, 3, 5);
    });
}

QImage QvSplashPicture(const QString& title, const QString& version)
{
    QImage image(420, 240, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient sky(0, 0, 0, 240);
    sky.setColorAt(0, QColor(22, 40, 74));
    sky.setColorAt(1, QColor(54, 98, 156));
    p.fillRect(image.rect(), sky);
    // A band of queue rows under a clock.
    p.setPen(Qt::NoPen);
    const QColor rows[] = {kAmber, kGreen, QColor(120, 170, 230), kRed, kGreen};
    for (int i = 0; i < 5; ++i) {
        p.setBrush(rows[i]);
        p.drawRoundedRect(QRectF(40, 150 + i * 13, 120 + (i * 37) % 90, 7), 3, 3);
    }
    p.setBrush(QColor(240, 244, 250));
    p.drawEllipse(QPointF(340, 80), 46, 46);
    p.setPen(QPen(QColor(22, 40, 74), 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(340, 80), QPointF(340, 48));
    p.drawLine(QPointF(340, 80), QPointF(364, 94));
    p.setPen(QColor(250, 250, 246));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(40);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(36, 40, 260, 56), Qt::AlignLeft | Qt::AlignVCenter, title);
    font.setPixelSize(14);
    font.setBold(false);
    p.setFont(font);
    p.drawText(QRectF(38, 96, 280, 24), Qt::AlignLeft | Qt::AlignVCenter, version);
    p.setPen(QPen(QColor(250, 250, 246, 120), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(image.rect().adjusted(0, 0, -1, -1));
    return image;
}

#include "framework/TwWorkArea.h"

#include <QGuiApplication>
#include <QScreen>

QRect TwFitToWorkArea(const QRect& rect)
{
    QScreen* screen = QGuiApplication::screenAt(rect.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return rect;
    const QRect work = screen->availableGeometry();
    QRect fitted(rect.topLeft(), rect.size().boundedTo(work.size()));
    if (fitted.right() > work.right())
        fitted.moveRight(work.right());
    if (fitted.bottom() > work.bottom())
        fitted.moveBottom(work.bottom());
    if (fitted.left() < work.left())
        fitted.moveLeft(work.left());
    if (fitted.top() < work.top())
        fitted.moveTop(work.top());
    return fitted;
}

#include "framework/TwSplashWnd.h"

#include "generic/VkPostedMessage.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

bool TwSplashWnd::s_enabled = true;
TwSplashWnd* TwSplashWnd::s_wnd = nullptr;
VkPicture TwSplashWnd::m_pic;

void TwSplashWnd::EnableSplashScreen(bool enable)
{
    s_enabled = enable;
}

TwSplashWnd::TwSplashWnd(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_parent(parent)
{
    setObjectName(QStringLiteral("TwSplashWnd"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setCursor(Qt::ArrowCursor);
    const QSize size = m_pic.IsLoaded() ? m_pic.Size() : QSize(320, 200);
    resize(size);
    // Centred over the parent's window rectangle; a parent not yet placed
    // (it is about to start maximized) counts as the work area.
    QRect over;
    if (parent && (parent->isVisible() || parent->testAttribute(Qt::WA_Resized)))
        over = parent->frameGeometry();
    if (over.isEmpty() && screen())
        over = screen()->availableGeometry();
    move(over.center() - QPoint(size.width() / 2, size.height() / 2));
    m_timerMs = kTimeoutMs;
    m_timer.start(m_timerMs, this);
}

TwSplashWnd::~TwSplashWnd()
{
    if (s_wnd == this)
        s_wnd = nullptr;
}

void TwSplashWnd::ShowSplashScreen(QWidget* parent)
{
    if (!s_enabled || s_wnd)
        return;
    s_wnd = new TwSplashWnd(parent);
    s_wnd->show();
    s_wnd->raise();
}

bool TwSplashWnd::PreTranslateAppMessage(QEvent* event)
{
    if (!s_wnd || s_wnd->m_hiding)
        return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Claimed so that no shortcut fires; the key press that follows
        // closes the splash.
        event->accept();
        return true;
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonDblClick:
        s_wnd->HideSplashScreen();
        return true;
    default:
        return false;
    }
}

void TwSplashWnd::HideSplashScreen()
{
    if (m_hiding)
        return;
    m_hiding = true;
    m_timer.stop();
    hide();
    if (s_wnd == this)
        s_wnd = nullptr;
    QWidget* main = m_parent.data();
    if (!main)
        main = QApplication::activeWindow();
    if (main) {
        main->update();
        VkPostMessage(main, UWM_SPLASH_CLOSED);
    }
    deleteLater();
}

void TwSplashWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_pic.Draw(painter, QPoint(0, 0)))
        painter.fillRect(rect(), palette().color(QPalette::Window));
}

void TwSplashWnd::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timer.timerId())
        HideSplashScreen();
    else
        QWidget::timerEvent(event);
}

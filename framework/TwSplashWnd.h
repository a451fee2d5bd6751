#pragma once
// The splash window: top-most, centred over the main frame, gone after five
// seconds or at the first key or mouse press anywhere in the program (which
// it consumes). Going away posts UWM_SPLASH_CLOSED to the main window.

#include "generic/VkPicture.h"
#include "platform/WinTypes.h"

#include <QBasicTimer>
#include <QPointer>
#include <QWidget>

class QEvent;

constexpr UINT UWM_SPLASH_CLOSED = 1468;

class TwSplashWnd : public QWidget {
    Q_OBJECT
public:
    static void EnableSplashScreen(bool enable);
    static bool IsSplashEnabled() { return s_enabled; }
    // Shows the splash over parent unless disabled or one already exists.
    static void ShowSplashScreen(QWidget* parent);
    // Offered every event first; true when it closed the splash and the
    // event must go no further.
    static bool PreTranslateAppMessage(QEvent* event);
    // The splash that exists now, or null.
    static TwSplashWnd* Instance() { return s_wnd; }

    static VkPicture m_pic;
    static constexpr int kTimeoutMs = 5000;

    int TimeoutMs() const { return m_timerMs; }
    // Hides, notifies the main window and deletes itself.
    void HideSplashScreen();

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    explicit TwSplashWnd(QWidget* parent);
    ~TwSplashWnd() override;

    static bool s_enabled;
    static TwSplashWnd* s_wnd;

    QPointer<QWidget> m_parent;
    QBasicTimer m_timer;
    int m_timerMs = 0;
    bool m_hiding = false;
};

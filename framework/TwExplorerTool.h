#pragma once
// The schema explorer tool window: a floating, resizable tool window owned
// by the main frame that hosts one explorer control with a connection of its
// own. It remembers its place, whether it was shown and its connection in
// the settings section "OrExp", logs its control on when shown, and keeps
// its caption in step with the control's connection. The control logs on
// on its worker; the window learns the outcome from OnLogin, through
// UWM_EXPLORER_LOGIN posted by its sink.

#include "framework/TwExplorerConnection.h"
#include "platform/WinTypes.h"

#include <QObject>
#include <QPointer>
#include <QRect>

// Posted by the sink to the tool window when a logon started or ended, or
// after a log-off.
constexpr UINT UWM_EXPLORER_LOGIN = 1824;

class QWidget;
class TwSettings;
namespace TwHost {
class CExplorerCtrl;
}

class TwExplorerTool : public QObject {
    Q_OBJECT

public:
    // The caption's connection states.
    enum ConnectionType { kConnected = 0, kNotConnected = 1, kConnecting = 2 };
    static constexpr int kDefaultWidth = 350;
    static constexpr int kDefaultHeight = 450;
    static constexpr int kMinimumSize = 150;
    // Where a first window goes from the main frame's top left corner.
    static constexpr int kOffsetRight = 40;
    static constexpr int kOffsetDown = 180;

    // owner: the main frame, which owns the window once it exists.
    explicit TwExplorerTool(QWidget* owner);
    ~TwExplorerTool() override;

    // Creates the window and its control unless they exist; true when the
    // window exists afterwards.
    bool PrepareCreate();
    // Hides a shown window, or shows it (creating it first) and logs the
    // control on when it is not connected; the new shown flag.
    bool ToggleShowState();
    // The user wants the window shown (the View menu's check mark).
    bool Visible() const { return m_shown; }
    // The main frame was resized: hides the shown window while the frame is
    // minimized and shows it again afterwards.
    void HandleMinimize(bool minimized);
    // load: reads the section and brings the window back as it was (only
    // while there is no window yet); otherwise writes the section.
    void SerializeSettings(bool load, TwSettings& settings);
    // Sets the caption for a ConnectionType.
    void SetConnectionTitle(int state);
    // Ends the control's work and destroys the window (the main frame is
    // closing); the shown flag and the connection stay for the settings.
    void Destroy();

    QWidget* Window() const { return m_window; }
    // The control's host window; null when the control could not be made.
    TwHost::CExplorerCtrl* Control() const;
    // The window's handle for the queue controls; 0 without a window.
    LONG WindowHandle() const;
    QRect WindowRect() const { return m_rect; }
    const TwExplorerConnection& SavedConnection() const { return m_saved; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shows the window and starts a logon when the control has none.
    void ShowAndLogon();
    // The control's logon has moved on: the caption follows.
    void OnLogin();
    void PlaceControl();

    QPointer<QWidget> m_owner;
    QPointer<QWidget> m_window;
    QPointer<TwHost::CExplorerCtrl> m_control;
    TwExplorerConnection m_saved;
    bool m_shown = false;
    QRect m_rect;
};

#pragma once
// The status bar under the job list: the status text, the server version,
// the estimated server time and an image pane that animates while the
// worker connects or reads. Everything it shows can be read back, and its
// timers can be stepped by hand, so that it is testable offscreen.

#include "controls/CJobQueueMessages.h"

#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <vector>

class QLabel;

class CJobListStatusCtrl : public QWidget {
    Q_OBJECT

public:
    enum Pane { PaneText = 0, PaneVersion = 1, PaneTime = 2, PaneImage = 3 };
    static constexpr int kAnimationMs = 200;
    static constexpr int kTickMs = 1000;
    static constexpr int kHeight = 20;

    explicit CJobListStatusCtrl(QWidget* parent = nullptr);

    void ApplyStatus(const CJobStatusRecord& status);
    void SetVersion(const std::string& version);
    // serverTime and localNow are automation dates.
    void SetServerTime(DATE serverTime, DATE localNow);
    // Shows the estimated server time; nothing until a server time came.
    void Tick(DATE localNow);
    // One step of the image animation.
    void AnimationStep();

    QString PaneTextOf(Pane pane) const;
    QString PaneTipOf(Pane pane) const;
    int PaneWidth(Pane pane) const;
    LONG Image() const { return m_image; }
    int FrameCount() const { return static_cast<int>(m_frames.size()); }
    int FrameIndex() const { return m_frame; }
    bool Animating() const { return m_animation.isActive(); }
    bool ServerTimeKnown() const { return m_offsetKnown; }

    // The local time as an automation date.
    static DATE LocalNow();
    // The frames of a status image, side by side in one strip.
    static QPixmap StatusImage(LONG image, int frames);

signals:
    // A double-click on the image pane: the user asks to reconnect.
    void reconnectRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LoadFrames(LONG image, int frames);
    void ShowFrame();

    std::vector<QLabel*> m_panes;
    std::vector<QPixmap> m_frames;
    LONG m_image = IDB_TW_KEEP;
    int m_frame = 0;
    int m_step = 1;
    bool m_bounce = false;
    double m_offset = 0; // days, local minus server
    bool m_offsetKnown = false;
    QTimer m_animation;
    QTimer m_tick;
};

#pragma once
// A status bar pane showing a worker's status image: one picture, or an
// animated strip of frames that wraps around or runs forward and back.

#include "framework/TwWorkerMessages.h"

#include <QLabel>
#include <QPixmap>
#include <QTimer>

#include <vector>

class TwStatusImagePane : public QLabel {
    Q_OBJECT

public:
    static constexpr int kFrameMs = 150;

    explicit TwStatusImagePane(QWidget* parent = nullptr);

    // Shows image (IDB_TW_KEEP changes nothing); animated with frames > 1.
    void SetImage(LONG image, int frames = 1, bool animate = false, bool bounce = false);
    // Applies the image part of a worker's status record, its tip included.
    void Apply(const TwStatusRecord& status);

    LONG Image() const { return m_image; }
    int FrameCount() const { return static_cast<int>(m_frames.size()); }
    int FrameIndex() const { return m_frame; }
    bool Animating() const { return m_animation.isActive(); }
    // The next frame at once (the animation timer calls it).
    void Step();

private:
    void ShowFrame();

    std::vector<QPixmap> m_frames;
    LONG m_image = IDB_TW_KEEP;
    int m_frame = 0;
    int m_step = 1;
    bool m_bounce = false;
    QTimer m_animation;
};

#pragma once
// The pictures of the status image panes (job list, SQL grid), drawn in
// code: a database drum with what is happening to it (connecting waves, a
// turning busy mark, a tick, a cross), and a warning sign for a missing
// client. An animated image is a strip of equal frames side by side.

#include "platform/WinTypes.h"

#include <QImage>

class TwStatusArt {
public:
    static constexpr int kSize = 16;

    // The strip of frames (at least one) of a status image; an unknown
    // image draws the plain drum.
    static QImage Strip(LONG image, int frames);
    // One frame of it.
    static QImage Frame(LONG image, int frame, int frames);
};

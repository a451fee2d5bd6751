#pragma once
// The program's pictures, drawn in code: one tool bar icon per command of
// the tool bar, the frame and queue window icons, and the splash picture.

#include "platform/WinTypes.h"

#include <QIcon>
#include <QImage>

// The tool bar icon of a command; null for commands without one.
QIcon QvToolBarIcon(UINT id);
// The main frame's icon (resource 128) and the queue windows' (20002).
QIcon QvFrameIcon();
QIcon QvQueueIcon();
// The splash picture (resource 132).
QImage QvSplashPicture(const QString& title, const QString& version);

#pragma once
// Fitting a window rectangle into the work area of its screen.

#include <QRect>

// rect moved (and shrunk if need be) into the work area of the screen that
// holds its centre (the primary screen when none does).
QRect TwFitToWorkArea(const QRect& rect);

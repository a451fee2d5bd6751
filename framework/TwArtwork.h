#pragma once
// Pictures of the framework, drawn rather than stored so that they scale
// and need no image files: the About box bitmap.

#include <QImage>

QImage TwAboutBitmap();

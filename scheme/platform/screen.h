#pragma once

#include <QRect>
#include <QSize>
#include <QString>

#include "scheme/platform/export.h"

namespace scheme {

// The primary screen's size in pixels; 1024 x 768 when there is no screen.
SCHEME_EXPORT QSize ScreenSize();

// The extent of Text as the screen lays it out: the application font, word-wrapped to the
// screen's width, a new line at every CR, LF or CR LF. The rectangle starts at (0, 0).
SCHEME_EXPORT QRect MeasureScreenText(const QString& Text);

}  // namespace scheme

#pragma once

#include <QSize>

#include "scheme/platform/export.h"

class QPdfWriter;

namespace scheme {

// Sets Writer up for one page of exactly Size points (a custom page size, matched exactly,
// never rounded to a standard one), no margins and a resolution of 72 dots per inch: one
// logical pixel painted on the writer is one point on the page, and the writer's paint area
// is Size pixels. What a TCanvas paints stays vector drawing, and its texts stay text.
SCHEME_EXPORT void SetUpPdfWriter(QPdfWriter& Writer, const QSize& Size);

}  // namespace scheme

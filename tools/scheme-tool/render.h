#pragma once

#include <QString>
#include <QtGlobal>

#include "scheme/platform/types.h"

namespace scheme {
class TSchemeData;
}

// --zoom takes values above 0 up to this.
inline constexpr scheme::Extended kMaxZoom = 1000;
// The most pixels a rendered image may have, over its whole area and on one side; larger
// drawings are refused before anything is allocated or painted.
inline constexpr qint64 kMaxImagePixels = 100'000'000;
inline constexpr int kMaxImageSide = 1'000'000;

// Paints the whole document, from the world origin to its farthest object, into a PNG or SVG
// file chosen by the file's extension. The file is replaced only once the whole image is
// written. Raises scheme::Exception when the name has another extension, when an object lies
// beyond the pixel range at this zoom, when the image would exceed the limits above, and when
// writing fails; the message says why.
void RenderDocument(scheme::TSchemeData& Data, const QString& FileName, scheme::Extended Zoom);

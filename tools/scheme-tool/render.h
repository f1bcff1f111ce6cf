#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

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

// What a view paints under the objects: a picture stretched from the world origin at the zoom,
// and a grid over the picture's area, its lines every Delta world units (0: no grid).
struct TBackground {
    QString PictureFile;
    scheme::Extended GridDeltaX = 0;
    scheme::Extended GridDeltaY = 0;
};

// Paints the whole document, from the world origin to its farthest object, into a PNG, SVG or
// PDF file chosen by the file's extension (a PDF page of exactly the drawing's size in points,
// SetUpPdfWriter). With a background the painting goes through a view,
// and the image also covers the picture at the zoom. The file is replaced only once the whole
// image is written. Raises scheme::Exception when the name has another extension, when the
// picture cannot be read, when an object lies beyond the pixel range at this zoom, when the
// image would exceed the limits above, and when writing fails; the message says why.
void RenderDocument(scheme::TSchemeData& Data, const QString& FileName, scheme::Extended Zoom,
                    const std::optional<TBackground>& Background = std::nullopt);

#pragma once

#include <QString>

#include "scheme/platform/types.h"

namespace scheme {
class TSchemeData;
}

// Paints the whole document, from the world origin to its farthest object, into a PNG or SVG
// file chosen by the file's extension. Raises scheme::Exception on failure.
void RenderDocument(scheme::TSchemeData& Data, const QString& FileName, scheme::Extended Zoom);

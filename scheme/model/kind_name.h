#pragma once

#include <QString>

#include "scheme/platform/export.h"

namespace scheme {

class TSchemeObject;

// The kind of an object in words, as a user reads it: "Shape", "Polygon", "Embedded picture".
// A kind the library does not know is named from its class: the class name without its "T"
// and "TScheme" prefix, its words split and only the first capitalised ("TMyGauge" is
// "My gauge").
SCHEME_EXPORT QString KindName(const TSchemeObject& Obj);
SCHEME_EXPORT QString KindNameOfClass(const QString& ClassName);

}  // namespace scheme

#pragma once

#include <QByteArray>
#include <QIODevice>
#include <optional>

#include "scheme/platform/export.h"

namespace scheme {

// Reads the rest of Stream in pieces, never holding more than Limit bytes: nothing when the
// stream holds more than that. A file that fails while it is read raises Exception with the
// device's error text, so that its first part is never taken for the whole.
SCHEME_EXPORT std::optional<QByteArray> ReadAtMost(QIODevice& Stream, qint64 Limit);

}  // namespace scheme

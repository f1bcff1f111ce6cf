#pragma once

#include <functional>

#include "scheme/platform/export.h"

namespace scheme {

// The system's warning sound. Type 0 is the default sound, 0xFFFF the simple beep; both play
// Qt's beep unless a handler has been installed.
SCHEME_EXPORT void MessageBeep(unsigned Type);

using TMessageBeepHandler = std::function<void(unsigned Type)>;
// Installs Handler in place of the sound (an empty one restores it) and answers the previous.
SCHEME_EXPORT TMessageBeepHandler SetMessageBeepHandler(TMessageBeepHandler Handler);

}  // namespace scheme

#pragma once

#include "scheme/platform/export.h"

namespace scheme {

// Installs the application's error handler of a program with windows: an error's message shows
// in a message box over the active window, titled with the application's name, once the event
// loop is free again (so that the handler may run inside any event handler); EAbort stays
// silent.
SCHEME_EXPORT void InstallErrorMessageBox();

}  // namespace scheme

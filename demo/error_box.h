#pragma once

namespace tarsel {

// Makes the application's error handler show every error in a message box with the error's
// message (silent aborts stay silent). The box opens once the event that failed has been
// handled, so a failing mouse or key handler never runs a nested event loop.
void InstallErrorBox();

}  // namespace tarsel

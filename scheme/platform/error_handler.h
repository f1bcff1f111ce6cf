#pragma once

#include <exception>
#include <functional>

#include "scheme/platform/export.h"

namespace scheme {

// The one place where errors end that have no caller to go to: errors raised by handlers that
// run inside destructors, timer ticks and (in the widget layer) Qt's event handlers, which Qt
// cannot carry through its event loop.
//
// The default handler writes the error's message to standard error as a warning and stays
// silent for EAbort. Programs with windows install one that shows a message box; tests install
// one that records what arrived.
using TExceptionHandler = std::function<void(const std::exception& E)>;

// Installs Handler (an empty one restores the default) and answers the previous handler.
SCHEME_EXPORT TExceptionHandler SetExceptionHandler(TExceptionHandler Handler);

// Hands the exception that is being handled to the application's handler. Call it only inside
// a catch block. Never throws: an error raised by the handler itself is dropped with a warning.
SCHEME_EXPORT void HandleException() noexcept;

// Runs Action and hands anything it raises to the application's handler.
template <class F>
void RunGuarded(F&& Action) noexcept {
    try {
        Action();
    } catch (...) {
        HandleException();
    }
}

}  // namespace scheme

#include "scheme/platform/error_handler.h"

#include <QtGlobal>
#include <utility>

#include "scheme/platform/exceptions.h"

namespace scheme {

namespace {

void DefaultHandler(const std::exception& E) {
    if (dynamic_cast<const EAbort*>(&E)) return;
    qWarning("%s", E.what());
}

TExceptionHandler& CurrentHandler() {
    static TExceptionHandler Handler;
    return Handler;
}

}  // namespace

TExceptionHandler SetExceptionHandler(TExceptionHandler Handler) {
    return std::exchange(CurrentHandler(), std::move(Handler));
}

void HandleException() noexcept {
    try {
        try {
            throw;
        } catch (const std::exception& E) {
            if (CurrentHandler())
                CurrentHandler()(E);
            else
                DefaultHandler(E);
        } catch (...) {
            const Exception Unknown(QStringLiteral("Unknown error"));
            if (CurrentHandler())
                CurrentHandler()(Unknown);
            else
                DefaultHandler(Unknown);
        }
    } catch (...) {
        qWarning("The error handler failed while handling an error");
    }
}

}  // namespace scheme

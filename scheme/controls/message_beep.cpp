#include "scheme/controls/message_beep.h"

#include <QApplication>

namespace scheme {

namespace {

TMessageBeepHandler& Handler() {
    static TMessageBeepHandler Installed;
    return Installed;
}

}  // namespace

void MessageBeep(unsigned Type) {
    if (Handler())
        Handler()(Type);
    else
        QApplication::beep();
}

TMessageBeepHandler SetMessageBeepHandler(TMessageBeepHandler NewHandler) {
    return std::exchange(Handler(), std::move(NewHandler));
}

}  // namespace scheme

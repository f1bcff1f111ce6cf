#include "scheme/view/error_message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>

#include "scheme/platform/error_handler.h"
#include "scheme/platform/exceptions.h"

namespace scheme {

void InstallErrorMessageBox() {
    SetExceptionHandler([](const std::exception& E) {
        if (dynamic_cast<const EAbort*>(&E)) return;
        const auto* Own = dynamic_cast<const Exception*>(&E);
        const QString Text = Own ? Own->Message() : QString::fromLocal8Bit(E.what());
        QMetaObject::invokeMethod(
            qApp,
            [Text] {
                QMessageBox::critical(QApplication::activeWindow(), qApp->applicationDisplayName(),
                                      Text);
            },
            Qt::QueuedConnection);
    });
}

}  // namespace scheme

#include "error_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>

#include "scheme/platform/error_handler.h"
#include "scheme/platform/exceptions.h"

namespace tarsel {

void InstallErrorBox() {
    scheme::SetExceptionHandler([](const std::exception& E) {
        if (dynamic_cast<const scheme::EAbort*>(&E)) return;
        const auto* Own = dynamic_cast<const scheme::Exception*>(&E);
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

}  // namespace tarsel

// Component references ("Form.ImageList") resolve over the application's forms. The core sees no
// widgets, so the widget layer hands it the application's top-level windows as soon as the
// library is loaded.
#include <QApplication>
#include <QWidget>

#include "scheme/platform/component_roots.h"
#include "scheme/view/hint_window.h"

namespace scheme {

namespace {

QList<QObject*> TopLevelWindows() {
    QList<QObject*> Forms;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return Forms;
    for (QWidget* Window : QApplication::topLevelWidgets())
        if (!qobject_cast<THintWindow*>(Window)) Forms.append(Window);
    return Forms;
}

const bool GFormsProviderInstalled = [] {
    SetFormsProvider(TopLevelWindows);
    return true;
}();

}  // namespace

}  // namespace scheme

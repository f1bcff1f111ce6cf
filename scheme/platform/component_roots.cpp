#include "scheme/platform/component_roots.h"

#include <QPointer>

namespace scheme {

namespace {

TFormsProvider& FormsProvider() {
    static TFormsProvider Provider;
    return Provider;
}

QList<QPointer<QObject>>& DataModules() {
    static QList<QPointer<QObject>> Modules;
    return Modules;
}

}  // namespace

void SetFormsProvider(TFormsProvider Provider) {
    FormsProvider() = std::move(Provider);
}

QList<QObject*> ApplicationForms() {
    QList<QObject*> Forms = FormsProvider() ? FormsProvider()() : QList<QObject*>();
    Forms.removeAll(nullptr);
    return Forms;
}

void RegisterDataModule(QObject* Module) {
    if (!Module || DataModules().contains(Module)) return;
    DataModules().append(Module);
}

void UnregisterDataModule(QObject* Module) {
    DataModules().removeAll(Module);
}

QList<QObject*> ApplicationDataModules() {
    DataModules().removeAll(nullptr);
    QList<QObject*> Modules;
    for (const QPointer<QObject>& Module : DataModules()) Modules.append(Module.data());
    return Modules;
}

}  // namespace scheme

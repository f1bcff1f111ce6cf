#pragma once

#include <QList>
#include <QObject>
#include <functional>

#include "scheme/platform/export.h"

namespace scheme {

// The application's named component roots, over which component references are resolved:
// its forms, then its data modules. The core sees no windows, so whoever owns the forms (the
// view layer: its top-level widgets) supplies them through a provider; data modules are
// non-visual QObjects registered here and drop out when destroyed. GUI thread only.
using TFormsProvider = std::function<QList<QObject*>()>;

// Replaces the provider; an empty one means the application has no forms.
SCHEME_EXPORT void SetFormsProvider(TFormsProvider Provider);
// The forms in the provider's order, without null entries.
SCHEME_EXPORT QList<QObject*> ApplicationForms();

// Registering a module twice keeps one entry; null is ignored.
SCHEME_EXPORT void RegisterDataModule(QObject* Module);
SCHEME_EXPORT void UnregisterDataModule(QObject* Module);
// The live data modules in registration order.
SCHEME_EXPORT QList<QObject*> ApplicationDataModules();

}  // namespace scheme

#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "scheme/model/persistent.h"
#include "scheme/platform/export.h"

namespace scheme {

// A registered persistent class: its name and its record constructor.
struct SCHEME_EXPORT TSchemeClass {
    using TFactory = std::unique_ptr<TSchemePersistent> (*)(QStringList& Strings);

    QString Name;
    TFactory Factory = nullptr;

    // Builds a new instance from one record's lines.
    std::unique_ptr<TSchemePersistent> Create(QStringList& Strings) const {
        return Factory(Strings);
    }
};

// A class reference: stays valid for the life of the process.
using TSchemePersistentClass = const TSchemeClass*;

// Adds (Name, Factory) to the process-wide registry unless a class of that name (letter case
// ignored) is already there. Safe from any thread.
SCHEME_EXPORT void RegisterScheme(const QString& Name, TSchemeClass::TFactory Factory);

template <class T>
void RegisterScheme() {
    RegisterScheme(T::StaticClassName(),
                   [](QStringList& Strings) -> std::unique_ptr<TSchemePersistent> {
                       return std::make_unique<T>(Strings);
                   });
}

// True when Name (letter case ignored) is registered.
SCHEME_EXPORT bool RegistredSchemeClass(const QString& Name);
// The class registered under Name; raises ESchemeErrorException
// "Sorry... No class found!" + carriage return + Name when there is none.
SCHEME_EXPORT TSchemePersistentClass FindSchemeClass(const QString& Name);
// The registered names in registration order.
SCHEME_EXPORT QStringList RegisteredSchemeClassNames();

}  // namespace scheme

#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <new>
#include <type_traits>
#include <typeinfo>

#include "scheme/model/persistent.h"
#include "scheme/platform/export.h"

namespace scheme {

// A registered persistent class: its name and its record constructor.
struct SCHEME_EXPORT TSchemeClass {
    using TFactory = std::unique_ptr<TSchemePersistent> (*)(QStringList& Strings);
    using TRecordFactory = std::unique_ptr<TSchemePersistent> (*)(const record::TRecord& Record);
    using TRebuild = void (*)(void* At, QStringList& Strings);

    QString Name;
    TFactory Factory = nullptr;
    // The constructor from a parsed record, for classes that have one.
    TRecordFactory RecordFactory = nullptr;
    // For classes registered by their type: the type, and its record constructor run on the
    // storage of an instance that was destroyed, so that an item can be rebuilt from its record
    // where it is (the undo history restores objects in place).
    const std::type_info* Type = nullptr;
    TRebuild Rebuild = nullptr;

    // Builds a new instance from one record's lines.
    std::unique_ptr<TSchemePersistent> Create(QStringList& Strings) const {
        return Factory(Strings);
    }
    // Builds a new instance from a parsed record: with the record constructor when the class
    // has one, else with the one from lines, given the record's lines.
    std::unique_ptr<TSchemePersistent> Create(const record::TRecord& Record) const;
};

// A class reference: stays valid for the life of the process.
using TSchemePersistentClass = const TSchemeClass*;

// Adds (Name, Factory) to the process-wide registry unless a class of that name (letter case
// ignored) is already there. Safe from any thread.
SCHEME_EXPORT void RegisterScheme(const QString& Name, TSchemeClass::TFactory Factory,
                                  TSchemeClass::TRecordFactory RecordFactory = nullptr);
// The same with every part of the entry given.
SCHEME_EXPORT void RegisterScheme(const TSchemeClass& Class);

template <class T>
void RegisterScheme() {
    TSchemeClass::TRecordFactory RecordFactory = nullptr;
    // Only a class's own record constructor reads its whole record: one a class inherits knows
    // nothing of the lines the class's own constructor from lines reads.
    if constexpr (requires { typename T::TRecordKind; }) {
        if constexpr (std::is_same_v<typename T::TRecordKind, T>)
            RecordFactory =
                [](const record::TRecord& Record) -> std::unique_ptr<TSchemePersistent> {
                return std::make_unique<T>(Record);
            };
    }
    RegisterScheme(TSchemeClass{T::StaticClassName(),
                                [](QStringList& Strings) -> std::unique_ptr<TSchemePersistent> {
                                    return std::make_unique<T>(Strings);
                                },
                                RecordFactory, &typeid(T),
                                [](void* At, QStringList& Strings) { new (At) T(Strings); }});
}

// True when Name (letter case ignored) is registered.
SCHEME_EXPORT bool RegistredSchemeClass(const QString& Name);
// The class registered under Name; raises ESchemeErrorException
// "Sorry... No class found!" + carriage return + Name when there is none.
SCHEME_EXPORT TSchemePersistentClass FindSchemeClass(const QString& Name);
// The registered names in registration order.
SCHEME_EXPORT QStringList RegisteredSchemeClassNames();

}  // namespace scheme

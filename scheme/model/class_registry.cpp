#include "scheme/model/class_registry.h"

#include <mutex>
#include <vector>

#include "scheme/model/record.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/string_list.h"

namespace scheme {

TSchemePersistent::~TSchemePersistent() = default;
ISchemeData::~ISchemeData() = default;

void ISchemeData::LayerIdChanged(TSchemeLayer* /*ALayer*/, int /*AOldId*/) {}

namespace {

struct TRegistry {
    std::mutex Lock;
    // Entries are never removed, so class references stay valid.
    std::vector<std::unique_ptr<TSchemeClass>> Classes;

    TSchemeClass* FindLocked(const QString& Name) {
        for (auto& Class : Classes)
            if (Class->Name.compare(Name, Qt::CaseInsensitive) == 0) return Class.get();
        return nullptr;
    }
};

// Created on first use, so that start-up code of any module may register in any order.
TRegistry& Registry() {
    static TRegistry Instance;
    return Instance;
}

}  // namespace

void RegisterScheme(const QString& Name, TSchemeClass::TFactory Factory,
                    TSchemeClass::TRecordFactory RecordFactory) {
    RegisterScheme(TSchemeClass{Name, Factory, RecordFactory});
}

void RegisterScheme(const TSchemeClass& Class) {
    TRegistry& R = Registry();
    std::lock_guard Guard(R.Lock);
    if (R.FindLocked(Class.Name)) return;
    R.Classes.push_back(std::make_unique<TSchemeClass>(Class));
}

std::unique_ptr<TSchemePersistent> TSchemeClass::Create(const record::TRecord& Record) const {
    if (RecordFactory) return RecordFactory(Record);
    // The constructor from lines is watched: the lines it found count as read in Record.
    QStringList Lines = Record.Lines();
    std::unique_ptr<TSchemePersistent> Item;
    {
        TLineReadWatch Watch(Lines);
        Item = Factory(Lines);
        for (qsizetype I = 0; I < Record.Size(); ++I)
            if (Watch.WasRead(I)) Record.MarkRead(I, I + 1);
    }
    return Item;
}

void TSchemePersistent::WriteTo(record::TRecordWriter& Writer) const {
    const std::type_info* Own = RecordClass();
    const std::type_info& Type = typeid(*this);
    if (Own && (Own == &Type || *Own == Type))
        WriteRecord(Writer);
    else
        TSchemePersistent::WriteRecord(Writer);
}

void TSchemePersistent::WriteRecord(record::TRecordWriter& Writer) const {
    QStringList Lines;
    SaveToStrings(Lines);
    Writer.WriteLines(Lines);
}

bool RegistredSchemeClass(const QString& Name) {
    TRegistry& R = Registry();
    std::lock_guard Guard(R.Lock);
    return R.FindLocked(Name) != nullptr;
}

TSchemePersistentClass FindSchemeClass(const QString& Name) {
    TRegistry& R = Registry();
    std::lock_guard Guard(R.Lock);
    if (const TSchemeClass* Class = R.FindLocked(Name)) return Class;
    RaiseError(QStringLiteral("Sorry... No class found!\r") + Name);
}

QStringList RegisteredSchemeClassNames() {
    TRegistry& R = Registry();
    std::lock_guard Guard(R.Lock);
    QStringList Names;
    for (const auto& Class : R.Classes) Names.append(Class->Name);
    return Names;
}

}  // namespace scheme

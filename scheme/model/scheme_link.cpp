#include "scheme/model/scheme_link.h"

#include <algorithm>

#include "scheme/model/record.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_object.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/string_list.h"

namespace scheme {

namespace {

void WriteSide(QStringList& Strings, const QString& Side, const TSchemeObject* Obj, int LinkType) {
    if (!Obj) return;
    record::WriteInt(Strings, QString(Side + QLatin1String("LinkType")), LinkType);
    record::WriteInt(Strings, QString(Side + QLatin1String("Id")), Obj->Id());
    if (Obj->Layer())
        record::WriteInt(Strings, QString(Side + QLatin1String("LayerId")), Obj->Layer()->ID());
}

}  // namespace

TSchemeLink::TSchemeLink(TSchemeObject* Parent, int ParentLinkType, TSchemeObject* Child,
                         int ChildLinkType)
    : FParent(Parent),
      FParentLinkType(ParentLinkType),
      FChild(Child),
      FChildLinkType(ChildLinkType) {}

TSchemeLink::TSchemeLink(QStringList& Strings) {
    TrimLines(Strings);
    if (auto V = record::OptFlag(Strings, u"Enabled")) FEnabled = *V;
    if (auto V = record::OptInt(Strings, u"ParentLinkType")) FParentLinkType = *V;
    if (auto V = record::OptInt(Strings, u"ChildLinkType")) FChildLinkType = *V;
}

TSchemeLink::~TSchemeLink() {
    LeaveList();
}

void TSchemeLink::SaveToStrings(QStringList& Strings) const {
    if (!FEnabled) record::WriteInt(Strings, u"Enabled", 0);
    WriteSide(Strings, QStringLiteral("Parent"), FParent, FParentLinkType);
    WriteSide(Strings, QStringLiteral("Child"), FChild, FChildLinkType);
}

void TSchemeLink::SetParent(TSchemeObject* Value) {
    CheckUnlisted();
    FParent = Value;
}

void TSchemeLink::SetChild(TSchemeObject* Value) {
    CheckUnlisted();
    FChild = Value;
}

void TSchemeLink::CheckUnlisted() const {
    if (FLinkList)
        RaiseError(
            QStringLiteral("TSchemeLink : Can't change the objects of a link in a document"));
}

void TSchemeLink::SetLinkList(TSchemeLinkList* List) {
    if (List == FLinkList) return;
    LeaveList();
    FLinkList = List;
}

void TSchemeLink::LeaveListAt(size_t Index) {
    if (FLinkList && Index < FLinkList->size() && (*FLinkList)[Index] == this)
        (*FLinkList)[Index] = nullptr;
    else
        LeaveList();
    FLinkList = nullptr;
}

void TSchemeLink::LeaveList() {
    if (!FLinkList) return;
    const auto It = std::find(FLinkList->begin(), FLinkList->end(), this);
    if (It != FLinkList->end()) *It = nullptr;
}

}  // namespace scheme

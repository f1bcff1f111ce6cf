#include "scheme/model/scheme_link.h"

#include <algorithm>
#include <string>

#include "scheme/model/record.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_object.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/string_list.h"

namespace scheme {

namespace {

void WriteSide(record::TRecordWriter& Writer, const std::string& Side, const TSchemeObject* Obj,
               int LinkType) {
    if (!Obj) return;
    Writer.WriteInt(Side + "LinkType", LinkType);
    Writer.WriteInt(Side + "Id", Obj->Id());
    if (Obj->Layer()) Writer.WriteInt(Side + "LayerId", Obj->Layer()->ID());
}

}  // namespace

TSchemeLink::TSchemeLink(TSchemeObject* Parent, int ParentLinkType, TSchemeObject* Child,
                         int ChildLinkType)
    : FParent(Parent),
      FParentLinkType(ParentLinkType),
      FChild(Child),
      FChildLinkType(ChildLinkType) {}

TSchemeLink::TSchemeLink(QStringList& Strings)
    : TSchemeLink(record::TRecord(record::TrimmedRecord(Strings))) {}

TSchemeLink::TSchemeLink(const record::TRecord& Record) {
    if (auto V = Record.OptFlag("Enabled")) FEnabled = *V;
    if (auto V = Record.OptInt("ParentLinkType")) FParentLinkType = *V;
    if (auto V = Record.OptInt("ChildLinkType")) FChildLinkType = *V;
}

TSchemeLink::~TSchemeLink() {
    LeaveList();
}

void TSchemeLink::SaveToStrings(QStringList& Strings) const {
    record::TRecordWriter Writer(Strings);
    WriteRecord(Writer);
}

void TSchemeLink::WriteRecord(record::TRecordWriter& Writer) const {
    if (!FEnabled) Writer.WriteInt("Enabled", 0);
    WriteSide(Writer, "Parent", FParent, FParentLinkType);
    WriteSide(Writer, "Child", FChild, FChildLinkType);
}

int TSchemeLink::ResolvedType(int ALinkType, const TSchemeObject& AObject) {
    return ALinkType == kLastPoint ? AObject.Count() - 1 : ALinkType;
}

TPointExt TSchemeLink::LinkedPoint(int ALinkType, const TSchemeObject& AObject) {
    const int Type = ResolvedType(ALinkType, AObject);
    if (Type >= 0) return AObject.GetPointsExt(std::min(Type, std::max(AObject.Count() - 1, 0)));
    if (AObject.Count() <= 0) return PointExt(0, 0);
    TPointExt Low = AObject.GetPointsExt(0), High = Low;
    for (int I = 1; I < AObject.Count(); ++I) {
        const TPointExt P = AObject.GetPointsExt(I);
        Low = PointExt(std::min(Low.X, P.X), std::min(Low.Y, P.Y));
        High = PointExt(std::max(High.X, P.X), std::max(High.Y, P.Y));
    }
    return PointExt((Low.X + High.X) / 2, (Low.Y + High.Y) / 2);
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

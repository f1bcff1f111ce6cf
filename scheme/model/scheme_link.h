#pragma once

#include <QStringList>
#include <vector>

#include "scheme/model/persistent.h"

namespace scheme {

class TSchemeObject;
class TSchemeLink;

// The document's list of links. A link that leaves it empties its entry instead of removing
// it, so positions stay stable while the document walks the list.
using TSchemeLinkList = std::vector<TSchemeLink*>;

// Ties a point of a parent object to a point of a child object: when the parent's point moves,
// the document moves the child's point with it. A link type of 0 or more is a point index, 100
// the object's last point, -1 the object as a whole; other negative values name no point.
class SCHEME_EXPORT TSchemeLink : public TSchemePersistent {
    SCHEME_RECORD_CLASS(TSchemeLink)

public:
    static constexpr int kLastPoint = 100;
    static constexpr int kNoType = -100;

    // The link type ALinkType with kLastPoint resolved on AObject: its last point's index;
    // any other type as it is.
    static int ResolvedType(int ALinkType, const TSchemeObject& AObject);
    // Where a link of type ALinkType meets AObject (world units): point ALinkType (resolved,
    // and clamped to the object's points) for a type of 0 or more, else the centre of the
    // bounding box of the object's points.
    static TPointExt LinkedPoint(int ALinkType, const TSchemeObject& AObject);

    TSchemeLink(TSchemeObject* Parent, int ParentLinkType, TSchemeObject* Child, int ChildLinkType);
    // Reads the enabled flag and the link types; the document resolves the objects.
    explicit TSchemeLink(QStringList& Strings);
    explicit TSchemeLink(const record::TRecord& Record);
    // Empties the entry of the link list that holds the link.
    ~TSchemeLink() override;

    void SaveToStrings(QStringList& Strings) const override;
    void WriteRecord(record::TRecordWriter& Writer) const override;

    // The two objects can be set only while the link is in no list: the document keeps track
    // of the links of each of its objects.
    TSchemeObject* Parent() const { return FParent; }
    void SetParent(TSchemeObject* Value);
    int ParentLinkType() const { return FParentLinkType; }
    void SetParentLinkType(int Value) { FParentLinkType = Value; }
    TSchemeObject* Child() const { return FChild; }
    void SetChild(TSchemeObject* Value);
    int ChildLinkType() const { return FChildLinkType; }
    void SetChildLinkType(int Value) { FChildLinkType = Value; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value) { FEnabled = Value; }

    TSchemeLinkList* LinkList() const { return FLinkList; }
    // Moves the link to another list (or to none), emptying its entry in the current one.
    void SetLinkList(TSchemeLinkList* List);
    // Leaves the current list when the link is known to sit at Index there, without searching
    // the list (which makes freeing every link of a large list linear); otherwise as
    // SetLinkList(nullptr).
    void LeaveListAt(size_t Index);

private:
    void LeaveList();
    void CheckUnlisted() const;

    TSchemeObject* FParent = nullptr;
    int FParentLinkType = kNoType;
    TSchemeObject* FChild = nullptr;
    int FChildLinkType = kNoType;
    bool FEnabled = true;
    TSchemeLinkList* FLinkList = nullptr;
};

}  // namespace scheme

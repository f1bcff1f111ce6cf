#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <typeinfo>

#include "scheme/model/scheme_area.h"
#include "scheme/platform/export.h"
#include "scheme/platform/object.h"
#include "scheme/platform/types.h"

namespace scheme {

class TPictureBudget;

namespace record {
class TRecord;
class TRecordWriter;
}  // namespace record

// Base of every item stored in a document's text: objects, layers and links. A concrete class
// has a record constructor taking the record's lines (QStringList&) and writes the same lines
// back with SaveToStrings. Its ClassName is the name the text stores before the record.
class SCHEME_EXPORT TSchemePersistent : public TObject {
public:
    TSchemePersistent() = default;
    TSchemePersistent(const TSchemePersistent&) = delete;
    TSchemePersistent& operator=(const TSchemePersistent&) = delete;
    ~TSchemePersistent() override;

    // Appends the item's record lines.
    virtual void SaveToStrings(QStringList& Strings) const = 0;
    virtual QString ClassName() const = 0;

    // Appends the item's record to Writer: through WriteRecord when the item's own class is the
    // one that declared it the writer of its whole record (SCHEME_RECORD_CLASS), otherwise
    // through SaveToStrings, so that a class which extends only SaveToStrings is written with
    // its own lines.
    void WriteTo(record::TRecordWriter& Writer) const;

protected:
    // Writes the record. By default the lines of SaveToStrings.
    virtual void WriteRecord(record::TRecordWriter& Writer) const;
    // The class whose WriteRecord writes the whole record; none by default.
    virtual const std::type_info* RecordClass() const { return nullptr; }
};

// Declares the class name under which a persistent class is registered and stored.
#define SCHEME_CLASS_NAME(Name)          \
public:                                  \
    static QString StaticClassName() {   \
        return QStringLiteral(#Name);    \
    }                                    \
    QString ClassName() const override { \
        return StaticClassName();        \
    }

// SCHEME_CLASS_NAME for the library's own classes, whose record is written by WriteRecord and
// read by a constructor from a parsed record as well as by the one from lines. A class derived
// from one of them inherits neither: it is read and written through its lines until it
// declares both of its own.
#define SCHEME_RECORD_CLASS(Name)                        \
    SCHEME_CLASS_NAME(Name)                              \
    using TRecordKind = Name;                            \
                                                         \
protected:                                               \
    const std::type_info* RecordClass() const override { \
        return &typeid(Name);                            \
    }                                                    \
                                                         \
public:

class TSchemeLayer;
class TSchemeObject;

// What changed in a document, as layers and objects report it. The first kinds are sent after
// the change; the last four before it, so that a listener (the undo history) can see what is
// about to change while it is still there.
enum class TSchemeNoticeKind {
    // The object's look or area changed; Before is the area it covered until then.
    Changed,
    // The object has joined Layer.
    Joined,
    // The object is leaving Layer (released, or Destroyed); Before is its last area. A
    // destroyed object's kind is already gone: only its address and Before may be used.
    Leaving,
    // The order of objects changed: Object moved from position From to position To of Layer,
    // or (no Object) the whole Layer was reordered; no Layer: the layers at positions From and
    // To changed places.
    Reordered,
    // The layer has joined the document at position From, or is leaving it (from position
    // From) with all its objects.
    LayerJoined,
    LayerLeaving,
    // Object is about to change what its record or its hooks hold; no Object: Layer's
    // settings are about to change. Selection and the active hook are not announced.
    Changing,
    // Object is about to be destroyed by an operation of its layer or document.
    Deleting,
    // The order of Layer's objects is about to change as a whole (a sort).
    Reordering,
    // The link in slot From is about to change (set, replaced or freed); From equal to the
    // link count: a link is about to be appended; From -1: the whole list is about to go.
    LinkChanging,
};

struct TSchemeNotice {
    TSchemeNoticeKind Kind = TSchemeNoticeKind::Changed;
    TSchemeLayer* Layer = nullptr;
    TSchemeObject* Object = nullptr;
    TSchemeArea Before;
    // The sender has drawn the change in its own view already (a drag step): views need not
    // be told to repaint.
    bool Drawn = false;
    // Positions, as the kind says; -1 when none is given.
    int From = -1;
    int To = -1;
    // A Leaving object is being destroyed.
    bool Destroyed = false;
    // A Changed object was selected or deselected.
    bool SelectionChanged = false;
};

// What layers and objects need of their document.
class SCHEME_EXPORT ISchemeData {
public:
    virtual ~ISchemeData();
    // One notice per change of an object, a layer's list or the document's layers; sent
    // also while the document is in update mode.
    virtual void SchemeChanged(const TSchemeNotice& Notice) = 0;
    // The object's area must be repainted at once in every view.
    virtual void ObjectRepaintDirect(TObject* AObject) = 0;
    // Point ADetail of the object moved by (DX, DY) world units in code; the document moves
    // the objects linked to it.
    virtual void ObjectWasChangedPosition(TObject* AObject, Extended DX, Extended DY,
                                          int ADetail) = 0;
    // Every view repaints: only the document's drawing when AOnlySchemeData is true.
    virtual void RepaintAllVisualControls(bool AOnlySchemeData) = 0;
    // The budget the decoded pictures of the document's objects count against; nullptr: the
    // process budget.
    virtual std::shared_ptr<TPictureBudget> PictureBudget() const { return nullptr; }
    // The layer's Id changed from AOldId (after the Changing notice that announced it), so that
    // the document can keep finding its layers by Id.
    virtual void LayerIdChanged(TSchemeLayer* ALayer, int AOldId);
};

}  // namespace scheme

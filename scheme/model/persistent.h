#pragma once

#include <QString>
#include <QStringList>

#include "scheme/platform/export.h"
#include "scheme/platform/object.h"
#include "scheme/platform/types.h"

namespace scheme {

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

// What layers and objects need of their document.
class SCHEME_EXPORT ISchemeData {
public:
    virtual ~ISchemeData();
    // The object's area must be repainted at once in every view.
    virtual void ObjectRepaintDirect(TObject* AObject) = 0;
    // Point ADetail of the object moved by (DX, DY) world units.
    virtual void ObjectWasChangedPosition(TObject* AObject, Extended DX, Extended DY,
                                          int ADetail) = 0;
    // The object is being destroyed.
    virtual void ObjectWasDeleted(TObject* AObject) = 0;
    // Every view repaints: only the document's drawing when AOnlySchemeData is true.
    virtual void RepaintAllVisualControls(bool AOnlySchemeData) = 0;
};

}  // namespace scheme

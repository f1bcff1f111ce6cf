#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <memory>

#include "scheme/platform/exceptions.h"
#include "scheme/platform/export.h"
#include "scheme/platform/object.h"
#include "scheme/platform/picture_budget.h"
#include "scheme/platform/types.h"

class QIODevice;
class QPainter;
class QRect;
class QSize;

namespace scheme {

class TCanvas;

// Data that a graphic cannot read: another format, damaged, or too large.
class SCHEME_EXPORT EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
    ~EInvalidGraphic() override;
};

// The most bytes a graphic reads from one stream or file (64 MiB). Larger data is refused
// before it is read whole, so that a damaged or hostile document cannot exhaust memory.
inline constexpr qint64 kMaxGraphicDataSize = qint64(64) << 20;
// The rest of Stream; raises EInvalidGraphic naming What when it holds more than
// kMaxGraphicDataSize bytes.
SCHEME_EXPORT QByteArray ReadGraphicData(QIODevice& Stream, const QString& What);

// An image that a picture holds: raster or vector, stored as the bytes of one file format.
//
// LoadFromStream reads from the stream's current position to its end and replaces the
// graphic; on data it cannot read it raises EInvalidGraphic and stays as it was. An empty
// stream gives an empty graphic. SaveToStream writes the bytes the graphic was loaded from, or,
// for an image set in code, the graphic in its own format. Data that loading would refuse is
// never written: over kMaxGraphicDataSize bytes SaveToStream raises EInvalidGraphic and writes
// nothing.
//
// What a graphic decodes counts against its picture budget: the budget of the read scope active
// when it was read (a document's while it loads), the one a caller binds, or else the process
// budget. A graphic whose decoding the budget refuses draws nothing and notes why.
class SCHEME_EXPORT TGraphic : public TObject {
public:
    TGraphic() = default;
    TGraphic& operator=(const TGraphic&) = delete;
    ~TGraphic() override;

    // The name the document format stores for the graphic's class.
    virtual QString ClassName() const = 0;
    // A copy of the graphic, without the OnChange handler.
    virtual std::unique_ptr<TGraphic> Clone() const = 0;

    void LoadFromStream(QIODevice& Stream);
    void SaveToStream(QIODevice& Stream) const;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const = 0;
    // Whether the graphic leaves its background showing. What that means is the format's.
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);

    // Draws the graphic stretched over R.
    virtual void Draw(TCanvas& Canvas, const TRect& R) const = 0;
    void Draw(QPainter& Painter, const QRect& R) const;

    // The budget the graphic's decoded images count against; never nullptr.
    const std::shared_ptr<TPictureBudget>& PictureBudget() const;
    // Binds the graphic to Budget (nullptr: the process budget). What it holds decoded moves
    // there; it is decoded anew when the budget changes.
    void SetPictureBudget(std::shared_ptr<TPictureBudget> Budget);
    // Decodes what drawing over DrawnSize device pixels needs, unless it is at hand; false when
    // there is nothing to draw then: the budget refused the decoding, or the data failed to
    // decode (a note says which, once).
    virtual bool Prepare(const QSize& DrawnSize) const;
    // The bytes the graphic holds decoded now.
    virtual qint64 DecodedSize() const { return 0; }
    // The problems met since the last call (images refused or dropped, data that failed to
    // decode), each named once, and forgets them.
    QStringList TakeNotes() const { return std::exchange(FNotes, {}); }

    // The device pixels that R covers on Canvas: what drawing there needs decoded.
    static QSize DrawnSize(const TCanvas& Canvas, const TRect& R);

    TNotifyEvent OnChange;

protected:
    // Copies the image and its settings, not the handler.
    TGraphic(const TGraphic& Source);

    // Replaces the graphic by the one Data holds (never empty); raises EInvalidGraphic and
    // changes nothing when Data is not readable.
    virtual void ReadData(const QByteArray& Data) = 0;
    // Forgets the image.
    virtual void Clear() = 0;
    // The bytes SaveToStream writes.
    virtual QByteArray WriteData() const = 0;
    // The budget changed: what is held decoded against the old one is to be let go.
    virtual void BudgetChanged() {}
    void Changed();
    void Note(const QString& Text) const { FNotes.append(Text); }

private:
    bool FTransparent = false;
    std::shared_ptr<TPictureBudget> FBudget;
    mutable QStringList FNotes;
};

// Declares the stored class name of a graphic class and its copy.
#define SCHEME_GRAPHIC_CLASS(Name)                         \
public:                                                    \
    static QString StaticClassName() {                     \
        return QStringLiteral(#Name);                      \
    }                                                      \
    QString ClassName() const override {                   \
        return StaticClassName();                          \
    }                                                      \
    std::unique_ptr<TGraphic> Clone() const override {     \
        return std::unique_ptr<TGraphic>(new Name(*this)); \
    }

// The graphic classes by the names documents store. The built-in classes are registered
// before the first lookup; names are compared without regard to letter case.
using TGraphicFactory = std::unique_ptr<TGraphic> (*)();

// Adds the class unless one of that name is registered. Safe from any thread.
SCHEME_EXPORT void RegisterGraphicClass(const QString& Name, TGraphicFactory Factory);
template <class T>
void RegisterGraphicClass() {
    RegisterGraphicClass(T::StaticClassName(),
                         []() -> std::unique_ptr<TGraphic> { return std::make_unique<T>(); });
}
// The factory registered under Name, or nullptr.
SCHEME_EXPORT TGraphicFactory FindGraphicClass(const QString& Name);
// A new empty graphic of the class registered under Name; raises EClassNotFound
// "Class <Name> not found" when there is none.
SCHEME_EXPORT std::unique_ptr<TGraphic> CreateGraphic(const QString& Name);
SCHEME_EXPORT QStringList RegisteredGraphicClassNames();

}  // namespace scheme

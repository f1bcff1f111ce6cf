#pragma once

#include <QImage>
#include <QMutex>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <memory>
#include <utility>

#include "scheme/platform/export.h"

namespace scheme {

// The decoded bytes that the pictures of one document may hold at once: 256 MiB. A picture's
// data is small (a GIF of forty bytes may claim 5792 x 5792 pixels, 128 MiB decoded), so the
// limit is on what decoding makes of it. Two such images fit; real documents, whose pictures
// are decoded at the size they are drawn, stay far below.
inline constexpr qint64 kPictureBudgetLimit = qint64(256) << 20;

// How many reports a budget keeps until they are taken; later ones are only counted.
inline constexpr qsizetype kMaxPictureReports = 1000;

// Image data holds at most this many pixels a byte. Deflate packs the rows of a one-bit PNG
// about a thousand to one, so real images stay below 8,300 pixels a byte (GIF below 2,800);
// one that claims more has no data for most of its pixels, and decoding it would be work
// without content: a few bytes would cost the full decoding of a huge image, again at every
// zoom that needs it.
inline constexpr qint64 kMaxPixelsPerDataByte = qint64(1) << 14;
// Images of at most this many pixels are decoded whatever their data.
inline constexpr qint64 kAnyDataPixels = qint64(1) << 16;

// Whether DataBytes of image data can hold an image of Size pixels; when not, Why (if given)
// says so in words: "its 35 bytes of data cannot hold that many pixels".
SCHEME_EXPORT bool DataCanHold(const QSize& Size, qint64 DataBytes, QString* Why = nullptr);

// The bytes an image of Size in Format takes decoded (32 bits a pixel for an unknown format),
// rows padded to 32 bits as QImage pads them; 0 for an invalid size.
SCHEME_EXPORT qint64 DecodedBytes(const QSize& Size,
                                  QImage::Format Format = QImage::Format_Invalid);
// Bytes as the messages state them: "128 MiB", "12 KiB", "300 bytes".
SCHEME_EXPORT QString BytesText(qint64 Bytes);

// The decoded bytes that a set of pictures hold, limited. A document owns one; graphics outside
// every document share the process budget. A picture reserves what decoding it will take
// before it decodes, and is refused when the reservation would pass the limit. Safe from any
// thread.
class SCHEME_EXPORT TPictureBudget {
public:
    explicit TPictureBudget(qint64 Limit = kPictureBudgetLimit) : FLimit(Limit) {}
    TPictureBudget(const TPictureBudget&) = delete;
    TPictureBudget& operator=(const TPictureBudget&) = delete;

    // The budget of graphics that belong to no document.
    static const std::shared_ptr<TPictureBudget>& Process();

    qint64 Limit() const;
    void SetLimit(qint64 Value);
    // The bytes reserved now, and the most ever reserved at once.
    qint64 Used() const;
    qint64 Peak() const;
    // Every reservation granted, summed: the work decoding has done.
    qint64 Granted() const;
    // Reservations refused.
    qint64 Refused() const;

    // Reserves Bytes; false, reserving nothing, when that would pass the limit.
    bool TryReserve(qint64 Bytes);
    // Counts Bytes whatever the limit: memory that exists already.
    void Take(qint64 Bytes);
    void Release(qint64 Bytes);

    // A problem met while painting or reading outside a load: kept until taken.
    void Report(const QString& Message);
    // The reports so far, oldest first, and forgets them; the number of reports beyond
    // kMaxPictureReports is told in a last line.
    QStringList TakeReports();

private:
    mutable QMutex FLock;
    qint64 FLimit;
    qint64 FUsed = 0;
    qint64 FPeak = 0;
    qint64 FGranted = 0;
    qint64 FRefused = 0;
    QStringList FReports;
    qint64 FReportsDropped = 0;
};

// Bytes reserved in a budget, given back when the charge goes or is set anew. Move-only.
class SCHEME_EXPORT TPictureCharge {
public:
    TPictureCharge() = default;
    TPictureCharge(TPictureCharge&& Source) noexcept;
    TPictureCharge& operator=(TPictureCharge&& Source) noexcept;
    ~TPictureCharge();

    // Reserves Bytes in Budget in addition to what is held; false when refused.
    bool Add(const std::shared_ptr<TPictureBudget>& Budget, qint64 Bytes);
    // Gives everything back.
    void Reset();
    // Holds exactly Bytes from now on: a charge that turns out smaller than reserved gives the
    // rest back; a larger one is taken whatever the limit (the image is there already).
    void Settle(qint64 Bytes);

    qint64 Bytes() const { return FBytes; }
    TPictureBudget* Budget() const { return FBudget.get(); }

private:
    std::shared_ptr<TPictureBudget> FBudget;
    qint64 FBytes = 0;
};

// While it lives, graphics that this thread reads bind to Budget, and the problems reported to
// Budget are collected here (a document's load turns them into its warnings).
class SCHEME_EXPORT TPictureReadScope {
public:
    explicit TPictureReadScope(std::shared_ptr<TPictureBudget> Budget);
    ~TPictureReadScope();
    TPictureReadScope(const TPictureReadScope&) = delete;
    TPictureReadScope& operator=(const TPictureReadScope&) = delete;

    // The innermost scope of this thread, or nullptr.
    static TPictureReadScope* Current();
    const std::shared_ptr<TPictureBudget>& Budget() const { return FBudget; }
    QStringList TakeNotes() { return std::exchange(FNotes, {}); }

private:
    friend void ReportPictureProblem(TPictureBudget*, const QString&);

    std::shared_ptr<TPictureBudget> FBudget;
    TPictureReadScope* FOuter;
    QStringList FNotes;
};

// Hands Message to the read scope of Budget (the process budget for nullptr) when one is
// active on this thread, else to the budget's reports.
SCHEME_EXPORT void ReportPictureProblem(TPictureBudget* Budget, const QString& Message);

}  // namespace scheme

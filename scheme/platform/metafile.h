#pragma once

#include <QSize>
#include <memory>

#include "scheme/platform/graphic.h"

class QSvgRenderer;

namespace scheme {

// Limits on the SVG documents a metafile reads, embedded SVG images counted with the document
// that embeds them. Qt SVG builds its whole tree when a document is read, and some of its work
// grows faster than the data, so a document of a few megabytes could keep it busy for minutes.
// Each limit lies far above what real drawings hold, so that only such documents are refused.
//
// Elements of every kind. Drawings exported by editors hold a few thousand; Qt SVG reads about
// half a million a second.
inline constexpr qsizetype kMaxSvgElements = 100000;
// The stops of one gradient. Real gradients have a handful, rarely a few hundred; the time Qt
// SVG takes to read them grows with the square of their number: 10,000 take a tenth of a
// second, 300,000 well over a minute.
inline constexpr qsizetype kMaxSvgGradientStops = 10000;
// Style sheet selectors times elements: Qt SVG tries every selector of a document's style sheets
// on each of its elements, 2,000 selectors over 20,000 elements taking three seconds. Styled
// exports hold at most a few hundred selectors over some thousand elements.
inline constexpr qint64 kMaxSvgStyleMatches = 20000000;

// A vector graphic: an SVG document, drawn by Qt SVG at any size. It saves exactly the bytes it
// was loaded from. Only plain SVG text is read; compressed SVG is refused, so that a small
// stream cannot unpack into an unbounded document. A document is drawn self-contained (see
// SelfContained): a picture travels inside documents that are exchanged as files, and must
// never show, or wait for, files of the computer that draws it.
//
// Qt SVG decodes the raster images a document embeds while it reads it, so these count against
// the picture budget when the graphic is read: each image is reserved at the size its header
// claims, and one that does not fit, whose size cannot be read, or that is dropped for another
// reason is left out of the drawing with a note (TakeNotes).
class SCHEME_EXPORT TMetafile : public TGraphic {
    SCHEME_GRAPHIC_CLASS(TMetafile)

public:
    TMetafile();
    ~TMetafile() override;

    // Whether Data is plain SVG text: XML with an <svg element near its start.
    static bool LooksLikeSvg(const QByteArray& Data);
    // The SVG text that is drawn for Data: the same document, written as UTF-8, without
    // anything that would make Qt SVG read outside it. Images keep only data: URIs (an SVG
    // image within is made self-contained in turn; a compressed one, or one nested too deep, is
    // dropped; an image whose reference is dropped is left out whole), links keep only references
    // to elements (#id), url() in attributes and style sheets keeps only #id targets, and
    // processing instructions (which may name style sheet files), the document type, comments and
    // anything after the root element are left out. Raises EInvalidGraphic when Data is not
    // well-formed XML up to the end of its root element or exceeds one of the limits above.
    static QByteArray SelfContained(const QByteArray& Data);

    // The SVG text the graphic holds.
    const QByteArray& Data() const { return FData; }

    int Width() const override { return FSize.width(); }
    int Height() const override { return FSize.height(); }
    bool Empty() const override { return FData.isEmpty(); }
    // Draws the whole document stretched over R; an SVG carries its own transparency.
    using TGraphic::Draw;
    void Draw(TCanvas& Canvas, const TRect& R) const override;
    qint64 DecodedSize() const override { return FCharge.Bytes(); }

protected:
    TMetafile(const TMetafile& Source);

    void ReadData(const QByteArray& Data) override;
    void Clear() override;
    QByteArray WriteData() const override { return FData; }
    void BudgetChanged() override;

private:
    // Reads Data into the renderer, its images reserved in the budget; raises EInvalidGraphic,
    // changing nothing, when it is no readable SVG document.
    void Build(const QByteArray& Data);

    QByteArray FData;
    QSize FSize;
    std::unique_ptr<QSvgRenderer> FRenderer;
    TPictureCharge FCharge;
};

}  // namespace scheme

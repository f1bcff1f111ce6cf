#pragma once

#include <QSize>
#include <memory>

#include "scheme/platform/graphic.h"

class QSvgRenderer;

namespace scheme {

// A vector graphic: an SVG document, drawn by Qt SVG at any size. It saves exactly the bytes it
// was loaded from. Only plain SVG text is read; compressed SVG is refused, so that a small
// stream cannot unpack into an unbounded document.
class SCHEME_EXPORT TMetafile : public TGraphic {
    SCHEME_GRAPHIC_CLASS(TMetafile)

public:
    TMetafile();
    ~TMetafile() override;

    // Whether Data is plain SVG text: XML with an <svg element near its start.
    static bool LooksLikeSvg(const QByteArray& Data);

    // The SVG text the graphic holds.
    const QByteArray& Data() const { return FData; }

    int Width() const override { return FSize.width(); }
    int Height() const override { return FSize.height(); }
    bool Empty() const override { return FData.isEmpty(); }
    // Draws the whole document stretched over R; an SVG carries its own transparency.
    using TGraphic::Draw;
    void Draw(TCanvas& Canvas, const TRect& R) const override;

protected:
    TMetafile(const TMetafile& Source);

    void ReadData(const QByteArray& Data) override;
    void Clear() override;
    QByteArray WriteData() const override { return FData; }

private:
    QByteArray FData;
    QSize FSize;
    std::unique_ptr<QSvgRenderer> FRenderer;
};

}  // namespace scheme

#include "scheme/platform/metafile.h"

#include <QPainter>
#include <QSvgRenderer>

#include "scheme/platform/canvas.h"

namespace scheme {

namespace {

// Plain SVG is XML text: its first character after a byte order mark and blanks is "<".
// Compressed SVG and binary metafiles fail this test.
bool IsXmlText(const QByteArray& Data) {
    qsizetype I = Data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (I < Data.size() &&
           (Data[I] == ' ' || Data[I] == '\t' || Data[I] == '\r' || Data[I] == '\n'))
        ++I;
    return I < Data.size() && Data[I] == '<';
}

std::unique_ptr<QSvgRenderer> MakeRenderer(const QByteArray& Data) {
    auto Renderer = std::make_unique<QSvgRenderer>();
    if (!Renderer->load(Data) || !Renderer->isValid()) return nullptr;
    return Renderer;
}

// How far into the data an SVG document's root element is looked for.
constexpr qsizetype kSvgSniffLength = 4096;

}  // namespace

bool TMetafile::LooksLikeSvg(const QByteArray& Data) {
    return IsXmlText(Data) && Data.left(kSvgSniffLength).contains("<svg");
}

TMetafile::TMetafile() = default;

TMetafile::TMetafile(const TMetafile& Source)
    : TGraphic(Source), FData(Source.FData), FSize(Source.FSize) {
    if (!FData.isEmpty()) FRenderer = MakeRenderer(FData);
}

TMetafile::~TMetafile() = default;

void TMetafile::ReadData(const QByteArray& Data) {
    std::unique_ptr<QSvgRenderer> Renderer = IsXmlText(Data) ? MakeRenderer(Data) : nullptr;
    if (!Renderer)
        throw EInvalidGraphic(
            QStringLiteral("%1: the data is not a readable SVG document").arg(ClassName()));
    FSize = Renderer->defaultSize();
    FRenderer = std::move(Renderer);
    FData = Data;
}

void TMetafile::Clear() {
    FRenderer.reset();
    FData.clear();
    FSize = QSize();
}

// The drawing is clipped to R: an SVG may paint outside its view box.
void TMetafile::Draw(TCanvas& Canvas, const TRect& R) const {
    if (!FRenderer) return;
    QPainter* Painter = Canvas.Painter();
    Painter->save();
    Painter->setClipRect(ToQRect(R), Qt::IntersectClip);
    FRenderer->render(Painter, QRectF(ToQRect(R)));
    Painter->restore();
}

}  // namespace scheme

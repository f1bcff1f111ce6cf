// The view's painting: the back buffer, invalidation and direct painting, the picture and the
// grid, and export.
#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QPaintEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScopedValueRollback>
#include <QSvgGenerator>
#include <QXmlStreamReader>
#include <algorithm>

#include "scheme/platform/error_handler.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/metafile.h"
#include "scheme/platform/pdf_page.h"
#include "scheme/platform/raster_graphic.h"
#include "scheme/view/scheme_visual.h"

namespace scheme {

namespace {

void FillSolid(TCanvas& Canvas, TColor Color, const TRect& R) {
    Canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    Canvas.Brush().SetColor(Color);
    Canvas.FillRect(R);
}

// A drawing takes the size of the view's picture at the zoom.
const QString kEmptyDrawing = QString::fromLatin1(TSchemeVisual::kEmptyDrawing);

[[noreturn]] void CannotWrite(const QString& FileName, const QString& Reason) {
    throw Exception(QStringLiteral("Cannot write file \"%1\": %2").arg(FileName, Reason));
}

// The file is replaced only once every byte is written.
void WriteFile(const QString& FileName, const QByteArray& Bytes) {
    QSaveFile File(FileName);
    if (!File.open(QIODevice::WriteOnly) || File.write(Bytes) != Bytes.size() || !File.commit())
        CannotWrite(FileName, File.errorString());
}

// The generator writes the drawing's size in millimetres, which do not read back as the same
// pixels; the root element gets the size in pixels instead.
void InPixels(QByteArray& Svg, const QSize& Size) {
    const qsizetype Root = Svg.indexOf("<svg");
    const qsizetype End = Root < 0 ? -1 : Svg.indexOf('>', Root);
    if (End < 0) return;
    QByteArray Element = Svg.mid(Root, End - Root);
    static const QRegularExpression Width(QStringLiteral("\\swidth=\"[^\"]*\""));
    static const QRegularExpression Height(QStringLiteral("\\sheight=\"[^\"]*\""));
    QString Text = QString::fromUtf8(Element);
    Text.replace(Width, QStringLiteral(" width=\"%1\"").arg(Size.width()));
    Text.replace(Height, QStringLiteral(" height=\"%1\"").arg(Size.height()));
    Svg.replace(Root, End - Root, Text.toUtf8());
}

}  // namespace

// ---- the back buffer -----------------------------------------------------------------------

// The buffer follows the client area's size; a new one holds nothing of the screen yet.
void TSchemeVisual::EnsureBuffer() {
    const qreal Ratio = viewport()->devicePixelRatioF();
    const QSize Size = viewport()->size() * Ratio;
    if (FBuffer.size() == Size && FBuffer.devicePixelRatio() == Ratio) return;
    EndDirectPainting();
    FBuffer = Size.isEmpty() ? QImage() : QImage(Size, QImage::Format_RGB32);
    FBuffer.setDevicePixelRatio(Ratio);
    FBufferValid = QRegion();
}

void TSchemeVisual::SetAntialiasing(bool AValue) {
    if (FAntialiasing == AValue) return;
    FAntialiasing = AValue;
    // The direct canvas is made again with the new setting when next asked for.
    EndDirectPainting();
    RepaintClientRect();
}

void TSchemeVisual::EndDirectPainting() {
    FDirectCanvas.reset();
}

void TSchemeVisual::InvalidateRgn(const QRegion& Region) {
    const QRegion Client = Region & viewport()->rect();
    if (Client.isEmpty()) return;
    FStale += Client;
    FUnshown += Client;
    viewport()->update(Client);
}

void TSchemeVisual::RepaintClientRect() {
    InvalidateRgn(QRegion(viewport()->rect()));
}

void TSchemeVisual::Refresh() {
    RepaintClientRect();
    if (viewport()->isVisible()) viewport()->repaint();
}

void TSchemeVisual::RepaintOnlySchemeData() {
    if (FSchemeData) FSchemeData->RepaintDirectInWindow(this);
}

TCanvas* TSchemeVisual::GetCanvas() {
    if (FPaintCanvas) {
        // Asked for once per object painted: setting the origin again would redo the
        // painter's transform and clip each time.
        const TPoint Origin{FOriginX, FOriginY};
        if (!(FPaintCanvas->WindowOrg() == Origin)) FPaintCanvas->SetWindowOrg(Origin);
        return FPaintCanvas;
    }
    return DirectCanvas(viewport()->rect());
}

TCanvas* TSchemeVisual::GetCanvasFor(const TRect& ZoomedArea) {
    if (FPaintCanvas) return GetCanvas();
    return DirectCanvas(QRect(ZoomedArea.Left - FOriginX, ZoomedArea.Top - FOriginY,
                              ZoomedArea.Width(), ZoomedArea.Height()));
}

// The canvas over the buffer outside a paint; what is painted on it within Shown (client
// pixels) reaches the screen. Direct painting draws over what the screen shows, so the buffer
// first gets the parts of Shown it does not hold, unless the caller paints every pixel of
// Shown itself (Covers).
TCanvas* TSchemeVisual::DirectCanvas(const QRect& Shown, bool Covers) {
    EnsureBuffer();
    const QRect Client = Shown & viewport()->rect();
    if (Covers)
        FBufferValid += Client;
    else
        FillBuffer(QRegion(Client) - FStale);
    if (!FDirectCanvas) {
        FDirectCanvas = std::make_unique<TCanvas>(&FBuffer);
        FDirectCanvas->SetSmooth(FAntialiasing);
    }
    FDirectCanvas->SetWindowOrg(TPoint{FOriginX, FOriginY});
    ShowDirect(Shown);
    return FDirectCanvas.get();
}

// What was painted into the buffer reaches the screen in the next paint, which re-renders
// nothing of it unless it is stale.
void TSchemeVisual::ShowDirect(const QRect& ClientRect) {
    const QRect R = ClientRect & viewport()->rect();
    if (R.isEmpty()) return;
    // What is painted directly would cover the connectors: the paint renders it again.
    if (ConnectorsShown()) FStale += R;
    FUnshown += R;
    viewport()->update(R);
}

void TSchemeVisual::UpdateNow() {
    if (ConnectorsShown()) CheckConnectors();
    if (FUnshown.isEmpty() || !viewport()->isVisible()) return;
    viewport()->repaint(std::exchange(FUnshown, QRegion()));
}

// Renders the parts of Region the buffer does not hold yet into it.
void TSchemeVisual::FillBuffer(const QRegion& Region) {
    const QRegion Missing = Region - FBufferValid;
    if (Missing.isEmpty() || FBuffer.isNull()) return;
    // The image takes one painter at a time: the direct canvas is made again when next needed.
    EndDirectPainting();
    QPainter Painter(&FBuffer);
    Render(Painter, Missing);
    FBufferValid += Missing;
}

// The view's looks within Region (client pixels) through Painter: colour, picture, grid, the
// objects that meet it, the connectors and OnPaint.
void TSchemeVisual::Render(QPainter& Painter, const QRegion& Region) {
    Painter.setClipRegion(Region);
    TCanvas Canvas(&Painter);
    Canvas.SetSmooth(FAntialiasing);
    Canvas.SetWindowOrg(TPoint{FOriginX, FOriginY});
    const QScopedValueRollback Current(FPaintCanvas, &Canvas);
    FillSolid(Canvas, FColor, VisibleRect());
    PaintPicture(Canvas, FZoom);
    PaintGrid(Canvas, FZoom);
    PaintSchemeData();
    if (ConnectorsShown()) PaintConnectors(*GetCanvas());
    if (OnPaint) OnPaint(this, *GetCanvas());
}

// What is stale is rendered straight into the window's backing store, without a copy; the
// rest of the event's region (what was painted directly, or what Qt asks for again) comes
// from the buffer, which gets what it lacks of it first.
void TSchemeVisual::PaintRegion(QPainter& Screen, const QRegion& Region) {
    EndDirectPainting();
    // Connectors that moved since the last paint are stale at their old and new places.
    if (ConnectorsShown()) CheckConnectors();
    const QRegion Straight = Region & FStale;
    const QRegion Copied = Region - Straight;
    FStale -= Region;
    FBufferValid -= Straight;
    if (!Straight.isEmpty()) {
        Screen.save();
        Render(Screen, Straight);
        Screen.restore();
    }
    if (Copied.isEmpty()) return;
    EnsureBuffer();
    FillBuffer(Copied);
    if (FBuffer.isNull()) return;
    Screen.setClipRegion(Copied);
    Screen.drawImage(QPoint(0, 0), FBuffer);
}

void TSchemeVisual::paintEvent(QPaintEvent* Event) {
    FUnshown -= Event->region();
    QPainter Screen(viewport());
    RunGuarded([&] { PaintRegion(Screen, Event->region()); });
}

// ---- what a paint draws --------------------------------------------------------------------

void TSchemeVisual::PaintPicture(TCanvas& ACanvas, Extended AZoom) {
    const TGraphic* Graphic = FPicture.Graphic();
    if (!Graphic || Graphic->Empty()) return;
    // On screen an empty drawing (one that only gives the view its size) is left out: rendering
    // it would paint no pixel. Exports still get whatever the renderer writes for it.
    if (&ACanvas == FPaintCanvas && PictureBlank()) return;
    const QScopedValueRollback Drawing(FDrawing, true);
    ACanvas.StretchDraw(
        TRect{0, 0, Trunc(AZoom * Graphic->Width()), Trunc(AZoom * Graphic->Height())}, *Graphic);
}

namespace {

// Attributes of an SVG root element that paint nothing by themselves.
bool SizingAttribute(QStringView Name) {
    static const QStringView Names[] = {u"width",   u"height",      u"viewBox",
                                        u"version", u"baseProfile", u"preserveAspectRatio",
                                        u"x",       u"y",           u"id"};
    return std::find(std::begin(Names), std::end(Names), Name) != std::end(Names);
}

// True when Svg is a well-formed document whose root element holds no element and no attribute
// but those that size it: such a drawing paints nothing. Anything else counts as drawing.
bool DrawsNothing(const QByteArray& Svg) {
    QXmlStreamReader Reader(Svg);
    int Depth = 0;
    bool Root = false;
    while (!Reader.atEnd()) {
        switch (Reader.readNext()) {
            case QXmlStreamReader::StartElement:
                if (Root || Reader.name() != u"svg" || !Reader.prefix().isEmpty()) return false;
                for (const QXmlStreamAttribute& A : Reader.attributes())
                    if (!A.prefix().isEmpty() || !SizingAttribute(A.name())) return false;
                Root = true;
                ++Depth;
                break;
            case QXmlStreamReader::EndElement:
                --Depth;
                break;
            case QXmlStreamReader::DTD:
            case QXmlStreamReader::EntityReference:
                return false;
            default:
                break;
        }
    }
    return Root && Depth == 0 && !Reader.hasError();
}

}  // namespace

bool TSchemeVisual::PictureBlank() {
    const auto* Drawing = dynamic_cast<const TMetafile*>(FPicture.Graphic());
    if (!Drawing) return false;
    // The drawing's text is shared, not copied: the same text is looked at once.
    if (!Drawing->Data().isSharedWith(FCheckedDrawing)) {
        FCheckedDrawing = Drawing->Data();
        FDrawingBlank = DrawsNothing(FCheckedDrawing);
    }
    return FDrawingBlank;
}

// Lines every Round(AZoom * Delta) pixels over the picture's area, anchored at world (0, 0);
// lines closer than 3 pixels are left out on both axes. Only the lines the canvas can show are
// drawn, which changes nothing on it.
void TSchemeVisual::PaintGrid(TCanvas& ACanvas, Extended AZoom) {
    if (!FGrid.Enabled()) return;
    const int W = Trunc(AZoom * FPicture.Width());
    const int H = Trunc(AZoom * FPicture.Height());
    const int SX = Round(AZoom * FGrid.DeltaX());
    const int SY = Round(AZoom * FGrid.DeltaY());
    if (SX < 3 || SY < 3) return;
    const TLineDrawing Lines(ACanvas, FGridPen);
    const TRect Clip = ACanvas.ClipRect();
    auto FirstLine = [](int Edge, int Step) { return Edge <= 0 ? 0 : (Edge - 1) / Step * Step; };
    for (int X = FirstLine(Clip.Left, SX); X <= W && X <= Clip.Right; X += SX) {
        ACanvas.MoveTo(X, 0);
        ACanvas.LineTo(X, H);
    }
    for (int Y = FirstLine(Clip.Top, SY); Y <= H && Y <= Clip.Bottom; Y += SY) {
        ACanvas.MoveTo(0, Y);
        ACanvas.LineTo(W, Y);
    }
}

void TSchemeVisual::PaintSchemeData() {
    if (FSchemeData) FSchemeData->PaintDirectInWindow(this);
}

void TSchemeVisual::PaintDirectInCanvas(TCanvas& ACanvas, Extended AZoom) {
    FillSolid(ACanvas, FColor, TRect{0, 0, ExportSize(AZoom).width(), ExportSize(AZoom).height()});
    PaintPicture(ACanvas, AZoom);
    PaintGrid(ACanvas, AZoom);
    if (FSchemeData) FSchemeData->PaintDirectInCanvas(ACanvas, 0, 0, AZoom, FParam);
    if (OnPaint) {
        // The handler sees the export's zoom, without any of the checks or repaints of SetZoom.
        const QScopedValueRollback Zoom(FZoom, AZoom);
        OnPaint(this, ACanvas);
    }
}

// ---- export --------------------------------------------------------------------------------

QSize TSchemeVisual::ExportSize(Extended AZoom) const {
    return QSize(Trunc(AZoom * FPicture.Width()), Trunc(AZoom * FPicture.Height()));
}

QByteArray TSchemeVisual::ExportSvg(Extended AZoom) {
    const QSize Size = ExportSize(AZoom);
    QByteArray Svg;
    QBuffer Buffer(&Svg);
    Buffer.open(QIODevice::WriteOnly);
    QSvgGenerator Generator;
    Generator.setOutputDevice(&Buffer);
    Generator.setSize(Size);
    Generator.setViewBox(QRect(QPoint(0, 0), Size));
    {
        TCanvas Canvas(&Generator);
        PaintDirectInCanvas(Canvas, AZoom);
    }
    Buffer.close();
    InPixels(Svg, Size);
    return Svg;
}

void TSchemeVisual::ExportToMetafile(TMetafile& AMetafile, Extended AZoom) {
    QByteArray Svg = ExportSvg(AZoom);
    QBuffer Buffer(&Svg);
    Buffer.open(QIODevice::ReadOnly);
    AMetafile.LoadFromStream(Buffer);
}

// A metafile saves the bytes it was read from: the file gets the SVG text itself.
void TSchemeVisual::ExportToMetafile(const QString& AFileName, Extended AZoom) {
    if (ExportSize(AZoom).isEmpty()) CannotWrite(AFileName, kEmptyDrawing);
    WriteFile(AFileName, ExportSvg(AZoom));
}

QImage TSchemeVisual::ExportImage(Extended AZoom) {
    const QSize Size = ExportSize(AZoom);
    if (Size.isEmpty()) return QImage();
    QImage Image(Size, QImage::Format_RGB32);
    if (Image.isNull())
        throw Exception(QStringLiteral("Out of memory for a %1 x %2 image")
                            .arg(Size.width())
                            .arg(Size.height()));
    TCanvas Canvas(&Image);
    PaintDirectInCanvas(Canvas, AZoom);
    return Image;
}

QByteArray TSchemeVisual::ExportPdf(Extended AZoom) {
    const QSize Size = ExportSize(AZoom);
    if (Size.isEmpty()) return QByteArray();
    QByteArray Pdf;
    QBuffer Buffer(&Pdf);
    Buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter Writer(&Buffer);
        SetUpPdfWriter(Writer, Size);
        TCanvas Canvas(&Writer);
        PaintDirectInCanvas(Canvas, AZoom);
    }
    Buffer.close();
    return Pdf;
}

void TSchemeVisual::ExportToPdf(const QString& AFileName, Extended AZoom) {
    if (ExportSize(AZoom).isEmpty()) CannotWrite(AFileName, kEmptyDrawing);
    WriteFile(AFileName, ExportPdf(AZoom));
}

void TSchemeVisual::ExportToBmp(TBitmap& ABitmap, Extended AZoom) {
    ABitmap.SetImage(ExportImage(AZoom));
}

void TSchemeVisual::ExportToBmp(const QString& AFileName, Extended AZoom) {
    const QByteArray Format = QFileInfo(AFileName).suffix().toLower().toLatin1();
    if (!QImageWriter::supportedImageFormats().contains(Format))
        CannotWrite(AFileName, QStringLiteral("no image format is known by the extension \"%1\"")
                                   .arg(QString::fromLatin1(Format)));
    const QImage Image = ExportImage(AZoom);
    if (Image.isNull()) CannotWrite(AFileName, kEmptyDrawing);
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::WriteOnly);
    QImageWriter Writer(&Buffer, Format);
    if (!Writer.write(Image)) CannotWrite(AFileName, Writer.errorString());
    WriteFile(AFileName, Bytes);
}

}  // namespace scheme

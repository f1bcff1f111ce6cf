#include "scheme/platform/canvas.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <algorithm>
#include <cmath>
#include <vector>

namespace scheme {

namespace {

// Pens wider than this look no different on a diagram and only make stroking slow.
constexpr int kMaxPenWidth = 10000;
// Every dash pattern below repeats after a whole number of these pixels.
constexpr int kDashPeriod = 24;

int ClampCoord(int Value) {
    return std::clamp(Value, -kPixelLimit, kPixelLimit);
}

TPoint ClampPoint(const TPoint& P) {
    return TPoint{ClampCoord(P.X), ClampCoord(P.Y)};
}

TRect ClampRect(int Left, int Top, int Right, int Bottom) {
    return TRect{ClampCoord(Left), ClampCoord(Top), ClampCoord(Right), ClampCoord(Bottom)};
}

// Pixels left out at each end of a row of the ellipse inscribed in Width x Height pixels, for
// the row whose centre lies Distance half-pixels from the ellipse's centre line. A pixel is in
// when its centre is inside the ideal ellipse; the middle pixel or two always stay, so that
// even a very flat ellipse touches its top and bottom rows.
int EllipseInset(int Width, int Height, int Distance) {
    // In double first for figures up to 65536 pixels, whose double error stays below 1e-9:
    // unless the answer lies within 1e-6 of a whole number, where the two precisions could
    // round apart, it is the long double answer, at a fraction of the cost.
    if (Width <= 65536 && Height <= 65536) {
        const double Near = static_cast<double>(Distance) / Height;
        const double Quick = (Width - 1 - Width * std::sqrt(std::max(0.0, 1 - Near * Near))) / 2;
        if (std::abs(Quick - std::round(Quick)) > 1e-6)
            return std::clamp(static_cast<int>(std::ceil(Quick)), 0, (Width - 1) / 2);
    }
    const long double Ratio = static_cast<long double>(Distance) / Height;
    const long double HalfChord = Width * std::sqrt(std::max<long double>(0, 1 - Ratio * Ratio));
    // The ceiling taken as a truncation and a step up, which needs no library call; the answer
    // is std::ceil's.
    const long double Exact = (Width - 1 - HalfChord) / 2;
    int Inset = Trunc(Exact);
    if (static_cast<long double>(Inset) < Exact) ++Inset;
    return std::clamp(Inset, 0, (Width - 1) / 2);
}

}  // namespace

namespace detail {

TRoundShape::TRoundShape(const TRect& Bounds, int CornerWidth, int CornerHeight)
    : FBounds(Bounds),
      FCornerWidth(std::clamp(CornerWidth, 0, Bounds.Width())),
      FCornerHeight(std::clamp(CornerHeight, 0, Bounds.Height())) {}

bool TRoundShape::IsEllipse() const {
    return !IsRectangle() && FCornerWidth == FBounds.Width() && FCornerHeight == FBounds.Height();
}

int TRoundShape::InsetFromEdge(int M) const {
    if (M < 0 || M >= CurvedRows()) return 0;
    return EllipseInset(FCornerWidth, FCornerHeight, FCornerHeight - 1 - 2 * M);
}

int TRoundShape::Inset(int Y) const {
    return InsetFromEdge(std::min(Y - FBounds.Top, FBounds.Bottom - 1 - Y));
}

}  // namespace detail

TCanvas::TCanvas(QPainter* Painter) : FPainter(Painter) {
    if (!Active()) return;
    FPainter->save();
    FRestorePainter = true;
    FBaseTransform = FPainter->worldTransform();
    if (FPainter->hasClipping())
        FBaseClip = FPainter->combinedTransform().map(FPainter->clipRegion());
    SetUpPainter();
}

TCanvas::TCanvas(QPaintDevice* Device)
    : FOwnPainter(std::make_unique<QPainter>()), FPainter(FOwnPainter.get()) {
    // A device without pixels (a null image) cannot be painted on; begin() would only complain.
    if (Device == nullptr || Device->width() <= 0 || Device->height() <= 0) return;
    if (FOwnPainter->begin(Device)) SetUpPainter();
}

TCanvas::~TCanvas() {
    if (FRestorePainter && FPainter->isActive()) FPainter->restore();
}

bool TCanvas::Active() const {
    return FPainter != nullptr && FPainter->isActive();
}

void TCanvas::SetUpPainter() {
    FPainter->setRenderHint(QPainter::Antialiasing, FSmooth);
    FPainter->setRenderHint(QPainter::TextAntialiasing, FSmooth);
    // Images keep their pixels either way: a transparent image's key colour must not blend.
    FPainter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    ApplyOrigin();
}

void TCanvas::SetSmooth(bool AValue) {
    FSmooth = AValue;
    if (!Active()) return;
    FPainter->setRenderHint(QPainter::Antialiasing, FSmooth);
    FPainter->setRenderHint(QPainter::TextAntialiasing, FSmooth);
}

template <class TDraw>
void TCanvas::Stroked(TDraw&& Draw) {
    // A cosmetic pen is one pixel wide. The clip stays where it is: Qt keeps it in device pixels.
    const int Width = PenKind() == TPenKind::Wide ? PenWidth() : 1;
    if (!FSmooth || Width % 2 == 0) {
        Draw();
        return;
    }
    const QTransform World = FPainter->worldTransform();
    FPainter->setWorldTransform(QTransform::fromTranslate(0.5, 0.5) * World);
    Draw();
    FPainter->setWorldTransform(World);
}

void TCanvas::SetWindowOrg(const TPoint& Origin) {
    FWindowOrg = ClampPoint(Origin);
    if (Active()) ApplyOrigin();
}

// The clip rectangle is fixed in the logical plane, so it moves on the device with the origin.
void TCanvas::ApplyOrigin() {
    FPainter->setWorldTransform(QTransform::fromTranslate(-FWindowOrg.X, -FWindowOrg.Y) *
                                FBaseTransform);
    ApplyClip();
}

void TCanvas::SetClipRect(const TRect& R) {
    FClipRect = ClampRect(R.Left, R.Top, R.Right, R.Bottom);
    if (Active()) ApplyClip();
}

void TCanvas::ClearClipRect() {
    FClipRect.reset();
    if (Active()) ApplyClip();
}

// The painter clips to the caller's clip (if any) cut by the canvas's clip rectangle; both are
// combined in device pixels and handed back in logical coordinates.
void TCanvas::ApplyClip() {
    FClipMemo.reset();
    const QTransform ToDevice = FPainter->combinedTransform();
    std::optional<QRegion> Device = FBaseClip;
    if (FClipRect) {
        const QRegion Own =
            FClipRect->IsEmpty() ? QRegion() : ToDevice.map(QRegion(ToQRect(*FClipRect)));
        Device = Device ? (*Device & Own) : Own;
    }
    bool Invertible = false;
    const QTransform ToLogical = ToDevice.inverted(&Invertible);
    if (!Device || !Invertible) {
        FPainter->setClipping(false);
        return;
    }
    FPainter->setClipRegion(ToLogical.map(*Device));
}

TRect TCanvas::ClipRect() const {
    if (!Active() || FPainter->device() == nullptr) return TRect{};
    const TClipMemo* Memo = FClipMemo ? &*FClipMemo : nullptr;
    if (Memo && Memo->Device == FPainter->device() && Memo->World == FPainter->worldTransform() &&
        Memo->ViewTransform == FPainter->viewTransformEnabled())
        return Memo->Rect;
    FClipMemo = TClipMemo{FPainter->device(), FPainter->worldTransform(),
                          FPainter->viewTransformEnabled(), WorkOutClipRect()};
    return FClipMemo->Rect;
}

TRect TCanvas::WorkOutClipRect() const {
    QRect Device(0, 0, FPainter->device()->width(), FPainter->device()->height());
    if (FBaseClip) Device &= FBaseClip->boundingRect();
    bool Invertible = false;
    const QTransform ToLogical = FPainter->combinedTransform().inverted(&Invertible);
    if (Device.isEmpty() || !Invertible) return TRect{};
    const QRect Logical = ToLogical.mapRect(Device);
    TRect Result = FromQRect(Logical);
    if (FClipRect) Result = IntersectRect(Result, *FClipRect);
    return Result.IsEmpty() ? TRect{} : Result;
}

bool TCanvas::RectVisible(const TRect& R) const {
    const TRect Clamped = ClampRect(R.Left, R.Top, R.Right, R.Bottom);
    return !IntersectRect(Clamped, ClipRect()).IsEmpty();
}

bool TCanvas::ReachVisible(const TRect& Bounds, int Reach) const {
    TRect R = Bounds;
    InflateRect(R, Reach, Reach);
    return RectVisible(R);
}

// In opaque mode Qt fills the gaps of hatched brushes and dashed pens with the background; for
// anything else the mode changes no pixel, but it sends every primitive through Qt's emulation
// of such painting, at several times the cost: it is set only where it shows.
void TCanvas::ApplyBackground() {
    const bool Gaps =
        (FBrush.Style() != TBrushStyle::bsSolid && FBrush.Style() != TBrushStyle::bsClear) ||
        (FPen.Style() >= TPenStyle::psDash && FPen.Style() <= TPenStyle::psDashDotDot);
    FPainter->setBackgroundMode(FBkMode == TBkMode::Opaque && Gaps ? Qt::OpaqueMode
                                                                   : Qt::TransparentMode);
    FPainter->setBackground(
        FQtBackground.Get(FBkColor, [&] { return QBrush(ColorToQColor(FBkColor)); }));
}

int TCanvas::PenWidth() const {
    return std::clamp(FPen.Width(), 0, kMaxPenWidth);
}

TCanvas::TPenKind TCanvas::PenKind() const {
    switch (FPen.Style()) {
        case TPenStyle::psClear:
            return TPenKind::None;
        case TPenStyle::psDash:
        case TPenStyle::psDot:
        case TPenStyle::psDashDot:
        case TPenStyle::psDashDotDot:
            return PenWidth() > 1 ? TPenKind::Wide : TPenKind::Styled;
        default:
            return PenWidth() > 1 ? TPenKind::Wide : TPenKind::Thin;
    }
}

const QFont& TCanvas::QtFont() const {
    return FQtFont.Get({FFont.Name(), FFont.Size(), FFont.Style()},
                       [&] { return FFont.ToQFont(); });
}

const QPen& TCanvas::MakePen(TPenKind Kind) const {
    return FQtPen.Get({FPen.Color(), FPen.Style(), PenWidth(), Kind}, [&] { return NewPen(Kind); });
}

QPen TCanvas::NewPen(TPenKind Kind) const {
    const QColor Color = ColorToQColor(FPen.Color());
    switch (Kind) {
        case TPenKind::None:
            return QPen(Qt::NoPen);
        case TPenKind::Wide:
            return QPen(QBrush(Color), PenWidth(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        default:
            break;
    }
    // A cosmetic pen with flat caps leaves out the last pixel of every line.
    QPen Pen(QBrush(Color), 0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    // The classic display dash lengths, in pixels.
    switch (FPen.Style()) {
        case TPenStyle::psDash:
            Pen.setDashPattern({18, 6});
            break;
        case TPenStyle::psDot:
            Pen.setDashPattern({3, 3});
            break;
        case TPenStyle::psDashDot:
            Pen.setDashPattern({9, 6, 3, 6});
            break;
        case TPenStyle::psDashDotDot:
            Pen.setDashPattern({9, 3, 3, 3, 3, 3});
            break;
        default:
            break;
    }
    return Pen;
}

const QBrush& TCanvas::MakeBrush() const {
    return FQtBrush.Get({FBrush.Color(), FBrush.Style()}, [&] {
        const Qt::BrushStyle Style = ToQtBrushStyle(FBrush.Style());
        if (Style == Qt::NoBrush) return QBrush(Qt::NoBrush);
        return QBrush(ColorToQColor(FBrush.Color()), Style);
    });
}

const QBrush& TCanvas::PenBrush() const {
    return FQtPenBrush.Get(FPen.Color(), [&] { return QBrush(ColorToQColor(FPen.Color())); });
}

void TCanvas::Rectangle(int Left, int Top, int Right, int Bottom) {
    DrawRoundShape(ClampRect(Left, Top, Right, Bottom), 0, 0);
}

void TCanvas::RoundRect(int Left, int Top, int Right, int Bottom, int CornerWidth,
                        int CornerHeight) {
    // Negative corner sizes clamp to 0: square corners.
    DrawRoundShape(ClampRect(Left, Top, Right, Bottom), ClampCoord(CornerWidth),
                   ClampCoord(CornerHeight));
}

void TCanvas::Ellipse(int Left, int Top, int Right, int Bottom) {
    const TRect R = ClampRect(Left, Top, Right, Bottom);
    DrawRoundShape(R, R.Width(), R.Height());
}

// Rectangles, rounded rectangles and ellipses. A 1-pixel solid pen and the fill are painted
// row by row from the shape's spans, which keeps them symmetric, inside the bounds and cheap
// however large the figure (only visible rows are visited). Styled and wide pens are stroked
// by Qt along the path through the centres of the 1-pixel outline.
void TCanvas::DrawRoundShape(const TRect& Bounds, int CornerWidth, int CornerHeight) {
    if (!Active() || Bounds.IsEmpty()) return;
    const TPenKind Kind = PenKind();
    const int Width = PenWidth();
    if (!ReachVisible(Bounds, Kind == TPenKind::Wide ? Width : 1)) return;
    ApplyBackground();
    if (FSmooth && !detail::TRoundShape(Bounds, CornerWidth, CornerHeight).IsRectangle()) {
        DrawSmoothRoundShape(Bounds, CornerWidth, CornerHeight);
        return;
    }
    const QBrush& Fill = MakeBrush();
    const QBrush& PenFill = PenBrush();
    if (Kind == TPenKind::None) {
        // Without a pen the filled figure is one pixel narrower and shorter.
        const TRect Smaller{Bounds.Left, Bounds.Top, Bounds.Right - 1, Bounds.Bottom - 1};
        if (Smaller.IsEmpty()) return;
        const bool Round = CornerWidth >= Bounds.Width() && CornerHeight >= Bounds.Height();
        PaintShapeRows(detail::TRoundShape(Smaller, Round ? Smaller.Width() : CornerWidth,
                                           Round ? Smaller.Height() : CornerHeight),
                       Fill, Fill);
        return;
    }
    if (Kind == TPenKind::Thin) {
        PaintShapeRows(detail::TRoundShape(Bounds, CornerWidth, CornerHeight), Fill, PenFill);
        return;
    }
    TRect Path = Bounds;
    if (Kind == TPenKind::Wide && FPen.Style() == TPenStyle::psInsideFrame) {
        // Move the path inwards so that the stroke's outer edge lies on the bounds.
        Path = TRect{Bounds.Left + Width / 2, Bounds.Top + Width / 2,
                     Bounds.Right - (Width - 1) / 2, Bounds.Bottom - (Width - 1) / 2};
        if (Path.IsEmpty()) {
            // The pen is wider than the figure: the figure is all pen.
            PaintShapeRows(detail::TRoundShape(Bounds, CornerWidth, CornerHeight), PenFill,
                           PenFill);
            return;
        }
        CornerWidth = std::max(0, CornerWidth - (Width - 1));
        CornerHeight = std::max(0, CornerHeight - (Width - 1));
    }
    const detail::TRoundShape Shape(Path, CornerWidth, CornerHeight);
    PaintShapeRows(Shape, Fill, QBrush(Qt::NoBrush));
    StrokeShape(Shape, Kind);
}

namespace {

// One row of a shape as drawn: Outer pixels are left out at each end, and the pixels from
// Inner on (if Inner >= 0) are inside; the ones between are the outline.
struct TShapeRow {
    int Outer = 0;
    int Inner = -1;
    friend bool operator==(const TShapeRow&, const TShapeRow&) = default;
};

// A pixel is on the outline when it ends its row or when a pixel above or below it is outside
// the shape; the rows beyond the shape's top and bottom are given as Above/Below = -1.
TShapeRow ShapeRow(int Inset, int Above, int Below, int Width) {
    TShapeRow Row{Inset, -1};
    if (Above < 0 || Below < 0) return Row;
    const int Inner = std::max({Inset + 1, Above, Below});
    if (2 * Inner < Width) Row.Inner = Inner;
    return Row;
}

void AddSpan(std::vector<QRect>& Rects, int Left, int Right, int Top, int Bottom,
             const TRect& Visible) {
    Left = std::max(Left, Visible.Left);
    Right = std::min(Right, Visible.Right);
    if (Left < Right) Rects.push_back(ToQRect(TRect{Left, Top, Right, Bottom}));
}

// Figures up to this many curved rows keep their insets between paints.
constexpr int kKeptCurvedRows = 512;

// The insets of every curved row of a figure's corners (see TRoundShape::InsetFromEdge), kept
// by the corners' size: a repaint or a drag paints the same figures again, and a screen holds
// a few hundred sizes at most. One table a thread, as painters may run in several.
const std::vector<int>& KeptInsets(const detail::TRoundShape& Shape) {
    struct TEntry {
        int Width = -1, Height = -1;
        std::vector<int> Insets;
    };
    thread_local std::array<TEntry, 1024> Kept;
    const int W = Shape.CornerWidth(), H = Shape.CornerHeight();
    TEntry& Entry = Kept[(static_cast<size_t>(W) * 131 + static_cast<size_t>(H)) % Kept.size()];
    if (Entry.Width != W || Entry.Height != H) {
        Entry.Width = W;
        Entry.Height = H;
        Entry.Insets.resize(static_cast<size_t>(Shape.CurvedRows()));
        for (int M = 0; M < Shape.CurvedRows(); ++M)
            Entry.Insets[static_cast<size_t>(M)] = Shape.InsetFromEdge(M);
    }
    return Entry.Insets;
}

}  // namespace

void TCanvas::PaintShapeRows(const detail::TRoundShape& Shape, const QBrush& Inside,
                             const QBrush& Edge) {
    const TRect& B = Shape.Bounds();
    const TRect Visible = IntersectRect(B, ClipRect());
    if (Visible.IsEmpty()) return;
    std::vector<QRect>& InsideRects = FInsideRects;
    std::vector<QRect>& EdgeRects = FEdgeRects;
    InsideRects.clear();
    EdgeRects.clear();
    // Two opaque colours are painted in layers, the inside over whole rows of the outline's
    // colour: two rectangles a row instead of three, which is what such painting costs.
    auto Opaque = [](const QBrush& Brush) {
        return Brush.style() == Qt::SolidPattern && Brush.color().alpha() == 255;
    };
    const bool Layered = Opaque(Inside) && Opaque(Edge);
    // Rows that are drawn alike are gathered into one band of rectangles.
    auto Emit = [&](int Top, int Bottom, const TShapeRow& Row) {
        const int Left = B.Left + Row.Outer, Right = B.Right - Row.Outer;
        if (Row.Inner < 0) {
            AddSpan(EdgeRects, Left, Right, Top, Bottom, Visible);
            return;
        }
        const int InLeft = B.Left + Row.Inner, InRight = B.Right - Row.Inner;
        AddSpan(InsideRects, InLeft, InRight, Top, Bottom, Visible);
        if (Layered) {
            AddSpan(EdgeRects, Left, Right, Top, Bottom, Visible);
            return;
        }
        AddSpan(EdgeRects, Left, InLeft, Top, Bottom, Visible);
        AddSpan(EdgeRects, InRight, Right, Top, Bottom, Visible);
    };
    // The lower half mirrors the upper one: each inset is worked out once, and for figures of
    // a common size once for many paints. (Huge figures, of which only some rows show, are not
    // worth the list.)
    const bool Remember = Shape.CurvedRows() <= 65536;
    const bool Keep = Shape.CurvedRows() <= kKeptCurvedRows;
    std::vector<int>& Insets = FInsets;
    const std::vector<int>* Known = Keep ? &KeptInsets(Shape) : nullptr;
    if (!Keep) Insets.assign(Remember ? static_cast<size_t>(Shape.CurvedRows()) : 0, -1);
    auto InsetAt = [&](int Y) {
        if (Y < B.Top || Y >= B.Bottom) return -1;
        const int M = std::min(Y - B.Top, B.Bottom - 1 - Y);
        if (M >= Shape.CurvedRows()) return 0;
        if (Known) return (*Known)[static_cast<size_t>(M)];
        if (!Remember) return Shape.InsetFromEdge(M);
        int& Inset = Insets[static_cast<size_t>(M)];
        if (Inset < 0) Inset = Shape.InsetFromEdge(M);
        return Inset;
    };
    int Above = InsetAt(Visible.Top - 1), Current = InsetAt(Visible.Top);
    int BandTop = Visible.Top;
    TShapeRow Band;
    for (int Y = Visible.Top; Y < Visible.Bottom; ++Y) {
        const int Below = InsetAt(Y + 1);
        const TShapeRow Row = ShapeRow(Current, Above, Below, B.Width());
        if (Y > BandTop && !(Row == Band)) {
            Emit(BandTop, Y, Band);
            BandTop = Y;
        }
        Band = Row;
        Above = Current;
        Current = Below;
    }
    Emit(BandTop, Visible.Bottom, Band);
    FPainter->setPen(Qt::NoPen);
    auto Paint = [this](const QBrush& Brush, const std::vector<QRect>& Rects) {
        if (Brush.style() == Qt::NoBrush || Rects.empty()) return;
        FPainter->setBrush(Brush);
        FPainter->drawRects(Rects.data(), static_cast<int>(Rects.size()));
    };
    Paint(Edge, EdgeRects);
    Paint(Inside, InsideRects);
}

namespace {

// The ideal figure whose edges run through R's corners, with a corner ellipse of the given
// diameters.
QPainterPath RoundPath(const QRectF& R, qreal CornerWidth, qreal CornerHeight, bool Ellipse) {
    QPainterPath Path;
    if (Ellipse)
        Path.addEllipse(R);
    else
        Path.addRoundedRect(R, std::max<qreal>(0, CornerWidth / 2),
                            std::max<qreal>(0, CornerHeight / 2));
    return Path;
}

}  // namespace

// Round shapes of a smooth canvas are filled and stroked along the path through the centres
// of the aliased outline's pixels, which puts the blended edge where the aliased one is.
void TCanvas::DrawSmoothRoundShape(const TRect& Bounds, int CornerWidth, int CornerHeight) {
    const TPenKind Kind = PenKind();
    const int Width = PenWidth();
    const detail::TRoundShape Shape(Bounds, CornerWidth, CornerHeight);
    const bool Ellipse = Shape.IsEllipse();
    if (Kind == TPenKind::None) {
        // As aliased, the filled figure is one pixel narrower and shorter.
        const QRectF R(Bounds.Left, Bounds.Top, Bounds.Width() - 1, Bounds.Height() - 1);
        FPainter->setPen(Qt::NoPen);
        FPainter->setBrush(MakeBrush());
        FPainter->drawPath(RoundPath(R, Shape.CornerWidth(), Shape.CornerHeight(), Ellipse));
        return;
    }
    TRect Path = Bounds;
    int CW = Shape.CornerWidth(), CH = Shape.CornerHeight();
    if (Kind == TPenKind::Wide && FPen.Style() == TPenStyle::psInsideFrame) {
        Path = TRect{Bounds.Left + Width / 2, Bounds.Top + Width / 2,
                     Bounds.Right - (Width - 1) / 2, Bounds.Bottom - (Width - 1) / 2};
        if (Path.IsEmpty()) {
            // The pen is wider than the figure: the figure is all pen.
            FPainter->setPen(Qt::NoPen);
            FPainter->setBrush(PenBrush());
            FPainter->drawPath(RoundPath(ToQRect(Bounds), CW, CH, Ellipse));
            return;
        }
        CW = std::max(0, CW - (Width - 1));
        CH = std::max(0, CH - (Width - 1));
    }
    const QRectF Centre(Path.Left, Path.Top, Path.Width() - 1, Path.Height() - 1);
    const QPainterPath Outline = RoundPath(Centre, CW - 1, CH - 1, Ellipse);
    FPainter->setPen(MakePen(Kind));
    FPainter->setBrush(MakeBrush());
    Stroked([&] { FPainter->drawPath(Outline); });
}

void TCanvas::StrokeShape(const detail::TRoundShape& Shape, TPenKind Kind) {
    FPainter->setPen(MakePen(Kind));
    FPainter->setBrush(Qt::NoBrush);
    const TRect& B = Shape.Bounds();
    const QRectF Path(B.Left, B.Top, B.Width() - 1, B.Height() - 1);
    if (Shape.IsEllipse()) {
        Stroked([&] { FPainter->drawEllipse(Path); });
        return;
    }
    if (!Shape.IsRectangle()) {
        const QPainterPath Outline =
            RoundPath(Path, Shape.CornerWidth() - 1, Shape.CornerHeight() - 1, false);
        Stroked([&] { FPainter->drawPath(Outline); });
        return;
    }
    // Edges far outside the visible area are pulled in by whole dash periods, so that Qt never
    // strokes enormous paths and the visible dashes keep their places.
    const TRect Visible = ClipRect();
    const int Margin = PenWidth() + kDashPeriod;
    auto PullIn = [](int Edge, int Limit, int Sign) {
        const int Excess = Sign * (Limit - Edge);
        return Excess > 0 ? Edge + Sign * (Excess / kDashPeriod * kDashPeriod) : Edge;
    };
    const int L = PullIn(B.Left, Visible.Left - Margin, 1);
    const int T = PullIn(B.Top, Visible.Top - Margin, 1);
    const int R = PullIn(B.Right - 1, Visible.Right + Margin, -1);
    const int Bm = PullIn(B.Bottom - 1, Visible.Bottom + Margin, -1);
    const QPoint Corners[] = {QPoint(L, T), QPoint(R, T), QPoint(R, Bm), QPoint(L, Bm)};
    Stroked([&] { FPainter->drawPolygon(Corners, 4); });
}

namespace {

// Fills Polygon (its capacity kept) with the points, each clamped.
void ToQPolygon(std::span<const TPoint> Points, QPolygon& Polygon) {
    Polygon.clear();
    Polygon.reserve(static_cast<qsizetype>(Points.size()));
    for (const TPoint& P : Points) Polygon.append(ToQPoint(ClampPoint(P)));
}

}  // namespace

void TCanvas::Polygon(std::span<const TPoint> Points) {
    if (!Active() || Points.size() < 2) return;
    QPolygon& Shape = FPolygon;
    ToQPolygon(Points, Shape);
    const TPenKind Kind = PenKind();
    if (!ReachVisible(FromQRect(Shape.boundingRect()), PenWidth() + 1)) return;
    ApplyBackground();
    FPainter->setPen(MakePen(Kind));
    FPainter->setBrush(MakeBrush());
    Stroked([&] { FPainter->drawPolygon(Shape, Qt::OddEvenFill); });
}

void TCanvas::Polyline(std::span<const TPoint> Points) {
    const TPenKind Kind = PenKind();
    if (!Active() || Kind == TPenKind::None) return;
    // Repeated points would make Qt paint a dot for a line of no length.
    QPolygon& Line = FPolygon;
    ToQPolygon(Points, Line);
    Line.erase(std::unique(Line.begin(), Line.end()), Line.end());
    if (Line.size() < 2) return;
    if (!ReachVisible(FromQRect(Line.boundingRect()), PenWidth() + 1)) return;
    ApplyBackground();
    FPainter->setPen(MakePen(Kind));
    FPainter->setBrush(Qt::NoBrush);
    // Qt strokes a wide polyline as one outline, whose every crossing the fill then resolves: a
    // line that crosses itself often takes several times as long as its segments one by one.
    // Round caps and joins make the segments' union the same shape, so a raster device without
    // antialiasing (which would blend the overlaps twice) gets the segments.
    if (Kind == TPenKind::Wide && FPainter->paintEngine() &&
        FPainter->paintEngine()->type() == QPaintEngine::Raster &&
        !FPainter->testRenderHint(QPainter::Antialiasing)) {
        for (qsizetype I = 0; I + 1 < Line.size(); ++I) FPainter->drawLine(Line[I], Line[I + 1]);
        return;
    }
    Stroked([&] { FPainter->drawPolyline(Line); });
}

void TCanvas::MoveTo(int X, int Y) {
    FPenPos = ClampPoint(TPoint{X, Y});
}

void TCanvas::LineTo(int X, int Y) {
    const TPoint From = FPenPos;
    const TPoint To = ClampPoint(TPoint{X, Y});
    FPenPos = To;
    const TPoint Points[] = {From, To};
    Polyline(Points);
}

void TCanvas::FillRect(const TRect& R) {
    if (!Active()) return;
    const TRect Visible = IntersectRect(ClampRect(R.Left, R.Top, R.Right, R.Bottom), ClipRect());
    const QBrush& Brush = MakeBrush();
    if (Visible.IsEmpty() || Brush.style() == Qt::NoBrush) return;
    ApplyBackground();
    FPainter->setPen(Qt::NoPen);
    FPainter->setBrush(Brush);
    FPainter->drawRect(ToQRect(Visible));
}

void TCanvas::InvertRect(const TRect& R) {
    if (!Active()) return;
    const TRect Visible = IntersectRect(ClampRect(R.Left, R.Top, R.Right, R.Bottom), ClipRect());
    if (Visible.IsEmpty()) return;
    // Raster operations work on raster devices only; elsewhere this paints nothing useful.
    // They take no coverage either, so the whole pixels are inverted aliased.
    FPainter->setRenderHint(QPainter::Antialiasing, false);
    FPainter->setCompositionMode(QPainter::RasterOp_NotDestination);
    FPainter->fillRect(ToQRect(Visible), Qt::white);
    FPainter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    FPainter->setRenderHint(QPainter::Antialiasing, FSmooth);
}

void TCanvas::TextOut(int X, int Y, const QString& Text) {
    if (!Active() || Text.isEmpty()) return;
    const QFont& Font = QtFont();
    const QFontMetrics Metrics(Font);
    X = ClampCoord(X);
    Y = ClampCoord(Y);
    const int Width = std::min(Metrics.horizontalAdvance(Text), kPixelLimit);
    const TRect Cell{X, Y, X + Width, Y + Metrics.height()};
    // Glyphs may overhang their cell a little (italics), hence the reach.
    if (!ReachVisible(Cell, Metrics.height())) return;
    if (FBkMode == TBkMode::Opaque && !Cell.IsEmpty())
        FPainter->fillRect(ToQRect(Cell), ColorToQColor(FBkColor));
    FPainter->setBackgroundMode(Qt::TransparentMode);
    FPainter->setFont(Font);
    FPainter->setPen(ColorToQColor(FFont.Color()));
    FPainter->drawText(QPoint(X, Y + Metrics.ascent()), Text);
}

int TCanvas::TextWidth(const QString& Text) const {
    return QFontMetrics(QtFont()).horizontalAdvance(Text);
}

int TCanvas::TextHeight(const QString&) const {
    return QFontMetrics(QtFont()).height();
}

}  // namespace scheme

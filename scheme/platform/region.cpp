#include "scheme/platform/region.h"

#include <QPolygon>
#include <algorithm>
#include <boost/container/small_vector.hpp>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "scheme/platform/canvas.h"

namespace scheme {

namespace {

// A curved end of an ellipse or rounded rectangle with more rows than this is covered by
// bands of several rows, each as wide as its widest row. Huge figures thus give regions of a
// bounded number of rectangles, covering their painting with at most a band's height to spare.
constexpr int kMaxCurvedBands = 2048;
// Polygon regions are worked out on a grid of at most this many cells each way. A larger
// polygon is scaled down onto the grid (its cells then cover several pixels), and the result
// scaled back up, covering the painting with a few cells to spare.
constexpr int kMaxPolygonCells = 4096;
// The edges of a polygon together cross at most about this many grid rows, which bounds the
// work for polygons with many long edges (the grid is coarsened until they fit).
constexpr std::int64_t kPolygonRowBudget = std::int64_t{1} << 19;
// Coarser cells would let the scaled-up band overflow int coordinates.
constexpr int kMaxGridStep = 1 << 26;
// Regions are not moved beyond this magnitude, so their coordinates cannot overflow.
constexpr int kRegionLimit = 2 * kPixelLimit;

std::int64_t FloorDiv(std::int64_t Value, std::int64_t Step) {
    return Value >= 0 ? Value / Step : -((-Value + Step - 1) / Step);
}

int ClampCoord(int Value) {
    return std::clamp(Value, -kPixelLimit, kPixelLimit);
}

// Columns Left .. Right-1 of a row.
using TRun = std::pair<int, int>;

// Gathers a region's rectangles band by band from the top down, merging a band into the one
// above when they touch and cover the same columns, as QRegion::setRects expects.
class TBandList {
public:
    void Add(int Top, int Bottom, const std::vector<TRun>& Runs) {
        if (Top >= Bottom || Runs.empty()) return;
        if (Top == FLastBottom && Runs == FLastRuns) {
            for (std::size_t I = FLastStart; I < FRects.size(); ++I)
                FRects[I].setBottom(Bottom - 1);
        } else {
            FLastStart = FRects.size();
            for (const auto& [Left, Right] : Runs)
                FRects.push_back(QRect(QPoint(Left, Top), QPoint(Right - 1, Bottom - 1)));
            FLastRuns = Runs;
        }
        FLastBottom = Bottom;
    }

    QRegion Region() const {
        QRegion Result;
        if (!FRects.empty()) Result.setRects(FRects.data(), static_cast<int>(FRects.size()));
        return Result;
    }

private:
    std::vector<QRect> FRects;
    std::vector<TRun> FLastRuns;
    std::size_t FLastStart = 0;
    std::int64_t FLastBottom = INT64_MIN;
};

int CurvedBandStep(const detail::TRoundShape& Shape) {
    return std::max(1, (Shape.CurvedRows() + kMaxCurvedBands - 1) / kMaxCurvedBands);
}

// The inset of the band of curved rows that starts M rows from the nearer edge: a band is as
// wide as its widest row, the one nearest the middle.
int BandInset(const detail::TRoundShape& Shape, int Step, int M) {
    return Shape.InsetFromEdge(std::min(M + Step, Shape.CurvedRows()) - 1);
}

QRegion RoundShapeRegion(const detail::TRoundShape& Shape) {
    const TRect& B = Shape.Bounds();
    const int Curved = Shape.CurvedRows();
    const int Step = CurvedBandStep(Shape);
    auto Widest = [&](int Begin) {
        const int Inset = BandInset(Shape, Step, Begin);
        return std::vector<TRun>{{B.Left + Inset, B.Right - Inset}};
    };
    TBandList Bands;
    for (int M = 0; M < Curved; M += Step)
        Bands.Add(B.Top + M, B.Top + std::min(M + Step, Curved), Widest(M));
    Bands.Add(B.Top + Curved, B.Bottom - Curved, {{B.Left, B.Right}});
    if (Curved > 0) {
        for (int M = (Curved - 1) / Step * Step; M >= 0; M -= Step)
            Bands.Add(B.Bottom - std::min(M + Step, Curved), B.Bottom - M, Widest(M));
    }
    return Bands.Region();
}

// The row of RoundShapeRegion(Shape) that holds (X, Y), looked up without building it.
bool PtInRoundShape(const detail::TRoundShape& Shape, int X, int Y) {
    const TRect& B = Shape.Bounds();
    if (Y < B.Top || Y >= B.Bottom) return false;
    const int FromEdge = std::min(Y - B.Top, B.Bottom - 1 - Y);
    int Inset = 0;
    if (FromEdge < Shape.CurvedRows()) {
        const int Step = CurvedBandStep(Shape);
        Inset = BandInset(Shape, Step, FromEdge / Step * Step);
    }
    return X >= B.Left + Inset && X < B.Right - Inset;
}

// The smallest power of two that brings Extent within Cells.
int GridStep(std::int64_t Extent, std::int64_t Cells) {
    int Step = 1;
    while (Extent / Step > Cells) Step *= 2;
    return Step;
}

// The column where the edge from P to Q crosses the line Y (a horizontal edge: P's column).
double EdgeX(QPoint P, QPoint Q, double Y) {
    return P.y() == Q.y() ? P.x() : P.x() + (Y - P.y()) * (Q.x() - P.x()) / (Q.y() - P.y());
}

void MergeRuns(std::vector<TRun>& Runs) {
    std::sort(Runs.begin(), Runs.end(),
              [](const TRun& A, const TRun& B) { return A.first < B.first; });
    std::size_t Out = 0;
    for (const TRun& Run : Runs) {
        if (Out > 0 && Run.first <= Runs[Out - 1].second)
            Runs[Out - 1].second = std::max(Runs[Out - 1].second, Run.second);
        else
            Runs[Out++] = Run;
    }
    Runs.resize(Out);
}

// The columns an edge covers in grid row Y together with the rows within Reach of it.
TRun EdgeBand(QPoint P, QPoint Q, int Y, int Reach) {
    const int Y0 = std::min(P.y(), Q.y()), Y1 = std::max(P.y(), Q.y());
    const double A = P.y() == Q.y() ? P.x() : EdgeX(P, Q, std::max(Y - Reach, Y0));
    const double B = P.y() == Q.y() ? Q.x() : EdgeX(P, Q, std::min(Y + Reach, Y1));
    return {static_cast<int>(std::floor(std::min(A, B))) - Reach,
            static_cast<int>(std::ceil(std::max(A, B))) + Reach + 1};
}

// The runs of a row between the crossings of its centre line whose winding the fill rule puts
// inside; Crossings are sorted here.
template <class TCrossings, class TRuns>
void AddFillRuns(TCrossings& Crossings, Qt::FillRule Rule, TRuns& Runs) {
    std::sort(Crossings.begin(), Crossings.end(),
              [](const auto& A, const auto& B) { return A.first < B.first; });
    int Winding = 0;
    for (std::size_t I = 0; I + 1 < Crossings.size(); ++I) {
        Winding += Rule == Qt::WindingFill ? Crossings[I].second : 1;
        if (Rule == Qt::WindingFill ? Winding == 0 : Winding % 2 == 0) continue;
        Runs.push_back({static_cast<int>(std::ceil(Crossings[I].first - 0.5)),
                        static_cast<int>(std::ceil(Crossings[I + 1].first - 0.5))});
    }
}

// A crossing of the row's centre line: its column and the edge's direction.
std::pair<double, int> Crossing(QPoint P, QPoint Q, int Y) {
    return {EdgeX(P, Q, Y + 0.5), P.y() < Q.y() ? 1 : -1};
}

// The polygon's rows on a grid where its vertices lie in rows 0 .. Height: the cells whose
// centres the fill rule puts inside, joined with every cell within Reach (in x and in y) of an
// edge. The band takes in the painted outline, which QRegion-style sampling leaves out along
// right and bottom edges, and all of thin or degenerate polygons. Rows are built directly
// rather than through QRegion(QPolygon), whose time grows much faster than its output (a
// 1000-vertex zigzag takes minutes there).
QRegion GridPolygonRegion(const QPolygon& Polygon, int Height, int Reach, Qt::FillRule Rule) {
    const std::size_t RowCount = static_cast<std::size_t>(Height) + 2 * Reach + 1;
    std::vector<std::vector<TRun>> Runs(RowCount);
    std::vector<std::vector<std::pair<double, int>>> Crossings(RowCount);
    auto Row = [Reach](int Y) { return static_cast<std::size_t>(Y + Reach); };
    for (qsizetype I = 0; I < Polygon.size(); ++I) {
        const QPoint P = Polygon[I], Q = Polygon[(I + 1) % Polygon.size()];
        const int Y0 = std::min(P.y(), Q.y()), Y1 = std::max(P.y(), Q.y());
        for (int Y = Y0 - Reach; Y <= Y1 + Reach; ++Y)
            Runs[Row(Y)].push_back(EdgeBand(P, Q, Y, Reach));
        for (int Y = Y0; Y < Y1; ++Y) Crossings[Row(Y)].push_back(Crossing(P, Q, Y));
    }
    TBandList Bands;
    for (std::size_t R = 0; R < RowCount; ++R) {
        AddFillRuns(Crossings[R], Rule, Runs[R]);
        MergeRuns(Runs[R]);
        const int Y = static_cast<int>(R) - Reach;
        Bands.Add(Y, Y + 1, Runs[R]);
    }
    return Bands.Region();
}

// Each rectangle of a grid region blown up to the pixels its cells stand for.
QRegion ScaleUp(const QRegion& Grid, int StepX, int StepY) {
    std::vector<QRect> Rects;
    Rects.reserve(static_cast<std::size_t>(Grid.rectCount()));
    for (const QRect& R : Grid)
        Rects.push_back(QRect(R.x() * StepX, R.y() * StepY, R.width() * StepX, R.height() * StepY));
    QRegion Result;
    if (!Rects.empty()) Result.setRects(Rects.data(), static_cast<int>(Rects.size()));
    return Result;
}

}  // namespace

QRegion CreateRectRgn(int Left, int Top, int Right, int Bottom) {
    const TRect R{ClampCoord(Left), ClampCoord(Top), ClampCoord(Right), ClampCoord(Bottom)};
    return R.IsEmpty() ? QRegion() : QRegion(ToQRect(R));
}

QRegion CreateRectRgnIndirect(const TRect& R) {
    return CreateRectRgn(R.Left, R.Top, R.Right, R.Bottom);
}

QRegion CreateEllipticRgn(int Left, int Top, int Right, int Bottom) {
    const TRect R{ClampCoord(Left), ClampCoord(Top), ClampCoord(Right), ClampCoord(Bottom)};
    if (R.IsEmpty()) return QRegion();
    return RoundShapeRegion(detail::TRoundShape(R, R.Width(), R.Height()));
}

QRegion CreateEllipticRgnIndirect(const TRect& R) {
    return CreateEllipticRgn(R.Left, R.Top, R.Right, R.Bottom);
}

QRegion CreateRoundRectRgn(int Left, int Top, int Right, int Bottom, int CornerWidth,
                           int CornerHeight) {
    const TRect R{ClampCoord(Left), ClampCoord(Top), ClampCoord(Right), ClampCoord(Bottom)};
    if (R.IsEmpty()) return QRegion();
    return RoundShapeRegion(
        detail::TRoundShape(R, ClampCoord(CornerWidth), ClampCoord(CornerHeight)));
}

TPolygonRgn::TPolygonRgn(std::span<const TPoint> Points, TPolyFillMode Mode)
    : FRule(Mode == TPolyFillMode::Winding ? Qt::WindingFill : Qt::OddEvenFill) {
    if (Points.size() < 3) return;
    int MinX = kPixelLimit, MinY = kPixelLimit, MaxX = -kPixelLimit, MaxY = -kPixelLimit;
    std::int64_t EdgeRows = 0;
    for (std::size_t I = 0; I < Points.size(); ++I) {
        const TPoint P = Points[I], Q = Points[(I + 1) % Points.size()];
        MinX = std::min(MinX, ClampCoord(P.X));
        MaxX = std::max(MaxX, ClampCoord(P.X));
        MinY = std::min(MinY, ClampCoord(P.Y));
        MaxY = std::max(MaxY, ClampCoord(P.Y));
        EdgeRows += std::abs(std::int64_t{ClampCoord(Q.Y)} - ClampCoord(P.Y));
    }
    FStepX = GridStep(std::int64_t{MaxX} - MinX, kMaxPolygonCells);
    FStepY = GridStep(std::int64_t{MaxY} - MinY, kMaxPolygonCells);
    while (EdgeRows / FStepY > kPolygonRowBudget && FStepY < kMaxGridStep) FStepY *= 2;
    FGrid.reserve(static_cast<qsizetype>(Points.size()));
    for (const TPoint& P : Points)
        FGrid.append(QPoint((ClampCoord(P.X) - MinX) / FStepX, (ClampCoord(P.Y) - MinY) / FStepY));
    FMinX = MinX;
    FMinY = MinY;
    FHeight = (MaxY - MinY) / FStepY;
    // On a coarse grid the rounded vertices may be a cell off, hence the wider band.
    FReach = Exact() ? 1 : 3;
}

QRegion TPolygonRgn::Region() const {
    if (FGrid.isEmpty()) return QRegion();
    const QRegion Local = GridPolygonRegion(FGrid, FHeight, FReach, FRule);
    return (Exact() ? Local : ScaleUp(Local, FStepX, FStepY)).translated(FMinX, FMinY);
}

// Rows and runs reach FReach cells past the vertices' cells, and the last run one cell more.
TRect TPolygonRgn::OuterBounds() const {
    if (FGrid.isEmpty()) return TRect{};
    int MaxCellX = 0;
    for (const QPoint& P : FGrid) MaxCellX = std::max(MaxCellX, P.x());
    const std::int64_t ReachX = std::int64_t{FReach + 1} * FStepX;
    const std::int64_t ReachY = std::int64_t{FReach + 1} * FStepY;
    auto Clamped = [](std::int64_t V) {
        return static_cast<int>(std::clamp<std::int64_t>(V, -kRegionLimit, kRegionLimit));
    };
    return TRect{Clamped(FMinX - ReachX), Clamped(FMinY - ReachY),
                 Clamped(FMinX + std::int64_t{MaxCellX + 1} * FStepX + ReachX),
                 Clamped(FMinY + std::int64_t{FHeight + 1} * FStepY + ReachY)};
}

// The one row of GridPolygonRegion that holds the point's cell, worked out from the edges.
bool TPolygonRgn::Contains(int X, int Y) const {
    if (FGrid.isEmpty()) return false;
    auto Cell = [](int Value, int Min, int Step) {
        return static_cast<int>(FloorDiv(std::int64_t{Value} - Min, Step));
    };
    const int CX = Cell(X, FMinX, FStepX), CY = Cell(Y, FMinY, FStepY);
    if (CY < -FReach || CY > FHeight + FReach) return false;
    boost::container::small_vector<TRun, 16> Runs;
    boost::container::small_vector<std::pair<double, int>, 16> Crossings;
    for (qsizetype I = 0; I < FGrid.size(); ++I) {
        const QPoint P = FGrid[I], Q = FGrid[(I + 1) % FGrid.size()];
        const int Y0 = std::min(P.y(), Q.y()), Y1 = std::max(P.y(), Q.y());
        if (CY >= Y0 - FReach && CY <= Y1 + FReach) Runs.push_back(EdgeBand(P, Q, CY, FReach));
        if (CY >= Y0 && CY < Y1) Crossings.push_back(Crossing(P, Q, CY));
    }
    AddFillRuns(Crossings, FRule, Runs);
    return std::any_of(Runs.begin(), Runs.end(),
                       [CX](const TRun& R) { return CX >= R.first && CX < R.second; });
}

QRegion CreatePolygonRgn(std::span<const TPoint> Points, TPolyFillMode Mode) {
    return TPolygonRgn(Points, Mode).Region();
}

bool PtInRectRgn(int Left, int Top, int Right, int Bottom, int X, int Y) {
    const TRect R{ClampCoord(Left), ClampCoord(Top), ClampCoord(Right), ClampCoord(Bottom)};
    return !R.IsEmpty() && X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom;
}

bool PtInEllipticRgn(int Left, int Top, int Right, int Bottom, int X, int Y) {
    const TRect R{ClampCoord(Left), ClampCoord(Top), ClampCoord(Right), ClampCoord(Bottom)};
    return !R.IsEmpty() && PtInRoundShape(detail::TRoundShape(R, R.Width(), R.Height()), X, Y);
}

bool PtInRoundRectRgn(int Left, int Top, int Right, int Bottom, int CornerWidth, int CornerHeight,
                      int X, int Y) {
    const TRect R{ClampCoord(Left), ClampCoord(Top), ClampCoord(Right), ClampCoord(Bottom)};
    return !R.IsEmpty() &&
           PtInRoundShape(detail::TRoundShape(R, ClampCoord(CornerWidth), ClampCoord(CornerHeight)),
                          X, Y);
}

bool PtInRegion(const QRegion& Region, int X, int Y) {
    return Region.contains(QPoint(X, Y));
}

QRegion OffsetRgn(const QRegion& Region, int DX, int DY) {
    if (Region.isEmpty()) return Region;
    const QRect B = Region.boundingRect();
    auto Limit = [](int Delta, int Low, int High) {
        const std::int64_t Least = std::int64_t{-kRegionLimit} - Low;
        const std::int64_t Most = std::int64_t{kRegionLimit} - High;
        return Least > Most ? 0 : static_cast<int>(std::clamp<std::int64_t>(Delta, Least, Most));
    };
    return Region.translated(Limit(DX, B.left(), B.right()), Limit(DY, B.top(), B.bottom()));
}

TRect RegionBounds(const QRegion& Region) {
    return Region.isEmpty() ? TRect{} : FromQRect(Region.boundingRect());
}

}  // namespace scheme

#include "scheme/platform/region.h"

#include <QPolygon>
#include <algorithm>
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

QRegion RoundShapeRegion(const detail::TRoundShape& Shape) {
    const TRect& B = Shape.Bounds();
    const int Curved = Shape.CurvedRows();
    const int Step = std::max(1, (Curved + kMaxCurvedBands - 1) / kMaxCurvedBands);
    // The widest row of a band of curved rows is the one nearest the middle.
    auto Widest = [&](int Begin) {
        const int Inset = Shape.InsetFromEdge(std::min(Begin + Step, Curved) - 1);
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

// The smallest power of two that brings Extent within Cells.
int GridStep(std::int64_t Extent, std::int64_t Cells) {
    int Step = 1;
    while (Extent / Step > Cells) Step *= 2;
    return Step;
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
        auto XAt = [&](double Y) {
            return P.y() == Q.y() ? P.x() : P.x() + (Y - P.y()) * (Q.x() - P.x()) / (Q.y() - P.y());
        };
        for (int Y = Y0 - Reach; Y <= Y1 + Reach; ++Y) {
            // The edge's columns over the rows Y - Reach .. Y + Reach.
            const double A = P.y() == Q.y() ? P.x() : XAt(std::max(Y - Reach, Y0));
            const double B = P.y() == Q.y() ? Q.x() : XAt(std::min(Y + Reach, Y1));
            Runs[Row(Y)].push_back({static_cast<int>(std::floor(std::min(A, B))) - Reach,
                                    static_cast<int>(std::ceil(std::max(A, B))) + Reach + 1});
        }
        for (int Y = Y0; Y < Y1; ++Y)
            Crossings[Row(Y)].push_back({XAt(Y + 0.5), P.y() < Q.y() ? 1 : -1});
    }
    TBandList Bands;
    for (std::size_t R = 0; R < RowCount; ++R) {
        auto& Cross = Crossings[R];
        std::sort(Cross.begin(), Cross.end(),
                  [](const auto& A, const auto& B) { return A.first < B.first; });
        int Winding = 0;
        for (std::size_t I = 0; I + 1 < Cross.size(); ++I) {
            Winding += Rule == Qt::WindingFill ? Cross[I].second : 1;
            if (Rule == Qt::WindingFill ? Winding == 0 : Winding % 2 == 0) continue;
            Runs[R].push_back({static_cast<int>(std::ceil(Cross[I].first - 0.5)),
                               static_cast<int>(std::ceil(Cross[I + 1].first - 0.5))});
        }
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

QRegion CreatePolygonRgn(std::span<const TPoint> Points, TPolyFillMode Mode) {
    if (Points.size() < 3) return QRegion();
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
    const int StepX = GridStep(std::int64_t{MaxX} - MinX, kMaxPolygonCells);
    int StepY = GridStep(std::int64_t{MaxY} - MinY, kMaxPolygonCells);
    while (EdgeRows / StepY > kPolygonRowBudget && StepY < kMaxGridStep) StepY *= 2;
    QPolygon Grid;
    Grid.reserve(static_cast<qsizetype>(Points.size()));
    for (const TPoint& P : Points)
        Grid.append(QPoint((ClampCoord(P.X) - MinX) / StepX, (ClampCoord(P.Y) - MinY) / StepY));
    const bool Exact = StepX == 1 && StepY == 1;
    // On a coarse grid the rounded vertices may be a cell off, hence the wider band.
    const int Reach = Exact ? 1 : 3;
    const Qt::FillRule Rule = Mode == TPolyFillMode::Winding ? Qt::WindingFill : Qt::OddEvenFill;
    const QRegion Local = GridPolygonRegion(Grid, (MaxY - MinY) / StepY, Reach, Rule);
    return (Exact ? Local : ScaleUp(Local, StepX, StepY)).translated(MinX, MinY);
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

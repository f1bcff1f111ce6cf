// Objects are kept compact without changing what they do: building one allocates only the
// object, coordinates read back exactly whatever their precision, and the tool objects handed
// out on request are the object's own settings.
#include <gtest/gtest.h>

#include <atomic>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>

#include "fake_scheme_data.h"
#include "scheme/model/class_registry.h"
#include "scheme/model/record.h"
#include "scheme/model/scheme_box.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_line.h"
#include "scheme/model/scheme_polygon.h"
#include "scheme/model/scheme_text.h"
#include "scheme/platform/convert.h"

using namespace scheme;
using scheme::testing::FakeSchemeData;

// The sanitizers bring their own allocator, which a replaced global operator new would bypass;
// the block count is checked in the other builds.
#if !defined(__SANITIZE_ADDRESS__)
// Live heap blocks, counted while a test asks for it.
namespace {
thread_local bool GCounting = false;
thread_local long GLiveBlocks = 0;
}  // namespace

void* operator new(std::size_t Size) {
    if (GCounting) ++GLiveBlocks;
    if (void* P = std::malloc(Size ? Size : 1)) return P;
    throw std::bad_alloc();
}
void operator delete(void* P) noexcept {
    if (P && GCounting) --GLiveBlocks;
    std::free(P);
}
void operator delete(void* P, std::size_t) noexcept {
    operator delete(P);
}

namespace {

// The heap blocks that stay behind after Make, which must build an object and hand it back.
template <class F>
long BlocksKept(F&& Make) {
    delete Make();  // warms the caches lookups fill on first use
    GLiveBlocks = 0;
    GCounting = true;
    TSchemeObject* Obj = Make();
    GCounting = false;
    const long Kept = GLiveBlocks;
    delete Obj;
    return Kept;
}

TSchemeObject* FromRecord(const QString& Kind, const QString& Record) {
    QStringList Lines = Record.split(QLatin1Char('|'));
    return dynamic_cast<TSchemeObject*>(FindSchemeClass(Kind)->Create(Lines).release());
}

}  // namespace

TEST(CompactObjects, AnObjectOfFewPointsIsOneAllocationBuiltOrRead) {
    const std::vector<TPoint> Four{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    struct TCase {
        const char* Name;
        std::function<TSchemeObject*()> Make;
        long Blocks;
    } Cases[] = {
        {"box", [] { return new TSchemeBox(1, 0, 0, 30, 20, 0); }, 1},
        {"shape", [] { return new TSchemeShape(1, 0, 0, 30, 20, 0, TShapeType::stEllipse); }, 1},
        {"line", [] { return new TSchemeLine(1, 0, 0, 30, 20, 2, 0); }, 1},
        {"polygon",
         [&] {
             return new TSchemePolygon(1, Four, 0, TBrushStyle::bsClear, QString(), {0, 0});
         },
         1},
        // The caption; its characters are the literal's.
        {"text", [] { return new TSchemeText(1, 0, 0, 30, 20, 0, QStringLiteral("T1")); }, 2},
        {"read shape",
         [] {
             return FromRecord(
                 QStringLiteral("TSchemeShape"),
                 QStringLiteral("ID=1|State=0|Shape=4|Pen.Width=3|Brush.Color=clRed|Count=4|"
                                "X0=0|Y0=0|X1=9|Y1=0|X2=9|Y2=9|X3=0|Y3=9"));
         },
         1},
        // Eight points go to the heap; coordinates that are no double go there in full.
        {"read polygon",
         [] {
             return FromRecord(
                 QStringLiteral("TSchemePolygon"),
                 QStringLiteral("ID=1|State=0|Count=8|X0=0|Y0=0|X1=1|Y1=0|X2=2|Y2=0|X3=3|"
                                "Y3=1|X4=4|Y4=2|X5=5|Y5=3|X6=0.1|Y6=4|X7=7|Y7=5"));
         },
         2},
    };
    for (const TCase& C : Cases) EXPECT_EQ(BlocksKept(C.Make), C.Blocks) << C.Name;
    EXPECT_LE(sizeof(TSchemeShape), 256u);
}

#endif  // !__SANITIZE_ADDRESS__

TEST(CompactObjects, CoordinatesReadBackExactlyAndSaveAsBefore) {
    const Extended Values[] = {0,
                               -0.0L,
                               -2.5,
                               999999999999999.0L,
                               1e15L,
                               -4503599627370497.0L,
                               1e300,
                               0.1L,
                               1.0L / 3,
                               12345.678901234567891L,
                               LDBL_MAX,
                               LDBL_TRUE_MIN,
                               -std::numeric_limits<Extended>::infinity(),
                               std::numeric_limits<Extended>::quiet_NaN()};
    auto Same = [](Extended A, Extended B) { return A == B || (std::isnan(A) && std::isnan(B)); };
    for (const Extended V : Values) {
        const QString Text = FloatToStrG(V);
        // Three points live inside the object, seven on the heap.
        for (const int N : {3, 7}) {
            std::vector<TPointExt> Points;
            for (int I = 0; I < N; ++I) Points.push_back(PointExt(I, 2 * I));
            TSchemePolygon Obj(1, Points, 0, TBrushStyle::bsSolid, QString(), PointExt(5, 5));
            Obj.SetPointsExt(1, PointExt(V, 7), false);
            Obj.AddPointExt(PointExt(-1, V), 0);
            Obj.SetTextPoint(PointExt(V, V));
            EXPECT_TRUE(Same(Obj.GetPointsExt(2).X, V)) << Text.toStdString();
            EXPECT_TRUE(Same(Obj.GetPointsExt(0).Y, V)) << Text.toStdString();
            EXPECT_EQ(Obj.GetPointsExt(N).X, N - 1) << Text.toStdString();
            EXPECT_TRUE(Same(Obj.TextPoint().Y, V)) << Text.toStdString();
            QStringList Lines;
            Obj.SaveToStrings(Lines);
            EXPECT_TRUE(Lines.contains(QStringLiteral("  X2=") + Text)) << Text.toStdString();
            EXPECT_TRUE(Lines.contains(QStringLiteral("  TextPoint.Y=") + Text));
            // A file's bytes carry the same lines.
            std::string Bytes;
            record::TRecordWriter Writer(Bytes, 1 << 16);
            Obj.WriteTo(Writer);
            EXPECT_EQ(QString::fromLatin1(Bytes.data(), qsizetype(Bytes.size())),
                      Lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"))
                << Text.toStdString();
        }
    }
}

TEST(CompactObjects, ToolsHandedOutAreTheObjectsOwnSettings) {
    FakeSchemeData Data;
    TSchemeLayer Layer{1};
    Layer.SetSchemeData(&Data);
    auto* Box = new TSchemeBox(1, 0, 0, 30, 20, 0);
    Layer.Add(Box);
    Data.Reset();
    const TSchemeArea Before = Box->Area();

    TPen* Pen = Box->Pen();
    Pen->SetWidth(6);
    EXPECT_EQ(Data.NoticesOf(TSchemeNoticeKind::Changing, Box), 1);
    EXPECT_EQ(Data.NoticesOf(TSchemeNoticeKind::Changed, Box), 1);
    EXPECT_EQ(Box->PenData().Width, 6);
    EXPECT_GT(Box->Area().Margin, Before.Margin);
    Box->Brush()->SetColor(clRed);
    Box->Properties()->Add(QStringLiteral("Key=1"));
    QStringList Lines;
    Box->SaveToStrings(Lines);
    for (const char* Line : {"  Brush.Color=clRed", "  Pen.Width=6", "    Key=1"})
        EXPECT_TRUE(Lines.contains(QLatin1String(Line))) << Line;

    // Settings given to the object show through the tool it handed out.
    TPen Thin;
    Thin.SetWidth(2);
    Box->SetPen(Thin);
    EXPECT_EQ(Pen->Width(), 2);
    EXPECT_EQ(Box->Pen(), Pen);
}

#include <gtest/gtest.h>

#include "scheme/document/scheme_data_editor.h"
#include "scheme/model/ext/scheme_polyline.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_polygon.h"
#include "scheme/model/scheme_text.h"
#include "scheme/platform/exceptions.h"

namespace scheme::testing {
namespace {

struct TSnapRow {
    bool Enabled;
    Extended DeltaX, DeltaY;
    Extended X, Y;
    Extended SnappedX, SnappedY;
};

class AlignPointToGridTest : public ::testing::TestWithParam<TSnapRow> {};

TEST_P(AlignPointToGridTest, SnapsEachAxisByItselfHalvesToEven) {
    const TSnapRow& Row = GetParam();
    TSchemeDataEditor Data;
    Data.AlignToGrid().SetDeltaX(Row.DeltaX);
    Data.AlignToGrid().SetDeltaY(Row.DeltaY);
    Data.AlignToGrid().SetEnabled(Row.Enabled);
    Extended X = Row.X, Y = Row.Y;
    Data.AlignPointToGrid(X, Y);
    EXPECT_EQ(X, Row.SnappedX);
    EXPECT_EQ(Y, Row.SnappedY);
}

INSTANTIATE_TEST_SUITE_P(Rows, AlignPointToGridTest,
                         ::testing::Values(TSnapRow{true, 0.5, 0.5, 1.25, 1.75, 1.0, 2.0},
                                           TSnapRow{true, 0.5, 0.5, -1.25, -1.75, -1.0, -2.0},
                                           TSnapRow{true, 0, 2, 3.3, 3.3, 3.3, 4},
                                           TSnapRow{true, -1, 2, 3.3, 5, 3.3, 4},
                                           TSnapRow{false, 0.5, 2, 1.3, 3.3, 1.3, 3.3}));

TEST(EditorDocumentTest, AFreshDocumentDoesNotSnapAndNoSettingsLeaveTheSettingsAlone) {
    TSchemeDataEditor Data;
    EXPECT_FALSE(Data.ObjectDragging());
    Extended X = 1.3L, Y = -7.9L;
    Data.AlignPointToGrid(X, Y);
    EXPECT_EQ(X, 1.3L);
    EXPECT_EQ(Y, -7.9L);
    int Changes = 0;
    Data.AlignToGrid().OnChange = [&](TObject*) { ++Changes; };
    TSchemeGridType Grid;
    Grid.SetDeltaX(5);
    Grid.SetEnabled(true);
    Data.SetGrid(&Grid);
    Data.SetGrid(nullptr);
    EXPECT_EQ(Changes, 2);
    EXPECT_EQ(Data.AlignToGrid().DeltaX(), 5);
    EXPECT_TRUE(Data.AlignToGrid().Enabled());
    EXPECT_NE(&Data.AlignToGrid(), &Grid);
}

TEST(EditorDocumentTest, ResizedPointsAreAddedAndDeletedOnPolygonsAndPolylinesOnly) {
    TSchemeDataEditor Data;
    Data.LayerAdd(1);
    const TPoint Square[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    TSchemePolygon* Polygon =
        Data.ObjectAddPolygon(1, 1, Square, 0, TBrushStyle::bsSolid, QString(), Square[0]);
    Polygon->SetResizedPoint(1);
    Data.ObjectAddResizedPointDirect(Polygon);
    EXPECT_EQ(Polygon->Count(), 5);
    EXPECT_EQ(Polygon->GetPoints(2), (TPoint{10, 5}));
    EXPECT_EQ(Polygon->ResizedPoint(), 2);
    Data.ObjectDeleteResizedPointDirect(Polygon);
    EXPECT_EQ(Polygon->Count(), 4);
    auto* Polyline =
        new TSchemePolyline(2, std::span<const TPoint>(Square, 2), 1, 0, QString(), Square[0]);
    Data.ObjectAddDirect(1, Polyline);
    EXPECT_THROW(Data.ObjectDeleteResizedPointDirect(Polyline), ESchemeErrorException);
    Polyline->SetResizedPoint(1);
    Data.ObjectAddResizedPointDirect(Polyline);
    EXPECT_EQ(Polyline->Count(), 3);
    TSchemeShape* Box = Data.ObjectAddShapeExt(1, 3, 0, 0, 10, 10, 0, TShapeType::stRectangle);
    auto* Text = new TSchemeText(4, 0, 0, 20, 10, 0, QStringLiteral("t"));
    Data.ObjectAddDirect(1, Text);
    for (TSchemeObject* Obj :
         {static_cast<TSchemeObject*>(Box), static_cast<TSchemeObject*>(Text)}) {
        Data.ObjectAddResizedPointDirect(Obj);
        Data.ObjectDeleteResizedPointDirect(Obj);
        EXPECT_EQ(Obj->Count(), 4);
    }
}

}  // namespace
}  // namespace scheme::testing

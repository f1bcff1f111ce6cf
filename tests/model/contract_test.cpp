// Every registered object kind honours the object contract: it is built from its record, writes
// the same record back, clones, moves, follows every hook it offers, paints and hit-tests. A
// new kind is covered the day it is registered; it only needs a sample record below.
#include <gtest/gtest.h>

#include "qt_printers.h"

#include <QImage>
#include <functional>
#include <iterator>
#include <map>
#include <memory>

#include "fake_scheme_data.h"
#include "model/object_samples.h"
#include "scheme/model/class_registry.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_object.h"
#include "scheme/model/scheme_polygon.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/region.h"

using namespace scheme;
using namespace scheme::testing;

namespace {

bool IsObjectKind(const QString& Name) {
    QStringList Probe = SampleRecords().count(Name)
                            ? SampleRecords().at(Name).split(QLatin1Char('|'))
                            : QStringList{QStringLiteral("ID=1")};
    try {
        return dynamic_cast<TSchemeObject*>(FindSchemeClass(Name)->Create(Probe).get()) != nullptr;
    } catch (...) {
        return true;  // a kind that cannot even read a probe must get a sample
    }
}

QStringList RegisteredObjectKinds() {
    QStringList Kinds;
    for (const QString& Name : RegisteredSchemeClassNames())
        if (IsObjectKind(Name)) Kinds.append(Name);
    return Kinds;
}

QStringList Saved(const TSchemeObject& Obj) {
    QStringList Strings;
    Obj.SaveToStrings(Strings);
    return Strings;
}

class ObjectContract : public ::testing::TestWithParam<QString> {
protected:
    void SetUp() override {
        ASSERT_TRUE(SampleRecords().count(GetParam()))
            << "no sample record for " << GetParam().toStdString();
        const TColor Colors[] = {clRed, clLime, clBlue};
        Layer.SetAllStateColors(Colors);
    }

    // A fresh object of the kind, in its own layer (owned by it) or free (owned by the caller).
    TSchemeObject* Make(bool InLayer = true) {
        QStringList Strings = SampleRecords().at(GetParam()).split(QLatin1Char('|'));
        std::unique_ptr<TSchemePersistent> Item = FindSchemeClass(GetParam())->Create(Strings);
        auto* Obj = dynamic_cast<TSchemeObject*>(Item.release());
        if (InLayer) Layer.Add(Obj);
        return Obj;
    }

    TSchemeLayer Layer{1};
};

TEST_P(ObjectContract, RecordRoundTripIsExact) {
    std::unique_ptr<TSchemeObject> Obj(Make(false));
    EXPECT_EQ(Obj->ClassName(), GetParam());
    QStringList First = Saved(*Obj);
    std::unique_ptr<TSchemePersistent> Back = FindSchemeClass(GetParam())->Create(First);
    EXPECT_EQ(Saved(dynamic_cast<TSchemeObject&>(*Back)), Saved(*Obj));
}

TEST_P(ObjectContract, CloneIsTheSameObjectTwoUnitsAway) {
    TSchemeObject* Obj = Make();
    TSchemeObject* Copy = Obj->Clone();
    ASSERT_NE(Copy, nullptr);
    EXPECT_EQ(Copy->Layer(), &Layer);
    EXPECT_EQ(Copy->Id(), 2);
    const TPointExt P0 = Obj->GetPointsExt(0);
    Obj->MoveToExt(PointExt(P0.X + 2, P0.Y + 2));
    Obj->SetId(2);
    EXPECT_EQ(Saved(*Copy), Saved(*Obj));
}

TEST_P(ObjectContract, MoveShiftsEveryPointAlike) {
    TSchemeObject* Obj = Make();
    std::vector<TPointExt> Before;
    for (int I = 0; I < Obj->Count(); ++I) Before.push_back(Obj->GetPointsExt(I));
    Obj->MoveToExt(PointExt(Before[0].X + 13, Before[0].Y - 7));
    for (int I = 0; I < Obj->Count(); ++I)
        EXPECT_EQ(Obj->GetPointsExt(I), PointExt(Before[size_t(I)].X + 13, Before[size_t(I)].Y - 7))
            << I;
}

TEST_P(ObjectContract, EveryHookDragKeepsAConsistentObject) {
    TSchemeObject* Probe = Make();
    const int Hooks = Probe->Count();
    for (int Detail = -5; Detail < Hooks; ++Detail) {
        std::unique_ptr<TSchemeObject> Obj(Make(false));
        Obj->SetResized(true);
        // Only area it covered before: its region, or at most its bounding box.
        const QRegion Before =
            Obj->GetClippingRegion(1, 0) + CreateRectRgnIndirect(Obj->GetClippingOutsideRect(1, 0));
        const QRegion Diff = Obj->ChangePositionDetailAndGetDiffRgn(90, 95, Detail, 1, 0);
        EXPECT_TRUE((Diff - Before).isEmpty()) << Detail;
        QStringList Strings = Saved(*Obj);
        std::unique_ptr<TSchemePersistent> Back = FindSchemeClass(GetParam())->Create(Strings);
        EXPECT_EQ(Saved(dynamic_cast<TSchemeObject&>(*Back)), Saved(*Obj)) << Detail;
    }
}

TEST_P(ObjectContract, PaintsInsideItsOwnRegion) {
    TSchemeObject* Obj = Make();
    QImage Image(120, 120, QImage::Format_RGB32);
    Image.fill(Qt::white);
    {
        TCanvas Canvas(&Image);
        Obj->Paint(1, Canvas, 0);
    }
    const QRegion Area = Obj->GetClippingRegion(1, 0);
    int Painted = 0;
    for (int Y = 0; Y < Image.height(); ++Y)
        for (int X = 0; X < Image.width(); ++X)
            if (Image.pixel(X, Y) != qRgb(255, 255, 255)) {
                ++Painted;
                EXPECT_TRUE(Area.contains(QPoint(X, Y))) << X << "," << Y;
            }
    EXPECT_GT(Painted, 0);
}

TEST_P(ObjectContract, HitTestsItsCentreButNotFarAway) {
    TSchemeObject* Obj = Make();
    TPoint Centre;
    Obj->GetOriginPoint(Centre, 0);
    EXPECT_TRUE(Obj->PointInside(Centre.X, Centre.Y, 0));
    EXPECT_FALSE(Obj->PointInside(1000, -1000, 0));
    EXPECT_EQ(Layer.GetItemForPoint(Centre.X, Centre.Y, 0), Obj);
}

// The bounds let hit tests pass over objects without regions, so they must hold the whole
// area at any zoom and every point a hit test says yes to: plain, selected and resized with
// wide pens, and with a caption placed away from the body.
TEST_P(ObjectContract, BoundsHoldTheAreaAndEveryHit) {
    const std::function<void(TSchemeObject&)> Variants[] = {
        [](TSchemeObject&) {},
        [](TSchemeObject& Obj) {
            Obj.SetSelected(true);
            Obj.SetResized(true);
            Obj.Pen()->SetWidth(9);
            Obj.SelectedPen()->SetWidth(12);
        },
        [](TSchemeObject& Obj) {
            Obj.SetText(QStringLiteral("Caption\nsecond line"));
            Obj.SetTextPoint(PointExt(95, 105));
            Obj.SetResized(true);
        },
    };
    for (size_t V = 0; V < std::size(Variants); ++V) {
        TSchemeObject* Obj = Make();
        Variants[V](*Obj);
        for (Extended Zoom : {0.37L, 1.0L, 2.5L}) {
            const QRect Area = Obj->GetClippingRegion(Zoom, 0).boundingRect();
            EXPECT_TRUE(ToQRect(Obj->GetBoundsRect(Zoom, 0)).contains(Area))
                << "variant " << V << " zoom " << double(Zoom);
            EXPECT_TRUE(ToQRect(Obj->GetArea().AtZoom(Zoom)).contains(Area))
                << "variant " << V << " zoom " << double(Zoom);
        }
        // A coarse grid over the whole object, and the outer edges of the hooks, which catch
        // presses up to two units from their point.
        std::vector<TPointExt> Probes;
        for (Extended Y = -12.3L; Y < 135; Y += 1.7L)
            for (Extended X = -12.3L; X < 135; X += 1.7L) Probes.push_back(PointExt(X, Y));
        for (int I = 0; I < Obj->Count(); ++I)
            for (Extended DX : {-1.95L, 1.85L})
                for (Extended DY : {-1.95L, 1.85L})
                    Probes.push_back(
                        PointExt(Obj->GetPointsExt(I).X + DX, Obj->GetPointsExt(I).Y + DY));
        // Kinds answer PointInside without building their region, and must agree with it.
        const QRegion Region = Obj->GetClippingRegion(1.0, 0);
        const QRect Near = Region.boundingRect().adjusted(-2, -2, 2, 2);
        for (int Y = Near.top(); Y <= Near.bottom(); Y += std::max(3, Near.height() / 30))
            for (int X = Near.left(); X <= Near.right(); ++X)
                ASSERT_EQ(Obj->PointInside(X + 0.5L, Y + 0.5L, 0), PtInRegion(Region, X, Y))
                    << "variant " << V << " at " << X << "," << Y;
        for (const TPointExt& P : Probes) {
            Extended DX = 0, DY = 0;
            int Detail = 0;
            if (!Obj->PointInsideDetail(P.X, P.Y, DX, DY, Detail, 0)) continue;
            EXPECT_TRUE(Obj->MayContainPoint(P.X, P.Y, 0))
                << "variant " << V << " at " << double(P.X) << "," << double(P.Y);
        }
        delete Obj;
    }
}

// The document hears one notice per operation, sent when the change is complete, naming the
// area the object covered before; a drag step sends none until it is announced.
TEST_P(ObjectContract, EveryChangeIsAnnouncedOnceWithTheAreaBefore) {
    scheme::testing::FakeSchemeData Data;
    Layer.SetSchemeData(&Data);
    for (const auto& [Name, Change, VerticesOnly] : kChanges) {
        TSchemeObject* Obj = Make();
        if (VerticesOnly && !dynamic_cast<TSchemePolygon*>(Obj)) {
            delete Obj;
            continue;
        }
        const TSchemeArea Before = Obj->GetArea();
        Data.Reset();
        Change(*Obj);
        Data.DropAnnouncements();
        ASSERT_EQ(Data.Notices.size(), 1u) << Name;
        EXPECT_EQ(Data.Notices[0].Kind, TSchemeNoticeKind::Changed) << Name;
        EXPECT_EQ(Data.Notices[0].Before, Before) << Name;
        EXPECT_EQ(Data.AreasAtNotice[0], Obj->GetArea()) << Name;
        EXPECT_EQ(Obj->Area(), Obj->GetArea()) << Name;
        delete Obj;
    }
    TSchemeObject* Obj = Make();
    const TSchemeArea Before = Obj->GetArea();
    Data.Reset();
    Obj->SetMoved(true);
    Obj->ChangePositionDetailAndGetDiffRgn(70, 80, -1, 1, 0);
    Data.DropAnnouncements();
    EXPECT_TRUE(Data.Notices.empty());
    Obj->AnnounceChange(true);
    ASSERT_EQ(Data.Notices.size(), 1u);
    EXPECT_EQ(Data.Notices[0].Before, Before);
    EXPECT_TRUE(Data.Notices[0].Drawn);
    Layer.Clear();
    Layer.SetSchemeData(nullptr);
}

INSTANTIATE_TEST_SUITE_P(RegisteredKinds, ObjectContract,
                         ::testing::ValuesIn(RegisteredObjectKinds()),
                         [](const ::testing::TestParamInfo<QString>& Info) {
                             return Info.param.toStdString();
                         });

}  // namespace

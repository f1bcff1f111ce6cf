// The undo history: every change the change channel announces is undone and redone to the
// byte, objects that stay keep their identity, steps are what the user did, and the modified
// state and replacing loads never lose work.
#include <gtest/gtest.h>

#include "qt_printers.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <functional>
#include <random>

#include "model/fake_scheme_data.h"
#include "model/object_samples.h"
#include "scheme/document/scheme_data.h"
#include "scheme/model/class_registry.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/exceptions.h"

using namespace scheme;
using namespace scheme::testing;

namespace {

QString Text(TSchemeData& Data) {
    QStringList Lines;
    Data.SaveToStrings(Lines);
    return Lines.join(QLatin1Char('\n'));
}

TSchemeObject* MakeKind(const QString& Kind) {
    QStringList Strings = SampleRecords().at(Kind).split(QLatin1Char('|'));
    return dynamic_cast<TSchemeObject*>(FindSchemeClass(Kind)->Create(Strings).release());
}

class History : public ::testing::Test {
public:
    History() {
        Data.SetTimerInterval(0);
        Data.History().SetEnabled(true);
    }
    TSchemeHistory& H() { return Data.History(); }
    // Undoes and redoes the last step, expecting the texts before and after it.
    void ExpectUndoRedo(const QString& Before, const QString& After, const char* What) {
        ASSERT_TRUE(H().CanUndo()) << What;
        H().Undo();
        EXPECT_EQ(Text(Data), Before) << What;
        H().Redo();
        EXPECT_EQ(Text(Data), After) << What;
    }
    TSchemeData Data;
};

// ---- every kind, every change ----------------------------------------------------------------

class HistoryContract : public History, public ::testing::WithParamInterface<QString> {};

TEST_P(HistoryContract, EveryChangeUndoesToTheByteOnTheSameObject) {
    for (const auto& [Name, Change, VerticesOnly] : kChanges) {
        Data.LayerClear();
        const TColor Colors[] = {clRed, clLime, clBlue};
        TSchemeLayer* Layer = Data.LayerAdd(1);
        Layer->SetAllStateColors(Colors);
        TSchemeObject* Obj = MakeKind(GetParam());
        if (VerticesOnly && !dynamic_cast<TSchemePolygon*>(Obj)) {
            delete Obj;
            continue;
        }
        Data.ObjectAddDirect(1, Obj);
        Data.ObjectAddShape(1, 9, TRect{0, 0, 10, 10}, 0, TShapeType::stEllipse);
        H().Clear(true);
        const QString Before = Text(Data);
        Change(*Obj);
        H().Flush();
        const QString After = Text(Data);
        if (!H().CanUndo()) {  // what only views show is no step
            EXPECT_EQ(After, Before) << Name;
            continue;
        }
        const bool Resized = Obj->Resized();
        H().Undo();
        EXPECT_EQ(Text(Data), Before) << Name;
        EXPECT_EQ(Layer->GetItemIndex(0), Obj) << Name;
        EXPECT_EQ(Obj->Area(), Obj->GetArea()) << Name;
        H().Redo();
        EXPECT_EQ(Text(Data), After) << Name;
        EXPECT_EQ(Layer->GetItemIndex(0), Obj) << Name;
        EXPECT_EQ(Obj->Resized(), Resized) << Name;
    }
}

QStringList KindsWithSamples() {
    QStringList Kinds;
    for (const QString& Name : RegisteredSchemeClassNames())
        if (SampleRecords().count(Name)) Kinds << Name;
    return Kinds;
}

INSTANTIATE_TEST_SUITE_P(RegisteredKinds, HistoryContract, ::testing::ValuesIn(KindsWithSamples()),
                         [](const ::testing::TestParamInfo<QString>& Info) {
                             return Info.param.toStdString();
                         });

// ---- the document's operations ---------------------------------------------------------------

// Two layers, four shapes and three links, one of them to the polygon.
class DocumentHistory : public History {
public:
    void SetUp() override {
        const TColor Colors[] = {clRed, clLime, clBlue};
        Data.LayerAdd(1)->SetAllStateColors(Colors);
        Data.LayerAdd(2)->SetAllStateColors(Colors);
        for (int I = 0; I < 4; ++I)
            Shapes.push_back(Data.ObjectAddShapeExt(1, I + 1, 10 + 30 * I, 10, 20, 20, I % 3,
                                                    TShapeType::stRectangle));
        const TPoint Points[] = {{0, 0}, {50, 0}, {50, 50}};
        Polygon = Data.ObjectAddPolygon(2, 7, Points, 1, bsSolid, QStringLiteral("Zone"), {5, 5});
        Data.LinkAdd(Shapes[0], -1, Shapes[1], -1);
        Data.LinkAdd(Shapes[1], 2, Polygon, 0);
        Data.LinkAdd(Shapes[2], -1, Shapes[3], -1);
        H().Clear(true);
    }
    std::vector<TSchemeShape*> Shapes;
    TSchemePolygon* Polygon = nullptr;
};

TEST_F(DocumentHistory, EveryOperationUndoesAndRedoesToTheByte) {
    struct TOperation {
        const char* Name;
        std::function<void(DocumentHistory&)> Do;
        // Shape 4 stays in the document, so undo must give back the very same object.
        bool Keeps4 = true;
    };
    const TOperation Operations[] = {
        {"add",
         [](auto& T) {
             T.Data.ObjectAddShape(2, 5, TRect{1, 2, 30, 40}, 2, TShapeType::stCircle);
         }},
        {"delete with links", [](auto& T) { T.Data.ObjectDelete(1, 2); }},
        {"layer delete of an object", [](auto& T) { T.Data.GetLayer(1)->Delete(1); }},
        {"clear a layer", [](auto& T) { T.Data.GetLayer(1)->Clear(); }, false},
        {"replace",
         [](auto& T) {
             delete T.Data.GetLayer(1)->SetItem(
                 3, new TSchemeShape(3, TRect{0, 0, 9, 9}, 1, TShapeType::stSquare));
         }},
        {"clone", [](auto& T) { T.Shapes[1]->Clone(); }},
        {"order", [](auto& T) { T.Data.GetLayer(1)->ExchangeUp(1); }},
        {"sort",
         [](auto& T) {
             T.Shapes[0]->SetId(9);
             T.Data.GetLayer(1)->Sort();
         }},
        {"state through the document", [](auto& T) { T.Data.SetObjectState(1, 4, 2); }},
        {"move with followers", [](auto& T) { T.Shapes[0]->MoveToExt(PointExt(70, 80)); }},
        {"layer add", [](auto& T) { T.Data.LayerAdd(3); }},
        {"layer delete", [](auto& T) { T.Data.LayerDelete(1); }, false},
        {"layer exchange", [](auto& T) { T.Data.LayerExchange(1, 2); }},
        {"layer replace", [](auto& T) { delete T.Data.SetLayerIndex(0, new TSchemeLayer(5)); },
         false},
        {"layer settings",
         [](auto& T) {
             TSchemeLayer* L = T.Data.GetLayer(2);
             L->SetStateColor(1, clYellow);
             L->SetSelectedColor(clMaroon);
             L->SetVisible(false);
             L->SetMinZoomForText(2.5);
         }},
        {"link add", [](auto& T) { T.Data.LinkAdd(T.Shapes[3], 0, T.Polygon, 2); }},
        {"link delete", [](auto& T) { T.Data.LinkDelete(1); }},
        {"link replace",
         [](auto& T) {
             delete T.Data.SetLink(0, new TSchemeLink(T.Shapes[3], -1, T.Shapes[0], -1));
         }},
        {"link clear", [](auto& T) { T.Data.LinkClear(); }},
        {"a group of several",
         [](auto& T) {
             TSchemeHistoryGroup Outer(T.Data, QStringLiteral("Several"));
             T.Shapes[2]->SetText(QStringLiteral("Pump"));
             {
                 TSchemeHistoryGroup Inner(T.Data, QStringLiteral("Inner"));
                 T.Data.ObjectDelete(1, 1);
             }
             T.Polygon->AddPoint(0);
         }},
    };
    for (const TOperation& Op : Operations) {
        Data.LayerClear();  // a fresh document each time
        Data.LinkClear();
        Shapes.clear();
        SetUp();
        const QString Before = Text(Data);
        const TSchemeShape* Kept = Shapes[3];
        Op.Do(*this);
        H().Flush();
        const QString After = Text(Data);
        ASSERT_NE(After, Before) << Op.Name;
        EXPECT_EQ(H().Count(), 1) << Op.Name;
        ExpectUndoRedo(Before, After, Op.Name);
        H().Undo();
        if (Op.Keeps4) {
            EXPECT_EQ(Data.GetLayer(1)->GetItem(4), Kept) << Op.Name;
        }
    }
}

TEST_F(DocumentHistory, StepsAreNamedAfterWhatTheyDid) {
    Data.ObjectDelete(1, 2);
    EXPECT_EQ(H().UndoText(), QStringLiteral("Delete Shape 2"));
    Polygon->SetState(2);
    EXPECT_EQ(H().UndoText(), QStringLiteral("Change Zone"));
    Polygon->SetState(1);  // not yet a step when the group begins: one of its own
    {
        TSchemeHistoryGroup Group(Data, QStringLiteral("Tidy up"));
        Shapes[0]->SetState(1);
        Shapes[2]->SetState(1);
    }
    EXPECT_EQ(H().UndoText(), QStringLiteral("Tidy up"));
    EXPECT_EQ(H().Count(), 4);
    // A group that changes nothing leaves no step.
    { TSchemeHistoryGroup Group(Data, QStringLiteral("Nothing")); }
    EXPECT_EQ(H().Count(), 4);
}

TEST_F(DocumentHistory, AnObjectDeletedByDeleteEndsTheHistory) {
    Shapes[0]->SetState(2);
    H().Flush();
    ASSERT_TRUE(H().CanUndo());
    delete Shapes[3];
    EXPECT_FALSE(H().CanUndo());
    EXPECT_TRUE(Data.Modified());
}

TEST_F(DocumentHistory, LimitsDropTheOldestSteps) {
    H().SetStepLimit(3);
    for (int S = 0; S < 5; ++S) {
        Shapes[0]->SetState(S % 3);
        H().Flush();
    }
    EXPECT_EQ(H().Count(), 3);
    const QString Now = Text(Data);
    H().SetMemoryLimit(1);  // only the newest step stays
    EXPECT_EQ(H().Count(), 1);
    EXPECT_LT(H().MemoryUse(), size_t(4096));
    H().Undo();
    EXPECT_FALSE(H().CanUndo());
    H().Redo();
    EXPECT_EQ(Text(Data), Now);
}

// ---- random sequences --------------------------------------------------------------------------

// Random edits of a document of a few hundred linked objects, one step each or grouped; undoing
// everything gives the first text back and redoing everything the last.
TEST(HistoryProperty, RandomSequencesUndoAndRedoCompletely) {
    std::mt19937 Random(20261210);
    auto Pick = [&](int N) { return std::uniform_int_distribution<int>(0, N - 1)(Random); };
    for (int Sequence = 0; Sequence < 200; ++Sequence) {
        TSchemeData Data;
        Data.SetTimerInterval(0);
        const TColor Colors[] = {clRed, clLime, clBlue};
        for (int L = 1; L <= 3; ++L) Data.LayerAdd(L)->SetAllStateColors(Colors);
        for (int I = 0; I < 300; ++I) {
            const int L = 1 + I % 3;
            if (I % 5 == 0) {
                const TPoint P[] = {{I, 0}, {I + 30, 5}, {I + 10, 40}};
                Data.ObjectAddPolygon(L, I, P, I % 3, bsSolid, QString(), {I, 0});
            } else {
                Data.ObjectAddShapeExt(L, I, I, I % 50, 10, 10, I % 3, TShapeType::stEllipse);
            }
        }
        auto Any = [&]() -> TSchemeObject* {
            TSchemeLayer* Layer = Data.GetLayerIndex(Pick(Data.LayerCount()));
            return Layer->Count() ? Layer->GetItemIndex(Pick(Layer->Count())) : nullptr;
        };
        for (int I = 0; I < 40; ++I) Data.LinkAdd(Any(), -1, Any(), Pick(2) - 1);
        Data.History().SetEnabled(true);
        const QString First = Text(Data);
        const std::function<void()> Edits[] = {
            [&] {
                if (auto* O = Any()) O->MoveToExt(PointExt(Pick(500), Pick(500)));
            },
            [&] {
                if (auto* O = Any()) O->SetPointsExtA(Pick(4), PointExt(Pick(99), Pick(99)));
            },
            [&] {
                if (auto* P = dynamic_cast<TSchemePolygon*>(Any())) P->AddPoint(0);
            },
            [&] {
                if (auto* P = dynamic_cast<TSchemePolygon*>(Any()); P && P->Count() > 3)
                    P->DeletePoint(1);
            },
            [&] {
                Data.ObjectAddShapeExt(1 + Pick(3), 1000 + Pick(50), Pick(200), Pick(200), 8, 8, 1,
                                       TShapeType::stSquare);
            },
            [&] {
                if (auto* O = Any()) Data.ObjectDelete(O->Layer()->ID(), O->Id());
            },
            [&] {
                if (auto* O = Any()) O->Layer()->ExchangeUp(O->Id());
            },
            [&] {
                if (auto* O = Any()) Data.SetObjectStateDirect(O, Pick(3));
            },
            [&] {
                if (auto* O = Any()) O->SetText(QStringLiteral("T%1").arg(Pick(9)));
            },
            [&] {
                if (auto* O = Any()) O->Pen()->SetWidth(Pick(5));
            },
            [&] {
                if (auto* O = Any()) O->Clone();
            },
            [&] { Data.GetLayerIndex(Pick(3))->SetStateColor(Pick(3), TColor(Pick(0xFFFFFF))); },
            [&] { Data.LayerExchange(1 + Pick(3), 1 + Pick(3)); },
            [&] {
                if (auto* A = Any(); A)
                    if (auto* B = Any()) Data.LinkAdd(A, -1, B, 0);
            },
            [&] {
                if (Data.LinkCount()) Data.LinkDelete(Pick(Data.LinkCount()));
            },
            [&] {
                if (Pick(8) == 0) Data.GetLayerIndex(Pick(3))->Sort();
            },
        };
        const int Count = 20;
        for (int Step = 0; Step < Count; ++Step) {
            if (Pick(5) == 0) {
                TSchemeHistoryGroup Group(Data, QStringLiteral("Group"));
                for (int G = 0; G < 3; ++G) Edits[Pick(int(std::size(Edits)))]();
            } else {
                Edits[Pick(int(std::size(Edits)))]();
            }
            Data.History().Flush();
        }
        const QString Last = Text(Data);
        while (Data.History().CanUndo()) Data.History().Undo();
        ASSERT_EQ(Text(Data), First) << "sequence " << Sequence;
        while (Data.History().CanRedo()) Data.History().Redo();
        ASSERT_EQ(Text(Data), Last) << "sequence " << Sequence;
    }
}

// ---- modified ----------------------------------------------------------------------------------

TEST_F(DocumentHistory, ModifiedFollowsTheCleanPoint) {
    int Reports = 0;
    Data.OnModifiedChange = [&](TObject*) { ++Reports; };
    EXPECT_FALSE(Data.Modified());
    Shapes[0]->SetSelected(true);  // only views show it
    EXPECT_FALSE(Data.Modified());
    Shapes[0]->SetState(2);
    EXPECT_TRUE(Data.Modified());
    QBuffer Saved;
    Saved.open(QIODevice::WriteOnly);
    Data.SaveToStream(Saved);
    EXPECT_FALSE(Data.Modified());
    Shapes[1]->SetState(2);
    EXPECT_TRUE(Data.Modified());
    Data.History().Undo();
    EXPECT_FALSE(Data.Modified());
    Data.History().Undo();
    EXPECT_TRUE(Data.Modified());
    Shapes[2]->SetState(2);  // the clean point can never be reached again
    Data.History().Undo();
    EXPECT_TRUE(Data.Modified());
    EXPECT_GE(Reports, 5);
}

TEST(Modified, WithoutHistoryAChangeOrALoadDecides) {
    TSchemeData Data;
    Data.SetTimerInterval(0);
    QStringList Text = Lines("TSchemeLayer|ID=1|StateCount=1|Color0=clRed|end");
    Data.LoadFromStrings(Text);
    EXPECT_FALSE(Data.Modified());
    Data.GetLayer(1)->SetStateColor(0, clBlue);
    EXPECT_TRUE(Data.Modified());
    Data.SetModified(false);
    EXPECT_FALSE(Data.Modified());
}

// ---- replacing loads ---------------------------------------------------------------------------

TEST_F(DocumentHistory, AReplacingLoadThatFailsChangesNothing) {
    Shapes[0]->SetState(2);
    H().Flush();
    const QString Before = Text(Data);
    QStringList Damaged = Lines("TSchemeLayer|ID=5|StateCount=0|end|TSchemeShape|ID=1|X0=abc|end");
    try {
        Data.ReplaceFromStrings(Damaged);
        FAIL() << "no error";
    } catch (const Exception& E) {
        EXPECT_TRUE(E.Message().contains(QStringLiteral("In block has line")))
            << E.Message().toStdString();
    }
    EXPECT_EQ(Text(Data), Before);
    EXPECT_EQ(H().Count(), 1);
    EXPECT_TRUE(Data.Modified());
    // A load whose warnings the application refuses changes nothing either.
    QStringList NoDiagram = Lines("just|some text");
    QStringList Seen;
    EXPECT_FALSE(Data.ReplaceFromStrings(NoDiagram, [&](const QStringList& W) {
        Seen = W;
        return false;
    }));
    EXPECT_FALSE(Seen.isEmpty());
    EXPECT_EQ(Text(Data), Before);
}

TEST_F(DocumentHistory, AReplacingLoadTakesTheWholeTextOver) {
    QTemporaryDir Dir;
    const QString File = Dir.filePath(QStringLiteral("other.txt"));
    TSchemeData Other;
    Other.SetTimerInterval(0);
    Other.LayerAdd(4);
    Other.ObjectAddShape(4, 1, TRect{0, 0, 20, 20}, 0, TShapeType::stCircle);
    Other.ObjectAddShape(4, 2, TRect{30, 0, 50, 20}, 0, TShapeType::stCircle);
    Other.LinkAdd(Other.GetLayer(4)->GetItem(1), -1, Other.GetLayer(4)->GetItem(2), -1);
    Other.SaveToFile(File);
    Shapes[0]->SetState(2);
    int Ends = 0;
    Data.OnAfterLoading = [&](TObject* Sender, QStringList&) {
        EXPECT_EQ(Sender, &Data);
        EXPECT_TRUE(Data.LayerExists(4));  // the end is reported on the new content
        ++Ends;
    };
    EXPECT_TRUE(Data.ReplaceFromFile(File));
    EXPECT_EQ(Text(Data), Text(Other));
    EXPECT_EQ(Ends, 1);
    EXPECT_FALSE(Data.Modified());
    EXPECT_FALSE(H().CanUndo());
    // The links work in their new document.
    Data.GetLayer(4)->GetItem(1)->MoveToExt(PointExt(5, 5));
    EXPECT_EQ(Data.GetLayer(4)->GetItem(2)->GetPoints(0), (TPoint{35, 5}));
}

}  // namespace

// Objects travel as the document's own text: through the system clipboard, between documents,
// renumbered where their Ids are taken, with the links among them, as one step.
#include <gtest/gtest.h>

#include "qt_printers.h"

#include <QClipboard>
#include <QGuiApplication>

#include "scheme/document/scheme_clipboard.h"
#include "scheme/document/scheme_data.h"
#include "scheme/model/class_registry.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/exceptions.h"

using namespace scheme;

namespace {

QString Text(TSchemeData& Data) {
    QStringList Lines;
    Data.SaveToStrings(Lines);
    return Lines.join(QLatin1Char('\n'));
}

// The object's record, without the layer it is in.
QStringList Record(const TSchemeObject& Obj) {
    QStringList Lines;
    Obj.SaveToStrings(Lines);
    Lines.removeIf(
        [](const QString& L) { return L.trimmed().startsWith(QStringLiteral("LayerID=")); });
    return Lines;
}

class Clipboard : public ::testing::Test {
protected:
    void SetUp() override {
        for (TSchemeData* D : {&Source, &Target}) {
            D->SetTimerInterval(0);
            const TColor Colors[] = {clRed, clLime};
            D->LayerAdd(1)->SetAllStateColors(Colors);
        }
        Source.GetLayer(1)->SetSelectedColor(clMaroon);
        for (int I = 0; I < 4; ++I)
            Objects.push_back(Source.ObjectAddShapeExt(1, I + 1, 10 + 40 * I, 10, 20, 20, I % 2,
                                                       TShapeType::stEllipse));
        Objects[1]->SetText(QStringLiteral("Pump"));
        Objects[1]->SetTextPoint(PointExt(70, 50));
        Source.LinkAdd(Objects[0], -1, Objects[1], -1);
        Source.LinkAdd(Objects[1], 2, Objects[2], 0);
        Source.LinkAdd(Objects[2], -1, Objects[3], -1);  // to an object left behind
        Target.ObjectAddShapeExt(1, 2, 0, 0, 5, 5, 0, TShapeType::stSquare);
        Target.History().SetEnabled(true);
    }
    TSchemeData Source, Target;
    std::vector<TSchemeObject*> Objects;
};

TEST_F(Clipboard, ThreeLinkedObjectsPasteTwiceRenumberedWithTheirLinks) {
    const std::vector<TSchemeObject*> Three(Objects.begin(), Objects.begin() + 3);
    TSchemeClipboard::Copy(Source, Three);
    const QMimeData* Mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(Mime->hasFormat(QString::fromLatin1(TSchemeClipboard::kMimeType)));
    EXPECT_TRUE(Mime->text().contains(QStringLiteral("TSchemeShape")));
    for (int Round = 1; Round <= 2; ++Round) {
        const TSchemeClipboard::TPasted Pasted =
            TSchemeClipboard::PasteFromClipboard(Target, 5 * Round, 5 * Round);
        ASSERT_EQ(Pasted.Objects.size(), 3u);
        EXPECT_TRUE(Pasted.Warnings.isEmpty());
        for (size_t I = 0; I < 3; ++I) {
            TSchemeObject* Obj = Pasted.Objects[I];
            EXPECT_TRUE(Obj->Selected());
            // Back where the original was, with its Id, the object is the original.
            std::unique_ptr<TSchemePersistent> Probe = [&] {
                QStringList R = Record(*Obj);
                return FindSchemeClass(Obj->ClassName())->Create(R);
            }();
            auto& Back = dynamic_cast<TSchemeObject&>(*Probe);
            const TPointExt P = Back.GetPointsExt(0), T = Back.TextPoint();
            Back.MoveToExt(PointExt(P.X - 5 * Round, P.Y - 5 * Round));
            if (I == 1) Back.SetTextPoint(PointExt(T.X - 5 * Round, T.Y - 5 * Round));
            Back.SetId(Three[I]->Id());
            EXPECT_EQ(Record(Back), Record(*Three[I])) << Round << " " << I;
        }
        EXPECT_NE(Pasted.Objects[1]->Id(), 2);  // taken in the target
    }
    EXPECT_EQ(Target.GetLayer(1)->Count(), 7);
    int Links = 0;
    for (int I = 0; I < Target.LinkCount(); ++I) Links += Target.GetLink(I) != nullptr;
    EXPECT_EQ(Links, 4);
    // Each paste is one step.
    Target.History().Undo();
    Target.History().Undo();
    EXPECT_EQ(Target.GetLayer(1)->Count(), 1);
}

TEST_F(Clipboard, WhatIsNoDiagramChangesNothingAndSaysWhy) {
    const QString Before = Text(Target);
    const char* const Garbage[] = {"hello world", "TSchemeShape\nID=abc\nEnd", ""};
    for (const char* G : Garbage) {
        QGuiApplication::clipboard()->setText(QString::fromUtf8(G));
        EXPECT_THROW(TSchemeClipboard::PasteFromClipboard(Target, 5, 5), Exception) << G;
        EXPECT_EQ(Text(Target), Before) << G;
    }
    EXPECT_FALSE(Target.History().CanUndo());
}

TEST_F(Clipboard, DuplicateMakesANewLayerFromTheRecordAndLeavesTheClipboardAlone) {
    QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
    TSchemeData Empty;
    Empty.SetTimerInterval(0);
    QStringList Copied = TSchemeClipboard::Text(Source, {Objects[3], Objects[2]});
    const TSchemeClipboard::TPasted Pasted = TSchemeClipboard::Paste(Empty, Copied, 0, 0);
    EXPECT_EQ(Empty.GetLayer(1)->SelectedColor(), clMaroon);
    EXPECT_EQ(Pasted.Objects[0]->Id(), 3);  // in drawing order, Ids free
    const TSchemeClipboard::TPasted Again =
        TSchemeClipboard::Duplicate(Empty, Pasted.Objects, 10, 0);
    EXPECT_EQ(Again.Objects[0]->Id(), 5);
    EXPECT_EQ(Empty.LinkCount(), 2);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("untouched"));
}

}  // namespace

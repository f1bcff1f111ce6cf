// The object inspector and the layer list, driven as a user drives them, over a document
// with an undo history; and the document's change signal they follow.
#include <gtest/gtest.h>

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <memory>

#include "scheme/controls/layer_list.h"
#include "scheme/controls/object_inspector.h"
#include "scheme/document/scheme_data_editor.h"
#include "scheme/model/scheme_layer.h"

using namespace scheme;

namespace {

// What a field shows, whatever control it is.
QString Shown(QWidget* W) {
    if (auto* L = qobject_cast<QLabel*>(W)) return L->text();
    if (auto* E = qobject_cast<QLineEdit*>(W)) return E->text();
    if (auto* S = qobject_cast<QAbstractSpinBox*>(W)) return S->text();
    if (auto* C = qobject_cast<QComboBox*>(W)) return QString::number(C->currentIndex());
    if (auto* B = qobject_cast<QCheckBox*>(W))
        return B->checkState() == Qt::Checked     ? QStringLiteral("on")
               : B->checkState() == Qt::Unchecked ? QStringLiteral("off")
                                                  : QStringLiteral("mixed");
    return QStringLiteral("?");
}

class Inspector : public ::testing::Test {
protected:
    Inspector() {
        Data->SetTimerInterval(0);
        const TColor Colors[] = {clRed, clLime, clBlue, clYellow};
        Data->LayerAdd(1)->SetAllStateColors(Colors);
        Pump = Data->ObjectAddShapeExt(1, 4, 10, 20, 30, 40, 1, TShapeType::stEllipse);
        Pump->SetText(QStringLiteral("Pump"));
        Pump->SetHintString(QStringLiteral("Main pump"));
        Data->History().SetEnabled(true);
        View.SetSchemeData(Data.get());
    }
    QWidget* Field(const char* Name) {
        auto* W = View.findChild<QWidget*>(QString::fromLatin1(Name));
        EXPECT_NE(W, nullptr) << Name;
        return W;
    }
    template <class T>
    T* Field(const char* Name) {
        return qobject_cast<T*>(Field(Name));
    }
    void Select(std::initializer_list<TSchemeObject*> Objects) {
        Data->SelectObjects(std::vector<TSchemeObject*>(Objects),
                            TSchemeData::TSelectMode::Replace);
    }
    // Types Text over what the field shows and presses Return.
    void Type(const char* Name, const QString& Text) {
        QWidget* W = Field(Name);
        if (auto* S = qobject_cast<QAbstractSpinBox*>(W)) S->selectAll();
        if (auto* E = qobject_cast<QLineEdit*>(W)) E->selectAll();
        QTest::keyClicks(W, Text);
        QTest::keyClick(W, Qt::Key_Return);
    }
    TSchemeHistory& H() { return Data->History(); }

    std::unique_ptr<TSchemeDataEditor> Data = std::make_unique<TSchemeDataEditor>();
    TSchemeShape* Pump = nullptr;
    TSchemeObjectInspector View;
};

struct FieldRow {
    const char* Name;
    const char* Text;
};

}  // namespace

TEST_F(Inspector, ShowsASelectedShapesFields) {
    EXPECT_EQ(Shown(Field("InspectorKind")), "No selection");
    EXPECT_FALSE(Field("InspectorCaption")->isEnabled());
    Select({Pump});
    const FieldRow Rows[] = {
        {"InspectorKind", "Shape"},   {"InspectorId", "4"},         {"InspectorLayer", "1"},
        {"InspectorState", "1"},      {"InspectorCaption", "Pump"}, {"InspectorHint", "Main pump"},
        {"InspectorLeft", "10.00"},   {"InspectorTop", "20.00"},    {"InspectorWidth", "30.00"},
        {"InspectorHeight", "40.00"}, {"InspectorPenStyle", "0"},   {"InspectorPenWidth", "1"},
        {"InspectorBrushStyle", "0"}, {"InspectorVisible", "on"},   {"InspectorEnabled", "on"},
    };
    for (const FieldRow& Row : Rows) {
        EXPECT_EQ(Shown(Field(Row.Name)), Row.Text) << Row.Name;
        EXPECT_TRUE(Field(Row.Name)->isEnabled()) << Row.Name;
    }
    const QImage Swatch = Field<QLabel>("InspectorStateColor")->pixmap().toImage();
    EXPECT_EQ(Swatch.pixelColor(Swatch.rect().center()), QColor(Qt::green));  // clLime, state 1
}

TEST_F(Inspector, EditingCaptionAndStateAreEachOneUndoStepAndUndoShowsTheOldValue) {
    Select({Pump});
    Type("InspectorCaption", QStringLiteral("Valve"));
    EXPECT_EQ(Pump->Text(), "Valve");
    Type("InspectorState", QStringLiteral("2"));
    EXPECT_EQ(Pump->State(), 2);
    H().Flush();
    ASSERT_EQ(H().Count(), 2);
    EXPECT_EQ(H().UndoText(), "Change state of Valve");

    H().Undo();
    QCoreApplication::processEvents();
    EXPECT_EQ(Shown(Field("InspectorState")), "1");
    EXPECT_EQ(Shown(Field("InspectorCaption")), "Valve");
    EXPECT_EQ(H().UndoText(), "Change caption of Pump");
    H().Undo();
    QCoreApplication::processEvents();
    EXPECT_EQ(Shown(Field("InspectorCaption")), "Pump");
}

TEST_F(Inspector, FollowsAChangeMadeByCodeOnceTheEventLoopTurns) {
    Select({Pump});
    TSchemeObject* const Moved[] = {Pump};
    Data->MoveObjects(Moved, 5, -3);
    EXPECT_EQ(Shown(Field("InspectorLeft")), "10.00");
    QCoreApplication::processEvents();
    EXPECT_EQ(Shown(Field("InspectorLeft")), "15.00");
    EXPECT_EQ(Shown(Field("InspectorTop")), "17.00");
    // And the way back: an edit of the field moves the object as code does.
    Type("InspectorLeft", QStringLiteral("12"));
    EXPECT_EQ(double(Pump->GetPointsExt(0).X), 12.0);
    EXPECT_EQ(double(Pump->GetWidth()), 30.0);
}

TEST_F(Inspector, SeveralSelectedShowWhatTheyShareAndAnEditAppliesToAllInOneStep) {
    TSchemeShape* Tank = Data->ObjectAddShapeExt(1, 5, 100, 20, 30, 40, 1, TShapeType::stRectangle);
    Tank->SetText(QStringLiteral("Tank"));
    Tank->SetVisible(false);
    Select({Pump, Tank});
    H().Clear(true);
    EXPECT_EQ(Shown(Field("InspectorKind")), "2 objects");
    EXPECT_EQ(Shown(Field("InspectorState")), "1");
    EXPECT_EQ(Shown(Field("InspectorCaption")), "");
    EXPECT_EQ(Field<QLineEdit>("InspectorCaption")->placeholderText(), "mixed");
    EXPECT_EQ(Shown(Field("InspectorVisible")), "mixed");
    EXPECT_EQ(Shown(Field("InspectorLeft")), "");
    EXPECT_FALSE(Field("InspectorLeft")->isEnabled());
    EXPECT_FALSE(Field("InspectorId")->isEnabled());

    Type("InspectorState", QStringLiteral("3"));
    EXPECT_EQ(Pump->State(), 3);
    EXPECT_EQ(Tank->State(), 3);
    H().Flush();
    EXPECT_EQ(H().Count(), 1);
    EXPECT_EQ(H().UndoText(), "Change state of 2 objects");
}

TEST_F(Inspector, ShowsNothingOnceTheDocumentIsDestroyedFirst) {
    Select({Pump});
    Data.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(Shown(Field("InspectorKind")), "No selection");
    EXPECT_FALSE(Field("InspectorCaption")->isEnabled());
}

namespace {

class LayerList : public ::testing::Test {
protected:
    LayerList() {
        Data.SetTimerInterval(0);
        for (int Id : {1, 2, 3}) Data.LayerAdd(Id);
        Data.ObjectAddShapeExt(2, 1, 0, 0, 10, 10, 0, TShapeType::stRectangle);
        Data.History().SetEnabled(true);
        List.SetSchemeData(&Data);
        Tree = List.findChild<QTreeWidget*>(QStringLiteral("LayerTree"));
    }
    QString Order() {
        QStringList Ids;
        for (int I = 0; I < Tree->topLevelItemCount(); ++I)
            Ids << Tree->topLevelItem(I)->text(TSchemeLayerList::ColumnId);
        return Ids.join(QLatin1Char(' '));
    }
    TSchemeDataEditor Data;
    TSchemeLayerList List;
    QTreeWidget* Tree = nullptr;
};

}  // namespace

TEST_F(LayerList, HidesALayerInOneStepThatUndoPutsBack) {
    ASSERT_NE(Tree, nullptr);
    EXPECT_EQ(Order(), "1 2 3");
    EXPECT_EQ(Tree->topLevelItem(1)->text(TSchemeLayerList::ColumnCount), "1");
    Tree->topLevelItem(1)->setCheckState(TSchemeLayerList::ColumnVisible, Qt::Unchecked);
    EXPECT_FALSE(Data.GetLayer(2)->Visible());
    Data.History().Flush();
    EXPECT_EQ(Data.History().Count(), 1);
    EXPECT_EQ(Data.History().UndoText(), "Hide layer 2");
    Data.History().Undo();
    EXPECT_TRUE(Data.GetLayer(2)->Visible());
    QCoreApplication::processEvents();
    EXPECT_EQ(Tree->topLevelItem(1)->checkState(TSchemeLayerList::ColumnVisible), Qt::Checked);
}

TEST_F(LayerList, ReordersTwoLayersByItsButtonsAndUndoPutsThemBack) {
    QSignalSpy Current(&List, &TSchemeLayerList::CurrentLayerChanged);
    List.SetCurrentLayerId(3);
    EXPECT_EQ(Current.count(), 1);
    List.findChild<QPushButton*>(QStringLiteral("LayerUp"))->click();
    EXPECT_EQ(Data.GetLayerIndex(1)->ID(), 3);
    EXPECT_EQ(Order(), "1 3 2");
    EXPECT_EQ(List.CurrentLayerId(), 3);
    EXPECT_EQ(List.CurrentRow(), 1);
    Data.History().Flush();
    EXPECT_EQ(Data.History().Count(), 1);
    Data.History().Undo();
    QCoreApplication::processEvents();
    EXPECT_EQ(Order(), "1 2 3");
    EXPECT_EQ(List.CurrentLayerId(), 3);
    EXPECT_EQ(Current.count(), 1);
}

TEST(SchemeDataContentChanged, ManyChangesInOneTurnMakeOneEmissionAndSelectingAloneNone) {
    TSchemeData Data;
    Data.SetTimerInterval(0);
    Data.LayerAdd(1);
    TSchemeShape* Obj = Data.ObjectAddShapeExt(1, 1, 0, 0, 10, 10, 0, TShapeType::stRectangle);
    QCoreApplication::processEvents();
    QSignalSpy Changed(&Data, &TSchemeData::ContentChanged);
    QSignalSpy Selection(&Data, &TSchemeData::SelectionChanged);
    for (int I = 0; I < 10; ++I) Obj->SetState(I + 1);
    EXPECT_EQ(Changed.count(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(Changed.count(), 1);

    TSchemeObject* const Selected[] = {Obj};
    Data.SelectObjects(Selected, TSchemeData::TSelectMode::Replace);
    QCoreApplication::processEvents();
    EXPECT_EQ(Selection.count(), 1);
    EXPECT_EQ(Changed.count(), 1);

    QStringList Text;
    Data.SaveToStrings(Text);
    ASSERT_TRUE(Data.ReplaceFromStrings(Text));
    QCoreApplication::processEvents();
    EXPECT_EQ(Changed.count(), 2);
}

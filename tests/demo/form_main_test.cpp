// The editor's main window, driven offscreen as a user drives it: presses in the views, the
// popup menu's actions and the panels' controls.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include "qt_printers.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>
#include <memory>

#include "form_main.h"
#include "scheme/controls/layer_list.h"
#include "scheme/controls/message_beep.h"
#include "scheme/document/history/scheme_history.h"
#include "scheme/document/scheme_clipboard.h"
#include "scheme/document/scheme_data_editor.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_link.h"
#include "scheme/model/scheme_polygon.h"
#include "scheme/platform/error_handler.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/image_list.h"
#include "scheme/view/scheme_visual_editor.h"

using namespace scheme;
using tarsel::TFormMain;
using tarsel::TSaveChoice;

namespace {

// Answers the window's dialogs with prepared files and answers, and keeps what it was told.
struct TFakeDialogs : tarsel::IEditorDialogs {
    QString Document;
    QString Picture;
    QStringList Messages;
    bool Yes = false;
    QStringList Questions;
    TSaveChoice Choice = TSaveChoice::Cancel;
    QStringList SaveAsked;
    QString Export;
    QStringList Asked;  // the file dialogs opened, by kind
    QString OpenDocument(QWidget*, const QString&) override {
        Asked << "open";
        return Document;
    }
    QString SaveDocument(QWidget*, const QString&) override {
        Asked << "save";
        return Document;
    }
    QString OpenPicture(QWidget*, const QString&) override { return Picture; }
    QString ExportFile(QWidget*, const QString&, const QString& Format) override {
        Asked << Format;
        return Export;
    }
    void Message(QWidget*, const QString& Text) override { Messages << Text; }
    bool Question(QWidget*, const QString& Text) override {
        Questions << Text;
        return Yes;
    }
    TSaveChoice SaveChanges(QWidget*, const QString& Name) override {
        SaveAsked << Name;
        return Choice;
    }
};

class FormMainTest : public ::testing::Test {
protected:
    void SetUp() override {
        PreviousHandler = SetExceptionHandler([this](const std::exception& E) {
            if (!dynamic_cast<const EAbort*>(&E)) Errors << QString::fromUtf8(E.what());
        });
        PreviousBeep = SetMessageBeepHandler([this](unsigned Type) { Beeps << Type; });
        QGuiApplication::clipboard()->clear();
        // The recent files and folders go to settings of the test's own, never the user's.
        QCoreApplication::setOrganizationName(QStringLiteral("tarsel-tests"));
        for (auto Format : {QSettings::NativeFormat, QSettings::IniFormat})
            QSettings::setPath(Format, QSettings::UserScope, SettingsDir.path());
        Form = std::make_unique<TFormMain>();
        Form->SetDialogs(&Dialogs);
        Form->setWindowState(Qt::WindowNoState);
        Form->resize(1400, 900);
        Form->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        Form.reset();
        SetMessageBeepHandler(PreviousBeep);
        SetExceptionHandler(PreviousHandler);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }

    template <class T = QWidget>
    T* Child(const char* Name) const {
        T* W = Form->findChild<T*>(QString::fromLatin1(Name));
        EXPECT_NE(W, nullptr) << Name;
        return W;
    }
    QAction* Action(const char* Name) const { return Child<QAction>(Name); }
    void Trigger(const char* Name) const { Action(Name)->trigger(); }
    TSchemeVisualEditor* View(int I) const { return Form->View(I); }
    TSchemeDataEditor* Doc() const { return Form->Document(); }
    TSchemeObject* Object(int Layer, int Id) const { return Doc()->GetLayer(Layer)->GetItem(Id); }

    // The client pixel of a view that shows world point (X, Y).
    static QPoint ClientOf(TSchemeVisual* V, Extended X, Extended Y) {
        return QPoint(Trunc(X * V->Zoom()) - V->OriginX(), Trunc(Y * V->Zoom()) - V->OriginY());
    }
    // Centres a view on an object's middle and answers the client pixel there.
    static QPoint Show(TSchemeVisual* V, TSchemeObject* O) {
        const TPointExt A = O->GetPointsExt(0);
        const TPointExt B = O->GetPointsExt(2);
        const Extended X = (A.X + B.X) / 2;
        const Extended Y = (A.Y + B.Y) / 2;
        V->SetCenterToPoint(TPoint{Trunc(X), Trunc(Y)});
        return ClientOf(V, X, Y);
    }
    // A client pixel of the view with no object under it.
    QPoint EmptyPoint(TSchemeVisual* V) const {
        for (int Y = 5; Y < V->viewport()->height(); Y += 7)
            for (int X = 5; X < V->viewport()->width(); X += 7) {
                Extended WX = X, WY = Y;
                V->TransformZoomAndOriginXYExt(WX, WY);
                if (!Doc()->ObjectForPoint(WX, WY, V->Param())) return QPoint(X, Y);
            }
        ADD_FAILURE() << "no empty point";
        return {};
    }
    // A press, one move with the left button held and a release, as a drag of the mouse.
    static void Drag(TSchemeVisual* V, QPoint From, QPoint To) {
        const auto Send = [V](QEvent::Type Type, QPoint At, Qt::MouseButtons Held) {
            QMouseEvent Event(Type, At, V->viewport()->mapToGlobal(At),
                              Type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Held, {});
            QApplication::sendEvent(V->viewport(), &Event);
        };
        Send(QEvent::MouseButtonPress, From, Qt::LeftButton);
        Send(QEvent::MouseMove, To, Qt::LeftButton);
        Send(QEvent::MouseButtonRelease, To, {});
    }
    static void Click(TSchemeVisual* V, QPoint At, Qt::MouseButton Button = Qt::LeftButton,
                      Qt::KeyboardModifiers Modifiers = {}) {
        QTest::mousePress(V->viewport(), Button, Modifiers, At);
        QTest::mouseRelease(V->viewport(), Button, Modifiers, At);
    }
    // Two shapes and a box (which has no shape type), selected as a user does: a click in view
    // B, then Ctrl+clicks.
    static constexpr std::pair<int, int> kThree[] = {{3, 1}, {3, 2}, {3, 11}};
    void SelectThree() {
        for (const auto& [Layer, Id] : kThree)
            Click(View(1), Show(View(1), Object(Layer, Id)), Qt::LeftButton,
                  Id == 1 ? Qt::NoModifier : Qt::ControlModifier);
    }
    // The object with that Id, or none.
    TSchemeObject* Lookup(int Layer, int Id) const {
        TSchemeLayer* L = Doc()->GetLayer(Layer);
        for (int I = 0; I < L->Count(); ++I)
            if (L->GetItemIndex(I)->Id() == Id) return L->GetItemIndex(I);
        return nullptr;
    }
    // Opens the popup menu over a view at a client pixel as a right click does, and closes it
    // again; the menu's point stays until the next move.
    void OpenMenu(TSchemeVisualEditor* V, QPoint At) {
        const QPoint Global = V->viewport()->mapToGlobal(At);
        QCursor::setPos(Global);
        Form->ShowPopupMenu(V, Global);
        Form->PopupMenu()->hide();
    }
    void PressThenMenu(int ViewIndex, QPoint At) {
        Click(View(ViewIndex), At, Qt::RightButton);
        OpenMenu(View(ViewIndex), At);
    }
    void SetText(const char* Edit, const QString& Text) { Child<QLineEdit>(Edit)->setText(Text); }
    // Selects an object as the link panel's Find button does.
    void Find(int Layer, int Id) {
        Child<QSpinBox>("SpinEdit2")->setValue(Layer);
        Child<QSpinBox>("SpinEdit1")->setValue(Id);
        Child<QPushButton>("BitBtn3")->click();
    }
    QStringList Text() const {
        QStringList Lines;
        Doc()->SaveToStrings(Lines);
        return Lines;
    }
    QString WriteFile(const QString& Name, const QByteArray& Bytes) {
        QFile F(Temp.filePath(Name));
        EXPECT_TRUE(F.open(QIODevice::WriteOnly));
        F.write(Bytes);
        return F.fileName();
    }
    static QByteArray ReadFile(const QString& Name) {
        QFile F(Name);
        return F.open(QIODevice::ReadOnly) ? F.readAll() : QByteArray();
    }
    // Saves the document to a temporary file, which becomes the current file.
    void SaveToTemp(const char* Name = "saved.txt") {
        Dialogs.Document = Temp.filePath(Name);
        Trigger("ActionSaveAs");
    }

    QTemporaryDir SettingsDir;
    TFakeDialogs Dialogs;
    QTemporaryDir Temp;
    QStringList Errors;
    QList<unsigned> Beeps;
    std::unique_ptr<TFormMain> Form;

private:
    TExceptionHandler PreviousHandler;
    std::function<void(unsigned)> PreviousBeep;
};

QStringList EnabledActions(const TFormMain& Form) {
    QStringList Names;
    for (QAction* A : Form.findChildren<QAction*>())
        if (A->objectName().startsWith(QLatin1String("Action")) && A->isEnabled())
            Names << A->objectName();
    Names.sort();
    return Names;
}

const QStringList kSelectionFreeActions = {
    "ActionAbout",         "ActionActualSize", "ActionCenter",    "ActionConnect",
    "ActionExportPdf",     "ActionExportPng",  "ActionExportSvg", "ActionGrid",
    "ActionLoad",          "ActionNew",        "ActionObjectAdd", "ActionObjectAddZone",
    "ActionOpen",          "ActionPictuteA",   "ActionPrint",     "ActionPrintPreview",
    "ActionQuit",          "ActionSave",       "ActionSaveAs",    "ActionSelectAll",
    "ActionShowInspector", "ActionShowLayers", "ActionShowLinks", "ActionSmoothDrawing",
    "ActionZoomActual",    "ActionZoomIn",     "ActionZoomToFit"};

}  // namespace

TEST_F(FormMainTest, StartsWithTheSampleTheZoomsAndOnlyTheSelectionFreeActions) {
    EXPECT_TRUE(Form->windowTitle().endsWith(QLatin1String("(use popup menu)")));
    EXPECT_GE(Form->minimumWidth(), 585);
    EXPECT_GE(Form->minimumHeight(), 379);
    EXPECT_EQ(Form->StatusText(1), "Zoom A:0.5  B:2.0  C:4.0");
    EXPECT_EQ(Form->StatusText(2), "");
    EXPECT_EQ(EnabledActions(*Form), kSelectionFreeActions);
    EXPECT_EQ(Doc()->GetLayer(3)->GetItem(1)->ClassName(), "TSchemeShape");
    EXPECT_EQ(Child<QCheckBox>("CheckBox5")->isChecked(), Doc()->TimerInterval() > 0);
    EXPECT_EQ(Form->findChild<TImageList*>("ImageListImages")->Count(), 6);
    for (int I = 0; I < 3; ++I) EXPECT_NE(View(I)->Picture().Graphic(), nullptr);
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
}

TEST_F(FormMainTest, APressSelectsTheObjectUnderItAndAPressOnEmptySpaceClearsTheSelection) {
    TSchemeObject* Shape = Object(3, 1);
    Click(View(1), Show(View(1), Shape));
    EXPECT_EQ(Form->SelectedObject(), Shape);
    EXPECT_TRUE(Shape->Selected());
    EXPECT_EQ(Form->ActiveView(), View(1));
    EXPECT_EQ(Form->StatusText(2),
              QStringLiteral("For selected object: Layer Id: 3   Object Id: 1    State:%1    "
                             "Type: Shape")
                  .arg(Shape->State()));
    EXPECT_TRUE(Action("ActionObjectType")->isEnabled());
    EXPECT_TRUE(Action("ActionObjectDelete")->isEnabled());

    Click(View(0), EmptyPoint(View(0)));
    EXPECT_EQ(Form->SelectedObject(), nullptr);
    EXPECT_FALSE(Shape->Selected());
    EXPECT_EQ(Form->StatusText(2), "");
    EXPECT_EQ(EnabledActions(*Form), kSelectionFreeActions);
}

TEST_F(FormMainTest, AddObjectGivesTheNextIdsAndCreatesAMissingLayer) {
    const int N = Doc()->GetLayer(1)->GetObjectMaxId();
    Child<QSpinBox>("SpinEditLaerIdAdd")->setValue(1);
    PressThenMenu(1, EmptyPoint(View(1)));
    Trigger("ActionObjectAdd");
    Trigger("ActionObjectAdd");
    EXPECT_EQ(Doc()->GetLayer(1)->GetObjectMaxId(), N + 2);
    TSchemeObject* Added = Object(1, N + 1);
    EXPECT_EQ(Added->HintString(), QStringLiteral("Shape Layer Id:1 Object Id:%1").arg(N + 1));
    EXPECT_FALSE(Added->Selected());

    Child<QSpinBox>("SpinEditLaerIdAdd")->setValue(7);
    Trigger("ActionObjectAddZone");
    TSchemeLayer* Layer = Doc()->GetLayer(7);
    for (int S = 0; S < 10; ++S) EXPECT_EQ(Layer->GetStateColor(S), tarsel::kNewLayerColors[S]);
    EXPECT_EQ(Layer->MinZoomForText(), 10.0);
    EXPECT_FALSE(Layer->EnabledZoomForText());
    auto* Zone = dynamic_cast<TSchemePolygon*>(Layer->GetItem(1));
    ASSERT_NE(Zone, nullptr);
    EXPECT_EQ(Zone->Count(), 3);
    EXPECT_EQ(Zone->Text(), "1");
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
}

TEST_F(FormMainTest, AddingSnapsToTheDocumentsGridUntilAnEditChangesIt) {
    TSchemeVisualEditor* C = View(2);
    C->SetZoom(5);
    C->SetCenterToPoint(TPoint{0, 0});  // origin (0, 0): client pixel = world x 5
    ASSERT_EQ(C->OriginX(), 0);
    Child<QSpinBox>("SpinEditLaerIdAdd")->setValue(9);
    Child<QCheckBox>("CheckBox6")->setChecked(true);
    const QPoint At = ClientOf(C, 12.4, 13.0);
    PressThenMenu(2, At);
    Trigger("ActionObjectAdd");
    EXPECT_EQ(Object(9, 1)->GetPointsExt(0), (TPointExt{10, 15}));

    SetText("FloatEdit1", "3");
    OpenMenu(C, At);
    Trigger("ActionObjectAdd");
    EXPECT_EQ(Object(9, 2)->GetPointsExt(0), (TPointExt{12, 15}));
}

// Zoom In and Zoom Out are off where the view they act on would refuse their step of 0.5.
TEST_F(FormMainTest, ZoomActionsAreOffAtTheLimitsAndRecentreOnlyOnAMenuPoint) {
    TSchemeVisualEditor* A = View(0);
    const auto Enabled = [this] {
        return std::pair(Action("ActionZoomIn")->isEnabled(), Action("ActionZoomOut")->isEnabled());
    };
    PressThenMenu(0, QPoint(40, 40));
    const int OX = A->OriginX(), OY = A->OriginY();
    EXPECT_EQ(Enabled(), std::pair(true, false));
    Trigger("ActionZoomOut");
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
    EXPECT_EQ(A->Zoom(), 0.5);
    EXPECT_EQ(A->OriginX(), OX);
    EXPECT_EQ(A->OriginY(), OY);
    EXPECT_EQ(Form->StatusText(1), "Zoom A:0.5  B:2.0  C:4.0");
    // A zoom from anywhere (here as the wheel's would come) is followed.
    const struct {
        Extended Zoom;
        std::pair<bool, bool> Enabled;
    } Rows[] = {{0.6, {true, false}},
                {0.7, {true, true}},
                {9.5, {true, true}},
                {9.6, {false, true}},
                {10, {false, true}}};
    for (const auto& Row : Rows) {
        A->SetZoom(Row.Zoom);
        EXPECT_EQ(Enabled(), Row.Enabled) << double(Row.Zoom);
    }
    // Pressing in another view makes its zoom the one that counts.
    Click(View(1), EmptyPoint(View(1)));
    EXPECT_EQ(Enabled(), std::pair(true, true));
    A->SetZoom(0.5);

    // At x = 0 there is no menu point: the view is not centred on the point under the menu.
    TSchemeVisualEditor* B = View(1);
    const auto Origin = [B] { return TPoint{B->OriginX(), B->OriginY()}; };
    const auto MenuWorldPoint = [&] {
        TPoint W{Form->PopupPoint().x(), Form->PopupPoint().y()};
        B->TransformZoomAndOriginXY(W.X, W.Y);
        return W;
    };
    B->SetCenterToPoint(TPoint{450, 235});
    PressThenMenu(1, QPoint(0, 150));
    const TPoint Under = MenuWorldPoint();
    Trigger("ActionZoomIn");
    EXPECT_EQ(B->Zoom(), 2.5);
    EXPECT_EQ(Form->StatusText(1), "Zoom A:0.5  B:2.5  C:4.0");
    TPoint After = Origin();
    B->SetCenterToPoint(Under);
    EXPECT_NE(Origin(), After);
    // With a menu point, the world point under it becomes the centre.
    B->SetCenterToPoint(TPoint{450, 235});
    OpenMenu(B, QPoint(100, 150));
    const TPoint Centre = MenuWorldPoint();
    Trigger("ActionZoomActual");
    EXPECT_EQ(B->Zoom(), 1.0);
    After = Origin();
    B->SetCenterToPoint(Centre);
    EXPECT_EQ(Origin(), After);
}

TEST_F(FormMainTest, SmoothDrawingIsOnAtStartAndTheMenuTogglesItOnEveryView) {
    QAction* Smooth = Action("ActionSmoothDrawing");
    ASSERT_TRUE(Form->PopupMenu()->actions().contains(Smooth));
    for (bool On : {true, false, true}) {
        EXPECT_EQ(Smooth->isChecked(), On);
        for (int I = 0; I < 3; ++I) EXPECT_EQ(View(I)->Antialiasing(), On) << I;
        Smooth->trigger();
    }
}

TEST_F(FormMainTest, TheMenuOpenedBeforeAnyPressActsOnItsOwnView) {
    ASSERT_EQ(Form->ActiveView(), nullptr);
    OpenMenu(View(2), QPoint(30, 30));
    Trigger("ActionZoomActual");
    EXPECT_EQ(Form->ActiveView(), View(2));
    EXPECT_EQ(View(2)->Zoom(), 1.0);
    EXPECT_EQ(View(0)->Zoom(), 0.5);
    EXPECT_TRUE(Errors.isEmpty());
}

TEST_F(FormMainTest, StateAndTypeCycle) {
    auto* Shape = dynamic_cast<TSchemeShape*>(Object(3, 1));
    Click(View(1), Show(View(1), Shape));
    Doc()->SetObjectStateDirect(Shape, 9);
    Trigger("ActionObjectState");
    EXPECT_EQ(Shape->State(), 0);
    EXPECT_TRUE(Form->StatusText(2).contains("State:0"));

    Shape->SetShape(TShapeType::stRectangle);
    std::vector<TShapeType> Seen;
    for (int I = 0; I < 6; ++I) {
        Trigger("ActionObjectType");
        Seen.push_back(Shape->Shape());
    }
    EXPECT_EQ(Seen, (std::vector<TShapeType>{TShapeType::stSquare, TShapeType::stRoundRect,
                                             TShapeType::stRoundSquare, TShapeType::stEllipse,
                                             TShapeType::stCircle, TShapeType::stRectangle}));
}

// A polygon's active hook never falls below 0 (setting -1 wraps to its last vertex), so
// selecting a polygon enables the vertex actions; other kinds leave them disabled.
TEST_F(FormMainTest, VertexActionsFollowTheSelectedPolygonsActiveHook) {
    auto* Zone = dynamic_cast<TSchemePolygon*>(Object(1, 1));
    Child<QSpinBox>("SpinEdit2")->setValue(1);
    Child<QSpinBox>("SpinEdit1")->setValue(1);
    Zone->SetResizedPoint(-1);
    ASSERT_EQ(Zone->ResizedPoint(), Zone->Count() - 1);
    Child<QPushButton>("BitBtn3")->click();
    ASSERT_EQ(Form->SelectedObject(), Zone);
    EXPECT_TRUE(Action("ActionObjectAddPoint")->isEnabled());
    EXPECT_TRUE(Action("ActionObjectDeletePoint")->isEnabled());
    EXPECT_FALSE(Action("ActionObjectType")->isEnabled());
    const int Points = Zone->Count();
    Trigger("ActionObjectAddPoint");
    EXPECT_EQ(Zone->Count(), Points + 1);
    Trigger("ActionObjectDeletePoint");
    EXPECT_EQ(Zone->Count(), Points);

    Click(View(1), Show(View(1), Object(3, 1)));
    EXPECT_FALSE(Action("ActionObjectAddPoint")->isEnabled());
    EXPECT_FALSE(Action("ActionObjectDeletePoint")->isEnabled());
}

TEST_F(FormMainTest, DeleteRemovesTheObjectAndItsLinks) {
    TSchemeLink* Link = nullptr;
    for (int I = 0; I < Doc()->LinkCount() && !Link; ++I) Link = Doc()->GetLink(I);
    ASSERT_NE(Link, nullptr);
    TSchemeObject* Doomed = Link->Parent();
    const int Layer = Doomed->Layer()->ID(), Id = Doomed->Id();
    Child<QSpinBox>("SpinEdit2")->setValue(Layer);
    Child<QSpinBox>("SpinEdit1")->setValue(Id);
    Child<QPushButton>("BitBtn3")->click();
    ASSERT_EQ(Form->SelectedObject(), Doomed);
    Trigger("ActionObjectDelete");
    EXPECT_EQ(Form->SelectedObject(), nullptr);
    EXPECT_EQ(Form->StatusText(2), "");
    EXPECT_ANY_THROW(Object(Layer, Id));
    for (int I = 0; I < Doc()->LinkCount(); ++I)
        if (TSchemeLink* L = Doc()->GetLink(I)) {
            EXPECT_TRUE(L->Parent() != Doomed && L->Child() != Doomed);
        }
    EXPECT_FALSE(Action("ActionObjectDelete")->isEnabled());
}

TEST_F(FormMainTest, CenterOthersWindowsCentresTheOtherTwoViewsInOrder) {
    const int Others[3][2] = {{1, 2}, {2, 0}, {1, 0}};
    const TPoint Target{450, 235};
    for (int Active = 0; Active < 3; ++Active) {
        for (int I = 0; I < 3; ++I) View(I)->SetCenterToPoint(TPoint{0, 0});
        View(Active)->SetCenterToPoint(Target);
        PressThenMenu(Active, ClientOf(View(Active), Target.X, Target.Y));
        std::vector<int> Order;
        for (int I = 0; I < 3; ++I)
            View(I)->OnClipRectChange = [&Order, I](TObject*, const TRect&, const TRect&,
                                                    TClipRectChangeType) { Order.push_back(I); };
        // The world point the menu was opened on, in whole units.
        TPoint W{Form->PopupPoint().x(), Form->PopupPoint().y()};
        View(Active)->TransformZoomAndOriginXY(W.X, W.Y);
        Trigger("ActionCenter");
        for (int I = 0; I < 3; ++I) View(I)->OnClipRectChange = nullptr;
        EXPECT_EQ(Order, (std::vector<int>{Others[Active][0], Others[Active][1]})) << Active;
        for (int Other : Others[Active]) {
            // Centred as far as the view's scroll range allows: centring again moves nothing.
            const TPoint Origin{View(Other)->OriginX(), View(Other)->OriginY()};
            View(Other)->SetCenterToPoint(W);
            EXPECT_EQ((TPoint{View(Other)->OriginX(), View(Other)->OriginY()}), Origin) << Other;
            if (Other != 0) {
                EXPECT_NEAR(View(Other)->GetCenterPoint().X, Target.X, 2) << Other;
            }
        }
    }
}

TEST_F(FormMainTest, TheLinkPanelListsLinkTypesAndAddsLinks) {
    Child<QSpinBox>("SpinEdit2")->setValue(3);
    Child<QSpinBox>("SpinEdit1")->setValue(1);
    auto* ParentTypes = Child<QComboBox>("ComboBox2");
    ASSERT_EQ(Object(3, 1)->Count(), 4);
    ASSERT_EQ(ParentTypes->count(), 6);
    EXPECT_EQ(ParentTypes->itemText(0), "Moving");
    EXPECT_EQ(ParentTypes->itemText(3), "2 Point(Apex)");
    EXPECT_EQ(ParentTypes->itemText(5), "Always last point");
    ParentTypes->setCurrentIndex(3);

    // The same object as child: a beep and nothing else.
    Child<QSpinBox>("SpinEdit4")->setValue(3);
    Child<QSpinBox>("SpinEdit3")->setValue(1);
    const int Links = Doc()->LinkCount();
    Child<QPushButton>("BitBtn2")->click();
    EXPECT_EQ(Beeps, QList<unsigned>{0});
    EXPECT_EQ(Doc()->LinkCount(), Links);
    EXPECT_TRUE(Dialogs.Messages.isEmpty());
    EXPECT_TRUE(Errors.isEmpty());

    Child<QSpinBox>("SpinEdit3")->setValue(2);
    Child<QComboBox>("ComboBox3")->setCurrentIndex(5);
    Child<QPushButton>("BitBtn2")->click();
    ASSERT_EQ(Doc()->LinkCount(), Links + 1);
    TSchemeLink* Added = Doc()->GetLink(Links);
    EXPECT_EQ(Added->Parent(), Object(3, 1));
    EXPECT_EQ(Added->ParentLinkType(), 2);
    EXPECT_EQ(Added->ChildLinkType(), 100);
    ASSERT_EQ(Dialogs.Messages.size(), 1);
    EXPECT_TRUE(
        Dialogs.Messages[0].startsWith("Link was added!\n\nParent object\nId: 1\nLayer Id:3\n"
                                       "Link type:2 Point(Apex)"));

    // A parent that does not exist leaves its list empty and fails the link.
    Child<QSpinBox>("SpinEdit1")->setValue(999);
    EXPECT_EQ(ParentTypes->count(), 0);
    Child<QPushButton>("BitBtn2")->click();
    EXPECT_EQ(Errors, QStringList{"TSchemeLayer : Index not found!"});

    Child<QPushButton>("BitBtn1")->click();
    EXPECT_EQ(Doc()->LinkCount(), 0);
}

TEST_F(FormMainTest, ViewPanelsSetEditingAndTheMinimumZoomForResizing) {
    TSchemeObject* Shape = Object(3, 1);
    Child<QCheckBox>("CheckBox1")->setChecked(false);
    EXPECT_FALSE(View(0)->EditEnabled());
    EXPECT_TRUE(View(1)->EditEnabled());
    QTest::mousePress(View(0)->viewport(), Qt::LeftButton, {}, Show(View(0), Shape));
    EXPECT_EQ(View(0)->MovingObject(), nullptr);
    EXPECT_EQ(Form->SelectedObject(), Shape);
    QTest::mouseRelease(View(0)->viewport(), Qt::LeftButton, {}, Show(View(0), Shape));

    // A hook grabbed in B at zoom 2 moves the whole object once B's minimum zoom is 3.
    Shape->SetResized(true);
    SetText("FloatEdit4", "3");
    EXPECT_EQ(View(1)->MinZoomForResize(), 3.0);
    const TPointExt Corner = Shape->GetPointsExt(0);
    for (int V : {1, 2}) {
        Show(View(V), Shape);
        const QPoint Hook = ClientOf(View(V), Corner.X, Corner.Y);
        QTest::mousePress(View(V)->viewport(), Qt::LeftButton, {}, Hook);
        EXPECT_EQ(View(V)->MovingObject(), Shape) << V;
        EXPECT_EQ(View(V)->MovingDetail(), V == 1 ? -1 : 0) << V;
        QTest::mouseRelease(View(V)->viewport(), Qt::LeftButton, {}, Hook);
    }
}

TEST_F(FormMainTest, LoadSaveLoadKeepsTheTextAndABadFileLeavesTheWindowUsable) {
    QTemporaryDir& Dir = Temp;
    const auto Read = [](const QString& Name) {
        QFile F(Name);
        EXPECT_TRUE(F.open(QIODevice::ReadOnly));
        return F.readAll();
    };
    Dialogs.Document = Dir.filePath("first.txt");
    Trigger("ActionSave");
    Trigger("ActionLoad");
    Dialogs.Document = Dir.filePath("second.txt");
    Trigger("ActionSaveAs");
    EXPECT_EQ(Read(Dir.filePath("first.txt")), Read(Dir.filePath("second.txt")));
    EXPECT_EQ(Form->StatusText(2), "");
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();

    // A damaged file leaves the diagram as it was and tells the error with its line.
    const QStringList Before = Text();
    Dialogs.Document = WriteFile("bad.txt", "TSchemeData\nEnd\nTSchemeLayer\n  ID=x\nEnd\n");
    Trigger("ActionLoad");
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
    ASSERT_EQ(Dialogs.Messages.size(), 1);
    EXPECT_TRUE(Dialogs.Messages[0].contains("line 4")) << Dialogs.Messages[0].toStdString();
    EXPECT_EQ(Text(), Before);
    EXPECT_EQ(Form->CurrentFile(), Dir.filePath("second.txt"));
    EXPECT_FALSE(Doc()->Updating());
    Trigger("ActionObjectAdd");
    EXPECT_TRUE(Errors.isEmpty());
}

TEST_F(FormMainTest, ALoadShowsEveryViewFromTheDrawingsOriginAndAFailedOneMovesNone) {
    SaveToTemp();
    const auto Origins = [this] {
        QList<QPoint> All;
        for (int I = 0; I < 3; ++I) All << QPoint(View(I)->OriginX(), View(I)->OriginY());
        return All;
    };
    for (int I = 0; I < 3; ++I) View(I)->SetCenterToPoint(TPoint{400, 300});
    const QList<QPoint> Scrolled = Origins();
    ASSERT_NE(Scrolled, QList<QPoint>(3, QPoint(0, 0)));
    Dialogs.Document = WriteFile("bad.txt", "TSchemeData\nEnd\nTSchemeLayer\n  ID=x\nEnd\n");
    Trigger("ActionLoad");
    EXPECT_EQ(Origins(), Scrolled);
    Dialogs.Document = Temp.filePath("saved.txt");
    Trigger("ActionLoad");
    EXPECT_EQ(Origins(), QList<QPoint>(3, QPoint(0, 0)));
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
}

TEST_F(FormMainTest, AFileReadWithWarningsReplacesTheDiagramOnlyWhenTheUserAgrees) {
    const QStringList Before = Text();
    Dialogs.Document = WriteFile("notes.txt", "Shopping\nmilk and bread\n");
    Trigger("ActionLoad");
    ASSERT_EQ(Dialogs.Questions.size(), 1);
    EXPECT_TRUE(Dialogs.Questions[0].contains("line 1")) << Dialogs.Questions[0].toStdString();
    EXPECT_EQ(Text(), Before);
    EXPECT_NE(Form->CurrentFile(), Dialogs.Document);

    Dialogs.Yes = true;
    Trigger("ActionLoad");
    EXPECT_EQ(Doc()->LayerCount(), 0);
    EXPECT_EQ(Form->CurrentFile(), Dialogs.Document);
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
}

TEST_F(FormMainTest, OnlyRegularFilesAreOpened) {
    const QStringList Before = Text();
    const QString Fifo = WriteFile("pipe.txt", "") + QStringLiteral(".fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(Fifo).constData(), 0600), 0);
    for (const QString& Path : {Fifo, QFileInfo(Fifo).absolutePath()}) {
        Dialogs.Messages.clear();
        Dialogs.Document = Path;
        Trigger("ActionLoad");
        ASSERT_EQ(Dialogs.Messages.size(), 1) << Path.toStdString();
        EXPECT_TRUE(Dialogs.Messages[0].contains("not a regular file"));
        EXPECT_EQ(Text(), Before);
    }
}

TEST_F(FormMainTest, SavingWhatALoadLeftOutAsksFirst) {
    Dialogs.Document = WriteFile("notes.txt", "Shopping\nmilk and bread\n");
    Dialogs.Yes = true;
    Trigger("ActionLoad");
    ASSERT_GT(Form->LoadLosses(), 0);
    Dialogs.Questions.clear();
    Dialogs.Yes = false;
    Trigger("ActionSave");
    ASSERT_EQ(Dialogs.Questions.size(), 1);
    EXPECT_TRUE(Dialogs.Questions[0].contains("Save anyway?"));
    EXPECT_TRUE(ReadFile(Dialogs.Document).startsWith("Shopping"));
    Dialogs.Yes = true;
    Trigger("ActionSave");
    EXPECT_FALSE(ReadFile(Dialogs.Document).startsWith("Shopping"));
    EXPECT_EQ(Form->LoadLosses(), 0);
}

TEST_F(FormMainTest, LoadingShowsTheHourglassAndItsProgress) {
    QStringList Lines(8);
    Doc()->OnBeforeLoading(Doc(), Lines);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    Doc()->OnLoadingProgress(Doc(), Lines, 1);  // 12.5 % rounds to the even 12
    EXPECT_EQ(Form->StatusText(2), "Loaded: 12%");
    Doc()->OnLoadingProgress(Doc(), Lines, 3);  // 37.5 % to 38
    EXPECT_EQ(Form->StatusText(2), "Loaded: 38%");
    Doc()->OnAfterLoading(Doc(), Lines);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Form->StatusText(2), "");
}

TEST_F(FormMainTest, ViewsBAndCWriteTheirOwnHints) {
    TSchemeObject* Shape = Object(3, 1);
    QString Hint;
    bool Visible = true;
    View(2)->OnShowHint(View(2), Shape, TPoint{0, 0}, Hint, Visible);
    EXPECT_EQ(Hint, "Shape\rObject Id=1\rLayer Id=3");
    View(1)->OnShowHint(View(1), Shape, TPoint{0, 0}, Hint, Visible);
    EXPECT_FALSE(Hint.isEmpty());
    EXPECT_FALSE(Hint.contains("Object Id"));
    EXPECT_FALSE(View(0)->OnShowHint);
}

// ---- history, the title and unsaved changes ----

TEST_F(FormMainTest, UndoAfterDeleteBringsTheObjectAndItsLinksBackAndRedoDeletesAgain) {
    const QList<QAction*> Menu = Form->PopupMenu()->actions();
    ASSERT_GE(Menu.size(), 3);
    EXPECT_TRUE(Menu[Menu.size() - 3]->isSeparator());
    EXPECT_EQ(Menu[Menu.size() - 2], Action("ActionUndo"));
    EXPECT_EQ(Menu.back(), Action("ActionRedo"));

    TSchemeLink* Link = nullptr;
    for (int I = 0; I < Doc()->LinkCount() && !Link; ++I) Link = Doc()->GetLink(I);
    ASSERT_NE(Link, nullptr);
    TSchemeObject* Doomed = Link->Parent();
    const QString Name = DescribeObject(*Doomed);
    const QStringList Before = Text();
    Find(Doomed->Layer()->ID(), Doomed->Id());
    Trigger("ActionObjectDelete");
    const QStringList After = Text();
    ASSERT_NE(After, Before);
    EXPECT_EQ(Action("ActionUndo")->text(), "Undo Delete " + Name);

    // The window's shortcuts reach the actions while the menu is closed.
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    QTest::keyClick(Form.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Text(), Before);
    EXPECT_EQ(Action("ActionRedo")->text(), "Redo Delete " + Name);
    QTest::keyClick(Form.get(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Text(), After);
    QTest::keyClick(Form.get(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(Form.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Text(), After);
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
}

// Each action is one step of its own name, and undoing it gives the document back.
TEST_F(FormMainTest, EveryEditingActionIsOneNamedStep) {
    const QString Shape = DescribeObject(*Object(3, 1));
    const QString Zone = DescribeObject(*Object(1, 1));
    const int NextShape = Doc()->GetLayer(3)->GetObjectMaxId() + 1;
    Child<QSpinBox>("SpinEditLaerIdAdd")->setValue(3);
    PressThenMenu(1, EmptyPoint(View(1)));
    struct TCase {
        int Layer, Id;  // the object to select first; 0 for none
        const char* Name;
        QString Step;
    };
    const TCase Cases[] = {
        {0, 0, "ActionObjectAdd", QStringLiteral("Add Shape %1").arg(NextShape)},
        {0, 0, "ActionObjectAddZone", QStringLiteral("Add Zone %1").arg(NextShape)},
        {3, 1, "ActionObjectState", "Change state of " + Shape},
        {3, 1, "ActionObjectType", "Change type of " + Shape},
        {3, 1, "ActionObjectModified", "Resize hooks on for " + Shape},
        {1, 1, "ActionObjectAddPoint", "Add point to " + Zone},
        {1, 1, "ActionObjectDeletePoint", "Delete point of " + Zone},
        {0, 0, "BitBtn1", "Clear links"},
    };
    for (const TCase& C : Cases) {
        if (C.Layer) Find(C.Layer, C.Id);
        const QStringList Before = Text();
        const int Steps = Doc()->History().Index();
        if (QString(C.Name).startsWith("Action"))
            Trigger(C.Name);
        else
            Child<QPushButton>(C.Name)->click();
        EXPECT_EQ(Doc()->History().Index(), Steps + 1) << C.Name;
        EXPECT_EQ(Action("ActionUndo")->text(), "Undo " + C.Step) << C.Name;
        Trigger("ActionUndo");
        EXPECT_EQ(Text(), Before) << C.Name;
        EXPECT_EQ(Form->SelectedObject(), nullptr) << C.Name;
    }
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
}

TEST_F(FormMainTest, TheTitleNamesTheFileAndMarksChangesUntilSavedOrUndoneToTheSavePoint) {
    EXPECT_TRUE(Form->windowTitle().startsWith("DEMO_EXAMPLES.TXT[*]"));
    EXPECT_FALSE(Form->isWindowModified());
    Trigger("ActionObjectAdd");
    EXPECT_TRUE(Form->isWindowModified());
    SaveToTemp();
    EXPECT_TRUE(Form->windowTitle().startsWith("saved.txt[*]"));
    EXPECT_FALSE(Form->isWindowModified());
    Trigger("ActionObjectAdd");
    EXPECT_TRUE(Form->isWindowModified());
    Trigger("ActionUndo");
    EXPECT_FALSE(Form->isWindowModified());
    Trigger("ActionUndo");
    EXPECT_TRUE(Form->isWindowModified());
    // Blinking is saved with the document but held by no step.
    Trigger("ActionRedo");
    Child<QCheckBox>("CheckBox5")->setChecked(!Child<QCheckBox>("CheckBox5")->isChecked());
    EXPECT_TRUE(Form->isWindowModified());
}

TEST_F(FormMainTest, UnsavedChangesAskBeforeClosingOrLoading) {
    SaveToTemp();
    Trigger("ActionObjectAdd");
    const QStringList Changed = Text();

    Dialogs.Choice = TSaveChoice::Cancel;
    EXPECT_FALSE(Form->close());
    EXPECT_TRUE(Form->isVisible());
    Dialogs.Document = WriteFile("other.txt", "");
    Trigger("ActionLoad");
    EXPECT_EQ(Text(), Changed);
    EXPECT_EQ(Dialogs.SaveAsked, QStringList({"saved.txt", "saved.txt"}));

    // Save writes the current file without asking for a name.
    Dialogs.Choice = TSaveChoice::Save;
    Dialogs.Document.clear();
    EXPECT_TRUE(Form->close());
    EXPECT_FALSE(Doc()->Modified());
    TSchemeDataEditor Saved;
    Saved.LoadFromFile(Temp.filePath("saved.txt"));
    QStringList SavedText;
    Saved.SaveToStrings(SavedText);
    EXPECT_EQ(SavedText, Changed);
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
}

// ---- many objects ----

TEST_F(FormMainTest, PressesFollowTheViewsSelection) {
    SelectThree();
    EXPECT_EQ(Form->StatusText(2), "3 objects");
    EXPECT_EQ(Form->SelectedObject(), nullptr);
    EXPECT_TRUE(Action("ActionCopy")->isEnabled());
    EXPECT_FALSE(Action("ActionObjectModified")->isEnabled());

    // A plain press on a selected object keeps the selection and drags it as a group.
    const QPoint OnSelected = Show(View(1), Object(3, 2));
    QTest::mousePress(View(1)->viewport(), Qt::LeftButton, {}, OnSelected);
    EXPECT_EQ(View(1)->MovingGroup().size(), 3u);
    QTest::mouseRelease(View(1)->viewport(), Qt::LeftButton, {}, OnSelected);
    EXPECT_EQ(Doc()->SelectedCount(), 3);
    // On one that is not selected it selects that one alone.
    Click(View(1), Show(View(1), Object(3, 3)));
    EXPECT_EQ(Form->SelectedObject(), Object(3, 3));
}

TEST_F(FormMainTest, DeleteStateAndTypeActOnEverySelectedObjectAsOneStep) {
    struct TCase {
        const char* Action;
        QString Step;
        // Whether the object (none once gone) shows the action, given its state and shape
        // before.
        bool (*Done)(const TSchemeObject* Now, int State, TShapeType Shape);
    };
    const TCase Cases[] = {
        {"ActionObjectDelete", "Delete 3 objects",
         [](const TSchemeObject* Now, int, TShapeType) { return !Now; }},
        {"ActionObjectState", "Change state of 3 objects",
         [](const TSchemeObject* Now, int State, TShapeType) {
             return Now->State() == (State + 1) % 10;
         }},
        {"ActionObjectType", "Change type of 2 objects",
         [](const TSchemeObject* Now, int, TShapeType Shape) {
             const auto* S = dynamic_cast<const TSchemeShape*>(Now);
             return !S || S->Shape() != Shape;
         }},
    };
    for (const TCase& C : Cases) {
        SelectThree();
        const QStringList Before = Text();
        std::vector<std::pair<int, TShapeType>> Old;
        for (const auto& [Layer, Id] : kThree) {
            const auto* S = dynamic_cast<const TSchemeShape*>(Object(Layer, Id));
            Old.emplace_back(Object(Layer, Id)->State(), S ? S->Shape() : TShapeType{});
        }
        Trigger(C.Action);
        EXPECT_EQ(Action("ActionUndo")->text(), "Undo " + C.Step) << C.Action;
        for (size_t K = 0; K < std::size(kThree); ++K)
            EXPECT_TRUE(
                C.Done(Lookup(kThree[K].first, kThree[K].second), Old[K].first, Old[K].second))
                << C.Action << " " << K;
        // One step takes it all back.
        Trigger("ActionUndo");
        EXPECT_EQ(Text(), Before) << C.Action;
        EXPECT_EQ(Form->StatusText(2), "") << C.Action;
    }
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
}

TEST_F(FormMainTest, CopyAndPasteFromThePopupPlaceTheCopiesAtItsPoint) {
    SelectThree();
    Trigger("ActionCopy");
    ASSERT_TRUE(Action("ActionPaste")->isEnabled());
    // A right press on empty space keeps the selection.
    PressThenMenu(2, EmptyPoint(View(2)));
    EXPECT_EQ(Doc()->SelectedCount(), 3);
    Extended X = Form->PopupPoint().x(), Y = Form->PopupPoint().y();
    View(2)->TransformZoomAndOriginXYExt(X, Y);
    Trigger("ActionPaste");
    const std::vector<TSchemeObject*> Copies = Doc()->SelectedObjects();
    ASSERT_EQ(Copies.size(), 3u);
    TSchemeArea Box;
    for (const TSchemeObject* Copy : Copies) {
        EXPECT_FALSE(Copy == Object(3, 1) || Copy == Object(3, 2) || Copy == Object(3, 11));
        Box = Box.United(Copy->GetArea());
    }
    EXPECT_NEAR(Box.Left, double(X), 1e-9);
    EXPECT_NEAR(Box.Top, double(Y), 1e-9);
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
}

// The view pastes on Ctrl+V by itself as well: the key acts once, or not at all when there is
// nothing to paste.
TEST_F(FormMainTest, OneCtrlVToTheFocusedViewPastesOnceOneStepAway) {
    Find(3, 1);
    Trigger("ActionCopy");
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    View(1)->setFocus();
    const int Count = Doc()->GetLayer(3)->Count();
    const int Steps = Doc()->History().Index();
    QTest::keyClick(View(1), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Doc()->GetLayer(3)->Count(), Count + 1);
    EXPECT_EQ(Doc()->History().Index(), Steps + 1);
    const TSchemeObject* Copy = Form->SelectedObject();
    ASSERT_NE(Copy, nullptr);
    const TPointExt From = Object(3, 1)->GetPointsExt(0);
    const TPointExt Step{TSchemeVisualEditor::kPasteOffset, TSchemeVisualEditor::kPasteOffset};
    EXPECT_EQ(Copy->GetPointsExt(0), (TPointExt{From.X + Step.X, From.Y + Step.Y}));

    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(Action("ActionPaste")->isEnabled());
    QTest::keyClick(View(1), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Doc()->History().Index(), Steps + 1);
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
}

TEST_F(FormMainTest, PasteWarningsShowInTheStatusBar) {
    Find(3, 1);
    Trigger("ActionCopy");
    QStringList Lines = TSchemeClipboard::TextOf(*QGuiApplication::clipboard()->mimeData());
    Lines.insert(Lines.indexOf("TSchemeShape") + 1, "  Colour=plenty");
    QGuiApplication::clipboard()->setText(Lines.join('\n'));
    Trigger("ActionPaste");
    EXPECT_TRUE(Form->statusBar()->currentMessage().startsWith("Pasted with 1 warning(s): "))
        << Form->statusBar()->currentMessage().toStdString();
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
}

TEST_F(FormMainTest, SelectAllThenZoomToFitShowsTheWholeDrawingInTheActionView) {
    OpenMenu(View(2), QPoint(30, 30));
    Trigger("ActionSelectAll");
    const int All = Doc()->SelectedCount();
    EXPECT_GT(All, 3);
    EXPECT_EQ(Form->StatusText(2), QStringLiteral("%1 objects").arg(All));
    Trigger("ActionZoomToFit");
    TSchemeVisualEditor* C = View(2);
    EXPECT_LT(C->Zoom(), 4.0);
    const std::optional<TRect> Drawing = C->DrawingBounds(C->Zoom());
    ASSERT_TRUE(Drawing);
    EXPECT_LE(Drawing->Right - Drawing->Left, C->viewport()->width());
    EXPECT_LE(Drawing->Bottom - Drawing->Top, C->viewport()->height());
    EXPECT_EQ(Form->StatusText(1),
              QStringLiteral("Zoom A:0.5  B:2.0  C:%1").arg(C->Zoom(), 0, 'f', 1));
}

// ---- the menu bar, files and the desktop ----

namespace {
// The object names of a menu's or toolbar's items; "-" for a separator.
QStringList ItemNames(const QWidget* Bar) {
    QStringList Names;
    for (const QAction* A : Bar->actions())
        Names << (A->isSeparator() ? QStringLiteral("-")
                  : A->menu()      ? A->menu()->objectName()
                                   : A->objectName());
    return Names;
}
}  // namespace

TEST_F(FormMainTest, TheMenuBarAndTheToolbarHoldThePopupsOwnActions) {
    const struct {
        const char* Bar;
        QStringList Items;
    } Rows[] = {
        {"MenuFile",
         {"ActionNew", "ActionOpen", "MenuOpenRecent", "-", "ActionSave", "ActionSaveAs", "-",
          "MenuExport", "-", "ActionPrint", "ActionPrintPreview", "-", "ActionQuit"}},
        {"MenuExport", {"ActionExportPng", "ActionExportSvg", "ActionExportPdf"}},
        {"MenuOpenRecent", {"-", "ActionClearRecent"}},
        {"MenuEdit",
         {"ActionUndo", "ActionRedo", "-", "ActionCut", "ActionCopy", "ActionPaste",
          "ActionDuplicate", "ActionObjectDelete", "-", "ActionSelectAll"}},
        {"MenuView",
         {"ActionZoomIn", "ActionZoomOut", "ActionActualSize", "ActionZoomToFit", "-", "ActionGrid",
          "ActionSmoothDrawing", "ActionShowLinks", "-", "", "ActionShowInspector",
          "ActionShowLayers"}},
        {"MenuObject",
         {"ActionObjectState", "ActionObjectType", "-", "ActionObjectModified",
          "ActionObjectAddPoint", "ActionObjectDeletePoint", "-", "ActionChangePicture",
          "ActionChangeSelectedPicture", "-", "ActionLinkSelected"}},
        {"MenuLive",
         {"ActionConnect", "ActionDisconnect", "-", "ActionAcknowledge", "ActionAcknowledgeAll"}},
        {"MenuHelp", {"ActionAbout"}},
        {"ToolBarMain",
         {"ActionNew", "ActionOpen", "ActionSave", "-", "ActionUndo", "ActionRedo", "-",
          "ActionCut", "ActionCopy", "ActionPaste", "ActionObjectDelete", "-", "ActionZoomIn",
          "ActionZoomOut", "ActionZoomToFit"}},
    };
    for (const auto& Row : Rows) EXPECT_EQ(ItemNames(Child(Row.Bar)), Row.Items) << Row.Bar;
    EXPECT_EQ(ItemNames(Form->menuBar()), QStringList({"MenuFile", "MenuEdit", "MenuView",
                                                       "MenuObject", "MenuLive", "MenuHelp"}));
    EXPECT_EQ(Form->ViewMenu(), Child<QMenu>("MenuView"));
    for (QAction* A : Child<QToolBar>("ToolBarMain")->actions())
        EXPECT_TRUE(A->isSeparator() || !A->icon().isNull()) << A->objectName().toStdString();
    EXPECT_EQ(Action("ActionNew")->shortcut(), QKeySequence(QKeySequence::New));
    EXPECT_EQ(Action("ActionSaveAs")->shortcut(), QKeySequence(QKeySequence::SaveAs));

    // The menu bar's names for popup actions mirror them and trigger them.
    EXPECT_TRUE(Action("ActionOpen")->text().startsWith(QStringLiteral("Open\u2026\t")));
    EXPECT_FALSE(Action("ActionChangePicture")->isEnabled());
    Form->Document()->SelectAll();
    EXPECT_EQ(Action("ActionObjectDelete")->isEnabled(), true);
    Trigger("ActionOpen");
    EXPECT_EQ(Dialogs.Asked, QStringList{"open"});

    Trigger("ActionAbout");
    ASSERT_EQ(Dialogs.Messages.size(), 1);
    EXPECT_TRUE(QRegularExpression("^Tarsel \\d+\\.\\d+").match(Dialogs.Messages[0]).hasMatch());
}

TEST_F(FormMainTest, GridAndShowLinksToggleWhatTheViewsDraw) {
    const auto Grids = [this] {
        return std::array{View(0)->Grid().Enabled(), View(1)->Grid().Enabled(),
                          View(2)->Grid().Enabled()};
    };
    ASSERT_EQ(Grids(), (std::array{false, true, true}));
    Trigger("ActionGrid");
    EXPECT_EQ(Grids(), (std::array{false, false, false}));
    Trigger("ActionGrid");
    EXPECT_EQ(Grids(), (std::array{false, true, true}));
    // Show links draws the connectors in every view.
    for (bool On : {true, false}) {
        Trigger("ActionShowLinks");
        for (int I = 0; I < 3; ++I) EXPECT_EQ(View(I)->ShowLinks(), On) << I;
    }
}

// The sample is the editor's own: Save asks for a name. Afterwards Save writes the current file
// without asking, Save As always asks, and a name without an extension gets the document's.
TEST_F(FormMainTest, SaveWritesTheCurrentFileAndSaveAsAsks) {
    Dialogs.Document = Temp.filePath("first");
    Trigger("ActionSave");
    EXPECT_EQ(Dialogs.Asked, QStringList{"save"});
    EXPECT_EQ(Form->CurrentFile(), Temp.filePath("first.scheme"));
    EXPECT_EQ(Form->statusBar()->currentMessage(), "Saved first.scheme");

    Dialogs.Document = WriteFile("opened.txt", ReadFile(Temp.filePath("first.scheme")));
    Trigger("ActionLoad");
    Trigger("ActionObjectAdd");
    Dialogs.Asked.clear();
    Trigger("ActionSave");
    EXPECT_TRUE(Dialogs.Asked.isEmpty());
    EXPECT_TRUE(Dialogs.Questions.isEmpty());
    EXPECT_EQ(ReadFile(Dialogs.Document).split('\n').size(), Text().size() + 1);
    EXPECT_FALSE(Form->isWindowModified());

    Dialogs.Document = Temp.filePath("copy.txt");
    Trigger("ActionSaveAs");
    EXPECT_EQ(Dialogs.Asked, QStringList{"save"});
    EXPECT_EQ(ReadFile(Temp.filePath("copy.txt")), ReadFile(Temp.filePath("opened.txt")));
    EXPECT_TRUE(Form->windowTitle().startsWith("copy.txt[*]"));
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
}

TEST_F(FormMainTest, ExportWritesThePictureThroughTheDialog) {
    const struct {
        const char* Action;
        const char* Format;
        QByteArray Starts;
    } Rows[] = {{"ActionExportPng", "png", "\x89PNG"},
                {"ActionExportSvg", "svg", "<?xml"},
                {"ActionExportPdf", "pdf", "%PDF-"}};
    for (const auto& Row : Rows) {
        Dialogs.Asked.clear();
        Dialogs.Export = Temp.filePath("drawing");
        Trigger(Row.Action);
        const QString File = Dialogs.Export + '.' + Row.Format;
        EXPECT_EQ(Dialogs.Asked, QStringList{Row.Format});
        EXPECT_TRUE(ReadFile(File).startsWith(Row.Starts)) << Row.Action;
        EXPECT_EQ(Form->statusBar()->currentMessage(), "Exported " + QFileInfo(File).fileName());
    }
    // The preview opens over the window and goes when closed.
    Trigger("ActionPrintPreview");
    auto* Preview = Form->findChild<QPrintPreviewDialog*>("PrintPreview");
    ASSERT_TRUE(Preview);
    EXPECT_TRUE(Preview->isVisible());
    Preview->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(Form->findChild<QPrintPreviewDialog*>("PrintPreview"));
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
}

TEST_F(FormMainTest, OpenRecentListsTheLastFilesAndDropsOnesThatAreGone) {
    const auto Entries = [this] {
        QStringList Paths;
        for (const QAction* A : Form->RecentMenu()->actions())
            if (!A->isSeparator() && A != Action("ActionClearRecent")) {
                EXPECT_EQ(A->text(), QFileInfo(A->toolTip()).fileName());
                Paths << A->toolTip();
            }
        return Paths;
    };
    EXPECT_TRUE(Entries().isEmpty());
    SaveToTemp("a.txt");
    SaveToTemp("b.txt");
    Dialogs.Document = Temp.filePath("a.txt");
    Trigger("ActionLoad");
    Dialogs.Document = Temp.filePath("b.txt");
    Trigger("ActionLoad");
    EXPECT_EQ(Entries(), QStringList({Temp.filePath("b.txt"), Temp.filePath("a.txt")}));
    // A new window reads them back.
    Form = std::make_unique<TFormMain>(QString(), nullptr, &Dialogs);
    EXPECT_EQ(Entries().size(), 2);

    Form->RecentMenu()->actions()[1]->trigger();
    EXPECT_EQ(Form->CurrentFile(), Temp.filePath("a.txt"));
    EXPECT_EQ(Entries(), QStringList({Temp.filePath("a.txt"), Temp.filePath("b.txt")}));
    ASSERT_TRUE(QFile::remove(Temp.filePath("b.txt")));
    Form->RecentMenu()->actions()[1]->trigger();
    ASSERT_EQ(Dialogs.Messages.size(), 1);
    EXPECT_TRUE(Dialogs.Messages[0].contains("no longer exists"));
    EXPECT_EQ(Entries(), QStringList{Temp.filePath("a.txt")});
    EXPECT_EQ(Form->CurrentFile(), Temp.filePath("a.txt"));
    Trigger("ActionClearRecent");
    EXPECT_TRUE(Entries().isEmpty());
    EXPECT_FALSE(Action("ActionClearRecent")->isEnabled());

    // At most eight, each once, the latest first.
    tarsel::TRecentFiles Recent;
    for (int I = 0; I < 10; ++I) Recent.Add(Temp.filePath(QString::number(I)));
    Recent.Add(Temp.filePath("5"));
    const QStringList Files = Recent.Files();
    ASSERT_EQ(Files.size(), tarsel::TRecentFiles::kMaxFiles);
    EXPECT_EQ(Files[0], Temp.filePath("5"));
    EXPECT_EQ(Files[1], Temp.filePath("9"));
    EXPECT_EQ(Files.count(Temp.filePath("5")), 1);
}

TEST_F(FormMainTest, NewAsksAboutUnsavedChangesThenEmptiesTheDocument) {
    Trigger("ActionObjectAdd");
    const QStringList Changed = Text();
    Dialogs.Choice = TSaveChoice::Cancel;
    Trigger("ActionNew");
    EXPECT_EQ(Text(), Changed);
    EXPECT_EQ(Dialogs.SaveAsked.size(), 1);
    Dialogs.Choice = TSaveChoice::Discard;
    Trigger("ActionNew");
    EXPECT_EQ(Doc()->LayerCount(), 0);
    EXPECT_EQ(Form->CurrentFile(), "");
    EXPECT_TRUE(Form->windowTitle().startsWith("Untitled[*]"));
    EXPECT_FALSE(Form->isWindowModified());
    EXPECT_FALSE(Action("ActionUndo")->isEnabled());
    // With no file, Save asks for one.
    Dialogs.Asked.clear();
    Trigger("ActionSave");
    EXPECT_EQ(Dialogs.Asked, QStringList{"save"});
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
}

TEST_F(FormMainTest, ADroppedDocumentOpensAfterTheUnsavedChangesAreSettled) {
    SaveToTemp("dropped.txt");
    const auto Drop = [this](const QUrl& Url) {
        QMimeData Mime;
        Mime.setUrls({Url});
        QDragEnterEvent Enter(QPoint(50, 50), Qt::CopyAction, &Mime, Qt::LeftButton, {});
        QApplication::sendEvent(Form.get(), &Enter);
        QDropEvent Dropped(QPointF(50, 50), Qt::CopyAction, &Mime, Qt::LeftButton, {});
        QApplication::sendEvent(Form.get(), &Dropped);
        QApplication::processEvents();
        return Enter.isAccepted();
    };
    EXPECT_FALSE(Drop(QUrl("https://example.org/x.scheme")));
    Trigger("ActionNew");
    Trigger("ActionObjectAdd");
    Dialogs.Choice = TSaveChoice::Cancel;
    EXPECT_TRUE(Drop(QUrl::fromLocalFile(Temp.filePath("dropped.txt"))));
    EXPECT_EQ(Dialogs.SaveAsked, QStringList{"Untitled"});
    EXPECT_EQ(Form->CurrentFile(), "");
    Dialogs.Choice = TSaveChoice::Discard;
    Drop(QUrl::fromLocalFile(Temp.filePath("dropped.txt")));
    EXPECT_EQ(Form->CurrentFile(), Temp.filePath("dropped.txt"));
    EXPECT_GT(Doc()->LayerCount(), 0);
}

TEST_F(FormMainTest, ADocumentThatCannotBeOpenedAtStartIsTold) {
    TFakeDialogs Told;
    TFormMain Missing(Temp.filePath("MISSING.scheme"), nullptr, &Told);
    EXPECT_FALSE(Missing.StartedWithDocument());
    ASSERT_EQ(Told.Messages.size(), 1);
    EXPECT_TRUE(Told.Messages[0].startsWith("MISSING.scheme could not be loaded"));
}

// The parent is the object selected first, whatever the drawing order; moving it moves the
// child.
TEST_F(FormMainTest, LinkSelectedObjectsLinksTheFirstSelectedAsParent) {
    TSchemeObject* First = Object(3, 2);
    TSchemeObject* Second = Object(3, 1);
    Click(View(1), Show(View(1), First));
    EXPECT_FALSE(Action("ActionLinkSelected")->isEnabled());
    Click(View(1), Show(View(1), Second), Qt::LeftButton, Qt::ControlModifier);
    ASSERT_EQ(Doc()->SelectedObjects().front(), Second);
    ASSERT_TRUE(Action("ActionLinkSelected")->isEnabled());
    const int Links = Doc()->LinkCount();
    Trigger("ActionLinkSelected");
    ASSERT_EQ(Doc()->LinkCount(), Links + 1);
    const TSchemeLink* Link = Doc()->GetLink(Links);
    EXPECT_EQ(Link->Parent(), First);
    EXPECT_EQ(Link->Child(), Second);
    EXPECT_EQ(std::pair(Link->ParentLinkType(), Link->ChildLinkType()), std::pair(-1, -1));
    const QString Names = DescribeObject(*First) + " to " + DescribeObject(*Second);
    EXPECT_EQ(Action("ActionUndo")->text(), "Undo Link " + Names);
    EXPECT_EQ(Form->statusBar()->currentMessage(), "Linked " + Names);

    const TPointExt Before = Second->GetPointsExt(0);
    // A drag of the parent alone (a plain press selects it alone) moves the child with it.
    Doc()->ClearSelection();
    const QPoint From = Show(View(1), First);
    Drag(View(1), From, From + QPoint(20, 0));
    EXPECT_FALSE(Second->Selected());
    EXPECT_EQ(Second->GetPointsExt(0), (TPointExt{Before.X + 10, Before.Y}));
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
}

// The docks act on the window's document: each inspector edit is one step of its history, the
// inspector follows a drag in a view, and the layer list's changes are undone as steps too.
TEST_F(FormMainTest, InspectorAndLayerListEditTheDocumentInUndoableSteps) {
    TSchemeObject* Shape = Object(3, 1);
    Click(View(1), Show(View(1), Shape));
    QCoreApplication::processEvents();
    auto* Caption = Child<QLineEdit>("InspectorCaption");
    Caption->selectAll();
    QTest::keyClicks(Caption, "Renamed");
    QTest::keyClick(Caption, Qt::Key_Return);
    Child<QSpinBox>("InspectorState")->setValue(Shape->State() == 4 ? 5 : 4);
    const int State = Shape->State();
    EXPECT_EQ(Shape->Text(), "Renamed");
    Trigger("ActionUndo");
    EXPECT_NE(Shape->State(), State);
    EXPECT_EQ(Shape->Text(), "Renamed");
    Trigger("ActionUndo");
    EXPECT_NE(Shape->Text(), "Renamed");

    // A drag in view B moves the object; the inspector shows where it went.
    const Extended Moved = Shape->GetPointsExt(0).X;
    const QPoint From = Show(View(1), Shape);
    Drag(View(1), From, From + QPoint(40, 0));
    QCoreApplication::processEvents();
    const Extended Left = Shape->GetPointsExt(0).X;
    EXPECT_NE(Left, Moved);
    EXPECT_DOUBLE_EQ(Child<QDoubleSpinBox>("InspectorLeft")->value(), double(Left));

    // The layer list hides a layer and moves another up; undo puts both back.
    auto* Tree = Child<QTreeWidget>("LayerTree");
    const int First = Doc()->GetLayerIndex(0)->ID();
    const int Second = Doc()->GetLayerIndex(1)->ID();
    Tree->topLevelItem(0)->setCheckState(TSchemeLayerList::ColumnVisible, Qt::Unchecked);
    EXPECT_FALSE(Doc()->GetLayerIndex(0)->Visible());
    Form->LayerList()->SetCurrentLayerId(Second);
    EXPECT_EQ(Child<QSpinBox>("SpinEditLaerIdAdd")->value(), Second);
    Child<QPushButton>("LayerUp")->click();
    EXPECT_EQ(Doc()->GetLayerIndex(0)->ID(), Second);
    Trigger("ActionUndo");
    EXPECT_EQ(Doc()->GetLayerIndex(0)->ID(), First);
    Trigger("ActionUndo");
    EXPECT_TRUE(Doc()->GetLayerIndex(0)->Visible());
}

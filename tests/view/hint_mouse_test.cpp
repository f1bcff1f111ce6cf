#include <QCursor>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <optional>

#include "scheme/platform/error_handler.h"
#include "scheme/platform/exceptions.h"
#include "scheme/view/hint_window.h"
#include "view_fixture.h"

namespace scheme::testing {
namespace {

class HintTest : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        View->move(200, 150);
        QApplication::processEvents();
        Box = AddBox(1, 20, 20, 40, 40);
        Box->SetHintString(QStringLiteral("a box"));
        View->OnHideHint = [this](TObject*) { ++Hidden; };
    }

    // Puts the pointer over client pixel (X, Y) and lets the view see it arrive.
    void PointAt(int X, int Y) {
        QCursor::setPos(View->viewport()->mapToGlobal(QPoint(X, Y)));
        QApplication::processEvents();
    }
    bool Showing() const { return View->HintWindow()->isVisible(); }
    void Ticks(int N) {
        for (int I = 0; I < N; ++I) View->HintTick();
    }

    TSchemeShape* Box = nullptr;
    int Hidden = 0;
};

TEST_F(HintTest, ShownAtTheSixthRestingTickHiddenAtTheSeventeenthAndShownAgain) {
    PointAt(30, 30);
    Ticks(5);
    EXPECT_FALSE(Showing());
    Ticks(1);
    ASSERT_TRUE(Showing());
    EXPECT_EQ(View->HintWindow()->Text(), QStringLiteral("a box"));
    EXPECT_EQ(View->HintWindow()->size(), QSize(100, 50));
    EXPECT_EQ(View->HintWindow()->Color(), TSchemeVisual::kDefaultHintColor);
    EXPECT_EQ(View->HintWindow()->geometry().bottomRight() + QPoint(1, 1), QCursor::pos());
    Ticks(10);
    EXPECT_TRUE(Showing());
    Ticks(1);
    EXPECT_FALSE(Showing());
    EXPECT_EQ(Hidden, 1);
    Ticks(6);
    EXPECT_TRUE(Showing());
}

TEST_F(HintTest, AHandlerChangesTheTextOrVetoesTheHintForAWholeCycle) {
    int Asked = 0;
    bool Veto = true;
    View->OnShowHint = [&](TObject*, TSchemeObject* Obj, const TPoint&, QString& Text,
                           bool& CanVisible) {
        ++Asked;
        EXPECT_EQ(Obj, Box);
        Text = QStringLiteral("changed");
        CanVisible = !Veto;
    };
    PointAt(30, 30);
    Ticks(6);
    EXPECT_EQ(Asked, 1);
    EXPECT_FALSE(Showing());
    // The vetoed hint counts as shown: the counters reset after the hide pause, without a hide.
    Ticks(11 + 5);
    EXPECT_EQ(Asked, 1);
    EXPECT_EQ(Hidden, 0);
    Veto = false;
    Ticks(1);
    EXPECT_EQ(Asked, 2);
    ASSERT_TRUE(Showing());
    EXPECT_EQ(View->HintWindow()->Text(), QStringLiteral("changed"));
}

// Only the final text counts: a handler may write a hint for an object without one, or clear
// one; a blank text shows nothing.
TEST_F(HintTest, AnEmptyFinalTextShowsNoHint) {
    const struct {
        const char* Written;
        std::optional<QString> Handler;
        bool Shown;
    } Rows[] = {{"", std::nullopt, false},
                {" \r\n ", std::nullopt, false},
                {"", "from the handler", true},
                {"a box", "", false}};
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Written);
        Box->SetHintString(QString::fromLatin1(Row.Written));
        View->OnShowHint = [&](TObject*, TSchemeObject*, const TPoint&, QString& Text, bool&) {
            if (Row.Handler) Text = *Row.Handler;
        };
        View->HideHintWindow();
        PointAt(30, 30);
        Ticks(6);
        EXPECT_EQ(Showing(), Row.Shown);
    }
}

TEST_F(HintTest, WithoutAFixedSizeTheWindowFitsItsText) {
    View->SetHintWidth(0);
    Box->SetHintString(QStringLiteral("a much longer hint text\rin two lines"));
    PointAt(30, 30);
    Ticks(6);
    ASSERT_TRUE(Showing());
    const QRect Needed =
        View->HintWindow()->CalcHintRect(View->screen()->geometry().width(), Box->HintString());
    EXPECT_EQ(View->HintWindow()->size(), Needed.size());
    EXPECT_GT(Needed.height(), View->HintWindow()->fontMetrics().height() * 2 - 1);
}

TEST_F(HintTest, NearTheScreensLeftEdgeTheWindowMovesRight) {
    View->move(0, 150);
    QApplication::processEvents();
    const int Left = View->viewport()->mapToGlobal(QPoint(0, 0)).x();
    Box->SetPointsExtA(0, PointExt(0, 20));
    PointAt(10 - Left, 30);
    Ticks(6);
    ASSERT_TRUE(Showing());
    EXPECT_EQ(View->HintWindow()->geometry().left(), 10);
}

TEST_F(HintTest, TheClockRunsWhileThePointerIsInsideTheViewWithHintsOn) {
    PointAt(30, 30);
    EXPECT_TRUE(View->HintClockRunning());
    Ticks(6);
    ASSERT_TRUE(Showing());
    QCursor::setPos(View->mapToGlobal(QPoint(-50, -50)));
    QApplication::processEvents();
    EXPECT_FALSE(View->HintClockRunning());
    EXPECT_FALSE(Showing());
    View->SetShowHint(false);
    PointAt(30, 30);
    EXPECT_FALSE(View->HintClockRunning());
}

TEST_F(HintTest, SilentWhileScrollingWithHintsOffAndOverEmptySpace) {
    PointAt(30, 30);
    View->DoScroll(0, TScrollCode::scLineDown);
    ASSERT_TRUE(View->IsScrolling());
    Ticks(6);
    EXPECT_FALSE(Showing());
    View->DoScroll(0, TScrollCode::scEndScroll);
    View->SetShowHint(false);
    Ticks(6);
    EXPECT_FALSE(Showing());
    View->SetShowHint(true);
    PointAt(250, 150);
    Ticks(8);
    EXPECT_FALSE(Showing());
}

TEST_F(HintTest, SilentInAWindowThatIsNotActive) {
    QWidget Form;
    QWidget Other;
    View->setParent(&Form);
    Form.show();
    Other.show();
    QApplication::setActiveWindow(&Other);
    ASSERT_FALSE(View->OwnerInFocus());
    PointAt(30, 30);
    Ticks(8);
    EXPECT_FALSE(Showing());
    View->setParent(nullptr);
}

TEST_F(HintTest, OnlyAPointerOverTheViewsClientAreaShowsItsHints) {
    // The object reaches under the vertical scroll bar, right of the client area.
    Box->SetPointsExtA(2, PointExt(400, 60));
    PointAt(300 + View->verticalScrollBar()->width() / 2, 30);
    ASSERT_EQ(QApplication::widgetAt(QCursor::pos()), View->verticalScrollBar());
    Ticks(8);
    EXPECT_FALSE(Showing());
}

TEST_F(HintTest, AViewMovedToAnotherWindowKeepsItsOneHintWindow) {
    QWidget Form;
    View->setParent(&Form);
    View->setParent(nullptr);
    View->show();
    EXPECT_EQ(View->findChildren<THintWindow*>().size(), 1);
    PointAt(30, 30);
    Ticks(6);
    EXPECT_TRUE(Showing());
}

TEST_F(HintTest, ARestingPointerOverAHookLeavesTheActiveHookAlone) {
    Box->SetResized(true);
    const std::vector<TRect> Hooks = Box->GetHookRect(1.0, 0);
    ASSERT_GT(Hooks.size(), 1u);
    const TRect Hook = Hooks[1];
    const QPoint Over((Hook.Left + Hook.Right) / 2, (Hook.Top + Hook.Bottom) / 2);
    PointAt(Over.x(), Over.y());
    Ticks(6);
    EXPECT_TRUE(Showing());
    EXPECT_EQ(Box->ResizedPoint(), 0);
    QTest::mouseClick(View->viewport(), Qt::LeftButton, {}, Over);
    EXPECT_EQ(Box->ResizedPoint(), 1);
}

class MouseTest : public ViewTest {
protected:
    void Record() {
        View->OnMouseDown = [this](TObject* Sender, TMouseButton, TShiftState, int X, int Y) {
            EXPECT_EQ(Sender, static_cast<TObject*>(View.get()));
            Calls << QStringLiteral("view %1,%2").arg(X).arg(Y);
        };
        Data.OnMouseDown = [this](TObject*, TObject* VisualSender, TMouseButton Button, TShiftState,
                                  TSchemeObject* Obj) {
            EXPECT_EQ(dynamic_cast<TSchemeVisual*>(VisualSender), View.get());
            EXPECT_EQ(Button, TMouseButton::mbRight);
            Calls << QStringLiteral("document %1").arg(Obj->Id());
        };
    }
    QStringList Calls;
};

TEST_F(MouseTest, APressReachesTheViewAndThenTheDocumentWhenAnObjectIsUnderIt) {
    AddBox(7, 20, 20, 40, 40);
    View->SetZoom(2);
    View->SetShowHint(false);
    Record();
    QTest::mousePress(View->viewport(), Qt::RightButton, {}, QPoint(60, 60));
    QTest::mouseRelease(View->viewport(), Qt::RightButton, {}, QPoint(60, 60));
    QTest::mouseClick(View->viewport(), Qt::RightButton, {}, QPoint(250, 150));
    EXPECT_EQ(Calls, (QStringList{QStringLiteral("view 60,60"), QStringLiteral("document 7"),
                                  QStringLiteral("view 250,150")}));
}

TEST_F(MouseTest, AnErrorOfAHandlerGoesToTheApplicationHandler) {
    QStringList Errors;
    const TExceptionHandler Previous = SetExceptionHandler(
        [&](const std::exception& E) { Errors << QString::fromUtf8(E.what()); });
    View->OnMouseDown = [](TObject*, TMouseButton, TShiftState, int, int) {
        RaiseError(QStringLiteral("press failed"));
    };
    QTest::mouseClick(View->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    SetExceptionHandler(Previous);
    EXPECT_EQ(Errors, QStringList{QStringLiteral("press failed")});
}

}  // namespace
}  // namespace scheme::testing

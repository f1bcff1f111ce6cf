// The numeric edits and the fill-style combo, driven as a user drives them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <limits>

#include "scheme/controls/fill_style_combo_box.h"
#include "scheme/controls/message_beep.h"
#include "scheme/controls/numeric_edit.h"
#include "scheme/platform/error_handler.h"
#include "scheme/platform/exceptions.h"

using namespace scheme;

namespace {

// Leaving the edit for another control of its window.
void Leave(QWidget* Edit) {
    QFocusEvent Out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(Edit, &Out);
}

struct FloatRow {
    bool IncludeBounds;
    Extended Written;
    const char* Text;
};

}  // namespace

TEST(FloatEditTest, WritesKeepTheRangeWithAndWithoutItsBounds) {
    const FloatRow Rows[] = {
        {true, 0.1, "0.2"},  {true, 30, "30"},     {true, 45, "30"},  {true, 7.5, "7.5"},
        {false, 30, "15.1"}, {false, 0.2, "15.1"}, {false, 12, "12"},
    };
    for (const FloatRow& Row : Rows) {
        TFloatEdit Edit;
        Edit.SetMinValue(0.2);
        Edit.SetMaxValue(30);
        Edit.SetIncludeBounds(Row.IncludeBounds);
        Edit.SetValue(Row.Written);
        EXPECT_EQ(Edit.text(), Row.Text) << Row.Written << " " << Row.IncludeBounds;
    }
    TFloatEdit Open;  // equal bounds: no range
    Open.SetValue(-1e6);
    EXPECT_EQ(Open.text(), "-1000000");
}

TEST(IntEditTest, ReadingDoesNotClampLeavingDoesAndAnEmptyTextReadsTheDefault) {
    TIntEdit Edit;
    Edit.SetMinValue(0);
    Edit.SetMaxValue(9);
    Edit.setText("50");
    EXPECT_EQ(Edit.Value(), 50);
    Leave(&Edit);
    EXPECT_EQ(Edit.text(), "9");

    TIntEdit Empty;
    Empty.SetMinValue(4);
    Empty.SetMaxValue(1000);
    Empty.SetDefaultValue(7);
    Empty.setText("");
    EXPECT_EQ(Empty.Value(), 7);
    Leave(&Empty);
    EXPECT_EQ(Empty.text(), "");
}

TEST(NumericEditTest, DefaultsFollowTheRange) {
    TFloatEdit Edit;
    Edit.SetDefaultValue(0.5);  // no range yet
    EXPECT_EQ(Edit.DefaultValue(), 0.5);
    Edit.SetMinValue(1);
    EXPECT_EQ(Edit.DefaultValue(), 1.0);
    Edit.SetMaxValue(5);
    try {
        Edit.SetDefaultValue(9);
        ADD_FAILURE() << "no error";
    } catch (const EPropertyError& E) {
        EXPECT_EQ(E.Message(), "DefaultValue must be between MinValue and MaxValue");
    }
    EXPECT_EQ(Edit.DefaultValue(), 1.0);
}

TEST(NumericEditTest, ATextThatDoesNotConvertFailsTheRead) {
    TIntEdit Int;
    Int.setText("1-");
    try {
        (void)Int.Value();
        ADD_FAILURE() << "no error";
    } catch (const EPropertyError& E) {
        EXPECT_EQ(E.Message(), "'1-' is not a valid integer value");
    }
    TFloatEdit Float;
    Float.setText("-");
    EXPECT_THROW((void)Float.Value(), EPropertyError);
}

TEST(NumericEditTest, ArrowsStepWithinTheRangeAndTheFilterBeepsAtOtherCharacters) {
    QList<unsigned> Beeps;
    const TMessageBeepHandler Previous = SetMessageBeepHandler([&](unsigned T) { Beeps << T; });
    TIntEdit Int;
    Int.SetMinValue(0);
    Int.SetMaxValue(10);
    Int.SetIncrement(4);
    Int.SetValue(8);
    QTest::keyClick(&Int, Qt::Key_Up);
    EXPECT_EQ(Int.text(), "10");
    QTest::keyClick(&Int, Qt::Key_Down);
    EXPECT_EQ(Int.text(), "6");
    Int.clear();
    QTest::keyClicks(&Int, "-1a.2");
    EXPECT_EQ(Int.text(), "-12");

    TFloatEdit Float;
    Float.clear();
    QTest::keyClicks(&Float, "+1.5x");
    EXPECT_EQ(Float.text(), "+1.5");
    EXPECT_EQ(Beeps, (QList<unsigned>{0, 0, 0xFFFF}));
    SetMessageBeepHandler(Previous);
}

TEST(NumericEditTest, StepsStopAtTheEndsOfIntAndDeleteIsEditingNotTyping) {
    QList<unsigned> Beeps;
    const TMessageBeepHandler Previous = SetMessageBeepHandler([&](unsigned T) { Beeps << T; });
    TIntEdit Int;
    Int.SetIncrement(1000);
    Int.SetValue(std::numeric_limits<int>::max() - 5);
    QTest::keyClick(&Int, Qt::Key_Up);
    EXPECT_EQ(Int.Value(), std::numeric_limits<int>::max());
    Int.SetValue(std::numeric_limits<int>::min() + 5);
    QTest::keyClick(&Int, Qt::Key_Down);
    EXPECT_EQ(Int.Value(), std::numeric_limits<int>::min());
    Int.setText("12");
    Int.setCursorPosition(0);
    QTest::keyClick(&Int, Qt::Key_Delete);
    EXPECT_EQ(Int.text(), "2");
    EXPECT_TRUE(Beeps.isEmpty());
    SetMessageBeepHandler(Previous);
}

TEST(NumericEditTest, ABoundSetWhileTheTextIsUnreadableStillMovesTheDefault) {
    TIntEdit Edit;
    Edit.setText("x");
    EXPECT_THROW(Edit.SetMinValue(5), EPropertyError);
    EXPECT_EQ(Edit.DefaultValue(), 5);
}

// Leaving an unreadable edit for another unreadable one: the first takes the focus back and
// reports once; the second, losing the focus to it, does not read its own text and take the
// focus back in turn (which would bounce the focus between them without end).
TEST(NumericEditTest, ATakenBackFocusDoesNotBounceBetweenTwoUnreadableEdits) {
    QStringList Errors;
    const TExceptionHandler Previous = SetExceptionHandler(
        [&](const std::exception& E) { Errors << QString::fromUtf8(E.what()); });
    QWidget Window;
    auto* A = new TIntEdit(&Window);
    auto* B = new TIntEdit(&Window);
    B->move(0, 40);
    Window.show();
    Window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
    A->setText("x");
    B->setText("y");
    A->setFocus(Qt::OtherFocusReason);
    B->setFocus(Qt::TabFocusReason);
    SetExceptionHandler(Previous);
    EXPECT_EQ(Errors, QStringList{"'x' is not a valid integer value"});
    EXPECT_EQ(QApplication::focusWidget(), A);
}

TEST(NumericEditTest, PropertiesWorkThroughTheMetaObject) {
    TFloatEdit Edit;
    EXPECT_TRUE(Edit.setProperty("MinValue", 0.2));
    EXPECT_TRUE(Edit.setProperty("MaxValue", 30.0));
    EXPECT_TRUE(Edit.setProperty("Value", 45.0));
    EXPECT_EQ(Edit.property("Value").toDouble(), 30.0);
    EXPECT_EQ(Edit.property("IncludeBounds").toBool(), true);
    TIntEdit Int;
    EXPECT_TRUE(Int.setProperty("Increment", 3));
    EXPECT_EQ(Int.Increment(), 3);
}

TEST(FillStyleComboBoxTest, TheSetterIgnoresStylesAboveTheMaximumButTheMouseDoesNot) {
    TFillStyleComboBox Combo;
    EXPECT_EQ(Combo.count(), TFillStyleComboBox::kItemCount);
    Combo.SetMaxFillStyle(TBrushStyle::bsCross);
    Combo.SetFillStyle(TBrushStyle::bsDiagCross);
    EXPECT_EQ(Combo.FillStyle(), TBrushStyle::bsSolid);
    EXPECT_EQ(Combo.currentIndex(), 0);
    Combo.SetFillStyle(TBrushStyle::bsVertical);
    EXPECT_EQ(Combo.FillStyle(), TBrushStyle::bsVertical);

    // The user's choice of the eighth item, as the list view reports it.
    Combo.setCurrentIndex(7);
    emit Combo.activated(7);
    EXPECT_EQ(Combo.FillStyle(), TBrushStyle::bsDiagCross);
    EXPECT_TRUE(Combo.setProperty("FillStyle", 2));
    EXPECT_EQ(Combo.FillStyle(), TBrushStyle::bsHorizontal);
}

TEST(FillStyleComboBoxTest, TheCrossItemIsABandUnderAVerticalHatch) {
    // Item rectangle 60 x 17: the sample spans rows 2 .. 14, H = (17 - 4) / 3 = 4, so the band
    // covers rows 6 .. 10.
    QImage Image(60, 17, QImage::Format_RGB32);
    Image.fill(Qt::white);
    {
        QPainter P(&Image);
        TFillStyleComboBox::PaintItem(P, 6, QRect(0, 0, 60, 17), Qt::white, clRed);
    }
    const auto RowColours = [&](int Y) {
        QSet<QRgb> Colours;
        for (int X = 6; X < 54; ++X) Colours.insert(Image.pixel(X, Y) & 0xFFFFFF);
        return Colours;
    };
    EXPECT_EQ(RowColours(8), (QSet<QRgb>{0xFF0000}));            // the band: solid
    EXPECT_EQ(RowColours(4), (QSet<QRgb>{0xFF0000, 0xFFFFFF}));  // above it: hatch lines
    EXPECT_EQ(RowColours(12), (QSet<QRgb>{0xFF0000, 0xFFFFFF}));
    EXPECT_EQ(Image.pixel(2, 8) & 0xFFFFFF, 0xFFFFFFu);  // the margin keeps the background
}

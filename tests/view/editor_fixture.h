#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <memory>
#include <vector>

#include "on_screen.h"
#include "scheme/model/ext/scheme_polyline.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_polygon.h"
#include "scheme/platform/error_handler.h"
#include "scheme/view/scheme_visual_editor.h"
#include "scheme/view/scheme_visual_editor_cursor.h"

namespace scheme::testing {

// A shown editing view of TView with a client area of 300 x 200 over a document of TData with
// one layer whose state 0 is red; the mouse is driven by events sent to the view's client
// area. Errors that reach the application's handler are recorded. Every test must end with
// the application's override cursor stack empty.
template <class TView, class TData>
class EditingTest : public ::testing::Test {
protected:
    void SetUp() override {
        Data = std::make_unique<TData>();
        Data->SetTimerInterval(0);
        const TColor Colors[] = {clRed};
        Data->LayerAdd(1)->SetAllStateColors(Colors);
        View = NewView();
        Previous = SetExceptionHandler(
            [this](const std::exception& E) { Errors << QString::fromUtf8(E.what()); });
    }
    void TearDown() override {
        SetExceptionHandler(Previous);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
    }

    std::unique_ptr<TView> NewView(Extended Zoom = 1) {
        auto V = std::make_unique<TView>();
        V->SetColor(clWhite);
        V->SetShowHint(false);
        V->SetSchemeData(Data.get());
        V->SetZoom(Zoom);
        V->show();
        V->resize(QSize(300, 200) + V->size() - V->viewport()->size());
        QApplication::processEvents();
        return V;
    }

    TSchemeShape* AddBox(int Id, Extended X, Extended Y, Extended W, Extended H) {
        return Data->ObjectAddShapeExt(1, Id, X, Y, W, H, 0, TShapeType::stRectangle);
    }
    template <class T>
    T* Add(std::unique_ptr<T> Obj) {
        Data->ObjectAddDirect(1, Obj.get());
        return Obj.release();
    }

    // Mouse events at client pixels of View (or of another view).
    void Send(QEvent::Type Type, QPoint P, Qt::MouseButton Button, TSchemeVisual* To) {
        QWidget* Client = (To ? To : View.get())->viewport();
        QMouseEvent E(Type, QPointF(P), QPointF(Client->mapToGlobal(P)), Button, Held, Keys);
        QApplication::sendEvent(Client, &E);
    }
    void Press(QPoint P, Qt::MouseButton B = Qt::LeftButton, TSchemeVisual* To = nullptr) {
        Held |= B;
        Send(QEvent::MouseButtonPress, P, B, To);
    }
    void MoveTo(QPoint P, TSchemeVisual* To = nullptr) {
        Send(QEvent::MouseMove, P, Qt::NoButton, To);
    }
    void Release(QPoint P, Qt::MouseButton B = Qt::LeftButton, TSchemeVisual* To = nullptr) {
        Held &= ~B;
        Send(QEvent::MouseButtonRelease, P, B, To);
    }
    void Drag(QPoint From, QPoint To) {
        Press(From);
        MoveTo(To);
        Release(To);
    }

    static std::optional<Qt::CursorShape> Cursor() {
        const QCursor* C = QGuiApplication::overrideCursor();
        return C ? std::optional<Qt::CursorShape>(C->shape()) : std::nullopt;
    }
    // What the user sees in a view.
    static QImage Shown(TSchemeVisual& V) { return OnScreen(*V.viewport()); }
    static bool RedAt(TSchemeVisual& V, int X, int Y) {
        return Shown(V).pixel(X, Y) == QColor(Qt::red).rgb();
    }
    static TRect Rect(const TSchemeObject* Obj) {
        return TRect{Obj->GetPoints(0).X, Obj->GetPoints(0).Y, Obj->GetPoints(2).X,
                     Obj->GetPoints(2).Y};
    }

    // A key pressed in View.
    void Key(int Code, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
        QKeyEvent E(QEvent::KeyPress, Code, Modifiers);
        QApplication::sendEvent(View.get(), &E);
    }

    std::unique_ptr<TData> Data;
    std::unique_ptr<TView> View;
    Qt::MouseButtons Held;
    // The modifiers the mouse events carry.
    Qt::KeyboardModifiers Keys;
    QStringList Errors;
    TExceptionHandler Previous;
};

}  // namespace scheme::testing

#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <memory>

#include "on_screen.h"
#include "scheme/document/scheme_data.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/raster_graphic.h"
#include "scheme/view/scheme_visual.h"

namespace scheme::testing {

// A shown view whose client area has exactly the size asked for, over a document with one
// layer whose state 0 is red, and a background picture of the size asked for (none when 0).
class ViewTest : public ::testing::Test {
protected:
    static constexpr TColor kObjectColor = clRed;

    void SetUp() override {
        View = std::make_unique<TSchemeVisual>();
        View->SetColor(clWhite);
        const TColor Colors[] = {kObjectColor};
        Data.LayerAdd(1)->SetAllStateColors(Colors);
        View->SetSchemeData(&Data);
        View->show();
        SetClientSize(300, 200);
    }

    void SetClientSize(int Width, int Height) {
        const QSize Frame = View->size() - View->viewport()->size();
        View->resize(QSize(Width, Height) + Frame);
        QApplication::sendPostedEvents();
        ASSERT_EQ(View->viewport()->size(), QSize(Width, Height));
    }

    // A plain picture of one colour.
    void SetPicture(int Width, int Height, QColor Color = QColor(0, 0, 255)) {
        QImage Image(Width, Height, QImage::Format_RGB32);
        Image.fill(Color);
        auto Bitmap = std::make_unique<TBitmap>();
        Bitmap->SetImage(Image);
        View->Picture().TakeGraphic(std::move(Bitmap));
    }

    TSchemeShape* AddBox(int Id, Extended X, Extended Y, Extended W, Extended H) {
        return Data.ObjectAddShapeExt(1, Id, X, Y, W, H, 0, TShapeType::stRectangle);
    }

    // What the user sees: the view's client area after every pending paint.
    QImage Shown() { return OnScreen(*View->viewport()); }

    static QRgb Rgb(TColor Color) { return ColorToQColor(Color).rgb(); }

    TSchemeData Data;
    std::unique_ptr<TSchemeVisual> View;
};

}  // namespace scheme::testing

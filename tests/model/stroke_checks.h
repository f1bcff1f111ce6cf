#pragma once

// Checks shared by the tests of the stroked kinds (line, polyline).
#include <gtest/gtest.h>

#include <QImage>
#include <functional>
#include <ostream>

#include "scheme/model/arrow.h"
#include "scheme/model/scheme_object.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/exceptions.h"

namespace scheme {

inline void PrintTo(const TPoint& P, std::ostream* Os) {
    *Os << '(' << P.X << ", " << P.Y << ')';
}

inline void PrintTo(const TArrowHead& H, std::ostream* Os) {
    for (const TPoint& P : {H.Tail, H.Tip, H.Barb1, H.Barb2}) PrintTo(P, Os);
}

namespace testing {

// The message of the ESchemeErrorException that Action raises; empty when it raises none.
inline QString RaisedBy(const std::function<void()>& Action) {
    try {
        Action();
    } catch (const ESchemeErrorException& E) {
        return E.Message();
    }
    return QString();
}

// Obj painted at Zoom on a white Size x Size image.
inline QImage Painted(TSchemeObject& Obj, Extended Zoom, int Size) {
    QImage Image(Size, Size, QImage::Format_RGB32);
    Image.fill(Qt::white);
    {
        TCanvas Canvas(&Image);
        Obj.Paint(Zoom, Canvas, 0);
    }
    return Image;
}

// Paints Obj (outside a layer, in black) at Zoom and expects something painted, and every
// painted pixel inside the object's own clipping region.
inline void ExpectPaintedInsideRegion(TSchemeObject& Obj, Extended Zoom) {
    Obj.Brush()->SetColor(clBlack);
    const QImage Image = Painted(Obj, Zoom, 220);
    const QRegion Area = Obj.GetClippingRegion(Zoom, 0);
    int Painted = 0, Outside = 0;
    for (int Y = 0; Y < Image.height(); ++Y)
        for (int X = 0; X < Image.width(); ++X)
            if (Image.pixel(X, Y) != qRgb(255, 255, 255)) {
                ++Painted;
                Outside += !Area.contains(QPoint(X, Y));
            }
    EXPECT_GT(Painted, 0);
    EXPECT_EQ(Outside, 0) << "of " << Painted << " painted at zoom " << double(Zoom);
}

}  // namespace testing
}  // namespace scheme

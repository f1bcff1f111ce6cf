#pragma once

#include "scheme/model/scheme_object.h"
#include "scheme/platform/region.h"

namespace scheme::testing {

// A minimal object kind with free points, for testing what the base does by itself. Its area is
// the bounding rectangle of its points.
class PointsObject : public TSchemeObject {
    SCHEME_CLASS_NAME(PointsObject)

public:
    PointsObject(int Id, int State, std::initializer_list<TPointExt> Points)
        : TSchemeObject(Id, State) {
        SetPointCount(static_cast<int>(Points.size()));
        int I = 0;
        for (const TPointExt& P : Points) StorePoint(I++, P);
        if (Count() > 0) SetTextPoint(GetPointsExt(0));
    }
    explicit PointsObject(QStringList& Strings) : TSchemeObject(Strings) {}

    void Paint(Extended, TCanvas&, int) override { ++Paints; }
    QRegion GetClippingRegion(Extended Zoom, int AParam) const override {
        const TRect R = GetClippingOutsideRect(Zoom, AParam);
        return CreateRectRgnIndirect(R);
    }
    void ChangePositionDetail(Extended X, Extended Y, int Detail, int) override {
        if (Detail >= 0) SetPointsExt(Detail, PointExt(X, Y), false);
    }

    int Paints = 0;
};

}  // namespace scheme::testing

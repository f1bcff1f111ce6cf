#pragma once

#include <QImage>
#include <memory>
#include <vector>

#include "scheme/document/scheme_visual_link.h"
#include "scheme/platform/canvas.h"

namespace scheme::testing {

// A view stand-in: records what the document asks of it and paints onto an image.
class FakeVisual : public ISchemeVisual {
public:
    explicit FakeVisual(Extended Zoom = 1.0, int Param = 0) : FZoom(Zoom), FParam(Param) {
        Image.fill(Qt::white);
    }

    Extended Zoom() const override { return FZoom; }
    int Param() const override { return FParam; }
    int OriginX() const override { return Origin.X; }
    int OriginY() const override { return Origin.Y; }
    TCanvas* GetCanvas() override {
        ++CanvasRequests;
        if (!Canvas) Canvas = std::make_unique<TCanvas>(&Image);
        Canvas->SetWindowOrg(Origin);
        return Canvas.get();
    }
    void InvalidateRgn(const QRegion& Region) override { Invalid += Region; }
    void RepaintOnlySchemeData() override { ++PartialRepaints; }
    void Refresh() override { ++Refreshes; }
    void FindObjectDirect(TSchemeObject* AObject) override { Found.push_back(AObject); }
    bool IsScrolling() const override { return Scrolling; }

    // Ends painting so that the image can be read.
    const QImage& Painted() {
        Canvas.reset();
        return Image;
    }

    QImage Image{200, 200, QImage::Format_RGB32};
    std::unique_ptr<TCanvas> Canvas;
    TPoint Origin;
    QRegion Invalid;
    int CanvasRequests = 0;
    int PartialRepaints = 0;
    int Refreshes = 0;
    bool Scrolling = false;
    std::vector<TSchemeObject*> Found;

private:
    Extended FZoom;
    int FParam;
};

}  // namespace scheme::testing

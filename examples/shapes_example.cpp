// Builds a small diagram in code (polygon zones in one layer, boxes and shapes in a layer above
// it, each layer with its own state colours), paints it through TCanvas into a PNG file and
// prints where it wrote it.
//
//   shapes_example [OUTPUT.png]
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

#include "scheme/model/scheme_box.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_polygon.h"
#include "scheme/platform/canvas.h"

using namespace scheme;

namespace {

void AddEquipment(TSchemeLayer& Layer) {
    const TShapeType Kinds[] = {TShapeType::stRectangle, TShapeType::stSquare,
                                TShapeType::stRoundRect, TShapeType::stRoundSquare,
                                TShapeType::stEllipse,   TShapeType::stCircle};
    int Id = 1;
    for (int I = 0; I < 6; ++I) {
        auto* Shape = new TSchemeShape(Id++, 20 + I * 110, 40, 90, 60, I % 4, Kinds[I]);
        Shape->Pen()->SetWidth(2);
        Shape->SetText(QStringLiteral("Unit %1").arg(I + 1));
        Shape->SetTextPoint(PointExt(24 + I * 110, 106));
        Layer.Add(Shape);
    }
    auto* Tank = new TSchemeBox(Id++, 20, 150, 310, 70, 0);
    Tank->SetStateColorSupport(false);
    Tank->Brush()->SetColor(clSkyBlue);
    Tank->SetText(QStringLiteral("Storage tank (own brush)"));
    Layer.Add(Tank);
    auto* Selected = new TSchemeShape(Id++, 360, 150, 120, 70, 1, TShapeType::stRoundRect);
    Selected->SetText(QStringLiteral("Selected"));
    Selected->SetSelected(true);
    Selected->SetResized(true);
    Layer.Add(Selected);
}

void AddZones(TSchemeLayer& Layer) {
    const TPoint Intake[] = {{10, 20}, {340, 20}, {340, 130}, {230, 130}, {200, 240}, {10, 240}};
    const TPoint Process[] = {{350, 20}, {690, 20}, {690, 240}, {250, 240}, {280, 140}, {350, 140}};
    Layer.Add(new TSchemePolygon(1, Intake, 0, TBrushStyle::bsSolid, QStringLiteral("Intake zone"),
                                 Point(14, 224)));
    Layer.Add(new TSchemePolygon(2, Process, 1, TBrushStyle::bsSolid,
                                 QStringLiteral("Process zone"), Point(600, 224)));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication App(argc, argv);
    const QString Output =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("shapes.png");

    TSchemeLayer Zones(1);
    const TColor ZoneColors[] = {clCream, clMoneyGreen};
    Zones.SetAllStateColors(ZoneColors);
    AddZones(Zones);

    TSchemeLayer Layer(2);
    const TColor StateColors[] = {clLime, clYellow, clRed, clSilver};
    Layer.SetAllStateColors(StateColors);
    AddEquipment(Layer);

    QImage Image(700, 250, QImage::Format_RGB32);
    Image.fill(Qt::white);
    {
        TCanvas Canvas(&Image);
        Zones.Paint(1.0, Canvas, 0);
        Layer.Paint(1.0, Canvas, 0);
    }
    if (!Image.save(Output)) {
        std::fprintf(stderr, "Could not write %s\n", qPrintable(Output));
        return 1;
    }
    std::printf("Wrote %s\n",
                qPrintable(QDir::toNativeSeparators(QFileInfo(Output).absoluteFilePath())));
    return 0;
}

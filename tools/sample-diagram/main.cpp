// Builds the sample diagram that ships with the editor — a waterworks mimic that shows every
// object kind: zones as polygons, equipment as shapes in several states, pipes as lines and
// polylines with arrows, labels as text objects, an embedded picture and an image-list
// picture, hints, and links that make labels and pipe ends follow their equipment — and
// writes it to the file named on the command line.
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QObject>
#include <QPainter>
#include <cstdio>

#include "scheme/document/scheme_data.h"
#include "scheme/model/ext/scheme_internal_picture.h"
#include "scheme/model/ext/scheme_polyline.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_line.h"
#include "scheme/model/scheme_picture.h"
#include "scheme/model/scheme_polygon.h"
#include "scheme/model/scheme_text.h"
#include "scheme/platform/component_roots.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/image_list.h"
#include "scheme/platform/picture.h"

using namespace scheme;

namespace {

TSchemeShape* Equip(TSchemeData& D, int Id, double X, double Y, double W, double H, int State,
                    TShapeType K, const char* Hint) {
    auto* S = D.ObjectAddShapeExt(3, Id, X, Y, W, H, State, K);
    S->Pen()->SetWidth(2);
    S->SetHintString(QString::fromUtf8(Hint));
    return S;
}

TSchemeText* Label(TSchemeData& D, int Id, double X, double Y, double W, double H, int State,
                   const char* T) {
    auto* L = new TSchemeText(Id, X, Y, W, H, State, QString::fromUtf8(T));
    D.ObjectAddDirect(4, L);
    return L;
}

TSchemeLine* Pipe(TSchemeData& D, int Id, double X1, double Y1, double X2, double Y2, int State,
                  bool Arrow, const char* Hint) {
    auto* L = new TSchemeLine(Id, X1, Y1, X2, Y2, 4, State);
    L->SetVisibleArrow(Arrow);
    L->SetLengthArrow(14);
    L->SetHintString(QString::fromUtf8(Hint));
    D.ObjectAddDirect(2, L);
    return L;
}

QByteArray PumpIcon() {
    QImage I(48, 48, QImage::Format_ARGB32);
    I.fill(Qt::transparent);
    QPainter P(&I);
    P.setRenderHint(QPainter::Antialiasing);
    P.setBrush(QColor(0x20, 0x60, 0xC0));
    P.setPen(QPen(Qt::black, 2));
    P.drawEllipse(6, 6, 36, 36);
    P.setBrush(Qt::white);
    QPolygon Tri;
    Tri << QPoint(18, 14) << QPoint(36, 24) << QPoint(18, 34);
    P.drawPolygon(Tri);
    P.end();
    QByteArray Bytes;
    QBuffer B(&Bytes);
    B.open(QIODevice::WriteOnly);
    I.save(&B, "PNG");
    return Bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-sample-diagram OUTPUT\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication App(argc, argv);
    QObject Form;
    Form.setObjectName("FormMain");
    auto* Images = new TImageList(32, 32, &Form);
    Images->setObjectName("ImageListImages");
    QImage Valve(32, 32, QImage::Format_RGB32);
    Valve.fill(Qt::white);
    {
        QPainter P(&Valve);
        P.setPen(QPen(Qt::black, 2));
        P.setBrush(QColor(0xE0, 0xA0, 0x20));
        QPolygon A;
        A << QPoint(2, 6) << QPoint(16, 16) << QPoint(2, 26);
        P.drawPolygon(A);
        QPolygon B;
        B << QPoint(30, 6) << QPoint(16, 16) << QPoint(30, 26);
        P.drawPolygon(B);
    }
    Images->Add(Valve);
    RegisterDataModule(&Form);

    TSchemeData D;
    const std::vector<TColor> ZoneC =
        std::vector<TColor>({clCream, clMoneyGreen, clSkyBlue, 0x00E0E0FF, clSilver, clWhite,
                             0x00C0FFFF, 0x00FFE0C0, 0x00D0D0D0, clMedGray});
    const std::vector<TColor> PipeC = std::vector<TColor>(
        {clGray, clBlue, clTeal, clRed, clGreen, clPurple, clOlive, clNavy, clMaroon, clBlack});
    const std::vector<TColor> EquipC = std::vector<TColor>(
        {clLime, clYellow, clRed, clSilver, clAqua, clFuchsia, clGreen, clOlive, clTeal, clGray});
    const std::vector<TColor> LabelC = std::vector<TColor>(
        {clBlack, clNavy, clMaroon, clGreen, clPurple, clTeal, clOlive, clGray, clBlue, clRed});
    int LayerId = 1;
    for (const auto* C : {&ZoneC, &PipeC, &EquipC, &LabelC}) {
        TSchemeLayer* L = D.LayerAdd(LayerId++);
        L->SetAllStateColors(*C);
    }
    D.GetLayer(4)->SetMinZoomForText(0.5);

    // Zones
    const TPoint Intake[] = {{10, 10}, {290, 10}, {290, 330}, {10, 330}};
    const TPoint Treat[] = {{300, 10}, {640, 10}, {640, 200}, {560, 260}, {300, 260}};
    const TPoint Pump[] = {{300, 270}, {560, 270}, {640, 210}, {890, 210}, {890, 460}, {300, 460}};
    D.ObjectAddPolygon(1, 1, Intake, 2, TBrushStyle::bsSolid, "Raw water intake", Point(20, 310))
        ->SetHintString("Zone A: river intake");
    D.ObjectAddPolygon(1, 2, Treat, 0, TBrushStyle::bsSolid, "Treatment", Point(310, 240))
        ->SetHintString("Zone B: coagulation and filtration");
    D.ObjectAddPolygon(1, 3, Pump, 1, TBrushStyle::bsSolid, "Pump hall", Point(310, 440))
        ->SetHintString("Zone C: clear water pumping");

    // Equipment
    auto* Screen =
        Equip(D, 1, 40, 60, 80, 60, 0, TShapeType::stRectangle, "Bar screen S-1: running");
    auto* P1 = Equip(D, 2, 60, 200, 60, 60, 0, TShapeType::stCircle, "Raw water pump P-1: running");
    auto* P2 = Equip(D, 3, 170, 200, 60, 60, 2, TShapeType::stCircle,
                     "Raw water pump P-2: fault (overcurrent)");
    auto* Mixer =
        Equip(D, 4, 330, 40, 120, 80, 1, TShapeType::stRoundRect, "Flash mixer M-1: starting");
    auto* Floc =
        Equip(D, 5, 480, 40, 130, 80, 0, TShapeType::stEllipse, "Flocculator F-1: running");
    auto* Filter =
        Equip(D, 6, 400, 150, 160, 70, 3, TShapeType::stRectangle, "Sand filter SF-1: backwash");
    auto* Tank =
        Equip(D, 7, 660, 240, 200, 110, 4, TShapeType::stRoundSquare, "Clear water tank T-1: 78 %");
    auto* P3 =
        Equip(D, 8, 420, 320, 70, 70, 0, TShapeType::stCircle, "High-lift pump P-3: running");
    auto* P4 =
        Equip(D, 9, 540, 320, 70, 70, 3, TShapeType::stCircle, "High-lift pump P-4: standby");
    Equip(D, 10, 340, 340, 30, 30, 5, TShapeType::stSquare, "Isolation valve V-1: closed");

    auto* Panel = new TSchemeBox(11, 40, 360, 120, 50, 0);
    Panel->SetStateColorSupport(false);
    Panel->Brush()->SetColor(clSilver);
    Panel->SetText("MCC-1 motor control");
    Panel->SetHintString("Motor control centre: all feeders available");
    D.ObjectAddDirect(3, Panel);

    // Pipes
    auto* L1 = Pipe(D, 1, 80, 120, 90, 200, 1, true, "Screened water to P-1");
    auto* L2 = Pipe(D, 2, 120, 230, 330, 80, 1, true, "P-1 discharge to mixer");
    auto* L3 = Pipe(D, 3, 450, 80, 480, 80, 1, true, "Mixer to flocculator");
    auto* L4 = Pipe(D, 4, 545, 120, 520, 150, 1, true, "Flocculator to filter");
    const TPoint FilterToTank[] = {{560, 185}, {620, 185}, {620, 290}, {660, 290}};
    auto* PL1 = new TSchemePolyline(5, FilterToTank, 5, 1, QString(), Point(0, 0));
    PL1->SetVisibleArrow(true);
    PL1->SetHintString("Filtered water to clear water tank");
    D.ObjectAddDirect(2, PL1);
    const TPoint TankToPumps[] = {{660, 330}, {620, 425}, {455, 425}, {455, 390}};
    auto* PL2 = new TSchemePolyline(6, TankToPumps, 5, 1, QString(), Point(0, 0));
    PL2->SetVisibleArrow(true);
    PL2->SetHintString("Suction header to P-3");
    D.ObjectAddDirect(2, PL2);
    const TPoint Out[] = {{420, 355}, {300, 355}, {300, 440}, {30, 440}};
    auto* PL3 = new TSchemePolyline(7, Out, 6, 7, QString(), Point(0, 0));
    PL3->SetVisibleArrow(true);
    PL3->SetLengthArrow(16);
    PL3->SetHintString("Treated water to town");
    D.ObjectAddDirect(2, PL3);
    Pipe(D, 8, 230, 230, 270, 290, 3, false, "P-2 drain (alarm)");

    // Labels
    auto* T1 = Label(D, 1, 40, 125, 80, 14, 0, "S-1 Screen");
    auto* T2 = Label(D, 2, 55, 265, 70, 14, 0, "P-1");
    auto* T3 = Label(D, 3, 165, 265, 70, 14, 2, "P-2 FAULT");
    auto* T4 = Label(D, 4, 660, 355, 200, 16, 1, "T-1 Clear water 78 %");
    auto* T5 = Label(D, 5, 330, 125, 120, 14, 0, "M-1 Mixer");
    auto* T6 = Label(D, 6, 400, 225, 160, 14, 3, "SF-1 Backwash");
    auto* Title = Label(D, 7, 650, 20, 230, 30, 8, "Waterworks#North");
    Title->SetHintString("Plant overview, line 1");
    auto* T8 = Label(D, 8, 480, 125, 130, 14, 0, "F-1 Flocculator");
    auto* T9 = Label(D, 9, 420, 392, 70, 14, 0, "P-3");
    auto* T10 = Label(D, 10, 540, 392, 90, 14, 7, "P-4 standby");

    // Embedded picture and an image-list picture
    auto* Pic = new TSchemePicture(20, 700, 140, 48, 48, 0);
    auto Graphic = TPicture::GraphicClassFor(PumpIcon(), "png");
    QByteArray Bytes = PumpIcon();
    QBuffer Buf(&Bytes);
    Buf.open(QIODevice::ReadOnly);
    Graphic->LoadFromStream(Buf);
    TPicture PumpPicture;
    PumpPicture.TakeGraphic(std::move(Graphic));
    Pic->SetPicture(PumpPicture);
    Pic->SetText("Legend: pump");
    Pic->SetTextPoint(PointExt(760, 158));
    Pic->SetHintString("Embedded picture");
    D.ObjectAddDirect(4, Pic);
    auto* IL = new TSchemeInternalPicture(21, Rect(338, 300, 372, 334), 3, 0, Images, 0, nullptr);
    IL->SetHintString("Valve V-1 symbol from the form's image list");
    D.ObjectAddDirect(3, IL);

    // Links: labels and pipe ends follow their equipment.
    D.LinkAdd(Screen, -1, T1, -1);
    D.LinkAdd(P1, -1, T2, -1);
    D.LinkAdd(P2, -1, T3, -1);
    D.LinkAdd(Tank, -1, T4, -1);
    D.LinkAdd(Mixer, -1, T5, -1);
    D.LinkAdd(Filter, -1, T6, -1);
    D.LinkAdd(Floc, -1, T8, -1);
    D.LinkAdd(P3, -1, T9, -1);
    D.LinkAdd(P4, -1, T10, -1);
    D.LinkAdd(Screen, -1, L1, 0);
    D.LinkAdd(P1, -1, L1, 1);
    D.LinkAdd(P1, -1, L2, 0);
    D.LinkAdd(Mixer, -1, L2, 1);
    D.LinkAdd(Mixer, -1, L3, 0);
    D.LinkAdd(Floc, -1, L3, 1);
    D.LinkAdd(Floc, -1, L4, 0);
    D.LinkAdd(Filter, -1, L4, 1);
    D.LinkAdd(Filter, -1, PL1, 0);
    D.LinkAdd(Tank, -1, PL1, 100);
    D.LinkAdd(Tank, -1, PL2, 0);
    D.LinkAdd(P3, -1, PL2, 100);
    D.LinkAdd(P3, -1, PL3, 0);
    try {
        D.SaveToFile(QString::fromLocal8Bit(argv[1]));
    } catch (const Exception& E) {
        std::fprintf(stderr, "%s\n", E.what());
        return 1;
    }
    return 0;
}

// A pump in a one-layer diagram, painted into an image and saved as text. Writes plant.png and
// plant.txt into the folder named on the command line (a temporary one when none is given) and
// prints the document's text.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <cstdio>

#include "scheme/document/scheme_data.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/canvas.h"

using namespace scheme;

int main(int argc, char** argv) {
    QGuiApplication App(argc, argv);  // fonts and painting need the application
    QTemporaryDir Scratch;            // removed at exit
    const QDir Out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : Scratch.path());

    TSchemeData Data;  // the document
    TSchemeLayer* Layer = Data.LayerAdd(1);
    const TColor States[] = {clLime, clYellow, clRed};
    Layer->SetAllStateColors(States);  // state i fills with States[i]
    TSchemeShape* Pump = Data.ObjectAddShapeExt(1, 1, 20, 20, 60, 60, 2, TShapeType::stCircle);
    Pump->SetHintString(QStringLiteral("Pump P-1"));

    QImage Image(200, 120, QImage::Format_RGB32);
    Image.fill(Qt::white);
    {
        TCanvas Canvas(&Image);
        Data.PaintDirectInCanvas(Canvas, 0, 0, 1.0, 0);  // zoom 1: one pixel per world unit
    }
    if (!Image.save(Out.filePath(QStringLiteral("plant.png")))) return 1;
    Data.SaveToFile(Out.filePath(QStringLiteral("plant.txt")));  // raises on failure

    QStringList Lines;
    Data.SaveToStrings(Lines);  // the same text as the file
    std::printf("%s\n", qPrintable(Lines.join(QLatin1Char('\n'))));
    return 0;
}

// Builds a document through the installed library, paints it and saves it, and checks the
// pixels, the saved text and the file; then builds a form with a view from a Designer form
// (compiled by uic) and checks the view got the form's properties. Exits with status 1 and
// names what failed otherwise.
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstdio>

#include "scheme/document/scheme_data.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/canvas.h"
#include "scheme/view/scheme_visual_editor.h"
#include "ui_consumer_form.h"

using namespace scheme;

namespace {

int Failures = 0;

void Check(bool Ok, const char* What) {
    if (Ok) return;
    std::fprintf(stderr, "package_consumer: %s\n", What);
    ++Failures;
}

// Whether Wanted appears in Lines in this order (blanks around each line ignored).
bool ContainsInOrder(const QStringList& Lines, const QStringList& Wanted) {
    qsizetype Next = 0;
    for (const QString& Line : Lines)
        if (Next < Wanted.size() && Line.trimmed() == Wanted[Next]) ++Next;
    return Next == Wanted.size();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication App(argc, argv);

    TSchemeData Data;
    TSchemeLayer* Layer = Data.LayerAdd(1);
    const TColor States[] = {clLime, clYellow, clRed};
    Layer->SetAllStateColors(States);
    TSchemeShape* Pump = Data.ObjectAddShapeExt(1, 7, 20, 20, 60, 60, 2, TShapeType::stCircle);
    Pump->SetHintString(QStringLiteral("Pump P-1"));

    QImage Image(200, 120, QImage::Format_RGB32);
    Image.fill(Qt::white);
    {
        TCanvas Canvas(&Image);
        Data.PaintDirectInCanvas(Canvas, 0, 0, 1.0, 0);
    }
    Check(Image.pixel(50, 50) == qRgb(255, 0, 0), "the circle's centre is not red (state 2)");
    Check(Image.pixel(22, 22) == qRgb(255, 255, 255), "the corner outside the circle is painted");
    Check(Image.pixel(150, 50) == qRgb(255, 255, 255), "painting reached beyond the circle");

    QStringList Lines;
    Data.SaveToStrings(Lines);
    // The blocks' lines that this document must have, in this order.
    const QStringList Wanted =
        QStringLiteral(
            "TSchemeData End TSchemeLayer ID=1 StateCount=3 Color0=clLime "
            "Color1=clYellow Color2=clRed End TSchemeShape ID=7 State=2 LayerID=1 "
            "Shape=5 End")
            .split(QLatin1Char(' '));
    Check(ContainsInOrder(Lines, Wanted), "the saved text lacks the layer or the shape");

    QTemporaryDir Dir;
    const QString Path = Dir.filePath(QStringLiteral("plant.txt"));
    Data.SaveToFile(Path);
    QFile File(Path);
    Check(File.open(QIODevice::ReadOnly), "the saved file cannot be read");
    Check(File.readAll() == (Lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8(),
          "the file is not the saved text in UTF-8 lines ended by CR LF");

    QWidget Form;
    Ui::ConsumerForm Ui;
    Ui.setupUi(&Form);
    Ui.View->SetSchemeData(&Data);
    Check(Ui.View->Zoom() == 2 && Ui.View->GridPen().Style() == TPenStyle::psDot &&
              Ui.View->DragCursor() == crHandPoint && Ui.View->Color() == clYellow,
          "the form's view lacks the form's properties");

    if (Failures != 0) return 1;
    std::printf("package_consumer: painted and saved %lld lines through the installed library\n",
                static_cast<long long>(Lines.size()));
    return 0;
}

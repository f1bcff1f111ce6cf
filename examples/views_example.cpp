// Two views of one document side by side: the sample diagram at zoom 1 and a closer look at
// zoom 2, both over a background picture and a grid. Each view scrolls on its own; whatever
// changes in the document shows in both.
//
//   views_example [DOCUMENT [PICTURE]] [--screenshot FILE] [--export FILE]
//
// DOCUMENT defaults to DEMO_EXAMPLES.TXT and PICTURE to sample_background.svg, both next to the
// program. --export writes the whole drawing as the first view paints it (SVG when FILE ends in
// .svg, else the image format its extension names) and quits; --screenshot grabs the window
// into FILE once it is shown and painted, and quits.
#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QSplitter>
#include <QTimer>
#include <cstdio>

#include "scheme/document/scheme_data.h"
#include "scheme/platform/exceptions.h"
#include "scheme/view/scheme_visual.h"

using namespace scheme;

namespace {

// A view of Data at Zoom over the picture, with a grid every 10 world units.
TSchemeVisual* AddView(QSplitter& Splitter, TSchemeData& Data, const QString& Picture,
                       Extended Zoom) {
    auto* View = new TSchemeVisual(&Splitter);
    View->SetSchemeData(&Data);
    View->SetZoom(Zoom);
    View->Picture().LoadFromFile(Picture);  // raises when it cannot be read
    View->Grid().SetDeltaX(10);
    View->Grid().SetDeltaY(10);
    View->Grid().SetEnabled(true);
    View->GridPen().SetColor(QColorToColor(QColor(0xE9, 0xE4, 0xD6)));  // just darker than paper
    Splitter.addWidget(View);
    return View;
}

// Errors go to standard error, and into a message box unless the program runs unattended.
int Fail(QString Message, bool Unattended) {
    Message.replace(QLatin1Char('\r'), QLatin1Char('\n'));  // load errors mark their line so
    std::fprintf(stderr, "views_example: %s\n", qPrintable(Message));
    if (!Unattended) QMessageBox::critical(nullptr, QStringLiteral("views_example"), Message);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication App(argc, argv);
    QCommandLineParser Parser;
    Parser.addPositionalArgument(QStringLiteral("document"), QStringLiteral("The diagram."));
    Parser.addPositionalArgument(QStringLiteral("picture"), QStringLiteral("The background."));
    const QCommandLineOption Screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Grab the window into <file> and quit."),
                                        QStringLiteral("file"));
    const QCommandLineOption Export(QStringLiteral("export"),
                                    QStringLiteral("Export the drawing into <file> and quit."),
                                    QStringLiteral("file"));
    Parser.addOptions({Screenshot, Export});
    Parser.addHelpOption();
    Parser.process(App);
    const QStringList Names = Parser.positionalArguments();
    const QString Here = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    const QString Document = Names.value(0, Here + QStringLiteral("DEMO_EXAMPLES.TXT"));
    const QString Picture = Names.value(1, Here + QStringLiteral("sample_background.svg"));
    const bool Unattended = Parser.isSet(Screenshot) || Parser.isSet(Export);

    TSchemeData Data;  // declared before the window: the views leave it when they go
    QMainWindow Window;
    auto* Splitter = new QSplitter(&Window);
    TSchemeVisual* Overview = nullptr;
    TSchemeVisual* Detail = nullptr;
    QString Step = QStringLiteral("Reading ") + Document;  // what an error interrupted
    try {
        Data.LoadFromFile(Document);
        Step = QStringLiteral("Reading ") + Picture;
        Overview = AddView(*Splitter, Data, Picture, 1);
        Detail = AddView(*Splitter, Data, Picture, 2);
        if (Parser.isSet(Export)) {
            const QString File = Parser.value(Export);
            Step = QStringLiteral("Exporting to ") + File;
            if (QFileInfo(File).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0)
                Overview->ExportToMetafile(File, 1);
            else
                Overview->ExportToBmp(File, 1);
            return 0;
        }
    } catch (const Exception& E) {
        return Fail(Step + QStringLiteral(": ") + E.Message(), Unattended);
    }

    Window.setCentralWidget(Splitter);
    Window.setWindowTitle(QStringLiteral("scheme — two views"));
    Window.resize(1560, 556);
    Splitter->setSizes({980, 580});  // the first view shows the whole picture
    Window.show();
    Detail->SetCenterToPoint(TPoint{520, 360});  // the pump hall, once the view has its size

    if (Parser.isSet(Screenshot)) {
        // Time enough for the window to be exposed and painted; grab() paints it anew anyway.
        QTimer::singleShot(500, &Window, [&] {
            if (!Window.grab().save(Parser.value(Screenshot)))
                App.exit(
                    Fail(QStringLiteral("Cannot write %1").arg(Parser.value(Screenshot)), true));
            else
                App.quit();
        });
    }
    return App.exec();
}

// Two views of one document side by side: the sample diagram at zoom 1 and a closer look at
// zoom 2, both over a background picture and a grid. Each view scrolls on its own; whatever
// changes in the document shows in both.
//
//   views_example [DOCUMENT [PICTURE]] [--edit] [--drag-shots PREFIX] [--screenshot FILE]
//                 [--export FILE]
//
// DOCUMENT defaults to DEMO_EXAMPLES.TXT and PICTURE to sample_background.svg, both next to the
// program. --export writes the whole drawing as the first view paints it (SVG when FILE ends in
// .svg, else the image format its extension names) and quits; --screenshot grabs the window
// into FILE once it is shown and painted, and quits.
//
// --edit makes both views editing views: drag an object's body to move it, double-click an
// object to show or hide its hooks, then drag a corner or a side of a box or a vertex of a
// polygon or polyline. Positions snap to a grid of 5 world units; linked objects follow. With
// --drag-shots the program drags the parent of the document's first link by itself through
// mouse events sent to the first view and saves the window before, during and after the drag
// as PREFIX-before.png, PREFIX-during.png and PREFIX-after.png, then quits.
#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QSplitter>
#include <QTimer>
#include <cstdio>
#include <optional>

#include <QMouseEvent>

#include "scheme/document/scheme_data_editor.h"
#include "scheme/platform/exceptions.h"
#include "scheme/view/scheme_visual_editor.h"

using namespace scheme;

namespace {

// A view of Data at Zoom over the picture, with a grid every 10 world units.
TSchemeVisual* AddView(QSplitter& Splitter, TSchemeData& Data, const QString& Picture,
                       Extended Zoom, bool Editing) {
    auto* View = Editing ? new TSchemeVisualEditor(&Splitter) : new TSchemeVisual(&Splitter);
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

// A client point of View over which a press grabs Obj, if any.
std::optional<QPoint> GrabPoint(TSchemeVisual& View, TSchemeData& Data, TSchemeObject* Obj) {
    const TRect R = Obj->GetClippingOutsideRect(1.0, View.Param());
    const TKeepResizedPoints Keep;
    for (int Y = R.Top; Y < R.Bottom; Y += 2)
        for (int X = R.Left; X < R.Right; X += 2)
            if (Data.ObjectForPointWithCheckEnabled(X, Y, true, View.Param()) == Obj)
                return QPoint(Trunc(X * View.Zoom()) - View.OriginX(),
                              Trunc(Y * View.Zoom()) - View.OriginY());
    return std::nullopt;
}

void SendMouse(TSchemeVisual& View, QEvent::Type Type, QPoint P, Qt::MouseButtons Buttons) {
    QWidget* Client = View.viewport();
    QMouseEvent E(Type, QPointF(P), QPointF(Client->mapToGlobal(P)),
                  Type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Buttons,
                  Qt::NoModifier);
    QApplication::sendEvent(Client, &E);
}

// Drags the parent of the first link 120 units right and 60 down in View, with Other centred
// on it, saving the window before, half way (Other still shows the object where it was) and
// after. Answers an error message, empty when all went well.
QString DragShots(QWidget& Window, TSchemeVisual& View, TSchemeVisual& Other, TSchemeData& Data,
                  const QString& Prefix) {
    TSchemeLink* Link = Data.LinkCount() > 0 ? Data.GetLink(0) : nullptr;
    const std::optional<QPoint> From =
        Link && Link->Parent() ? GrabPoint(View, Data, Link->Parent()) : std::nullopt;
    if (!From) return QStringLiteral("the document has no linked object to drag");
    TPoint Centre;
    Link->Parent()->GetOriginPoint(Centre, Other.Param());
    Other.SetCenterToPoint(TPoint{Centre.X + 60, Centre.Y + 30});
    auto Save = [&](const char* Suffix) {
        const QString File = Prefix + QLatin1String(Suffix);
        return Window.grab().save(File) ? QString() : QStringLiteral("Cannot write ") + File;
    };
    QString Error = Save("-before.png");
    SendMouse(View, QEvent::MouseButtonPress, *From, Qt::LeftButton);
    const QPoint By(Trunc(120 * View.Zoom()), Trunc(60 * View.Zoom()));
    for (int Step = 1; Step <= 10; ++Step) {
        SendMouse(View, QEvent::MouseMove, *From + By * Step / 10, Qt::LeftButton);
        if (Step == 5 && Error.isEmpty()) Error = Save("-during.png");
    }
    SendMouse(View, QEvent::MouseButtonRelease, *From + By, Qt::NoButton);
    return Error.isEmpty() ? Save("-after.png") : Error;
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
    const QCommandLineOption Edit(QStringLiteral("edit"),
                                  QStringLiteral("Edit the diagram with the mouse."));
    const QCommandLineOption Shots(
        QStringLiteral("drag-shots"),
        QStringLiteral("Drag a linked object, save the window into <prefix>-*.png and quit."),
        QStringLiteral("prefix"));
    Parser.addOptions({Screenshot, Export, Edit, Shots});
    Parser.addHelpOption();
    Parser.process(App);
    const QStringList Names = Parser.positionalArguments();
    const QString Here = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    const QString Document = Names.value(0, Here + QStringLiteral("DEMO_EXAMPLES.TXT"));
    const QString Picture = Names.value(1, Here + QStringLiteral("sample_background.svg"));
    const bool Unattended = Parser.isSet(Screenshot) || Parser.isSet(Export) || Parser.isSet(Shots);
    const bool Editing = Parser.isSet(Edit) || Parser.isSet(Shots);

    TSchemeDataEditor Data;  // declared before the window: the views leave it when they go
    Data.AlignToGrid().SetDeltaX(5);
    Data.AlignToGrid().SetDeltaY(5);
    Data.AlignToGrid().SetEnabled(true);
    // A double click shows or hides the hooks of the object under the pointer.
    if (Editing)
        Data.OnMouseDown = [](TObject*, TObject*, TMouseButton, TShiftState Shift,
                              TSchemeObject* Obj) {
            if (Shift & ssDouble) Obj->SetResized(!Obj->Resized());
        };
    QMainWindow Window;
    auto* Splitter = new QSplitter(&Window);
    TSchemeVisual* Overview = nullptr;
    TSchemeVisual* Detail = nullptr;
    QString Step = QStringLiteral("Reading ") + Document;  // what an error interrupted
    try {
        Data.LoadFromFile(Document);
        Step = QStringLiteral("Reading ") + Picture;
        Overview = AddView(*Splitter, Data, Picture, 1, Editing);
        Detail = AddView(*Splitter, Data, Picture, 2, Editing);
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
    Window.setWindowTitle(Editing ? QStringLiteral("scheme — two editing views: drag objects, "
                                                   "double-click to show their hooks")
                                  : QStringLiteral("scheme — two views"));
    Window.resize(1560, 556);
    Splitter->setSizes({980, 580});  // the first view shows the whole picture
    Window.show();
    Detail->SetCenterToPoint(TPoint{520, 360});  // the pump hall, once the view has its size

    if (Parser.isSet(Shots)) {
        QTimer::singleShot(500, &Window, [&] {
            const QString Error = DragShots(Window, *Overview, *Detail, Data, Parser.value(Shots));
            App.exit(Error.isEmpty() ? 0 : Fail(Error, true));
        });
    } else if (Parser.isSet(Screenshot)) {
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

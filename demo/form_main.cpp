#include "form_main.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QSvgRenderer>

#include "scheme/controls/fill_style_combo_box.h"
#include "scheme/controls/numeric_edit.h"
#include "scheme/document/history/scheme_history.h"
#include "scheme/document/scheme_data_editor.h"
#include "scheme/model/kind_name.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/error_handler.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/image_list.h"
#include "scheme/view/scheme_visual_editor.h"
#include "ui_form_main.h"

using namespace scheme;

namespace tarsel {

namespace {

const QString kSampleName = QStringLiteral("DEMO_EXAMPLES.TXT");
const QString kBackgroundName = QStringLiteral("background.svg");
const QString kImageListName = QStringLiteral("image_list.svg");
constexpr int kImageSize = 32;
// At most this many of a load's warnings are listed in the question before replacing.
constexpr int kWarningsShown = 10;

// A strip of square tiles, one image each, rendered from an SVG file.
QList<QImage> ImageStrip(const QString& FileName, int Size) {
    QList<QImage> Images;
    QSvgRenderer Renderer(FileName);
    if (!Renderer.isValid()) return Images;
    const QSize Whole = Renderer.defaultSize();
    const int Count = Whole.height() > 0 ? Whole.width() / Whole.height() : 0;
    QImage Strip(Size * Count, Size, QImage::Format_ARGB32_Premultiplied);
    Strip.fill(Qt::transparent);
    {
        QPainter P(&Strip);
        Renderer.render(&P);
    }
    for (int I = 0; I < Count; ++I) Images.append(Strip.copy(I * Size, 0, Size, Size));
    return Images;
}

}  // namespace

TFormMain::TFormMain(const QString& DocumentPath, QWidget* Parent, IEditorDialogs* Dialogs)
    : QMainWindow(Parent), ui(std::make_unique<Ui::FormMain>()) {
    SetDialogs(Dialogs);
    FDocument = new TSchemeDataEditor(this);
    FDocument->setObjectName(QStringLiteral("SchemeDataEditor1"));
    ui->setupUi(this);
    FBaseTitle = windowTitle();
    ShowTitle();
    FViews = {ui->SchemeVisualEditor3, ui->SchemeVisualEditor1, ui->SchemeVisualEditor2};
    SetUpImageList();
    SetUpDocumentEvents();
    SetUpViews();
    SetUpStatusBar();
    SetUpActions();
    SetUpMenus();
    SetUpLive();
    SetUpDocks();
    SetUpHistory();
    SetUpPanels();
    RunGuarded([&] { FormCreate(DocumentPath); });
}

TFormMain::~TFormMain() {
    // The document outlives the window's members: it reports to them no more.
    FDocument->OnSelectionChange = nullptr;
    FDocument->OnMouseDown = nullptr;
}

void TFormMain::SetDialogs(IEditorDialogs* Dialogs) {
    FDialogs = Dialogs ? Dialogs : &FOwnDialogs;
}

QString TFormMain::DataFolder() {
    const QDir Program(QCoreApplication::applicationDirPath());
    const QString Installed = Program.absoluteFilePath(QStringLiteral("../share/tarsel"));
    if (QFileInfo::exists(QDir(Installed).filePath(kSampleName))) return QDir::cleanPath(Installed);
    return Program.absolutePath();
}

QString TFormMain::StatusText(int Panel) const {
    return FStatusPanels[Panel]->text();
}

void TFormMain::SetStatusText(int Panel, const QString& Text) {
    FStatusPanels[Panel]->setText(Text);
}

// ---- building the window ----

void TFormMain::SetUpImageList() {
    FImageList = new TImageList(kImageSize, kImageSize, this);
    FImageList->setObjectName(QStringLiteral("ImageListImages"));
    // The images beside the program, or the copy built into it.
    QString File = QDir(DataFolder()).filePath(kImageListName);
    if (!QFileInfo::exists(File)) File = QStringLiteral(":/") + kImageListName;
    for (const QImage& Image : ImageStrip(File, kImageSize)) FImageList->Add(Image);
}

void TFormMain::SetUpDocumentEvents() {
    FDocument->SetDefaultDrawing(true);
    FDocument->SetTimerInterval(0);
    TSchemeGridType Align;
    Align.SetDeltaX(5);
    Align.SetDeltaY(5);
    FDocument->SetGrid(&Align);
    // A plain press on an object that is not selected selects it alone; a press on a selected
    // one leaves the selection to the view's group drag, and Ctrl or Shift to its toggling.
    FDocument->OnMouseDown = [this](TObject*, TObject*, TMouseButton, TShiftState Shift,
                                    TSchemeObject* AObject) {
        if (AObject && !(Shift & (ssCtrl | ssShift)) && !AObject->Selected()) SelectOnly(AObject);
    };
    // A change made outside a gesture is reported from the event loop: it runs guarded.
    FDocument->OnSelectionChange = [this](TObject*) { RunGuarded([this] { SelectionChanged(); }); };
    const auto Busy = [this](TObject*, QStringList&) {
        if (!FHourglass) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        FHourglass = true;
    };
    const auto Done = [this](TObject*, QStringList&) {
        if (FHourglass) QGuiApplication::restoreOverrideCursor();
        FHourglass = false;
        ShowSelectedInfo();
    };
    FDocument->OnBeforeLoading = Busy;
    FDocument->OnBeforeSave = Busy;
    FDocument->OnAfterLoading = Done;
    FDocument->OnAfterSave = Done;
    FDocument->OnModifiedChange = [this](TObject*) { setWindowModified(FDocument->Modified()); };
    FDocument->OnLoadingProgress = [this](TObject*, QStringList& AStrings, int ACurrentIndex) {
        const int Percent =
            AStrings.isEmpty() ? 100 : Round(ACurrentIndex * 100.0 / AStrings.size());
        SetStatusText(2, QStringLiteral("Loaded: %1%").arg(Percent));
    };
}

void TFormMain::SetUpViews() {
    TPicture Background;
    const QString BackgroundFile = QDir(DataFolder()).filePath(kBackgroundName);
    if (QFileInfo::exists(BackgroundFile))
        RunGuarded([&] { Background.LoadFromFile(BackgroundFile); });
    // The views' looks (zoom, grid, hints) are the form's properties.
    for (TSchemeVisualEditor* View : FViews) {
        View->SetSchemeData(FDocument);
        View->SetPicture(Background);
        // The editor draws smoothly unless the popup menu's Smooth drawing is turned off.
        View->SetAntialiasing(true);
        View->OnMouseDown = [this](TObject* Sender, TMouseButton, TShiftState, int X, int Y) {
            ViewMouseDown(Sender, X, Y);
        };
        View->OnMouseMove = [this](TObject* Sender, TShiftState, int X, int Y) {
            ViewMouseMove(Sender, X, Y);
        };
        View->OnMouseUp = [](TObject*, TMouseButton, TShiftState, int, int) {};
        View->OnPasteWarnings = [this](TObject*, const QStringList& Warnings) {
            statusBar()->showMessage(QStringLiteral("Pasted with %1 warning(s): %2")
                                         .arg(Warnings.size())
                                         .arg(Warnings.constFirst()));
        };
        View->installEventFilter(this);
        View->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(View, &QWidget::customContextMenuRequested, this, [this, View](const QPoint& Pos) {
            ShowPopupMenu(View, View->viewport()->mapToGlobal(Pos));
        });
    }
    // View C keeps its width and view A its height when the window grows; the others take the
    // rest, as their panels in the design do.
    ui->Splitter1->setStretchFactor(0, 1);
    ui->Splitter1->setStretchFactor(1, 0);
    ui->Splitter1->setSizes({qMax(1, width() - 284), 284});
    ui->Splitter2->setChildrenCollapsible(false);
    ui->Splitter2->setStretchFactor(0, 0);
    ui->Splitter2->setStretchFactor(1, 1);
    ui->Splitter2->setSizes({183, qMax(1, ui->Panel1->height() - 183)});
}

void TFormMain::SetUpStatusBar() {
    // The first two panels are wide enough for their longest texts, at least as wide as the
    // window's design gives them; the third takes the rest.
    const int Widths[2] = {100, 130};
    const QString Longest[2] = {QStringLiteral("-99999.99   -99999.99"),
                                QStringLiteral("Zoom A:10.0  B:10.0  C:10.0")};
    for (int I = 0; I < 3; ++I) {
        auto* Panel = new QLabel(this);
        Panel->setObjectName(QStringLiteral("StatusPanel%1").arg(I));
        if (I < 2) {
            Panel->setAlignment(Qt::AlignCenter);
            Panel->setFixedWidth(
                qMax(Widths[I], Panel->fontMetrics().horizontalAdvance(Longest[I]) + 16));
        }
        statusBar()->addWidget(Panel, I == 2 ? 1 : 0);
        FStatusPanels[I] = Panel;
    }
}

// ---- start-up ----

void TFormMain::FormCreate(const QString& DocumentPath) {
    setMinimumSize(size());
    ShowZooms();
    // Ctrl+wheel and pinches zoom the views as well as the menu does; the status bar follows.
    for (TSchemeVisualEditor* View : FViews)
        View->OnClipRectChange = [this](TObject*, const TRect&, const TRect&, TClipRectChangeType) {
            ShowZooms();
        };
    ui->ComboBox1->setCurrentIndex(0);
    EnableObjectActions();
    EnablePaste();
    setWindowState(windowState() | Qt::WindowMaximized);
    // The history is kept from the start; the load starts it anew, clean.
    FDocument->History().SetEnabled(true);
    // The sample is the editor's own: it is not a recent file, and Save does not overwrite it.
    const bool Sample = DocumentPath.isEmpty();
    const QString File = Sample ? QDir(DataFolder()).filePath(kSampleName) : DocumentPath;
    FStartedWithDocument = OpenDocumentFile(File, false, !Sample);
    FCurrentIsSample = Sample && FStartedWithDocument;
}

// ---- documents ----

namespace {
// Only regular files are documents: reading a pipe or a device would wait for ever.
void CheckRegularFile(const QString& FileName) {
    const QFileInfo Info(FileName);
    if (Info.exists() && !Info.isFile())
        throw scheme::Exception(
            QStringLiteral("Cannot open \"%1\": it is not a regular file").arg(FileName));
}
}  // namespace

bool TFormMain::LoadDocument(const QString& FileName, bool Ask) {
    CheckRegularFile(FileName);
    const bool Replaced = ReplaceContent(
        [&](const TLoadCheck& Check) { return FDocument->ReplaceFromFile(FileName, Check); },
        FileName, Ask);
    if (!Replaced) return false;
    FCurrentFile = FileName;
    FCurrentIsSample = false;
    ShowTitle();
    FLoadLosses = static_cast<int>(FDocument->LoadWarnings().size());
    if (FLoadLosses > 0)
        statusBar()->showMessage(QStringLiteral("%1 was read with %2 warning(s): %3")
                                     .arg(QFileInfo(FileName).fileName())
                                     .arg(FLoadLosses)
                                     .arg(FDocument->LoadWarnings().constFirst()));
    return true;
}

bool TFormMain::ReplaceContent(const std::function<bool(const TLoadCheck&)>& Load,
                               const QString& FileName, bool Ask) {
    // However the load ends, the update ends and every view shows what it left.
    struct TEndUpdate {
        TSchemeDataEditor* Document;
        ~TEndUpdate() {
            Document->EndUpdate();
            Document->RepaintAllVisualControls(false);
        }
    };
    FDocument->BeginUpdate();
    const TEndUpdate Ending{FDocument};
    // The selection goes only when the content does: a load that fails or is refused keeps
    // the document, selection and all.
    const bool Replaced = Load([&](const QStringList& Warnings) {
        if (Ask && !Warnings.isEmpty() && !AcceptLoadWarnings(FileName, Warnings)) return false;
        SelectOnly(nullptr);
        return true;
    });
    if (!Replaced) return false;
    ShowDrawingOrigin();
    if (FFeed) FFeed->Rebind();
    // The box shows the loaded document's blinking; it does not set it again.
    const QSignalBlocker Quiet(ui->CheckBox5);
    ui->CheckBox5->setChecked(FDocument->TimerInterval() > 0);
    return true;
}

// A new document opens at its top-left corner in every view, not where the last one was
// scrolled to. Each bar scrolls and reports as the bars themselves do; the document is still
// updating, so the views show it only when the load ends.
void TFormMain::ShowDrawingOrigin() {
    for (TSchemeVisualEditor* View : FViews)
        for (int Bar : {0, 1}) {
            if ((Bar == 0 ? View->OriginX() : View->OriginY()) == 0) continue;
            View->DoScroll(Bar, TScrollCode::scTop);
            View->DoScroll(Bar, TScrollCode::scEndScroll);
        }
}

bool TFormMain::AcceptLoadWarnings(const QString& FileName, const QStringList& Warnings) {
    QStringList Shown = Warnings.mid(0, kWarningsShown);
    if (Warnings.size() > kWarningsShown)
        Shown << QStringLiteral("... and %1 more").arg(Warnings.size() - kWarningsShown);
    const QString Text =
        QStringLiteral(
            "%1 was not read as written:\n%2\n\nReplace the open diagram with what "
            "was read?")
            .arg(QFileInfo(FileName).fileName(), Shown.join(QLatin1Char('\n')));
    // The load's hourglass makes way for the question while it is open.
    struct TCursorAside {
        bool Busy;
        explicit TCursorAside(bool ABusy) : Busy(ABusy) {
            if (Busy) QGuiApplication::restoreOverrideCursor();
        }
        ~TCursorAside() {
            if (Busy) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        }
    } const Aside(FHourglass);
    return FDialogs->Question(this, Text);
}

// A document whose load left something out loses it for good when saved: the user decides.
bool TFormMain::SaveDocumentTo(const QString& File) {
    if (File.isEmpty()) return false;
    if (FLoadLosses > 0 &&
        !FDialogs->Question(this, QStringLiteral("%1 was not read completely (%2 warning(s) when "
                                                 "it was loaded); saving would lose what was "
                                                 "left out. Save anyway?")
                                      .arg(DocumentName())
                                      .arg(FLoadLosses)))
        return false;
    FDocument->SaveToFile(File);
    FLoadLosses = 0;
    FCurrentFile = File;
    FCurrentIsSample = false;
    ShowTitle();
    RememberRecent(File);
    statusBar()->showMessage(QStringLiteral("Saved %1").arg(QFileInfo(File).fileName()),
                             kStatusMessageTime);
    return true;
}

QString TFormMain::SaveTarget() const {
    return FCurrentIsSample ? QString() : FCurrentFile;
}

bool TFormMain::SaveDocument() {
    const QString Target = SaveTarget();
    return Target.isEmpty() ? SaveDocumentAs() : SaveDocumentTo(Target);
}

// A name given without an extension gets the document's own.
bool TFormMain::SaveDocumentAs() {
    QString File = FDialogs->SaveDocument(this, DialogFolder());
    if (File.isEmpty()) return false;
    if (QFileInfo(File).suffix().isEmpty()) File += QStringLiteral(".scheme");
    RememberFolder(File);
    return SaveDocumentTo(File);
}

// The sample's folder is the program's data: no dialog starts there.
QString TFormMain::DialogFolder() const {
    const QString Target = SaveTarget();
    if (!Target.isEmpty()) return QFileInfo(Target).absolutePath();
    const QString Last = FRecent.LastFolder();
    return !Last.isEmpty() && QFileInfo(Last).isDir() ? Last : QDir::homePath();
}

void TFormMain::RememberFolder(const QString& File) {
    FRecent.SetLastFolder(QFileInfo(File).absolutePath());
}

bool TFormMain::SettleUnsavedChanges() {
    if (FViewOnly || !FDocument->Modified()) return true;
    switch (FDialogs->SaveChanges(this, DocumentName())) {
        case TSaveChoice::Save:
            return SaveDocument();
        case TSaveChoice::Discard:
            return true;
        case TSaveChoice::Cancel:
            break;
    }
    return false;
}

QString TFormMain::DocumentName() const {
    return FCurrentFile.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(FCurrentFile).fileName();
}

void TFormMain::ShowTitle() {
    setWindowTitle(QStringLiteral("%1[*] \u2014 %2").arg(DocumentName(), FBaseTitle));
    setWindowModified(FDocument->Modified());
}

void TFormMain::closeEvent(QCloseEvent* Event) {
    bool MayClose = false;
    RunGuarded([&] { MayClose = SettleUnsavedChanges(); });
    if (MayClose)
        Event->accept();
    else
        Event->ignore();
}

// ---- selection and status ----

// The window keeps no object of its own: the document's selection is asked each time, so
// that nothing the window holds can outlive an object a step, a cut or a delete frees.
TSchemeObject* TFormMain::SelectedObject() const {
    if (FDocument->SelectedCount() != 1) return nullptr;
    return FDocument->SelectedObjects().front();
}

void TFormMain::SelectOnly(TSchemeObject* AObject) {
    if (AObject)
        FDocument->SelectObjects(std::span(&AObject, 1), TSchemeData::TSelectMode::Replace);
    else
        FDocument->ClearSelection();
}

void TFormMain::SelectionChanged() {
    RememberFirstSelected();
    ShowSelectedInfo();
    EnableObjectActions();
}

void TFormMain::ShowSelectedInfo() {
    const int Count = FDocument->SelectedCount();
    const TSchemeObject* Selected = Count == 1 ? SelectedObject() : nullptr;
    if (!Selected) {
        SetStatusText(2, Count > 1 ? QStringLiteral("%1 objects").arg(Count) : QString());
        return;
    }
    const TSchemeLayer* Layer = Selected->Layer();
    SetStatusText(2, QStringLiteral("For selected object: Layer Id: %1   Object Id: %2    "
                                    "State:%3    Type: %4")
                         .arg(Layer ? Layer->ID() : 0)
                         .arg(Selected->Id())
                         .arg(Selected->State())
                         .arg(KindName(*Selected)));
}

void TFormMain::ShowZooms() {
    SetStatusText(1, QStringLiteral("Zoom A:%1  B:%2  C:%3")
                         .arg(FViews[0]->Zoom(), 0, 'f', 1)
                         .arg(FViews[1]->Zoom(), 0, 'f', 1)
                         .arg(FViews[2]->Zoom(), 0, 'f', 1));
    EnableZoomActions();
}

// ---- view events ----

int TFormMain::ViewIndex(const TSchemeVisualEditor* View) const {
    for (int I = 0; I < 3; ++I)
        if (FViews[I] == View) return I;
    return 0;
}

void TFormMain::ViewMouseDown(TObject* Sender, int X, int Y) {
    FActiveView = dynamic_cast<TSchemeVisualEditor*>(Sender);
    FPopupPoint = QPoint(X, Y);
    EnableZoomActions();
}

void TFormMain::ViewMouseMove(TObject* Sender, int X, int Y) {
    FPopupPoint = QPoint(0, 0);
    auto* View = dynamic_cast<TSchemeVisualEditor*>(Sender);
    if (!View) return;
    Extended WX = X;
    Extended WY = Y;
    View->TransformZoomAndOriginXYExt(WX, WY);
    SetStatusText(0, QStringLiteral("%1   %2").arg(WX, 0, 'f', 2).arg(WY, 0, 'f', 2));
}

void TFormMain::ShowPopupMenu(TSchemeVisualEditor* View, const QPoint& GlobalPos) {
    // A menu opened before any press (by the keyboard's menu key) acts on the view it was
    // opened on.
    if (!FActiveView) FActiveView = View;
    EnableZoomActions();
    FPopupMenu->popup(GlobalPos);
}

void TFormMain::PopupMenu1Popup() {
    if (FActiveView) FPopupPoint = FActiveView->viewport()->mapFromGlobal(QCursor::pos());
}

}  // namespace tarsel

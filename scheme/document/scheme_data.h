#pragma once

#include <QElapsedTimer>
#include <QIODevice>
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "scheme/document/history/scheme_history.h"
#include "scheme/model/id_index.h"
#include "scheme/model/persistent.h"
#include "scheme/model/scheme_box.h"
#include "scheme/model/scheme_link.h"
#include "scheme/platform/graphics.h"
#include "scheme/platform/input.h"
#include "scheme/platform/picture_budget.h"

namespace scheme {

class TCanvas;
class TSchemeLayer;
class TSchemeObject;
class TSchemePolygon;
class ISchemeVisual;
class TSpatialIndex;
class TSpatialJournal;
namespace history {
class TRecorder;
}

using TSchemeDataMouseDown =
    std::function<void(TObject* Sender, TObject* VisualSender, TMouseButton Button,
                       TShiftState Shift, TSchemeObject* AObject)>;
using TSchemeDataMouseUp = TSchemeDataMouseDown;
using TSchemeDataObjectStatusChangeEvent = std::function<void(
    TObject* Sender, int AIdLayer, int AIdObject, int AOldState, int& ANewState, bool& CanChange)>;
using TSchemeDataObjectPaint =
    std::function<void(TObject* Sender, TObject* VisualSender, TSchemeObject* AObject,
                       Extended AZoom, TCanvas& ACanvas, int AParam)>;
using TSchemeDataLinkBehavior =
    std::function<void(TObject* Sender, TSchemeLink* ALink, TSchemeObject* AObject,
                       int AObjectDetail, int& AChildDetail, bool& AEnabled)>;
using TSchemeDataLoading = std::function<void(TObject* Sender, QStringList& AStrings)>;
using TSchemeDataLoadingProgress =
    std::function<void(TObject* Sender, QStringList& AStrings, int ACurrentIndex)>;
// Asked by a replacing load once the text has been read, with what the load left out or read
// otherwise than written: False keeps the document as it is.
using TSchemeDataLoadCheck = std::function<bool(const QStringList& AWarnings)>;

// The document: owns the layers (and through them every object) and the links between
// objects, keeps the views that show it, paints and repaints through them, makes selected
// objects blink, routes mouse clicks to its events, carries moves along links, and persists
// itself as text.
//
// Layers are addressed by their Id (an unknown Id raises "TSchemeControl : Index for layer
// not found!"), objects by their Id within a layer, links by their position in the link list,
// whose slots may be empty.
class SCHEME_EXPORT TSchemeData : public QObject, public TObject, public ISchemeData {
    Q_OBJECT

public:
    static constexpr int kDefaultTimerInterval = 100;
    // At most this many link applications in one propagation.
    static constexpr int kMaxLinkApplications = 1000;
    // The longest line a load reads: 1 MiB characters (1048576). Hex lines hold 64 characters
    // and records a caption or a value a line, so real documents stay far below; a longer line
    // is damage or a hostile file and is refused with an error naming the line.
    static constexpr qsizetype kMaxLineLength = qsizetype(1) << 20;
    // Streams and files larger than this (1 GiB) are refused before they are read into
    // memory; a document of a hundred thousand objects takes a few tens of MiB.
    static constexpr qint64 kMaxDocumentSize = qint64(1) << 30;
    // Texts of more lines than this (16 Mi) are refused before they are split into lines; a
    // document of a hundred thousand objects has about two million.
    static constexpr qsizetype kMaxDocumentLines = qsizetype(1) << 24;
    // A load keeps its first 100 warnings; the rest are counted in one last line
    // ("… and 12 more"), so that a text of millions of stray lines costs no memory for them.
    static constexpr qsizetype kMaxLoadWarnings = 100;

    explicit TSchemeData(QObject* AOwner = nullptr);
    ~TSchemeData() override;

    TSchemeDataMouseDown OnMouseDown;
    TSchemeDataMouseUp OnMouseUp;
    TSchemeDataObjectStatusChangeEvent OnObjectStatusChange;
    TSchemeDataObjectPaint OnObjectPaint;
    TSchemeDataLinkBehavior OnLinkBehavior;
    TSchemeDataLoading OnBeforeLoading;
    TSchemeDataLoadingProgress OnLoadingProgress;
    TSchemeDataLoading OnAfterLoading;
    TSchemeDataLoading OnBeforeSave;
    TSchemeDataLoading OnAfterSave;
    // Modified turned True or False.
    TNotifyEvent OnModifiedChange;
    // The selection changed: once per gesture or call of the selection methods below, and
    // for selections made object by object in code, once between two turns of the event loop.
    // The signal SelectionChanged comes with it (just before), for any number of listeners.
    TNotifyEvent OnSelectionChange;

    // ---- selection ----
    // The selected objects, in drawing order.
    std::vector<TSchemeObject*> SelectedObjects();
    int SelectedCount();
    // Replace: exactly Objects are selected; Add, Remove, Toggle: Objects join, leave or change
    // sides, the rest stay as they are.
    enum class TSelectMode { Replace, Add, Remove, Toggle };
    void SelectObjects(std::span<TSchemeObject* const> Objects, TSelectMode Mode);
    void ClearSelection();
    // Every visible, enabled object of the visible, enabled layers: what the mouse can grab.
    void SelectAll();
    // The visible, enabled objects of visible, enabled layers whose box (world units) lies inside
    // the rectangle, in drawing order; answered through the spatial index.
    std::vector<TSchemeObject*> ObjectsInside(Extended Left, Extended Top, Extended Right,
                                              Extended Bottom);
    // Groups selection changes: the outermost end reports them once.
    void BeginSelectionChange();
    void EndSelectionChange();

    // ---- many objects at once ----
    // Moves Objects whole by (DX, DY) world units as one drag step, each with its followers:
    // an object of the group that another one's links would move moves once, as a member, and
    // no part of a member follows a link. Each is drawn in AVisual when given (the others
    // catch up when the drag ends), else repainted in every view.
    void MoveObjects(std::span<TSchemeObject* const> Objects, Extended DX, Extended DY,
                     ISchemeVisual* AVisual = nullptr);
    // Frees Objects (each must belong to the document) and their links.
    void DeleteObjects(std::span<TSchemeObject* const> Objects);

    // ---- history and the modified state ----
    // The undo history; it records nothing until it is enabled.
    TSchemeHistory& History() const { return *FHistory; }
    // Whether the document differs from its last load or save.
    bool Modified() const;
    // False: the document as it is counts as saved; True: as changed.
    void SetModified(bool AValue);

    // ---- views ----
    // Registers a view once; a view already registered (or none) is not added again.
    void AddSchemeVisualLink(ISchemeVisual* AVisual);
    void RemoveSchemeVisualLink(ISchemeVisual* AVisual);
    const std::vector<ISchemeVisual*>& VisualLinks() const { return FVisualLinks; }
    void RepaintAllVisualControls(bool AOnlySchemeData) override;
    // The budget of decoded bytes that the document's pictures share (kPictureBudgetLimit
    // unless set otherwise). Refusals met while painting are kept there (TakeReports); those
    // met while loading are load warnings.
    std::shared_ptr<TPictureBudget> PictureBudget() const override { return FPictureBudget; }
    // Answers the previous update state; no nesting: one EndUpdate ends every BeginUpdate.
    bool BeginUpdate();
    void EndUpdate();
    bool Updating() const { return FUpdating; }
    bool DefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool Value);

    // ---- blinking ----
    int TimerInterval() const { return FTimerInterval; }
    // 0 stops the timer after one pass that leaves selected objects in the steady phase.
    void SetTimerInterval(int AValue);
    bool TimerRunning() const { return FTimerId != 0; }
    bool BlinkPhase() const { return FBlinkPhase; }
    // One blink pass: flips nothing, paints the selected objects in the current phase. A pass
    // asked for while one runs (from an event handled inside it) runs after it, not inside.
    virtual void Timer();

    // ---- object state ----
    int GetObjectState(int ALayerId, int AId) const;
    int GetObjectStateDirect(const TSchemeObject* AObject) const { return AObject->State(); }
    void SetObjectState(int ALayerId, int AId, int AState);
    void SetObjectStateDirect(TSchemeObject* AObject, int AState);

    // ---- alarms and live looks (scheme_data_alarms.cpp) ----
    // An object whose state operation takes it into one of its layer's alarm states (from
    // another state) blinks with the selected objects until its alarm is acknowledged; a state
    // that is no alarm ends it.
    bool AlarmUnacknowledged(const TSchemeObject* AObject) const;
    // The alarms awaiting acknowledgement, in drawing order.
    std::vector<TSchemeObject*> UnacknowledgedAlarms() const;
    // Acknowledges the object's alarm: it stops blinking and shows its alarm colour steadily,
    // and AlarmAcknowledged is emitted. Answers false (and emits nothing) when the object had
    // no alarm awaiting acknowledgement.
    bool AcknowledgeAlarm(TSchemeObject* AObject);
    // Acknowledges every alarm awaiting it; answers how many.
    int AcknowledgeAllAlarms();
    // Marks the object's state as unknown for now (shown faded) or known again.
    void SetObjectStale(TSchemeObject* AObject, bool AStale);
    bool ObjectStale(const TSchemeObject* AObject) const;

    // ---- objects ----
    // Adds the object to a layer, which then owns it; on failure the object stays the caller's
    // and "TSchemeData : Can't add Scheme!" is raised.
    TSchemeObject* ObjectAddDirect(int ALayerId, TSchemeObject* AObject);
    TSchemeShape* ObjectAddShape(int ALayerId, int Id, const TRect& Rect, int State,
                                 TShapeType Shape);
    TSchemeShape* ObjectAddShapeExt(int ALayerId, int Id, Extended X, Extended Y, Extended Width,
                                    Extended Height, int State, TShapeType Shape);
    TSchemePolygon* ObjectAddPolygon(int ALayerId, int Id, std::span<const TPoint> Points,
                                     int State, TBrushStyle BrushStyle, const QString& Text,
                                     const TPoint& TextPoint);
    TSchemePolygon* ObjectAddPolygon(int ALayerId, int Id, std::span<const TPoint> Points,
                                     int Count, int State, TBrushStyle BrushStyle,
                                     const QString& Text, const TPoint& TextPoint);
    TSchemePolygon* ObjectAddPolygonFromBuffer(int ALayerId, int Id, const TPoint* Buffer,
                                               int Count, int State, TBrushStyle BrushStyle,
                                               const QString& Text, int TextPointIndex);
    void ObjectDelete(int ALayerId, int AId);
    TSchemeObject* ObjectFind(int ALayerId, int AId);
    void ObjectFindDirect(TSchemeObject* AObject);
    TSchemeObject* ObjectForPoint(Extended X, Extended Y, int AParam);
    TSchemeObject* ObjectForPointWithCheckEnabled(Extended X, Extended Y, bool ACheckEnabled,
                                                  int AParam);

    // ---- changes ----
    // Every change of an object, a layer's list or the layers arrives here, also in update
    // mode: the document repaints what changed (unless updating or already drawn) and frees
    // the links of objects that leave it. Descendants that keep their own books override it
    // and call this one.
    void SchemeChanged(const TSchemeNotice& Notice) override;
    // Announces a change that sent no notice by itself: one step of a drag through
    // ChangePositionDetail. ADrawn: the caller has drawn the step in its own view already.
    void ObjectChangedDirect(TSchemeObject* AObject, bool ADrawn = false);

    // ---- painting ----
    void ObjectPaintDirectInWindow(TSchemeObject* AObject, ISchemeVisual* AVisual);
    void ObjectPaintDirect(TSchemeObject* AObject);
    void ObjectPaint(int ALayerId, int AId);
    void ObjectRepaintDirectInWindow(TSchemeObject* AObject, ISchemeVisual* AVisual);
    void ObjectRepaintDirect(TObject* AObject) override;
    void ObjectRepaint(int ALayerId, int AId);
    void LayerPaintDirectInWindow(TSchemeLayer* ALayer, ISchemeVisual* AVisual);
    void LayerPaintDirect(TSchemeLayer* ALayer);
    void LayerPaint(int ALayerId);
    void PaintDirectInWindow(ISchemeVisual* AVisual);
    void RepaintDirectInWindow(ISchemeVisual* AVisual);
    // Paints every object of every layer onto any canvas; world (0, 0) lands on the device
    // point (AOffsetX, AOffsetY) × AZoom.
    void PaintDirectInCanvas(TCanvas& ACanvas, Extended AOffsetX, Extended AOffsetY, Extended AZoom,
                             int AParam);

    // ---- layers ----
    int GetListIndex(int ALayerId) const;
    TSchemeLayer* GetLayer(int ALayerId) const;
    TSchemeLayer* SetLayer(int ALayerId, TSchemeLayer* ALayer);
    TSchemeLayer* GetLayerIndex(int AIndex) const;
    // The displaced layer is released to the caller and answered; the links of its objects
    // are freed. The new one is owned by the document. A layer that belongs to a document
    // (this one included) is refused and stays where it is.
    TSchemeLayer* SetLayerIndex(int AIndex, TSchemeLayer* ALayer);
    bool LayerExists(int ALayerId) const;
    int LayerCount() const { return static_cast<int>(FLayers.size()); }
    // Refuses a layer that belongs to a document, this one included.
    TSchemeLayer* LayerAddDirect(TSchemeLayer* ALayer);
    TSchemeLayer* LayerAdd(int ALayerId);
    void LayerDelete(int ALayerId);
    void LayerClear();
    void LayerExchange(int ALayerId1, int ALayerId2);
    // The layers at list positions AIndex1 and AIndex2 change places; a position outside the
    // list raises EListError.
    void LayerExchangeIndex(int AIndex1, int AIndex2);
    void LayerIdChanged(TSchemeLayer* ALayer, int AOldId) override;
    // How often the table of layer Ids was rebuilt from the whole layer list (after layers
    // were inserted or taken out in the middle); for checking that other changes keep it.
    int LayerIdIndexRebuilds() const { return FLayerIdRebuilds; }

    // ---- links ----
    // Refuses a link that is in a list already, or whose parent or child is an object outside
    // this document (an empty side is allowed); the link stays the caller's.
    int LinkAddDirect(TSchemeLink* ALink);
    int LinkAdd(TSchemeObject* AParent, int AParentLinkType, TSchemeObject* AChild,
                int AChildLinkType);
    void LinkDelete(int AIndex);
    void LinkClear();
    int LinkCount() const { return static_cast<int>(FLinks.size()); }
    TSchemeLink* GetLink(int AIndex) const;
    // The link in the slot is released to the caller and answered.
    TSchemeLink* SetLink(int AIndex, TSchemeLink* ALink);
    // Frees every link whose parent or child is AObject; called for every object that leaves
    // the document.
    virtual void ObjectWasDeleted(TObject* AObject);
    // Whether ALink carries a move of part AObjectDetail of AObject, and which part of the
    // child follows.
    virtual bool LinkBehavior(TSchemeLink* ALink, TObject* AObject, int AObjectDetail,
                              int& AChildDetail);
    void ObjectWasChangedPosition(TObject* AObject, Extended DX, Extended DY, int ADetail) override;
    // Carries a drag of part ADetail of AObject by (OffsetX, OffsetY) to its followers,
    // repainting them in AVisual.
    void LinkApply(TSchemeObject* AObject, Extended OffsetX, Extended OffsetY, int ADetail,
                   ISchemeVisual* AVisual);

    // ---- mouse ----
    virtual void MouseDown(ISchemeVisual* VisualSender, TMouseButton Button, TShiftState Shift,
                           Extended X, Extended Y);
    virtual void MouseUp(ISchemeVisual* VisualSender, TMouseButton Button, TShiftState Shift,
                         Extended X, Extended Y);

    // ---- persistence ----
    virtual void SaveToStrings(QStringList& AStrings);
    // Adds what the text describes to the document. Errors carry "\rIn block has line N";
    // what was placed before an error stays.
    virtual void LoadFromStrings(QStringList& AStrings);
    virtual void SaveToStringsSelf(QStringList& AStrings);
    virtual void LoadFromStringsSelf(QStringList& AStrings);
    // Writes UTF-8 lines ended by CR LF; the previous file stays untouched when writing fails.
    void SaveToFile(const QString& AFileName);
    void SaveToStream(QIODevice& AStream);
    // Reads UTF-8 (Latin-1 when the bytes are not valid UTF-8); lines end at CR, LF or CR LF.
    void LoadFromFile(const QString& AFileName);
    void LoadFromStream(QIODevice& AStream);
    // The class names of the blocks the last load skipped because no class of that name is
    // registered.
    const QStringList& SkippedClassNames() const { return FSkippedClassNames; }
    // Loads that replace: the text is read into a fresh document and its content replaces this
    // one's only when the whole text was read (and ACheck, if given, agreed); otherwise the
    // document, its views, its history and its modified state stay exactly as they were, and
    // the error carries its line as for a plain load. Answers whether the content was
    // replaced. The history starts anew and the document is unmodified afterwards.
    bool ReplaceFromFile(const QString& AFileName, const TSchemeDataLoadCheck& ACheck = {});
    bool ReplaceFromStream(QIODevice& AStream, const TSchemeDataLoadCheck& ACheck = {});
    bool ReplaceFromStrings(QStringList& AStrings, const TSchemeDataLoadCheck& ACheck = {});
    // One line for each thing the last load left out or read otherwise than written: skipped
    // blocks and lines, lines of a block that its kind does not read (an unknown key, a second
    // line of a key, a point beyond the kind's, a line without "="), lines after the
    // document's end, text read as Latin-1 or with invalid UTF-16 replaced. Each names its line
    // counted from 1 ("line 12"). At most kMaxLoadWarnings of them, then one line that counts
    // the rest. Cleared when a load starts.
    const QStringList& LoadWarnings() const { return FLoadWarnings; }

signals:
    // The document changed, whatever changed it (a view's drag, undo, code): emitted once the
    // event loop turns after one or more changes, so that many changes in one turn make one
    // emission. A change of the selection alone emits nothing (one of the active hook or of the
    // hooks shown does); a load emits once, when it is over.
    void ContentChanged();
    // Emitted whenever OnSelectionChange is called, just before it.
    void SelectionChanged();
    // An alarm was acknowledged through AcknowledgeAlarm or AcknowledgeAllAlarms.
    void AlarmAcknowledged(scheme::TSchemeObject* AObject);

protected:
    void timerEvent(QTimerEvent* Event) override;

private:
    friend class history::TRecorder;
    class TPropagation;
    // Called by the history's steps: a layer put at list position Index, the layers at two
    // positions exchanged, the link list cut or grown to Count slots, a link put in a slot
    // (the slot's link, if any, is freed).
    void InsertLayer(int Index, TSchemeLayer* ALayer);
    void ExchangeLayerIndex(int Index1, int Index2);
    void ResizeLinks(int Count);
    void RestoreLink(int Slot, std::unique_ptr<TSchemeLink> ALink);
    void NoteModified(const TSchemeNotice& Notice);
    void NoteSelectionChange();
    void ReportSelectionChange();
    // A change of the document's content: ContentChanged is posted for the next turn of the
    // event loop, or for the end of the load under way.
    void NoteContentChange();
    void PostContentChange();
    void ReportContentChange();
    // Leaves one level of loading; the outermost end posts what changed meanwhile.
    void EndLoadingLevel();
    void ReportModified();
    // The load that takes a fresh document's content over.
    bool Replace(const std::function<void(TSchemeData&)>& Load, const TSchemeDataLoadCheck& ACheck);
    void TakeContentOf(TSchemeData& Source);
    // Around every load: the history starts anew, the document counts as saved when it
    // succeeds and as changed when it fails part-way.
    template <class F>
    void Loading(F&& Load);
    void StopTimer();
    void ProcessMessages();
    void PaintObject(TSchemeObject* AObject, ISchemeVisual* AVisual, Extended Zoom, TCanvas& Canvas,
                     int Param);
    bool LinkBehaviorRules(TSchemeLink* ALink, TObject* AObject, int AObjectDetail,
                           int& AChildDetail) const;
    void ApplyLinks(TSchemeObject* AObject, int ADetail, Extended OffsetX, Extended OffsetY,
                    ISchemeVisual* AVisual);
    void MoveFollower(TSchemeObject* AChild, int ADetail, Extended OffsetX, Extended OffsetY,
                      ISchemeVisual* AVisual);
    // Takes the layer out of the document: the links of its objects go, its area is erased.
    void ReleaseLayer(TSchemeLayer* ALayer);
    void FreeLayer(TSchemeLayer* ALayer);
    // The position of the first layer with that Id, or -1.
    int FindLayerPosition(int ALayerId) const;
    // The position of a layer of the document, or -1; the last layers are found first.
    int LayerPosition(const TSchemeLayer* ALayer) const;
    // The layer list at Position gained or lost a layer, or the layer there changed; the
    // table of layer Ids follows, or is rebuilt when asked next if positions moved.
    void LayerIdsAdd(int Position) const;
    void LayerIdsRemove(int Position) const;
    void EraseArea(const TSchemeArea& Area);
    void EraseAreas(const TSchemeArea& First, const TSchemeArea& Second);
    void RepaintChange(const TSchemeNotice& Notice);
    bool Holds(const TSchemeObject* AObject) const;
    void CheckLinkEnds(const TSchemeLink* ALink) const;
    // Records the link in slot Index with its two objects (kept with each object). Slots
    // whose link has gone or changed since are skipped when read.
    void IndexLink(int Index);
    // The link slots to try for a move of AObject, in list order.
    std::vector<int> LinkSlotsFor(TObject* AObject) const;
    TSchemeLink* LinkAtSlot(int Slot) const;
    bool IsRegistered(const ISchemeVisual* AVisual) const;
    void BlinkPass();
    // The state operation set AObject's state (it had AOldState before).
    void NoteStateSet(TSchemeObject* AObject, int AOldState);
    // Adds the alarms that blink to Objects (sorted in drawing order and without repeats).
    void AddBlinkingAlarms(std::vector<TSchemeObject*>& Objects);
    // The spatial index and the selected objects, built on first use and kept from then on.
    TSpatialIndex& Index();
    void DropIndex();
    void IndexNotice(const TSchemeNotice& Notice);
    // Starts the journal of a load into a document without index and objects; notes a notice in
    // it, or gives it up for a notice it cannot follow.
    void StartJournal();
    void JournalNotice(const TSchemeNotice& Notice);
    void Track(TSchemeObject* Obj);
    bool Untrack(TSchemeObject* Obj, const TSchemeArea& Area);
    // Keeps a moved object's place in the index; false when it was not found where it was.
    bool TrackMove(TSchemeObject* Obj, const TSchemeArea& Before);
    void SortInDrawingOrder(std::vector<TSchemeObject*>& Objects) const;
    TSchemeObject* TopmostHit(const std::vector<TSchemeObject*>& Candidates, Extended X, Extended Y,
                              bool ACheckEnabled, int AParam);
    template <class F>
    void ForEachObjectMeeting(const TRect& Zoomed, Extended Zoom, bool AllLayers, F&& Action);
    // Frees the link in slot Index (if any), emptying the slot.
    void FreeLinkAt(size_t Index);
    // The loader's views of a text (a list of lines, a file's bytes), the lines of the block
    // being read, and the classes its headers named.
    class TStringLines;
    class TByteLines;
    class TBlock;
    class TClassCache;
    // Reads a text: LoadFromStrings with its events, and the files and streams read without
    // them. AStrings is the list the events are given. Defined for the two views only.
    template <class TLines>
    void LoadText(TLines& Lines, QStringList& AStrings);
    template <class TLines>
    void ReadBlocks(TLines& Lines, int& I);
    template <class TLines>
    std::string_view ReadLine(TLines& Lines, int I);
    template <class TLines>
    void CollectBlock(TLines& Lines, int& I, TBlock* Block);
    // Adds a warning of the load, or only counts it once kMaxLoadWarnings are kept. A caller
    // that must build a costly text asks RoomForLoadWarning first (which counts the warning
    // when there is no room).
    void AddLoadWarning(const QString& Warning);
    bool RoomForLoadWarning();
    // Warns of each line of a block (the first at FirstLine, counted from 0) that the reader of
    // ClassName did not use: Read(L) tells whether line L was; blank lines never warn.
    template <class TRead, class TLine>
    void WarnUnreadLines(const QString& ClassName, int FirstLine, qsizetype Count, TRead&& Read,
                         TLine&& LineAt);
    void ReadSelf(QStringList& Self, int FirstLine);
    bool PlaceItem(std::unique_ptr<TSchemePersistent> Item, const record::TRecord& Block,
                   TClassCache& Classes);
    // Adds what the pictures read during a load reported to its scope to the load warnings.
    void AddPictureWarnings(TPictureReadScope& Scope);
    void PlaceLink(std::unique_ptr<TSchemeLink> Link, const record::TRecord& Block);
    // Writes the document's text: for SaveToStrings, and for files and streams as bytes.
    void WriteText(record::TRecordWriter& Writer);
    std::string SavedBytes();

    std::vector<ISchemeVisual*> FVisualLinks;
    bool FUpdating = false;
    int FTimerId = 0;
    int FTimerInterval = 0;
    bool FBlinkPhase = true;
    std::vector<TSchemeLayer*> FLayers;
    // Layer Id -> position of the first layer with that Id.
    mutable TFirstSlotIndex FLayerIds;
    mutable bool FLayerIdsValid = true;
    mutable int FLayerIdRebuilds = 0;
    bool FDefaultDrawing = true;
    TSchemeLinkList FLinks;
    QStringList FSkippedClassNames;
    QStringList FLoadWarnings;
    std::shared_ptr<TPictureBudget> FPictureBudget = std::make_shared<TPictureBudget>();
    // The warnings of the load beyond the kept ones.
    qsizetype FMoreLoadWarnings = 0;
    // What LoadFromStream found while decoding, handed to the LoadFromStrings it calls.
    QString FDecodingWarning;
    TPropagation* FPropagation = nullptr;
    std::unique_ptr<TSpatialIndex> FIndex;
    // The areas moved objects are indexed under, when not their own (see TrackMove).
    std::unordered_map<TSchemeObject*, TSchemeArea> FLooseAreas;
    // While there is no index: the areas of the objects that joined since a load into an empty
    // document began, as long as nothing else changed where objects are.
    std::unique_ptr<TSpatialJournal> FJournal;
    std::vector<TSchemeObject*> FHitCandidates;
    std::unordered_set<TSchemeObject*> FSelected;
    int FSelectionDepth = 0;
    // While many objects are selected at once, the area their changes cover: repainted once.
    std::optional<TSchemeArea> FSelectionArea;
    bool FSelectionChanged = false;
    bool FSelectionReportPosted = false;
    // The content changed since ContentChanged was last emitted; a report is posted.
    bool FContentChanged = false;
    bool FContentReportPosted = false;
    bool FInBlinkPass = false;
    bool FBlinkPassPending = false;
    // Time since events were last processed during a load; a monotonic clock, so that a clock
    // set back does not stop event processing.
    QElapsedTimer FEventProcessing;
    std::unique_ptr<TSchemeHistory> FHistory;
    bool FModified = false;
    bool FReportedModified = false;
    int FLoading = 0;
    // A fresh document read by a replacing load keeps the document blocks it meets, for the
    // document that takes its content over.
    bool FDeferSelf = false;
    struct TSelfBlock {
        QStringList Lines;
        // The line of the block's first line, counted from 0.
        int FirstLine = 0;
    };
    std::vector<TSelfBlock> FSelfBlocks;
};

}  // namespace scheme

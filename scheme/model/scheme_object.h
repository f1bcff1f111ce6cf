#pragma once

#include <QRegion>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "scheme/model/persistent.h"
#include "scheme/model/scheme_area.h"
#include "scheme/model/scheme_object_points.h"
#include "scheme/platform/export.h"
#include "scheme/platform/graphics.h"
#include "scheme/platform/string_list.h"
#include "scheme/platform/types.h"

namespace scheme {

class TCanvas;
class TSchemeLayer;
namespace history {
class TRecorder;
}

// A window that can be told to repaint part of itself (a view's client area). Regions are in
// the window's own pixels.
class SCHEME_EXPORT IWindowHandle {
public:
    virtual ~IWindowHandle();
    virtual void InvalidateRgn(const QRegion& Region) = 0;
};

// While one lives, hit tests leave every object's active hook (ResizedPoint) as it is: for
// looking at what lies under a resting pointer, which must not change what a later operation
// on "the active point" acts on. GUI thread only; instances nest.
class SCHEME_EXPORT TKeepResizedPoints {
public:
    TKeepResizedPoints();
    ~TKeepResizedPoints();
    TKeepResizedPoints(const TKeepResizedPoints&) = delete;
    TKeepResizedPoints& operator=(const TKeepResizedPoints&) = delete;
    static bool Active();
};

// Abstract base of every diagram object.
//
// Geometry is an array of world points. Zoom is pixels per world unit: a world coordinate v
// becomes the pixel Trunc(v * Zoom). AParam is the calling view's parameter, passed through
// unchanged to every kind. Regions are returned by value; an empty region means none.
//
// Detail codes name what a drag grabs: -1 the body, 0 .. Count-1 the hook of that point, and
// kind-specific hooks below -1.
//
// An object reaches its document only through its layer; outside a layer it repaints nothing,
// reports nothing and paints with its own pen and brush.
class SCHEME_EXPORT TSchemeObject : public TSchemePersistent {
    // The part of an object painting reads: the base object and the first fields of a kind.
    static constexpr size_t kPrefetchBytes = 256;

public:
    // Hooks exist for at most this many points.
    static constexpr int kMaxHooks = 100;

    TSchemeObject(int Id, int State);
    // Builds the object from its record; trims the caller's lines in place.
    explicit TSchemeObject(QStringList& Strings);
    explicit TSchemeObject(const record::TRecord& Record);
    // Erases the object from the views, tells the document and leaves the layer.
    ~TSchemeObject() override;

    void SaveToStrings(QStringList& Strings) const override;

    // Handlers cost one pointer each until they are assigned.
    TNotifyHandler OnChange;
    TNotifyHandler OnDestroy;

    int Id() const { return FId; }
    virtual void SetId(int Value);
    int State() const { return FState; }
    virtual void SetState(int Value);
    bool Selected() const { return FSelected; }
    virtual void SetSelected(bool Value);
    bool Resized() const { return FResized; }
    virtual void SetResized(bool Value);
    bool Moved() const { return FMoved; }
    virtual void SetMoved(bool Value);
    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool Value);
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool Value);
    bool FullRepaintIfMoved() const { return FFullRepaintIfMoved; }
    void SetFullRepaintIfMoved(bool Value) { FFullRepaintIfMoved = Value; }
    bool StateColorSupport() const { return FStateColorSupport; }
    void SetStateColorSupport(bool Value);
    virtual QString GetHintString() const { return FRare ? FRare->HintString : QString(); }
    virtual void SetHintString(const QString& Value);
    QString HintString() const { return GetHintString(); }
    // The layer that holds the object; it changes only through the layer's operations.
    TSchemeLayer* Layer() const { return FLayer; }
    const QString& Text() const;
    virtual void SetText(const QString& Value);
    TPointExt TextPoint() const { return FPoints.Anchor(); }
    void SetTextPoint(const TPointExt& Value);

    // The drawing tools and the property list are made on first use and live as long as the
    // object; what is changed through them is the object's own setting.
    TPen* Pen() const { return &Tools().Pen; }
    void SetPen(const TPen& Value) { Pen()->Assign(Value); }
    TBrush* Brush() const { return &Tools().Brush; }
    void SetBrush(const TBrush& Value) { Brush()->Assign(Value); }
    TPen* SelectedPen() const { return &Tools().SelectedPen; }
    void SetSelectedPen(const TPen& Value) { SelectedPen()->Assign(Value); }
    TBrush* SelectedBrush() const { return &Tools().SelectedBrush; }
    void SetSelectedBrush(const TBrush& Value) { SelectedBrush()->Assign(Value); }
    TStringList* GetProperties() const { return Properties(); }
    TStringList* Properties() const;
    void SetProperties(const QStringList& Value);
    // The settings of the pens and brushes, read without making the tool objects.
    const TPenData& PenData() const { return MadeTools() ? MadeTools()->Pen.Data() : FPenData; }
    const TBrushData& BrushData() const {
        return MadeTools() ? MadeTools()->Brush.Data() : FBrushData;
    }
    const TPenData& SelectedPenData() const {
        return MadeTools() ? MadeTools()->SelectedPen.Data() : FSelectedPenData;
    }
    const TBrushData& SelectedBrushData() const {
        return MadeTools() ? MadeTools()->SelectedBrush.Data() : FSelectedBrushData;
    }
    // The property lines, read without making the list object.
    const QStringList& PropertyLines() const;

    int Count() const { return FPoints.Count(); }
    int ResizedPoint() const { return FResizedPoint; }
    virtual void SetResizedPoint(int Index);

    // Points. Reads outside 0 .. Count-1 give (0, 0); writes there are ignored. A write with
    // Repaint false sends no change notice: the caller announces it (AnnounceChange), as a
    // drag does once per step.
    virtual void SetPointsExt(int Index, const TPointExt& P, bool Repaint);
    void SetPointsExtA(int Index, const TPointExt& P) { SetPointsExt(Index, P, true); }
    void SetPoints(int Index, const TPoint& P) { SetPointsExtA(Index, Point2PointExt(P)); }
    TPointExt GetPointsExt(int Index) const;
    TPoint GetPoints(int Index) const { return PointExt2Point(GetPointsExt(Index)); }
    // Moves the object so that point 0 lands on P.
    virtual void MoveToExt(const TPointExt& P);
    void MoveTo(const TPoint& P) { MoveToExt(Point2PointExt(P)); }

    // OnChange(Sender), then the change notice to the document, which repaints the object's
    // old and new area in every view.
    virtual void Changed(TObject* Sender);
    void Changed() { Changed(this); }
    // Repaints the object's area in every view, without a change notice.
    void RepaintDirect();
    // Tells the document that the object is about to change what its record or its hooks
    // hold (the Changing notice), so that the change can be undone. Every setter does it
    // before it changes anything; a kind that changes its own fields directly calls it first.
    // Outside a layer it does nothing.
    void Changing();
    // A pen, brush or the property list is about to change.
    void PartChanging(TObject* Part) override;

    // The area the document was last told about: GetArea() as of the last change notice (or
    // of joining the layer). Kept by the object, so that a notice can say what the object
    // covered before, whatever changed it (a pen's width, say).
    const TSchemeArea& Area() const { return FArea; }
    // Where the object paints and can be hit now, at every zoom. The base unites its points'
    // outline with its region at zoom 1; a kind whose area does not scale with the zoom must
    // override this (the built-in kinds answer from their points).
    virtual TSchemeArea GetArea() const;
    // Sends the change notice for changes that sent none by themselves: a drag step through
    // ChangePositionDetail, or points set without repainting. ADrawn tells the document that
    // the caller has drawn the change in its own view. Outside a layer it does nothing.
    void AnnounceChange(bool ADrawn = false);
    // True while MoveToExt moves every point of the object, so that followers linked to its
    // body follow it whole.
    bool MovingWhole() const { return FMovingWhole; }
    // Whether Detail names a part of this object: -1 (the body) or a point index; kinds with
    // hooks of their own add their codes.
    virtual bool HasDetail(int Detail) const;

    // Prepares the canvas's pen and brush for painting the object.
    virtual void SetCanvasProperties(TCanvas& Canvas, Extended Zoom) const;
    virtual void PaintHookRect(Extended Zoom, TCanvas& Canvas, int AParam) const;
    // The hook squares of the first min(Count, kMaxHooks) points.
    virtual std::vector<TRect> GetHookRect(Extended Zoom, int AParam) const;
    QRegion GetHookClippingRegion(Extended Zoom, int AParam) const;
    // The rectangles GetHookClippingRegion joins: none unless the hooks are shown.
    std::vector<TRect> HookClipRects(Extended Zoom, int AParam) const;
    // The bounding box of the points, grown by 2 world units, in pixels.
    virtual TRect GetClippingOutsideRect(Extended Zoom, int AParam) const;
    // The centre of the bounding box at zoom 1.
    virtual void GetOriginPoint(TPoint& P, int AParam) const;
    virtual void PaintText(Extended Zoom, TCanvas& Canvas, int AParam) const;
    QRegion GetTextClippingRegion(Extended Zoom, int AParam) const;
    // The rectangle of GetTextClippingRegion, or nothing when no caption is shown.
    std::optional<TRect> TextClipRect(Extended Zoom) const;
    virtual void Paint(Extended Zoom, TCanvas& Canvas, int AParam) = 0;

    // Hit tests in world units, at a resolution of one unit (hooks: a tenth of a unit).
    virtual bool PointInside(Extended X, Extended Y, int AParam) const;
    virtual bool PointInsideDetail(Extended X, Extended Y, Extended& DX, Extended& DY, int& Detail,
                                   int AParam);
    // Invalidates the object's area in a window whose top-left shows pixel (OriginX, OriginY).
    virtual void Repaint(Extended Zoom, IWindowHandle* Handle, int OriginX, int OriginY,
                         int AParam) const;
    // The area the object paints, in pixels.
    virtual QRegion GetClippingRegion(Extended Zoom, int AParam) const = 0;
    // A rectangle in pixels that holds all of GetClippingRegion(Zoom, AParam) and, at zoom 1,
    // every point the hit tests can answer True for; hit tests use it to pass over distant
    // objects without building regions. The base measures its own region (exact, but costly);
    // the built-in kinds answer from their points. A kind that paints or hits beyond what its
    // base covers must widen this too.
    virtual TRect GetBoundsRect(Extended Zoom, int AParam) const;
    // Exactly RegionBounds(GetClippingRegion(Zoom, AParam)): the smallest rectangle around the
    // region, empty for an empty region. The base measures the region; a kind whose region is
    // costly to build answers from its parts.
    virtual TRect GetClippingRegionBounds(Extended Zoom, int AParam) const;
    // False when a hit test at (X, Y) surely answers False: the point is outside the bounds.
    bool MayContainPoint(Extended X, Extended Y, int AParam) const;
    // Drags the part named by Detail to the world position (X, Y).
    virtual void ChangePositionDetail(Extended X, Extended Y, int Detail, int AParam) = 0;
    // Drags and answers the area the object no longer covers.
    virtual QRegion ChangePositionDetailAndGetDiffRgn(Extended X, Extended Y, int Detail,
                                                      Extended Zoom, int AParam);
    // A copy made through the record, moved by (2, 2). When the original is in a layer the copy
    // joins that layer (which owns it) with the next free Id; otherwise the caller owns it.
    // Answers nullptr for a class that is not registered.
    virtual TSchemeObject* Clone();

protected:
    // Hints that the object, and then its points, will soon be read (painting many objects).
    void Prefetch() const {
        const char* Bytes = reinterpret_cast<const char*>(this);
        for (size_t Offset = 0; Offset < kPrefetchBytes; Offset += 64)
            __builtin_prefetch(Bytes + Offset);
    }
    void PrefetchPoints() const {
        if (const void* Points = FPoints.HeapData()) __builtin_prefetch(Points);
    }
    void SetPointCount(int Count);
    void StorePoint(int Index, const TPointExt& P) {
        Changing();
        FPoints.SetPoint(Index, P);
    }
    // Inserts P as point Index (0 .. Count), moving the later points up by one; removes point
    // Index (0 .. Count-1), moving the later points down. Other indexes change nothing. Nothing
    // is repainted or reported: kinds wrap these in their own hidden update.
    void InsertPoint(int Index, const TPointExt& P);
    void RemovePoint(int Index);
    // The base point setter, whatever a kind makes of SetPointsExt.
    void SetPointsExtBase(int Index, const TPointExt& P, bool Repaint);
    // Runs Work so that everything it changes goes to the document as one change notice, sent
    // when Work ends (also when it fails part-way).
    template <class F>
    void Batch(F&& Work) {
        if (FDeferred++ == 0) Changing();
        try {
            Work();
        } catch (...) {
            EndBatch();
            throw;
        }
        EndBatch();
    }
    // Runs Move, which moves every point of the object, with MovingWhole set.
    template <class F>
    void MoveWhole(F&& Move) {
        const bool Was = FMovingWhole;
        FMovingWhole = true;
        try {
            Move();
        } catch (...) {
            FMovingWhole = Was;
            throw;
        }
        FMovingWhole = Was;
    }
    // A change of the object's look or area: Change, then OnChange (unless Quiet), then one
    // change notice whose Before is the area until then.
    template <class F>
    void Update(F&& Change, bool Quiet = false) {
        Batch([&] {
            Change();
            if (!Quiet && OnChange) OnChange(this);
            FAnnouncePending = true;
        });
    }
    // A change of what only views show (the selection, the active hook): as a quiet Update,
    // but not announced beforehand, since it is no change of the document.
    template <class F>
    void UpdateViewState(F&& Change) {
        ++FDeferred;
        try {
            Change();
        } catch (...) {
            EndBatch();
            throw;
        }
        FAnnouncePending = true;
        EndBatch();
    }
    // The setter of a setting that changes the object's look: when Value differs, stores it
    // and announces the change.
    template <class T>
    void UpdateField(T& Field, const T& Value) {
        if (Field == Value) return;
        Update([&] { Field = Value; });
    }
    // The bounding box of the points grown by Reach world units and by what the pen, the hook
    // squares and pixel rounding add, joined with the caption's box: the area of every kind
    // whose drawing stays within Reach of its points.
    TSchemeArea OutlineArea(Extended Reach) const;
    TRect OutlineBounds(Extended Zoom, int AParam, Extended Reach) const;
    // Whether the point (whole units) lies in the hook or caption part of the zoom-1 region,
    // tested without building it.
    bool PointInHooksOrText(int X, int Y, int AParam) const;
    // Adds the hook and caption regions to a kind's own area.
    QRegion WithHooksAndText(QRegion Region, Extended Zoom, int AParam) const;
    // The drag of kinds made of free points: detail -1 translates every point so that point 0
    // lands on (X, Y), a point index moves that point there, other codes change nothing.
    void DragPoints(Extended X, Extended Y, int Detail);
    // Re-reads the caption anchor of a record after a kind has settled its points.
    void ReadTextPoint(const record::TRecord& Record);
    void WriteRecord(record::TRecordWriter& Writer) const override;
    // The pen the object's area is measured with.
    const TPenData& ActivePen() const { return FSelected ? SelectedPenData() : PenData(); }
    // Settings a kind's constructor gives its tools, before anyone listens.
    void InitBrushStyle(TBrushStyle Style);
    void InitPenWidth(int Width);
    // The pen width a stroked kind's area is measured with: while selected, the wider of both
    // pens, since the selection blinks between them.
    int StrokePenWidth() const;

private:
    friend class TSchemeLayer;
    friend class TSchemeData;
    friend class history::TRecorder;
    // Makes the object what its record (as SaveToStrings writes it) describes, keeping its
    // identity: the same address, layer, place, handlers, selection, active hook and link
    // slots; Resized is set as given. Answers false, changing nothing, when the object cannot
    // be rebuilt in place (its class is not the one registered under its name); a record that
    // does not read raises, also changing nothing.
    bool RestoreRecord(const QStringList& Record, bool Resized);
    // Called by the layer that takes the object in or lets it go.
    void JoinLayer(TSchemeLayer* Layer);
    void LeaveLayer();
    void EndBatch();
    void InitDefaults(int Id, int State);
    void ReadRecord(const record::TRecord& Record);
    void WriteBaseFlags(record::TRecordWriter& Writer) const;
    void WriteDrawingTools(record::TRecordWriter& Writer) const;
    void WritePoints(record::TRecordWriter& Writer) const;
    void WriteProperties(record::TRecordWriter& Writer) const;
    QRect CaptionExtent() const;
    // The caption's box in world units, whatever the zoom (empty without a caption).
    TSchemeArea CaptionArea() const;

    // The tool objects the accessors hand out, made on first use. Once they exist they hold the
    // settings; until then the object's own values do.
    struct TTools {
        TBrush Brush;
        TPen Pen;
        TBrush SelectedBrush;
        TPen SelectedPen;
    };
    TTools& Tools() const;
    TTools* MadeTools() const { return FRare ? FRare->Tools.get() : nullptr; }
    // Wires a part (a tool, the property list) to the object's change notices.
    void Attach(TGraphicsObject& Part);
    void Attach(TStringList& Part);

    int FId = 0;
    int FState = 0;
    // The flags together, so that they share one word.
    bool FSelected = false;
    bool FResized = false;
    bool FMoved = false;
    bool FVisible = true;
    bool FEnabled = true;
    bool FFullRepaintIfMoved = true;
    bool FStateColorSupport = true;
    bool FAnnouncePending = false;
    // The selection changed since the last announcement.
    bool FSelectionPending = false;
    bool FMovingWhole = false;
    int FDeferred = 0;
    // The object's slot in its layer's list, kept by the layer.
    int FLayerSlot = -1;
    int FResizedPoint = 0;
    TSchemeLayer* FLayer = nullptr;
    // The drawing tools' settings while no tool object has been asked for.
    TBrushData FBrushData;
    TBrushData FSelectedBrushData;
    TPenData FPenData;
    TPenData FSelectedPenData;
    // The points and the caption anchor.
    TPointStore FPoints;
    TSchemeArea FArea;
    // The caption and its measured extent (on the heap only for objects with a caption):
    // repaints and hit tests ask for the extent far more often than the caption changes.
    struct TCaption {
        QString Text;
        QRect Extent;
        bool Measured = false;
    };
    std::unique_ptr<TCaption> FCaption;
    // What few objects have, on the heap only for those.
    struct TRareParts {
        // The document's link slots that name this object, ascending; kept by the document,
        // with the object so that finding an object's links costs the same in any document
        // size.
        std::vector<int> LinkSlots;
        QString HintString;
        TStringList Properties;
        bool PropertiesAttached = false;
        std::unique_ptr<TTools> Tools;
    };
    mutable std::unique_ptr<TRareParts> FRare;
    TRareParts& Rare() const {
        if (!FRare) FRare = std::make_unique<TRareParts>();
        return *FRare;
    }
};

}  // namespace scheme

#pragma once

#include <memory>
#include <vector>

#include "scheme/model/scheme_area.h"
#include "scheme/platform/types.h"

namespace scheme {

class TSchemeObject;
class TSpatialIndex;

// The areas of objects as they join a document that has no index yet, noted while the objects
// are at hand, so that the index is later built without reading every object again.
class TSpatialJournal {
public:
    TSpatialJournal();
    ~TSpatialJournal();
    TSpatialJournal(const TSpatialJournal&) = delete;
    TSpatialJournal& operator=(const TSpatialJournal&) = delete;

    // Makes room for Count more objects.
    void Reserve(size_t Count);
    void Add(TSchemeObject* Obj, const TSchemeArea& Area, bool Selected);
    // The objects added.
    size_t Objects() const { return FObjects; }
    // Those of them that were selected when they were added.
    const std::vector<TSchemeObject*>& Selected() const { return FSelected; }

private:
    friend class TSpatialIndex;
    struct TEntries;

    std::unique_ptr<TEntries> FEntries;
    std::vector<TSchemeObject*> FSelected;
    size_t FObjects = 0;
    int FMaxMargin = 0;
};

// The document's objects by the areas they cover, so that hit tests, painting and repaints look
// only at the objects near a point or a rectangle. It answers candidates: every object whose
// area could meet the place asked about, in no particular order, and possibly a few more; the
// exact test stays with the caller. Areas are world boxes with a pixel margin, so one index
// serves every zoom.
class TSpatialIndex {
public:
    TSpatialIndex();
    ~TSpatialIndex();
    TSpatialIndex(const TSpatialIndex&) = delete;
    TSpatialIndex& operator=(const TSpatialIndex&) = delete;

    // Replaces the contents by the objects with their current areas (Area()).
    void Build(const std::vector<TSchemeObject*>& Objects);
    // The same from the areas a journal noted, which it gives up.
    void Build(TSpatialJournal& Journal);
    void Clear();
    // Area is the area the object is indexed under: Insert takes the new one, Remove the one it
    // was inserted with. Answers false when the object was not found under that area.
    void Insert(TSchemeObject* Obj, const TSchemeArea& Area);
    bool Remove(TSchemeObject* Obj, const TSchemeArea& Area);
    size_t Size() const;

    // Candidates whose area at Zoom may meet the rectangle of zoomed pixels.
    void Query(const TRect& Zoomed, Extended Zoom, std::vector<TSchemeObject*>& Out) const;
    // Candidates that may hold the world point at zoom 1, with Slack world units around it.
    void QueryPoint(Extended X, Extended Y, int Slack, std::vector<TSchemeObject*>& Out) const;
    // Candidates whose world box may meet the world rectangle.
    void QueryWorld(double Left, double Top, double Right, double Bottom,
                    std::vector<TSchemeObject*>& Out) const;

private:
    struct TTree;

    std::unique_ptr<TTree> FTree;
    // The largest pixel margin of any indexed area: queries grow by it.
    int FMaxMargin = 0;
};

}  // namespace scheme

#include "scheme/document/spatial_index.h"

#include <boost/geometry.hpp>
#include <boost/geometry/index/rtree.hpp>
#include <boost/iterator/function_output_iterator.hpp>
#include <cfloat>
#include <cmath>
#include <utility>

#include "scheme/model/scheme_object.h"

namespace scheme {

namespace {

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;

// Boxes in float: half the size of double ones, so that more of the tree stays in the cache.
// Every box is rounded outwards, so that it still holds what it stands for and a query still
// finds every object it met in double.
using TWorldPoint = bg::model::point<float, 2, bg::cs::cartesian>;
using TWorldBox = bg::model::box<TWorldPoint>;
using TEntry = std::pair<TWorldBox, TSchemeObject*>;

// The float at or below Value (at or above it for Up); beyond float's range the largest
// float or infinity, NaN staying NaN.
float Down(double Value) {
    if (Value >= FLT_MAX) return FLT_MAX;
    if (Value < -FLT_MAX) return -HUGE_VALF;
    const float F = static_cast<float>(Value);
    return static_cast<double>(F) > Value ? std::nextafter(F, -HUGE_VALF) : F;
}

float Up(double Value) {
    if (Value <= -FLT_MAX) return -FLT_MAX;
    if (Value > FLT_MAX) return HUGE_VALF;
    const float F = static_cast<float>(Value);
    return static_cast<double>(F) < Value ? std::nextafter(F, HUGE_VALF) : F;
}

TWorldBox OutwardBox(double Left, double Top, double Right, double Bottom) {
    return TWorldBox(TWorldPoint(Down(Left), Down(Top)), TWorldPoint(Up(Right), Up(Bottom)));
}

TWorldBox BoxOf(const TSchemeArea& Area) {
    return OutwardBox(Area.Left, Area.Top, Area.Right, Area.Bottom);
}

}  // namespace

struct TSpatialJournal::TEntries {
    std::vector<TEntry> List;
};

TSpatialJournal::TSpatialJournal() : FEntries(std::make_unique<TEntries>()) {}

TSpatialJournal::~TSpatialJournal() = default;

void TSpatialJournal::Reserve(size_t Count) {
    FEntries->List.reserve(FEntries->List.size() + Count);
}

void TSpatialJournal::Add(TSchemeObject* Obj, const TSchemeArea& Area, bool Selected) {
    ++FObjects;
    if (Selected) FSelected.push_back(Obj);
    if (Area.IsEmpty()) return;
    FEntries->List.emplace_back(BoxOf(Area), Obj);
    FMaxMargin = std::max(FMaxMargin, Area.Margin);
}

struct TSpatialIndex::TTree {
    bgi::rtree<TEntry, bgi::rstar<16>> Tree;
};

TSpatialIndex::TSpatialIndex() : FTree(std::make_unique<TTree>()) {}

TSpatialIndex::~TSpatialIndex() = default;

void TSpatialIndex::Build(const std::vector<TSchemeObject*>& Objects) {
    std::vector<TEntry> Entries;
    Entries.reserve(Objects.size());
    FMaxMargin = 0;
    for (TSchemeObject* Obj : Objects) {
        const TSchemeArea& Area = Obj->Area();
        if (Area.IsEmpty()) continue;
        Entries.emplace_back(BoxOf(Area), Obj);
        FMaxMargin = std::max(FMaxMargin, Area.Margin);
    }
    // The packing constructor builds a better tree than one insertion at a time, and faster.
    FTree->Tree = decltype(FTree->Tree)(Entries.begin(), Entries.end());
}

void TSpatialIndex::Build(TSpatialJournal& Journal) {
    std::vector<TEntry> Entries = std::exchange(Journal.FEntries->List, {});
    FMaxMargin = Journal.FMaxMargin;
    FTree->Tree = decltype(FTree->Tree)(Entries.begin(), Entries.end());
}

void TSpatialIndex::Clear() {
    FTree->Tree.clear();
    FMaxMargin = 0;
}

void TSpatialIndex::Insert(TSchemeObject* Obj, const TSchemeArea& Area) {
    if (Area.IsEmpty()) return;
    FTree->Tree.insert(TEntry(BoxOf(Area), Obj));
    FMaxMargin = std::max(FMaxMargin, Area.Margin);
}

bool TSpatialIndex::Remove(TSchemeObject* Obj, const TSchemeArea& Area) {
    if (Area.IsEmpty()) return true;
    return FTree->Tree.remove(TEntry(BoxOf(Area), Obj)) > 0;
}

size_t TSpatialIndex::Size() const {
    return FTree->Tree.size();
}

void TSpatialIndex::QueryWorld(double Left, double Top, double Right, double Bottom,
                               std::vector<TSchemeObject*>& Out) const {
    const TWorldBox Box = OutwardBox(Left, Top, Right, Bottom);
    FTree->Tree.query(bgi::intersects(Box),
                      boost::iterators::make_function_output_iterator(
                          [&Out](const TEntry& E) { Out.push_back(E.second); }));
}

// An area's pixels at Zoom lie within its world box times Zoom, grown by its margin and a pixel
// of rounding on each side; the world box asked for is the rectangle shrunk back by as much.
void TSpatialIndex::Query(const TRect& Zoomed, Extended Zoom,
                          std::vector<TSchemeObject*>& Out) const {
    if (Zoomed.IsEmpty() || !(Zoom > 0)) return;
    const double Grow = FMaxMargin + 2;
    const double Z = static_cast<double>(Zoom);
    QueryWorld((Zoomed.Left - Grow) / Z, (Zoomed.Top - Grow) / Z, (Zoomed.Right + Grow) / Z,
               (Zoomed.Bottom + Grow) / Z, Out);
}

void TSpatialIndex::QueryPoint(Extended X, Extended Y, int Slack,
                               std::vector<TSchemeObject*>& Out) const {
    const double Grow = FMaxMargin + Slack;
    const double PX = static_cast<double>(X);
    const double PY = static_cast<double>(Y);
    QueryWorld(PX - Grow, PY - Grow, PX + Grow, PY + Grow, Out);
}

}  // namespace scheme

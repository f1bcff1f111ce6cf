#include "scheme/document/spatial_index.h"

#include <boost/geometry.hpp>
#include <boost/geometry/index/rtree.hpp>
#include <boost/iterator/function_output_iterator.hpp>
#include <utility>

#include "scheme/model/scheme_object.h"

namespace scheme {

namespace {

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;

using TWorldPoint = bg::model::point<double, 2, bg::cs::cartesian>;
using TWorldBox = bg::model::box<TWorldPoint>;
using TEntry = std::pair<TWorldBox, TSchemeObject*>;

TWorldBox BoxOf(const TSchemeArea& Area) {
    return TWorldBox(TWorldPoint(Area.Left, Area.Top), TWorldPoint(Area.Right, Area.Bottom));
}

}  // namespace

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
    const TWorldBox Box(TWorldPoint(Left, Top), TWorldPoint(Right, Bottom));
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

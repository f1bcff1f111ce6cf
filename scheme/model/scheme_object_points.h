#pragma once

#include <cmath>
#include <cstdint>

#include "scheme/platform/export.h"
#include "scheme/platform/types.h"

namespace scheme {

// The points of an object and its caption anchor, held compactly without losing a bit of them.
// While every coordinate is exactly a double (whole numbers, halves and quarters, anything read
// back from fifteen digits of a whole or dyadic value) they are kept as doubles, the first few
// entries inside the store; once a coordinate is not (a third, a tenth, a value computed in
// extended precision), all entries move to the heap in extended precision, so that every
// coordinate always reads back exactly as it was set.
//
// Entry 0 is the anchor; the points follow it. Indexes are not checked: callers keep them in
// 0 .. Count-1 (points) and 0 .. Count (Insert).
class SCHEME_EXPORT TPointStore {
public:
    // Entries (anchor included) held inside the store: a box's four corners and its anchor.
    static constexpr int kInline = 5;

    TPointStore() = default;
    ~TPointStore() { Free(); }
    TPointStore(const TPointStore&) = delete;
    TPointStore& operator=(const TPointStore&) = delete;

    int Count() const { return FCount; }
    TPointExt Point(int I) const { return Entry(I + 1); }
    void SetPoint(int I, const TPointExt& P) { SetEntry(I + 1, P); }
    TPointExt Anchor() const { return Entry(0); }
    void SetAnchor(const TPointExt& P) { SetEntry(0, P); }
    // Count points at (0, 0); the anchor stays.
    void Reset(int Count);
    // Inserts P as point I, moving the later points up; removes point I, moving them down.
    void Insert(int I, const TPointExt& P);
    void Erase(int I);
    // Whether the entries are held in extended precision.
    bool Wide() const { return FWide; }
    // The entries as doubles, x and y of each, the anchor first; null when they are held in
    // extended precision.
    const double* Narrow() const { return FWide ? nullptr : Doubles(); }
    // The entries when they are on the heap, else null.
    const void* HeapData() const {
        if (FWide) return FData.Wide;
        return FCapacity > kInline ? FData.Heap : nullptr;
    }

private:
    static bool FitsDouble(Extended V) {
        return static_cast<Extended>(static_cast<double>(V)) == V || std::isnan(V);
    }
    const double* Doubles() const { return FCapacity > kInline ? FData.Heap : FData.Inline; }
    double* Doubles() { return FCapacity > kInline ? FData.Heap : FData.Inline; }
    TPointExt Entry(int E) const {
        if (FWide) return FData.Wide[E];
        const double* D = Doubles();
        return TPointExt{D[2 * E], D[2 * E + 1]};
    }
    void SetEntry(int E, const TPointExt& P) {
        if (!FWide && !(FitsDouble(P.X) && FitsDouble(P.Y))) Widen();
        if (FWide) {
            FData.Wide[E] = P;
        } else {
            double* D = Doubles();
            D[2 * E] = static_cast<double>(P.X);
            D[2 * E + 1] = static_cast<double>(P.Y);
        }
    }
    // Room for at least Entries entries, keeping the ones there are.
    void Reserve(int Entries);
    void Widen();
    void Free();

    union {
        double Inline[2 * kInline] = {};
        double* Heap;
        TPointExt* Wide;
    } FData;
    int FCount = 0;
    // Entries the storage has room for.
    std::uint32_t FCapacity : 31 = kInline;
    std::uint32_t FWide : 1 = 0;
};

}  // namespace scheme

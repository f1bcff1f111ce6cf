#include "scheme/model/scheme_object_points.h"

#include <algorithm>
#include <cstring>

namespace scheme {

void TPointStore::Free() {
    if (FWide)
        delete[] FData.Wide;
    else if (FCapacity > kInline)
        delete[] FData.Heap;
}

void TPointStore::Reset(int Count) {
    const TPointExt A = Anchor();
    const int Entries = std::max(Count, 0) + 1;
    Free();
    FWide = 0;
    FCapacity = kInline;
    std::fill(std::begin(FData.Inline), std::end(FData.Inline), 0.0);
    if (Entries > kInline) {
        FData.Heap = new double[2 * size_t(Entries)]();
        FCapacity = std::uint32_t(Entries);
    }
    FCount = Entries - 1;
    SetAnchor(A);
}

void TPointStore::Reserve(int Entries) {
    if (Entries <= int(FCapacity)) return;
    const int Capacity = std::max(Entries, int(FCapacity) * 2);
    const int Used = FCount + 1;
    if (FWide) {
        auto* Wide = new TPointExt[size_t(Capacity)];
        std::copy(FData.Wide, FData.Wide + Used, Wide);
        delete[] FData.Wide;
        FData.Wide = Wide;
    } else {
        auto* Heap = new double[2 * size_t(Capacity)]();
        std::memcpy(Heap, Doubles(), 2 * size_t(Used) * sizeof(double));
        Free();
        FData.Heap = Heap;
    }
    FCapacity = std::uint32_t(Capacity);
}

void TPointStore::Widen() {
    const int Used = FCount + 1;
    auto* Wide = new TPointExt[FCapacity];
    for (int E = 0; E < Used; ++E) Wide[E] = Entry(E);
    Free();
    FData.Wide = Wide;
    FWide = 1;
}

void TPointStore::Insert(int I, const TPointExt& P) {
    Reserve(FCount + 2);
    const int E = I + 1;
    if (FWide) {
        std::copy_backward(FData.Wide + E, FData.Wide + FCount + 1, FData.Wide + FCount + 2);
    } else {
        double* D = Doubles();
        std::memmove(D + 2 * (E + 1), D + 2 * E, 2 * size_t(FCount + 1 - E) * sizeof(double));
    }
    ++FCount;
    SetEntry(E, P);
}

void TPointStore::Erase(int I) {
    const int E = I + 1;
    if (FWide) {
        std::copy(FData.Wide + E + 1, FData.Wide + FCount + 1, FData.Wide + E);
    } else {
        double* D = Doubles();
        std::memmove(D + 2 * E, D + 2 * (E + 1), 2 * size_t(FCount - E) * sizeof(double));
    }
    --FCount;
}

}  // namespace scheme

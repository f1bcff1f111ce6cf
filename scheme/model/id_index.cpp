#include "scheme/model/id_index.h"

namespace scheme {

namespace {

constexpr size_t kFirstCapacity = 16;

}  // namespace

// Fibonacci hashing spreads consecutive Ids, the usual case, over the whole table.
size_t TIdIndex::Home(int Id) const {
    const std::uint64_t H = std::uint64_t(std::uint32_t(Id)) * 0x9E3779B97F4A7C15ull;
    return size_t(H >> 32) & (FTable.size() - 1);
}

int TIdIndex::Find(int Id) const {
    if (FTable.empty()) return -1;
    for (size_t I = Home(Id);; I = (I + 1) & (FTable.size() - 1)) {
        const TEntry& E = FTable[I];
        if (E.Slot < 0) return -1;
        if (E.Id == Id) return E.Slot;
    }
}

bool TIdIndex::Insert(int Id, int Slot, int** Existing) {
    // At most half full, so that probes stay short.
    if (size_t(FSize + 1) * 2 > FTable.size()) Grow();
    for (size_t I = Home(Id);; I = (I + 1) & (FTable.size() - 1)) {
        TEntry& E = FTable[I];
        if (E.Slot < 0) {
            E = TEntry{Id, Slot};
            ++FSize;
            return true;
        }
        if (E.Id == Id) {
            if (Existing) *Existing = &E.Slot;
            return false;
        }
    }
}

// Removes the entry and moves later entries of the same probe run back into the gap, so that
// no marker of a removed entry is ever needed.
void TIdIndex::Erase(int Id) {
    if (FTable.empty()) return;
    const size_t Mask = FTable.size() - 1;
    size_t Gap = Home(Id);
    for (;; Gap = (Gap + 1) & Mask) {
        if (FTable[Gap].Slot < 0) return;
        if (FTable[Gap].Id == Id) break;
    }
    for (size_t I = (Gap + 1) & Mask; FTable[I].Slot >= 0; I = (I + 1) & Mask) {
        // An entry may fill the gap when its home does not lie after the gap on its run.
        const size_t H = Home(FTable[I].Id);
        const bool Stays = Gap <= I ? (Gap < H && H <= I) : (Gap < H || H <= I);
        if (Stays) continue;
        FTable[Gap] = FTable[I];
        Gap = I;
    }
    FTable[Gap].Slot = -1;
    --FSize;
}

void TIdIndex::Clear() {
    FTable.clear();
    FSize = 0;
}

void TIdIndex::Grow() {
    std::vector<TEntry> Old;
    Old.swap(FTable);
    FTable.assign(Old.empty() ? kFirstCapacity : Old.size() * 2, TEntry{0, -1});
    FSize = 0;
    for (const TEntry& E : Old)
        if (E.Slot >= 0) Insert(E.Id, E.Slot);
}

}  // namespace scheme

#include "scheme/model/id_index.h"

#include <algorithm>
#include <utility>

namespace scheme {

namespace {

constexpr size_t kFirstCapacity = 16;

// The direct array may hold this many slots per entry (and a few to start with) before the map
// moves into the hash table: dense Ids cost four bytes each, scattered ones cannot blow it up.
constexpr size_t kDirectPerEntry = 4;
constexpr size_t kDirectStart = 64;

}  // namespace

// Fibonacci hashing spreads consecutive Ids, the usual case, over the whole table.
size_t TIdIndex::Home(int Id) const {
    const std::uint64_t H = std::uint64_t(std::uint32_t(Id)) * 0x9E3779B97F4A7C15ull;
    return size_t(H >> 32) & (FTable.size() - 1);
}

int TIdIndex::FindHashed(int Id) const {
    if (FTable.empty()) return -1;
    for (size_t I = Home(Id);; I = (I + 1) & (FTable.size() - 1)) {
        const TEntry& E = FTable[I];
        if (E.Slot < 0) return -1;
        if (E.Id == Id) return E.Slot;
    }
}

bool TIdIndex::FitsDirect(int Id) const {
    return Id >= 0 && size_t(Id) < kDirectStart + kDirectPerEntry * (size_t(FSize) + 1);
}

bool TIdIndex::Insert(int Id, int Slot, int** Existing) {
    if (!FHashed) {
        if (size_t(unsigned(Id)) >= FDirect.size()) {
            if (!FitsDirect(Id)) {
                ToHashed(size_t(FSize) + 1);
                return InsertHashed(Id, Slot, Existing);
            }
            // Doubled, so that Ids added in order cost no more than a push each.
            FDirect.resize(std::max(size_t(Id) + 1, 2 * FDirect.size()), -1);
        }
        int& Entry = FDirect[size_t(Id)];
        if (Entry >= 0) {
            if (Existing) *Existing = &Entry;
            return false;
        }
        Entry = Slot;
        ++FSize;
        return true;
    }
    return InsertHashed(Id, Slot, Existing);
}

bool TIdIndex::InsertHashed(int Id, int Slot, int** Existing) {
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

// Moves every entry of the direct array into a hash table with room for Capacity entries.
void TIdIndex::ToHashed(size_t Capacity) {
    size_t Size = kFirstCapacity;
    while (Size < 2 * Capacity) Size *= 2;
    FTable.assign(Size, TEntry{0, -1});
    FHashed = true;
    const std::vector<int> Direct = std::exchange(FDirect, {});
    FSize = 0;
    for (size_t Id = 0; Id < Direct.size(); ++Id)
        if (Direct[Id] >= 0) InsertHashed(int(Id), Direct[Id], nullptr);
}

// Removes the entry and moves later entries of the same probe run back into the gap, so that
// no marker of a removed entry is ever needed.
void TIdIndex::Erase(int Id) {
    if (!FHashed) {
        if (size_t(unsigned(Id)) < FDirect.size() && FDirect[size_t(Id)] >= 0) {
            FDirect[size_t(Id)] = -1;
            --FSize;
        }
        return;
    }
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

int* TIdIndex::Entry(int Id) {
    if (!FHashed) {
        if (size_t(unsigned(Id)) >= FDirect.size() || FDirect[size_t(Id)] < 0) return nullptr;
        return &FDirect[size_t(Id)];
    }
    if (FTable.empty()) return nullptr;
    for (size_t I = Home(Id);; I = (I + 1) & (FTable.size() - 1)) {
        TEntry& E = FTable[I];
        if (E.Slot < 0) return nullptr;
        if (E.Id == Id) return &E.Slot;
    }
}

void TIdIndex::Clear() {
    FDirect.clear();
    FTable.clear();
    FHashed = false;
    FSize = 0;
}

void TIdIndex::Reserve(int Count) {
    if (Count <= 0) return;
    if (!FHashed) {
        FDirect.reserve(size_t(Count) + 1);
        return;
    }
    if (size_t(Count) * 2 <= FTable.size()) return;
    size_t Size = FTable.size();
    while (Size < 2 * size_t(Count)) Size *= 2;
    std::vector<TEntry> Old = std::exchange(FTable, std::vector<TEntry>(Size, TEntry{0, -1}));
    FSize = 0;
    for (const TEntry& E : Old)
        if (E.Slot >= 0) InsertHashed(E.Id, E.Slot, nullptr);
}

void TIdIndex::Grow() {
    std::vector<TEntry> Old;
    Old.swap(FTable);
    FTable.assign(Old.empty() ? kFirstCapacity : Old.size() * 2, TEntry{0, -1});
    FSize = 0;
    for (const TEntry& E : Old)
        if (E.Slot >= 0) InsertHashed(E.Id, E.Slot, nullptr);
}

// ---- TFirstSlotIndex ------------------------------------------------------------------------

void TFirstSlotIndex::Add(int Id, int Slot) {
    int* Existing = nullptr;
    if (FFirst.Insert(Id, Slot, &Existing)) return;
    if (*Existing == Slot) return;
    std::set<int>& Slots = FShared[Id];
    if (Slots.empty()) Slots.insert(*Existing);
    // Rebuilds and appends add slots in ascending order.
    Slots.insert(Slots.end(), Slot);
    *Existing = *Slots.begin();
}

void TFirstSlotIndex::Remove(int Id, int Slot) {
    const auto Shared = FShared.find(Id);
    if (Shared == FShared.end()) {
        if (FFirst.Find(Id) == Slot) FFirst.Erase(Id);
        return;
    }
    std::set<int>& Slots = Shared->second;
    Slots.erase(Slot);
    *FFirst.Entry(Id) = *Slots.begin();
    if (Slots.size() < 2) FShared.erase(Shared);
}

void TFirstSlotIndex::Move(int Id, int From, int To) {
    const auto Shared = FShared.find(Id);
    if (Shared == FShared.end()) {
        if (int* First = FFirst.Entry(Id); First && *First == From) *First = To;
        return;
    }
    std::set<int>& Slots = Shared->second;
    const auto It = Slots.find(From);
    if (It == Slots.end()) return;
    // The order is kept, so To takes From's place in the set: the hint makes it O(1).
    Slots.insert(Slots.erase(It), To);
    *FFirst.Entry(Id) = *Slots.begin();
}

void TFirstSlotIndex::Clear() {
    FFirst.Clear();
    FShared.clear();
}

// ---- TSlotCounter ---------------------------------------------------------------------------

namespace {

size_t LowBit(size_t I) {
    return I & (~I + 1);
}

}  // namespace

void TSlotCounter::AssignFilled(size_t Size) {
    FTree.resize(Size);
    for (size_t I = 1; I <= Size; ++I) FTree[I - 1] = static_cast<int>(LowBit(I));
}

void TSlotCounter::PushFilled() {
    const size_t I = FTree.size() + 1;
    // The new node covers (I - lowbit(I), I]: the slot itself and the nodes below it.
    int Sum = 1;
    for (size_t J = I - 1; J > I - LowBit(I); J -= LowBit(J)) Sum += FTree[J - 1];
    FTree.push_back(Sum);
}

void TSlotCounter::Empty(size_t Slot) {
    for (size_t I = Slot + 1; I <= FTree.size(); I += LowBit(I)) --FTree[I - 1];
}

int TSlotCounter::FilledBefore(size_t Slot) const {
    int Sum = 0;
    for (size_t I = Slot; I > 0; I -= LowBit(I)) Sum += FTree[I - 1];
    return Sum;
}

size_t TSlotCounter::FilledAt(int Position) const {
    size_t Step = 1;
    while (Step * 2 <= FTree.size()) Step *= 2;
    // Descends to the largest I whose first I slots hold at most Position filled ones.
    size_t I = 0;
    int Left = Position;
    for (; Step > 0; Step /= 2) {
        if (I + Step <= FTree.size() && FTree[I + Step - 1] <= Left) {
            I += Step;
            Left -= FTree[I - 1];
        }
    }
    return I;
}

}  // namespace scheme

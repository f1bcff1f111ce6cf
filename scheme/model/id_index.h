#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <unordered_map>
#include <vector>

#include "scheme/platform/export.h"

namespace scheme {

// A map from object Id to list slot. Ids that are dense (small and not negative, as documents
// number their objects 1, 2, 3, ...) index a plain array of slots directly; once an Id would make
// that array far larger than the map, every entry moves into one flat hash table (open
// addressing, linear probing), where a lookup costs one or two cache lines however large the
// layer is; node-based maps scatter their entries over the whole heap.
class SCHEME_EXPORT TIdIndex {
public:
    // The slot stored for Id, or -1.
    int Find(int Id) const {
        if (FHashed) return FindHashed(Id);
        return size_t(unsigned(Id)) < FDirect.size() ? FDirect[size_t(unsigned(Id))] : -1;
    }
    // Stores Slot for Id and answers true, or answers false and leaves the table as it is when
    // Id is present; Existing then points at the slot stored for it.
    bool Insert(int Id, int Slot, int** Existing = nullptr);
    void Erase(int Id);
    // The slot stored for Id, to be changed in place, or nullptr.
    int* Entry(int Id);
    void Clear();
    // Makes room for Count entries at once, so that filling the map never grows it.
    void Reserve(int Count);
    int Size() const { return FSize; }

private:
    struct TEntry {
        int Id;
        int Slot;  // -1: empty
    };
    size_t Home(int Id) const;
    int FindHashed(int Id) const;
    bool InsertHashed(int Id, int Slot, int** Existing);
    bool FitsDirect(int Id) const;
    void ToHashed(size_t Capacity);
    void Grow();

    // The slot of each Id by Id, -1 where none; used while FHashed is false.
    std::vector<int> FDirect;
    std::vector<TEntry> FTable;
    bool FHashed = false;
    int FSize = 0;
};

// The slot of the first object with each Id, where several objects of a list may share an Id:
// the table above for the first slots, and for the Ids that several objects share, every slot
// that holds one, ordered, so that the next one takes over when the first goes. Adding and
// removing cost O(1) for an Id of its own and O(log n) for a shared one.
class SCHEME_EXPORT TFirstSlotIndex {
public:
    // The first slot stored for Id, or -1.
    int Find(int Id) const { return FFirst.Find(Id); }
    void Add(int Id, int Slot);
    // Forgets Slot for Id (nothing when it was not stored).
    void Remove(int Id, int Slot);
    // The object with that Id in slot From now lives in slot To, and the list's order is kept
    // (To is not stored for Id, and no other slot of Id lies between the two).
    void Move(int Id, int From, int To);
    void Clear();

private:
    TIdIndex FFirst;
    std::unordered_map<int, std::set<int>> FShared;
};

// Which slots of a list hold something, counted so that the number of filled slots before a
// slot, and the slot of the k-th filled one, cost O(log n) (a Fenwick tree): a list that keeps
// empty slots can answer positions without being squeezed.
class SCHEME_EXPORT TSlotCounter {
public:
    // Size slots, all filled.
    void AssignFilled(size_t Size);
    // Appends a filled slot.
    void PushFilled();
    // Drops the last slot, which must be empty.
    void PopEmpty() { FTree.pop_back(); }
    // Empties a filled slot.
    void Empty(size_t Slot);
    size_t Size() const { return FTree.size(); }
    // The number of filled slots before Slot.
    int FilledBefore(size_t Slot) const;
    // The slot of the filled slot with Position filled slots before it; Position must be less
    // than the number of filled slots.
    size_t FilledAt(int Position) const;

private:
    // FTree[I - 1] counts the filled slots of (I - lowbit(I), I], one-based.
    std::vector<int> FTree;
};

}  // namespace scheme

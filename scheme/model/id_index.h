#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "scheme/platform/export.h"

namespace scheme {

// A map from object Id to list slot in one flat table (open addressing, linear probing), so
// that a lookup costs one or two cache lines however large the layer is; node-based maps
// scatter their entries over the whole heap.
class SCHEME_EXPORT TIdIndex {
public:
    // The slot stored for Id, or -1.
    int Find(int Id) const;
    // Stores Slot for Id and answers true, or answers false and leaves the table as it is when
    // Id is present; Existing then points at the slot stored for it.
    bool Insert(int Id, int Slot, int** Existing = nullptr);
    void Erase(int Id);
    void Clear();
    int Size() const { return FSize; }

private:
    struct TEntry {
        int Id;
        int Slot;  // -1: empty
    };
    size_t Home(int Id) const;
    void Grow();

    std::vector<TEntry> FTable;
    int FSize = 0;
};

}  // namespace scheme

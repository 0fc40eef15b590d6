#include "view/CDifferenceList.h"

#include <algorithm>

void CDifferenceList::Clear() {
    offsets_.clear();
    sorted_.clear();
}

bool CDifferenceList::Add(uint64_t offset) {
    if (offset > 0xFFFFFFFFull) {
        return false;
    }
    const uint32_t value = static_cast<uint32_t>(offset);
    offsets_.push_back(value);
    sorted_.insert(std::upper_bound(sorted_.begin(), sorted_.end(), value), value);
    return true;
}

bool CDifferenceList::NextAfter(uint64_t cursor, uint64_t& offset) const {
    for (uint32_t value : offsets_) {
        if (value > cursor) {
            offset = value;
            return true;
        }
    }
    return false;
}

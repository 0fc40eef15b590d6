#include "engine/CAlmightyArray.h"

#include <cstring>
#include <new>

CAlmightyArray::CAlmightyArray(int32_t elementSize) : elementSize(elementSize > 0 ? elementSize : 0) {}

CAlmightyArray::~CAlmightyArray() { delete[] data; }

int CAlmightyArray::SetElementSize(int32_t size) {
    if (elementSize != 0 || size <= 0) {
        return 0;
    }
    elementSize = size;
    return 1;
}

void CAlmightyArray::SetGrowBy(int32_t n) {
    if (n > 0) {
        growBy = n;
    }
}

int CAlmightyArray::Add(const void* element) {
    if (elementSize < 1) {
        return 0;
    }
    if (count >= capacity) {
        int64_t newCapacity = static_cast<int64_t>(capacity) + growBy;
        if (newCapacity > INT32_MAX) {
            return 0;
        }
        size_t bytes = static_cast<size_t>(newCapacity) * static_cast<size_t>(elementSize);
        uint8_t* grown = new (std::nothrow) uint8_t[bytes];
        if (!grown) {
            return 0;
        }
        std::memset(grown, 0, bytes);
        if (data) {
            std::memcpy(grown, data, static_cast<size_t>(capacity) * static_cast<size_t>(elementSize));
        }
        delete[] data;
        data = grown;
        capacity = static_cast<int32_t>(newCapacity);
    }
    std::memcpy(data + static_cast<size_t>(count) * elementSize, element, static_cast<size_t>(elementSize));
    ++count;
    return 1;
}

int CAlmightyArray::GetAt(int32_t index, void* out) const {
    if (index < 0 || index >= count || !data) {
        if (elementSize > 0) {
            std::memset(out, 0, static_cast<size_t>(elementSize));
        }
        return 0;
    }
    std::memcpy(out, data + static_cast<size_t>(index) * elementSize, static_cast<size_t>(elementSize));
    return 1;
}

int CAlmightyArray::SetAt(int32_t index, const void* element) {
    if (index < 0 || index >= capacity || !data) {
        return 0;
    }
    std::memcpy(data + static_cast<size_t>(index) * elementSize, element, static_cast<size_t>(elementSize));
    return 1;
}

int CAlmightyArray::RemoveAt(int32_t index) {
    if (index < 0 || index >= count) {
        return 0;
    }
    size_t later = static_cast<size_t>(count - index - 1) * elementSize;
    std::memmove(data + static_cast<size_t>(index) * elementSize, data + static_cast<size_t>(index + 1) * elementSize,
                 later);
    --count;
    std::memset(data + static_cast<size_t>(count) * elementSize, 0, static_cast<size_t>(elementSize));
    return 1;
}

void CAlmightyArray::RemoveAll() {
    if (!data || capacity == 0 || elementSize == 0) {
        return;
    }
    delete[] data;
    data = nullptr;
    capacity = 0;
    count = 0;
    elementSize = 0;
}

int CAlmightyArray::CopyFrom(const CAlmightyArray& other) {
    if (&other == this) {
        return 0;
    }
    RemoveAll();
    if (elementSize == 0) {
        elementSize = other.elementSize;
    }
    if (other.growBy > 0) {
        growBy = other.growBy;
    }
    if (other.count == 0 || elementSize == 0) {
        return 1;
    }
    if (elementSize != other.elementSize) {
        // Records of another size cannot be copied one for one; copying count x our size would read past the
        // end of the other buffer.
        return 0;
    }
    size_t bytes = static_cast<size_t>(other.count) * static_cast<size_t>(elementSize);
    uint8_t* copy = new (std::nothrow) uint8_t[bytes];
    if (!copy) {
        return 0;
    }
    std::memcpy(copy, other.data, bytes);
    data = copy;
    capacity = other.count;
    count = other.count;
    return 1;
}

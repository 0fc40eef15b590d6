#pragma once

#include <cstdint>
#include <cstring>

// A growable array of plain values that grows on access: writing or reading index i makes room for it, and
// reading beyond the written elements yields 0.
template <typename T> class CSmartArray {
public:
    explicit CSmartArray(int64_t growBy = 1024) : growBy(growBy > 0 ? growBy : 1024) {}
    virtual ~CSmartArray() { delete[] data; }

    CSmartArray(const CSmartArray&) = delete;
    CSmartArray& operator=(const CSmartArray&) = delete;

    void Reserve(int64_t n) {
        if (capacity >= n) {
            return;
        }
        T* grown = new T[static_cast<size_t>(n)];
        std::memset(static_cast<void*>(grown + capacity), 0, static_cast<size_t>(n - capacity) * sizeof(T));
        if (data) {
            std::memcpy(static_cast<void*>(grown), data, static_cast<size_t>(capacity) * sizeof(T));
        }
        delete[] data;
        data = grown;
        capacity = n;
    }

    void SetAtGrow(int64_t index, T value) { Element(index) = value; }
    T GetAt(int64_t index) { return Element(index); }
    T& operator[](int64_t index) { return Element(index); }

    int64_t GetCount() const { return count; }
    int64_t GetCapacity() const { return capacity; }
    int64_t GetGrowBy() const { return growBy; }

private:
    T& Element(int64_t index) {
        if (index < 0) {
            // No element has a negative index: reads yield 0, writes go nowhere (not before the buffer).
            scratch = T();
            return scratch;
        }
        if (index >= capacity) {
            int64_t wanted = capacity + growBy;
            Reserve(index + 1 > wanted ? index + 1 : wanted);
        }
        if (index + 1 > count) {
            count = index + 1;
        }
        return data[index];
    }

    T* data = nullptr;
    int64_t capacity = 0;
    int64_t count = 0;
    int64_t growBy;
    T scratch = T();
};

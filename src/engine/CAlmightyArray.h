#pragma once

#include <cstdint>

// A growable array of fixed-size byte records whose size is chosen at run time. Every failure is a 0 return;
// a failed growth leaves the contents intact.
class CAlmightyArray {
public:
    explicit CAlmightyArray(int32_t elementSize = 0);
    virtual ~CAlmightyArray();

    CAlmightyArray(const CAlmightyArray&) = delete;
    CAlmightyArray& operator=(const CAlmightyArray&) = delete;

    int SetElementSize(int32_t size);
    void SetGrowBy(int32_t n);
    int Add(const void* element);
    int GetAt(int32_t index, void* out) const;
    int SetAt(int32_t index, const void* element);
    int RemoveAt(int32_t index);
    void RemoveAll();
    int CopyFrom(const CAlmightyArray& other);

    uint8_t* GetData() const { return data; }
    int32_t GetCount() const { return count; }
    int32_t GetCapacity() const { return capacity; }
    int32_t GetElementSize() const { return elementSize; }
    int32_t GetGrowBy() const { return growBy; }

private:
    uint8_t* data = nullptr;
    int32_t capacity = 0;
    int32_t count = 0;
    int32_t elementSize = 0;
    int32_t growBy = 100;
};

#pragma once

#include <cstdint>
#include <memory>

// A growable, contiguous byte store. It grows in steps of at least the growth step so that many small
// appends do not reallocate each time; erasing never gives memory back. A failed growth leaves the
// stored bytes untouched and is reported by a 0 result.
class CKvrMemManager {
public:
    CKvrMemManager() = default;
    virtual ~CKvrMemManager() = default;
    CKvrMemManager(const CKvrMemManager&) = delete;
    CKvrMemManager& operator=(const CKvrMemManager&) = delete;

    // 1 when stored, 0 when the block could not grow.
    int Append(const void* bytes, uint64_t count);
    int AppendByte(unsigned char value);
    int AppendText(const char* text);
    // Removes min(count, length - position) bytes at position; nothing when position >= length.
    void Erase(uint64_t position, uint64_t count);
    // Drops the length back to the given value (no effect when it is not shorter).
    void Truncate(uint64_t length);
    void Clear();
    // 0 is refused (result 0, step unchanged).
    int SetGrowthStep(uint64_t step);

    uint64_t Length() const { return length_; }
    uint64_t Capacity() const { return capacity_; }
    uint64_t GrowthStep() const { return growthStep_; }
    const unsigned char* Buffer() const { return buffer_.get(); }
    unsigned char* Buffer() { return buffer_.get(); }

private:
    bool Grow(uint64_t increment);

    std::unique_ptr<unsigned char[]> buffer_;
    uint64_t capacity_ = 0;
    uint64_t length_ = 0;
    uint64_t growthStep_ = 4096;
};

#include "data/CKvrMemManager.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

bool CKvrMemManager::Grow(uint64_t increment) {
    if (increment > UINT64_MAX - capacity_ || capacity_ + increment > SIZE_MAX) {
        return false;
    }
    uint64_t newCapacity = capacity_ + increment;
    std::unique_ptr<unsigned char[]> grown(new (std::nothrow) unsigned char[newCapacity]());
    if (!grown) {
        return false;
    }
    if (capacity_ > 0) {
        std::memcpy(grown.get(), buffer_.get(), capacity_);
    }
    buffer_ = std::move(grown);
    capacity_ = newCapacity;
    return true;
}

int CKvrMemManager::Append(const void* bytes, uint64_t count) {
    if (count > capacity_ - length_ && !Grow(std::max(count, growthStep_))) {
        return 0;
    }
    if (count > 0) {
        std::memcpy(buffer_.get() + length_, bytes, count);
    }
    length_ += count;
    return 1;
}

int CKvrMemManager::AppendByte(unsigned char value) {
    if (length_ == capacity_ && !Grow(growthStep_ == 0 ? 1 : growthStep_)) {
        return 0;
    }
    buffer_[length_++] = value;
    return 1;
}

int CKvrMemManager::AppendText(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    return Append(text, std::strlen(text));
}

void CKvrMemManager::Erase(uint64_t position, uint64_t count) {
    if (position >= length_) {
        return;
    }
    count = std::min(count, length_ - position);
    std::memmove(buffer_.get() + position, buffer_.get() + position + count, length_ - position - count);
    length_ -= count;
}

void CKvrMemManager::Truncate(uint64_t length) {
    if (length < length_) {
        length_ = length;
    }
}

void CKvrMemManager::Clear() {
    buffer_.reset();
    capacity_ = 0;
    length_ = 0;
}

int CKvrMemManager::SetGrowthStep(uint64_t step) {
    if (step == 0) {
        return 0;
    }
    growthStep_ = step;
    return 1;
}

#include "data/CDllSource.h"

#include <algorithm>

DataOutcome CDllSource::Load(const std::string& fileName, const std::string& readName,
                             const std::string& writeName) {
    Unload();
    DataOutcome outcome;
    if (fileName.empty()) {
        return outcome;
    }
    if (!library_.Load(fileName)) {
        outcome.notices.push_back({DataMessage::FailToLoadDll, fileName});
        return outcome;
    }
    if (!readName.empty()) {
        read_ = reinterpret_cast<TransferFunction>(library_.Symbol(readName));
        if (read_ == nullptr) {
            outcome.notices.push_back({DataMessage::FailToLoadFunction, readName});
        }
    }
    if (!writeName.empty()) {
        write_ = reinterpret_cast<TransferFunction>(library_.Symbol(writeName));
        if (write_ == nullptr) {
            outcome.notices.push_back({DataMessage::FailToLoadFunction, writeName});
        }
    }
    outcome.success = true;
    return outcome;
}

void CDllSource::Unload() {
    read_ = nullptr;
    write_ = nullptr;
    library_.Unload();
}

uint64_t CDllSource::Call(TransferFunction function, uint64_t offset, unsigned char* buffer, uint64_t length,
                          uint64_t memorySize) {
    if (function == nullptr || offset >= memorySize || buffer == nullptr) {
        return 0;
    }
    uint64_t count = std::min(length, memorySize - offset);
    if (count == 0) {
        return 0;
    }
    uint64_t transferred = static_cast<uint32_t>(function(offset, buffer, count));
    // A library that claims more than it was asked for must not make callers use bytes never filled.
    return std::min(transferred, count);
}

uint64_t CDllSource::Read(uint64_t offset, unsigned char* destination, uint64_t length,
                          uint64_t memorySize) const {
    return Call(read_, offset, destination, length, memorySize);
}

uint64_t CDllSource::Write(uint64_t offset, const unsigned char* source, uint64_t length,
                           uint64_t memorySize) const {
    // The exported function takes a non-const pointer; a write function only reads from it.
    return Call(write_, offset, const_cast<unsigned char*>(source), length, memorySize);
}

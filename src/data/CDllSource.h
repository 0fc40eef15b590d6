#pragma once

#include "data/DataMessage.h"
#include "platform/DynamicLibrary.h"

#include <cstdint>
#include <string>

// A user library that exports a read and a write function, both called as
//   int32_t f(uint64_t offset, unsigned char* buffer, uint64_t count)
// and returning the number of bytes transferred. The library is called only for offsets below the
// configured memory size, with counts clipped to it.
class CDllSource {
public:
    using TransferFunction = int32_t (*)(uint64_t offset, unsigned char* buffer, uint64_t count);

    // Unloads any library, then loads fileName and looks both functions up (an empty name is not looked
    // up). A missing function leaves the library loaded: that direction then transfers nothing.
    DataOutcome Load(const std::string& fileName, const std::string& readName, const std::string& writeName);
    void Unload();

    bool IsLoaded() const { return library_.IsLoaded(); }
    bool HasReadFunction() const { return read_ != nullptr; }
    bool HasWriteFunction() const { return write_ != nullptr; }

    uint64_t Read(uint64_t offset, unsigned char* destination, uint64_t length, uint64_t memorySize) const;
    uint64_t Write(uint64_t offset, const unsigned char* source, uint64_t length, uint64_t memorySize) const;

private:
    static uint64_t Call(TransferFunction function, uint64_t offset, unsigned char* buffer, uint64_t length,
                         uint64_t memorySize);

    DynamicLibrary library_;
    TransferFunction read_ = nullptr;
    TransferFunction write_ = nullptr;
};

#pragma once

#include "data/DataMessage.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Reads a file for editing. A file nobody else holds is locked exclusively while it is read; a file another
// process holds is read under a shared lock and marked VIEW. A file above the memory limit (or of 4 GiB or
// more, or one whose block cannot be obtained) is not read at all and marked DIRECT with its true size.
// Only a regular file is read: a FIFO, socket, device or directory is refused at once ("Cannot read file"),
// and opening never waits on it. No descriptor stays open afterwards.
class CFileLoader {
public:
    static constexpr int kAccessView = 1;
    static constexpr int kAccessDirect = 2;
    static constexpr uint64_t kSpareCapacity = 1024;
    static constexpr uint64_t kLargestLoadable = 0xFFFFFFFFull;

    struct Result {
        bool success = false;
        int accessFlags = 0;
        uint64_t size = 0;
        uint64_t capacity = 0;
        std::unique_ptr<unsigned char[]> block; // absent for DIRECT
        std::vector<DataNotice> notices;
    };

    static Result Load(const std::string& path, uint64_t maxFileSizeForMemory);
    // Reads a range of a DIRECT file under a shared lock; the bytes delivered, 0 when it cannot be opened.
    static uint64_t ReadRange(const std::string& path, uint64_t offset, unsigned char* destination,
                              uint64_t count);
};

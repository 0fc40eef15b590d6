#pragma once

#include <cstdint>
#include <string>

// Another program's named shared memory block, optionally guarded by a named semaphore used as a mutex.
// Nothing is kept open between accesses: each read or write opens the semaphore, waits for it at most
// 100 ms (a time-out goes on without it, a failed wait gives up), opens and maps the block, copies, and
// closes everything again, so the data is always current. Copies are clipped to the configured memory size
// and to the block's real size. The objects are never created here.
class CSharedMemorySource {
public:
    static constexpr int kMutexWaitMilliseconds = 100;

    CSharedMemorySource(std::string blockName, std::string mutexName, uint64_t memorySize);

    uint64_t Read(uint64_t offset, unsigned char* destination, uint64_t length) const;
    uint64_t Write(uint64_t offset, const unsigned char* source, uint64_t length) const;

private:
    uint64_t Access(uint64_t offset, unsigned char* buffer, uint64_t length, bool write) const;

    std::string blockName_;
    std::string mutexName_;
    uint64_t memorySize_;
};

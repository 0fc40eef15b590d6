#include "data/CSharedMemorySource.h"

#include "platform/NamedSemaphore.h"
#include "platform/SharedMemoryObject.h"

#include <algorithm>
#include <cstring>
#include <utility>

CSharedMemorySource::CSharedMemorySource(std::string blockName, std::string mutexName, uint64_t memorySize)
    : blockName_(std::move(blockName)), mutexName_(std::move(mutexName)), memorySize_(memorySize) {}

uint64_t CSharedMemorySource::Read(uint64_t offset, unsigned char* destination, uint64_t length) const {
    return Access(offset, destination, length, false);
}

uint64_t CSharedMemorySource::Write(uint64_t offset, const unsigned char* source, uint64_t length) const {
    return Access(offset, const_cast<unsigned char*>(source), length, true);
}

uint64_t CSharedMemorySource::Access(uint64_t offset, unsigned char* buffer, uint64_t length,
                                     bool write) const {
    if (blockName_.empty() || buffer == nullptr || offset >= memorySize_) {
        return 0;
    }
    NamedSemaphore mutex;
    bool owned = false;
    if (!mutexName_.empty()) {
        mutex = NamedSemaphore::OpenExisting("/" + mutexName_);
        if (!mutex.IsOpen()) {
            return 0;
        }
        NamedSemaphore::WaitResult waited = mutex.Wait(kMutexWaitMilliseconds);
        if (waited == NamedSemaphore::WaitResult::Failed) {
            return 0;
        }
        owned = waited == NamedSemaphore::WaitResult::Acquired;
    }
    uint64_t copied = 0;
    {
        auto access = write ? SharedMemoryObject::Access::ReadWrite : SharedMemoryObject::Access::Read;
        SharedMemoryObject block = SharedMemoryObject::OpenExisting("/" + blockName_, access);
        if (block.IsMapped() && offset < block.Size()) {
            copied = std::min({length, memorySize_ - offset, block.Size() - offset});
            if (write) {
                std::memcpy(block.Data() + offset, buffer, copied);
            } else {
                std::memcpy(buffer, block.Data() + offset, copied);
            }
        }
    }
    if (owned) {
        mutex.Post();
    }
    return copied;
}

#include "data/CFileLoader.h"

#include "platform/LockedFile.h"

#include <cstdint>
#include <new>

CFileLoader::Result CFileLoader::Load(const std::string& path, uint64_t maxFileSizeForMemory) {
    Result result;
    LockedFile file = LockedFile::Open(path, LockedFile::Lock::Exclusive);
    if (!file.IsOpen()) {
        // Another process uses the file: read it without editing, whether that process only reads (a shared
        // lock is possible) or holds it exclusively (the bytes can still be read).
        file = LockedFile::Open(path, LockedFile::Lock::Shared);
        if (!file.IsOpen()) {
            file = LockedFile::Open(path, LockedFile::Lock::None);
        }
        if (!file.IsOpen()) {
            result.notices.push_back({DataMessage::CannotReadFile, std::string()});
            return result;
        }
        result.accessFlags = kAccessView;
        result.notices.push_back({DataMessage::FileInUseViewMode, std::string()});
    }
    uint64_t size = 0;
    if (!file.Size(size)) {
        result.notices = {{DataMessage::CannotReadFile, std::string()}};
        return result;
    }
    result.size = size;
    if (size <= maxFileSizeForMemory && size <= kLargestLoadable && size + kSpareCapacity <= SIZE_MAX) {
        result.block.reset(new (std::nothrow) unsigned char[size + kSpareCapacity]());
    }
    if (!result.block) {
        result.accessFlags |= kAccessDirect;
        result.notices.push_back({DataMessage::FileTooLargeViewMode, std::string()});
        result.success = true;
        return result;
    }
    // A file that cannot be read whole is not opened at all, so the data shown never stops half-way.
    if (file.ReadAt(0, result.block.get(), size) != size) {
        result.block.reset();
        result.notices = {{DataMessage::CannotReadFile, std::string()}};
        return result;
    }
    result.capacity = size + kSpareCapacity;
    result.success = true;
    return result;
}

uint64_t CFileLoader::ReadRange(const std::string& path, uint64_t offset, unsigned char* destination,
                                uint64_t count) {
    LockedFile file = LockedFile::Open(path, LockedFile::Lock::Shared);
    if (!file.IsOpen()) {
        file = LockedFile::Open(path, LockedFile::Lock::None);
    }
    if (!file.IsOpen()) {
        return 0;
    }
    return file.ReadAt(offset, destination, count);
}

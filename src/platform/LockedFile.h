#pragma once

#include <cstdint>
#include <string>

// A file opened for reading under an advisory lock. Exclusive means no other process holds any lock on it;
// shared means other readers are allowed but a writer taking an exclusive lock is kept out; none reads
// whatever another process holds (advisory locks never keep a reader out). Locks are taken
// without waiting, and the descriptor closes with the object, so no handle stays open on an edited file.
class LockedFile {
public:
    enum class Lock { Exclusive, Shared, None };

    LockedFile() = default;
    ~LockedFile();
    LockedFile(LockedFile&& other) noexcept;
    LockedFile& operator=(LockedFile&& other) noexcept;
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;

    // Opens path read-only and takes the lock; IsOpen() tells whether both worked. Only a regular file is
    // opened, and the call never blocks: a FIFO, socket, device or directory is refused at once.
    static LockedFile Open(const std::string& path, Lock lock);

    bool IsOpen() const { return fd_ >= 0; }
    // The true 64-bit length; false when it cannot be read.
    bool Size(uint64_t& size) const;
    // Reads up to count bytes at offset (short only at the end of the file or on an error); the bytes read.
    uint64_t ReadAt(uint64_t offset, void* destination, uint64_t count) const;
    void Close();

private:
    int fd_ = -1;
};

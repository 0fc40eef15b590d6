#include "platform/CCompareBlock.h"

#include "platform/CInstanceChannel.h"
#include "platform/PerUserName.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

bool SameObject(int fd, int other) {
    struct stat a;
    struct stat b;
    return ::fstat(fd, &a) == 0 && ::fstat(other, &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

std::string CCompareBlock::DefaultName() {
    // Named like the copy block; a name someone else took first refuses comparisons.
    return CInstanceChannel::SessionObjectName(kBaseName);
}

CCompareBlock::CCompareBlock() : name_(DefaultName()) {}

CCompareBlock::CCompareBlock(std::string name) : name_(std::move(name)) {}

CCompareBlock::~CCompareBlock() {
    Close();
}

CCompareBlock::CCompareBlock(CCompareBlock&& other) noexcept
    : name_(std::move(other.name_)), address_(other.address_), size_(other.size_), writable_(other.writable_),
      lockFd_(other.lockFd_) {
    other.address_ = nullptr;
    other.size_ = 0;
    other.writable_ = false;
    other.lockFd_ = -1;
}

CCompareBlock& CCompareBlock::operator=(CCompareBlock&& other) noexcept {
    if (this != &other) {
        Close();
        name_ = std::move(other.name_);
        address_ = other.address_;
        size_ = other.size_;
        writable_ = other.writable_;
        lockFd_ = other.lockFd_;
        other.address_ = nullptr;
        other.size_ = 0;
        other.writable_ = false;
        other.lockFd_ = -1;
    }
    return *this;
}

bool CCompareBlock::NameRefersTo(int fd) const {
    int named = ::shm_open(name_.c_str(), O_RDONLY | O_CLOEXEC, 0);
    if (named < 0) {
        return false;
    }
    const bool same = SameObject(fd, named);
    ::close(named);
    return same;
}

bool CCompareBlock::RemoveAbandoned() const {
    int fd = ::shm_open(name_.c_str(), O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0) {
        // Gone meanwhile: the name is free again. Anything else (no permission) means it is not ours.
        return errno == ENOENT;
    }
    struct stat info;
    bool removed = false;
    if (::fstat(fd, &info) == 0 && info.st_uid == ::geteuid() && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        // Nobody holds it: its creator ended without removing it. Holding its lock while removing it keeps a
        // copy that has just created it from taking it for its own.
        if (NameRefersTo(fd)) {
            ::shm_unlink(name_.c_str());
        }
        removed = true;
    }
    ::close(fd);
    return removed;
}

bool CCompareBlock::Create(uint64_t size) {
    Close();
    const uint64_t limit = std::min<uint64_t>(std::numeric_limits<off_t>::max(), SIZE_MAX);
    if (size == 0 || size > limit) {
        return false;
    }
    int fd = -1;
    for (int attempt = 0; attempt < 2 && fd < 0; ++attempt) {
        fd = ::shm_open(name_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && (errno != EEXIST || !RemoveAbandoned())) {
            return false;
        }
    }
    if (fd < 0) {
        return false;
    }
    // Between creating the object and locking it another copy may have found it unlocked and removed it;
    // then this block is not the one the name leads to, and the comparison does not go ahead.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !NameRefersTo(fd)) {
        ::close(fd);
        return false;
    }
    // Reserving the memory now turns a full memory file system into a refused comparison instead of a fault
    // while the partner writes.
    void* address = MAP_FAILED;
    if (::posix_fallocate(fd, 0, static_cast<off_t>(size)) == 0) {
        address = ::mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_SHARED, fd, 0);
    }
    if (address == MAP_FAILED) {
        ::shm_unlink(name_.c_str());
        ::close(fd);
        return false;
    }
    address_ = static_cast<unsigned char*>(address);
    size_ = size;
    writable_ = false;
    lockFd_ = fd;
    return true;
}

CCompareBlock CCompareBlock::OpenForWriting(const std::string& name) {
    CCompareBlock block(name);
    int fd = ::shm_open(name.c_str(), O_RDWR | O_CLOEXEC, 0);
    if (fd < 0) {
        return block;
    }
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && info.st_size > 0) {
        const size_t size = static_cast<size_t>(info.st_size);
        void* address = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (address != MAP_FAILED) {
            block.address_ = static_cast<unsigned char*>(address);
            block.size_ = size;
            block.writable_ = true;
        }
    }
    ::close(fd);
    return block;
}

void CCompareBlock::Close() {
    if (address_ != nullptr) {
        ::munmap(address_, static_cast<size_t>(size_));
        address_ = nullptr;
        size_ = 0;
    }
    writable_ = false;
    if (lockFd_ >= 0) {
        if (NameRefersTo(lockFd_)) {
            ::shm_unlink(name_.c_str());
        }
        ::close(lockFd_);
        lockFd_ = -1;
    }
}

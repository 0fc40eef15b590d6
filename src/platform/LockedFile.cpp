#include "platform/LockedFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

LockedFile::~LockedFile() {
    Close();
}

LockedFile::LockedFile(LockedFile&& other) noexcept : fd_(other.fd_) {
    other.fd_ = -1;
}

LockedFile& LockedFile::operator=(LockedFile&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

LockedFile LockedFile::Open(const std::string& path, Lock lock) {
    LockedFile file;
    // Only a regular file holds bytes that can be edited. Looking at the name first spares a device the
    // side effects of an open; the open itself never waits (a FIFO without a writer would block it for good),
    // and the descriptor's own type is what counts, since the name may change in between.
    struct stat info;
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return file;
    }
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return file;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return file;
    }
    int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return file;
    }
    int operation = (lock == Lock::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    if (lock != Lock::None && ::flock(fd, operation) != 0) {
        ::close(fd);
        return file;
    }
    file.fd_ = fd;
    return file;
}

bool LockedFile::Size(uint64_t& size) const {
    struct stat info;
    if (fd_ < 0 || ::fstat(fd_, &info) != 0) {
        return false;
    }
    size = static_cast<uint64_t>(info.st_size);
    return true;
}

uint64_t LockedFile::ReadAt(uint64_t offset, void* destination, uint64_t count) const {
    if (fd_ < 0) {
        return 0;
    }
    auto* out = static_cast<unsigned char*>(destination);
    uint64_t done = 0;
    while (done < count) {
        // One call reads at most 1 GiB so that huge requests stay within what pread accepts.
        size_t chunk = static_cast<size_t>(std::min<uint64_t>(count - done, 1u << 30));
        ssize_t got = ::pread(fd_, out + done, chunk, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += static_cast<uint64_t>(got);
    }
    return done;
}

void LockedFile::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

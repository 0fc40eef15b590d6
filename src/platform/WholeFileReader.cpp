#include "platform/WholeFileReader.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

WholeFileReader::Result WholeFileReader::Read(const std::string& path, uint64_t maxSize, std::string& text) {
    text.clear();
    if (path.empty()) {
        return Result::Missing;
    }
    // O_NONBLOCK makes the open of a FIFO return at once; the descriptor's own type decides what is read.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return errno == ENOENT || errno == ENOTDIR ? Result::Missing
               : errno == ENXIO                    ? Result::NotRegular
                                                   : Result::Failed;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        ::close(fd);
        return Result::Failed;
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return Result::NotRegular;
    }
    // The bound is what any caller can hold in memory; a larger bound gains nothing.
    maxSize = std::min<uint64_t>(maxSize, kLargestBound);
    if (info.st_size < 0 || static_cast<uint64_t>(info.st_size) > maxSize) {
        ::close(fd);
        return Result::TooLarge;
    }
    int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) {
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    // A file that grows while it is read still stops at maxSize + 1 bytes, which is reported as too large.
    text.resize(static_cast<size_t>(info.st_size));
    uint64_t done = 0;
    Result result = Result::Read;
    for (;;) {
        if (done == text.size()) {
            if (done > maxSize) {
                result = Result::TooLarge;
                break;
            }
            uint64_t grown = std::min<uint64_t>(done + std::max<uint64_t>(done, 65536), maxSize + 1);
            text.resize(static_cast<size_t>(grown));
        }
        ssize_t got = ::read(fd, &text[static_cast<size_t>(done)], text.size() - static_cast<size_t>(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            result = Result::Failed;
            break;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<uint64_t>(got);
    }
    ::close(fd);
    if (result != Result::Read) {
        text.clear();
        return result;
    }
    text.resize(static_cast<size_t>(done));
    return Result::Read;
}

#include "platform/SafeFileWriter.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, const unsigned char* bytes, uint64_t count) {
    uint64_t done = 0;
    while (done < count) {
        size_t chunk = static_cast<size_t>(std::min<uint64_t>(count - done, 1u << 30));
        ssize_t written = ::write(fd, bytes + done, chunk);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        done += static_cast<uint64_t>(written);
    }
    return true;
}

mode_t CurrentUmask() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a link points to is the one the user means to save.
std::string ResolveTarget(const std::string& path) {
    struct stat info;
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved) != nullptr) {
            return resolved;
        }
    }
    return path;
}

void SyncDirectory(const std::string& directory) {
    int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool SafeFileWriter::Write(const std::string& path, const void* bytes, uint64_t count) {
    if (path.empty()) {
        return false;
    }
    std::string target = ResolveTarget(path);
    struct stat existing;
    bool targetExists = ::stat(target.c_str(), &existing) == 0;
    if (targetExists && !S_ISREG(existing.st_mode)) {
        return false;
    }
    std::string temporary = target + ".kvrtmp.XXXXXX";
    int fd = ::mkostemp(&temporary[0], O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    mode_t mode = targetExists ? (existing.st_mode & 07777) : (0666 & ~CurrentUmask());
    bool ok = ::fchmod(fd, mode) == 0;
    if (ok && targetExists) {
        // Keeping the owner works only for a privileged user; the file stays usable either way.
        (void)!::fchown(fd, existing.st_uid, existing.st_gid);
    }
    ok = ok && WriteAll(fd, static_cast<const unsigned char*>(bytes), count);
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncDirectory(DirectoryOf(target));
    return true;
}

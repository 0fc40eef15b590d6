#include "platform/SafeFileWriter.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxLinkHops = 40;

bool WriteAllAt(int fd, const unsigned char* bytes, uint64_t count) {
    uint64_t done = 0;
    while (done < count) {
        size_t chunk = static_cast<size_t>(std::min<uint64_t>(count - done, 1u << 30));
        ssize_t written = ::pwrite(fd, bytes + done, chunk, static_cast<off_t>(done));
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

// Creates "<target>.kvrtmp.XXXXXX" with six random letters or digits; the kernel applies the umask and the
// directory's default permissions to mode, as for any new file. -1 with errno when no such file can be made.
int CreateTemporary(const std::string& target, mode_t mode, std::string& temporary) {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[6];
        if (::getrandom(random, sizeof random, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof random)) {
            unsigned seed = static_cast<unsigned>(::getpid()) * 2654435761u + ++counter * 40503u;
            for (unsigned char& r : random) {
                seed = seed * 1103515245u + 12345u;
                r = static_cast<unsigned char>(seed >> 16);
            }
        }
        temporary = target + SafeFileWriter::kTemporaryMarker;
        for (unsigned char r : random) {
            temporary += kLetters[r % (sizeof kLetters - 1)];
        }
        int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a link points to is the one the user means to save, even when it does not exist yet.
std::string ResolveTarget(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info;
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return current;
        }
        char resolved[PATH_MAX];
        if (::realpath(current.c_str(), resolved) != nullptr) {
            return resolved;
        }
        // A dangling link: follow it one step by hand.
        ssize_t length = ::readlink(current.c_str(), resolved, sizeof resolved - 1);
        if (length <= 0) {
            return std::string();
        }
        std::string next(resolved, static_cast<size_t>(length));
        current = next[0] == '/' ? next : DirectoryOf(current) + "/" + next;
    }
    return std::string(); // a loop of links names no file
}

void SyncDirectory(const std::string& directory) {
    int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool IsTemporaryName(const std::string& entry, const std::string& prefix) {
    if (entry.size() <= prefix.size() || entry.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    return std::all_of(entry.begin() + static_cast<std::ptrdiff_t>(prefix.size()), entry.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

// Removes "<name>.kvrtmp.*" files of ours that no save holds any more. A save in progress keeps an exclusive
// lock on its temporary file, so only files whose save was killed can be locked here.
void RemoveStaleTemporaries(const std::string& directory, const std::string& name) {
    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr) {
        return;
    }
    const std::string prefix = name + SafeFileWriter::kTemporaryMarker;
    while (dirent* entry = ::readdir(dir)) {
        if (!IsTemporaryName(entry->d_name, prefix)) {
            continue;
        }
        int fd =
            ::openat(::dirfd(dir), entry->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
        if (fd < 0) {
            continue;
        }
        struct stat opened;
        struct stat named;
        if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(::dirfd(dir), entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_ino == opened.st_ino && named.st_dev == opened.st_dev) {
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
        }
        ::close(fd);
    }
    ::closedir(dir);
}

// Overwrites the file behind fd with the bytes. Room for a longer file is claimed first, so that a full disk
// is found before any old byte is overwritten.
bool WriteInPlace(int fd, const unsigned char* bytes, uint64_t count, uint64_t oldSize, mode_t mode) {
    if (count > oldSize && ::fallocate(fd, 0, 0, static_cast<off_t>(count)) != 0 && errno != EOPNOTSUPP &&
        errno != ENOSYS) {
        (void)!::ftruncate(fd, static_cast<off_t>(oldSize));
        return false;
    }
    bool ok = WriteAllAt(fd, bytes, count) && ::ftruncate(fd, static_cast<off_t>(count)) == 0;
    // A write by an unprivileged process clears the set-user-ID bits; an owner may set them again.
    struct stat now;
    if (ok && ::fstat(fd, &now) == 0 && (now.st_mode & 07777) != (mode & 07777)) {
        (void)!::fchmod(fd, mode & 07777);
    }
    return ok && ::fsync(fd) == 0;
}

// Creates a file that did not exist, directly; for a directory where no temporary file can be made.
bool CreateDirectly(const std::string& target, const unsigned char* bytes, uint64_t count, mode_t mode) {
    int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (fd < 0) {
        return false;
    }
    bool ok = WriteAllAt(fd, bytes, count) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok) {
        ::unlink(target.c_str());
    }
    return ok;
}

enum class Replaced { Done, Failed, WriteInPlace };

// Writes a temporary file with the target's mode (and owner, for an existing file) and renames it over the
// target. WriteInPlace tells that a replacement would lose the owner or cannot be made at all.
Replaced ReplaceThroughTemporary(const std::string& target, const unsigned char* bytes, uint64_t count,
                                 const struct stat* existing, mode_t newMode) {
    std::string temporary;
    int fd = CreateTemporary(target, existing != nullptr ? 0600 : newMode, temporary);
    if (fd < 0) {
        return Replaced::WriteInPlace;
    }
    // Held until the rename, so that a save of the same file elsewhere never takes this file for a stale one.
    ::flock(fd, LOCK_EX | LOCK_NB);
    if (existing != nullptr) {
        // Only a privileged process may give a file away; the result is checked rather than the call.
        (void)!::fchown(fd, existing->st_uid, existing->st_gid);
        struct stat made;
        if (::fstat(fd, &made) != 0 || made.st_uid != existing->st_uid || made.st_gid != existing->st_gid) {
            ::close(fd);
            ::unlink(temporary.c_str());
            return Replaced::WriteInPlace;
        }
    }
    bool ok = WriteAllAt(fd, bytes, count);
    // The mode is set after the owner and the bytes, since a change of owner and a write by an unprivileged
    // process both clear the set-user-ID and set-group-ID bits.
    if (existing != nullptr) {
        ok = ok && ::fchmod(fd, existing->st_mode & 07777) == 0;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok) {
        ::unlink(temporary.c_str());
        return Replaced::Failed;
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        int error = errno;
        ::unlink(temporary.c_str());
        // A sticky directory keeps another user's file from being replaced, but it may still be written.
        return existing != nullptr && (error == EPERM || error == EACCES || error == EBUSY)
                   ? Replaced::WriteInPlace
                   : Replaced::Failed;
    }
    SyncDirectory(DirectoryOf(target));
    return Replaced::Done;
}

} // namespace

bool SafeFileWriter::Write(const std::string& path, const void* data, uint64_t count, unsigned newFileMode) {
    if (path.empty()) {
        return false;
    }
    const std::string target = ResolveTarget(path);
    if (target.empty()) {
        return false;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);

    // Opening the target for writing is the one test of permission that covers modes, ACLs and read-only
    // mounts alike; without O_NONBLOCK a FIFO would hold the save up until some reader came.
    struct stat existing;
    int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    bool exists = fd >= 0;
    if (fd < 0 && errno == ETXTBSY) {
        // A running program cannot be written in place, but it may be replaced by one who may write it.
        exists = ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) == 0 &&
                 ::stat(target.c_str(), &existing) == 0;
        if (!exists) {
            return false;
        }
    } else if (fd < 0 && errno != ENOENT) {
        return false;
    } else if (fd >= 0 && ::fstat(fd, &existing) != 0) {
        ::close(fd);
        return false;
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        if (fd >= 0) {
            ::close(fd);
        }
        return false;
    }
    RemoveStaleTemporaries(DirectoryOf(target), NameOf(target));

    if (!exists) {
        const mode_t mode = static_cast<mode_t>(newFileMode) & 07777;
        Replaced result = ReplaceThroughTemporary(target, bytes, count, nullptr, mode);
        if (result == Replaced::WriteInPlace) {
            return CreateDirectly(target, bytes, count, mode);
        }
        return result == Replaced::Done;
    }

    // Replacing one name of a hard-linked file would split it from its other names.
    Replaced result = existing.st_nlink > 1 && fd >= 0
                          ? Replaced::WriteInPlace
                          : ReplaceThroughTemporary(target, bytes, count, &existing, 0);
    bool ok = result == Replaced::Done;
    if (result == Replaced::WriteInPlace) {
        ok = fd >= 0 &&
             WriteInPlace(fd, bytes, count, static_cast<uint64_t>(existing.st_size), existing.st_mode);
    }
    if (fd >= 0) {
        ok = (::close(fd) == 0) && ok;
    }
    return ok;
}

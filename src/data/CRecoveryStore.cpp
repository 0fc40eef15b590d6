#include "data/CRecoveryStore.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <new>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kDataSuffix = ".kvrrec";
const char* const kPathSuffix = ".path";
// Base names longer than this are cut in the recovery file names (the hash tells the files apart).
const size_t kMaxBaseName = 100;
const size_t kMaxPathFile = 64 * 1024;
const uint64_t kBlockBytes = 1 << 20;

uint64_t Hash(const std::string& text) {
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text) {
        hash = (hash ^ c) * 1099511628211ull;
    }
    return hash;
}

// Opens a regular file of this user for reading without ever blocking on what stands in its place; -1
// otherwise. size gets its size.
int OpenOwnFile(const std::string& path, uint64_t& size) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
        ::close(fd);
        return -1;
    }
    size = static_cast<uint64_t>(info.st_size);
    return fd;
}

bool ReadAll(int fd, unsigned char* bytes, uint64_t size) {
    uint64_t done = 0;
    while (done < size) {
        const size_t part = static_cast<size_t>(std::min<uint64_t>(size - done, kBlockBytes));
        ssize_t got = ::read(fd, bytes + done, part);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        done += static_cast<uint64_t>(got);
    }
    return true;
}

bool WriteAll(int fd, const unsigned char* bytes, uint64_t size) {
    uint64_t done = 0;
    while (done < size) {
        ssize_t put = ::write(fd, bytes + done, static_cast<size_t>(size - done));
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        done += static_cast<uint64_t>(put);
    }
    return true;
}

// Writes a file under a temporary name beside it (mode 0600) and renames it into place once it is whole.
bool WriteWhole(const std::string& path, uint64_t size, const CRecoveryStore::Reader& read) {
    const std::string temporary = path + ".tmp." + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    bool ok = true;
    try {
        std::vector<unsigned char> block(static_cast<size_t>(std::min<uint64_t>(size, kBlockBytes)));
        for (uint64_t done = 0; ok && done < size;) {
            const uint64_t part = std::min<uint64_t>(size - done, block.size());
            ok = read(done, block.data(), part) == part && WriteAll(fd, block.data(), part);
            done += part;
        }
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
    }
    return ok;
}

bool MakeDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) {
        return true;
    }
    if (errno != ENOENT) {
        return false;
    }
    const size_t slash = path.rfind('/');
    return slash != std::string::npos && slash > 0 && MakeDirectory(path.substr(0, slash)) &&
           (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST);
}

} // namespace

std::string CRecoveryStore::DefaultDirectory() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') {
        return std::string(state) + "/KIVRAN";
    }
    const char* home = std::getenv("HOME");
    std::string base = home != nullptr && home[0] == '/' ? home : "";
    if (base.empty()) {
        if (const passwd* entry = ::getpwuid(::geteuid())) {
            if (entry->pw_dir != nullptr && entry->pw_dir[0] == '/') {
                base = entry->pw_dir;
            }
        }
    }
    return base.empty() ? std::string() : base + "/.local/state/KIVRAN";
}

std::string CRecoveryStore::NormalPath(const std::string& path) {
    if (path.empty()) {
        return path;
    }
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) {
        return resolved;
    }
    if (path[0] == '/') {
        return path;
    }
    char current[PATH_MAX];
    return ::getcwd(current, sizeof current) != nullptr ? std::string(current) + "/" + path : path;
}

CRecoveryStore::CRecoveryStore(std::string directory) : directory_(std::move(directory)) {}

std::string CRecoveryStore::Stem(const std::string& normalPath) const {
    char hash[32];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(Hash(normalPath)));
    std::string base = normalPath.substr(normalPath.rfind('/') + 1);
    if (base.size() > kMaxBaseName) {
        // Cut before a character, not inside one.
        size_t cut = kMaxBaseName;
        while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        base.resize(cut);
    }
    if (base.empty() || base == "." || base == "..") {
        base = "file";
    }
    return directory_ + "/" + hash + "-" + base;
}

std::string CRecoveryStore::DataFile(const std::string& path) const {
    return Stem(NormalPath(path)) + kDataSuffix;
}

std::string CRecoveryStore::PathFile(const std::string& path) const {
    return Stem(NormalPath(path)) + kPathSuffix;
}

bool CRecoveryStore::PrepareDirectory() const {
    if (directory_.empty() || directory_[0] != '/' || !MakeDirectory(directory_)) {
        return false;
    }
    // Only a real directory of this user, closed to everyone else, holds copies of the user's data.
    struct stat info;
    if (::lstat(directory_.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) {
        return false;
    }
    return (info.st_mode & 077) == 0 || ::chmod(directory_.c_str(), 0700) == 0;
}

bool CRecoveryStore::Write(const std::string& path, uint64_t size, const Reader& read) const {
    const std::string original = NormalPath(path);
    if (original.empty() || !read || !PrepareDirectory()) {
        return false;
    }
    const std::string stem = Stem(original);
    // The bytes first: a side file without them offers nothing.
    if (!WriteWhole(stem + kDataSuffix, size, read)) {
        return false;
    }
    const auto* name = reinterpret_cast<const unsigned char*>(original.data());
    return WriteWhole(stem + kPathSuffix, original.size(),
                      [name](uint64_t offset, unsigned char* buffer, uint64_t length) {
                          std::copy_n(name + offset, length, buffer);
                          return length;
                      });
}

bool CRecoveryStore::Has(const std::string& path) const {
    const std::string original = NormalPath(path);
    if (original.empty() || directory_.empty()) {
        return false;
    }
    const std::string stem = Stem(original);
    uint64_t size = 0;
    int fd = OpenOwnFile(stem + kPathSuffix, size);
    if (fd < 0) {
        return false;
    }
    std::string named;
    if (size == original.size() && size <= kMaxPathFile) {
        named.resize(static_cast<size_t>(size));
        if (!ReadAll(fd, reinterpret_cast<unsigned char*>(&named[0]), size)) {
            named.clear();
        }
    }
    ::close(fd);
    // Another file whose path has the same hash and base name is not this one.
    if (named != original) {
        return false;
    }
    fd = OpenOwnFile(stem + kDataSuffix, size);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

bool CRecoveryStore::Load(const std::string& path, std::vector<unsigned char>& bytes) const {
    bytes.clear();
    if (!Has(path)) {
        return false;
    }
    uint64_t size = 0;
    int fd = OpenOwnFile(DataFile(path), size);
    if (fd < 0) {
        return false;
    }
    bool ok = false;
    try {
        if (size > bytes.max_size()) {
            throw std::bad_alloc();
        }
        bytes.resize(static_cast<size_t>(size));
        ok = ReadAll(fd, bytes.data(), size);
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    ::close(fd);
    if (!ok) {
        std::vector<unsigned char>().swap(bytes);
    }
    return ok;
}

void CRecoveryStore::Remove(const std::string& path) const {
    const std::string original = NormalPath(path);
    if (original.empty() || directory_.empty()) {
        return;
    }
    const std::string stem = Stem(original);
    ::unlink((stem + kPathSuffix).c_str());
    ::unlink((stem + kDataSuffix).c_str());
}

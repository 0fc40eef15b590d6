#include "platform/PerUserName.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsToken(const std::string& text) {
    if (text.size() != PerUserName::kTokenDigits) {
        return false;
    }
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

// A directory of this user that nobody else may enter: only there is a token kept secret.
bool IsPrivateDirectory(const std::string& directory) {
    struct stat info;
    return !directory.empty() && ::lstat(directory.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

// The token in the file, or empty when the file is missing or is not a regular file of this user holding
// exactly a token. Never blocks: whatever is in its place is looked at before it is read.
std::string ReadToken(const std::string& path, bool& present) {
    present = false;
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // A symbolic link (ELOOP) or anything else that is there but cannot be opened is replaced.
        present = errno != ENOENT;
        return std::string();
    }
    present = true;
    std::string token;
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
        static_cast<size_t>(info.st_size) == PerUserName::kTokenDigits) {
        char buffer[PerUserName::kTokenDigits];
        if (::read(fd, buffer, sizeof buffer) == static_cast<ssize_t>(sizeof buffer)) {
            token.assign(buffer, sizeof buffer);
        }
    }
    ::close(fd);
    return IsToken(token) ? token : std::string();
}

std::string NewToken() {
    unsigned char bytes[PerUserName::kTokenDigits / 2];
    size_t filled = 0;
    while (filled < sizeof bytes) {
        ssize_t got = ::getrandom(bytes + filled, sizeof bytes - filled, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        filled += static_cast<size_t>(got);
    }
    if (filled < sizeof bytes) {
        std::random_device device;
        for (unsigned char& b : bytes) {
            b = static_cast<unsigned char>(device());
        }
    }
    std::string token;
    static const char kDigits[] = "0123456789abcdef";
    for (unsigned char b : bytes) {
        token += kDigits[b >> 4];
        token += kDigits[b & 0x0F];
    }
    return token;
}

// Writes a new token under a name of its own and links it in place, so that a reader never sees half a
// token and two copies starting together agree on the first one linked.
void PublishToken(const std::string& directory, const std::string& path) {
    const std::string token = NewToken();
    const std::string temporary = directory + "/." + PerUserName::kTokenFile + "." +
                                  std::to_string(::getpid()) + "." + token.substr(0, 8);
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return;
    }
    bool written = ::write(fd, token.data(), token.size()) == static_cast<ssize_t>(token.size());
    written = ::close(fd) == 0 && written;
    if (written) {
        ::link(temporary.c_str(), path.c_str());
    }
    ::unlink(temporary.c_str());
}

} // namespace

std::string PerUserName::SharedObject(const std::string& base, uid_t uid) {
    return "/" + base + "-" + std::to_string(uid);
}

std::string PerUserName::SharedObject(const std::string& base) {
    return SharedObject(base, ::geteuid());
}

std::string PerUserName::PrivateObject(const std::string& base, const std::string& directory) {
    const std::string token = SessionToken(directory);
    return token.empty() ? std::string() : SharedObject(base) + "-" + token;
}

std::string PerUserName::SessionToken(const std::string& directory) {
    if (!IsPrivateDirectory(directory)) {
        return std::string();
    }
    const std::string path = directory + "/" + kTokenFile;
    for (int attempt = 0; attempt < 3; ++attempt) {
        bool present = false;
        std::string token = ReadToken(path, present);
        if (!token.empty()) {
            return token;
        }
        if (present) {
            // Damaged, or not a plain file: nobody else can have put it here, so it is ours to replace.
            ::unlink(path.c_str());
        }
        PublishToken(directory, path);
    }
    return std::string();
}

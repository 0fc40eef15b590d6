#include "platform/CInstanceChannel.h"

#include "platform/InstanceMessages.h"
#include "platform/PerUserName.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr uint32_t kMagic = 0x4E52564B; // "KVRN"
// A client writes its whole request right after connecting, so a connection that stays silent this long is
// dropped rather than allowed to hold up the owner's event loop.
constexpr int kRequestWaitMs = 250;
constexpr uint32_t kMaxTitleBytes = 4096;
constexpr const char* kEndpointSuffix = ".sock";
// Names tried for the fallback directory when the first ones are taken by someone else.
constexpr int kFallbackCandidates = 16;

enum class Kind : uint32_t { Send = 1, Post = 2, Title = 3 };

int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int RemainingMs(int64_t deadline) {
    return static_cast<int>(std::max<int64_t>(0, deadline - NowMs()));
}

bool FillAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Waits until fd is ready for the given events or the deadline passes.
bool WaitFor(int fd, short events, int64_t deadline) {
    pollfd entry{fd, events, 0};
    for (;;) {
        int ready = ::poll(&entry, 1, RemainingMs(deadline));
        if (ready > 0) {
            return true;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

bool WriteAll(int fd, const void* data, size_t size, int64_t deadline) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t written = ::send(fd, bytes, size, MSG_NOSIGNAL);
        if (written > 0) {
            bytes += written;
            size -= static_cast<size_t>(written);
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!WaitFor(fd, POLLOUT, deadline)) {
                return false;
            }
        } else {
            return false;
        }
    }
    return true;
}

// Reads what is there without waiting: the bytes read, 0 at the end of the stream, -1 when nothing is
// there yet, -2 on an error.
ssize_t ReadSome(int fd, char* bytes, size_t size) {
    for (;;) {
        ssize_t got = ::recv(fd, bytes, size, 0);
        if (got >= 0) {
            return got;
        }
        if (errno == EINTR) {
            continue;
        }
        return errno == EAGAIN || errno == EWOULDBLOCK ? -1 : -2;
    }
}

bool ReadAll(int fd, void* data, size_t size, int64_t deadline) {
    char* bytes = static_cast<char*>(data);
    while (size > 0) {
        ssize_t got = ReadSome(fd, bytes, size);
        if (got > 0) {
            bytes += got;
            size -= static_cast<size_t>(got);
        } else if (got == -1) {
            if (!WaitFor(fd, POLLIN, deadline)) {
                return false;
            }
        } else {
            return false;
        }
    }
    return true;
}

bool PeerIsSameUser(int fd) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 &&
           credentials.uid == ::geteuid();
}

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string RandomTag() {
    std::random_device device;
    char tag[9];
    std::snprintf(tag, sizeof tag, "%08x", static_cast<unsigned>(device()));
    return tag;
}

} // namespace

struct CInstanceChannel::Request {
    uint32_t magic = kMagic;
    uint32_t kind = 0;
    uint32_t message = 0;
    uint32_t reserved = 0;
    int64_t arg1 = 0;
    int64_t arg2 = 0;
};

std::string CInstanceChannel::DefaultDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') {
        return std::string(runtime) + "/kivran";
    }
    return FallbackDirectory("/tmp");
}

std::string CInstanceChannel::FallbackDirectory(const std::string& parent) {
    const std::string base = parent + "/kivran-" + std::to_string(::geteuid());
    for (int k = 0; k < kFallbackCandidates; ++k) {
        const std::string candidate = k == 0 ? base : base + "-" + std::to_string(k);
        struct stat info;
        if (::lstat(candidate.c_str(), &info) != 0 ? errno == ENOENT
                                                   : S_ISDIR(info.st_mode) && info.st_uid == ::geteuid()) {
            return candidate;
        }
    }
    return base;
}

CInstanceChannel::CInstanceChannel(std::string directory) : directory_(std::move(directory)) {}

CInstanceChannel::~CInstanceChannel() {
    Close();
}

bool CInstanceChannel::PrepareDirectory(const std::string& directory) {
    if (directory.empty() || (::mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST)) {
        return false;
    }
    // In a shared place such as /tmp the name may have been taken by someone else first: only a real
    // directory of this user, closed to everyone else, is used.
    struct stat info;
    if (::lstat(directory.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) {
        return false;
    }
    return (info.st_mode & 077) == 0 || ::chmod(directory.c_str(), 0700) == 0;
}

bool CInstanceChannel::EnsureDirectory() const {
    return PrepareDirectory(directory_);
}

bool CInstanceChannel::Listen() {
    Close();
    if (!EnsureDirectory()) {
        return false;
    }
    std::string base = directory_ + "/" + std::to_string(::getpid()) + "-" + RandomTag();
    std::string binding = base + ".new";
    std::string endpoint = base + kEndpointSuffix;
    sockaddr_un address;
    if (!FillAddress(endpoint, address) || !FillAddress(binding, address)) {
        return false;
    }
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return false;
    }
    // Bound under a name that partner listings ignore and renamed once it listens, so that a copy listing its
    // partners never takes a starting endpoint for a dead one.
    ::unlink(binding.c_str());
    bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
              ::listen(fd, 64) == 0 && ::rename(binding.c_str(), endpoint.c_str()) == 0;
    if (!ok) {
        ::unlink(binding.c_str());
        ::close(fd);
        return false;
    }
    listenFd_ = fd;
    endpoint_ = endpoint;
    return true;
}

void CInstanceChannel::RemoveEndpointFile() {
    if (!endpoint_.empty()) {
        ::unlink(endpoint_.c_str());
        endpoint_.clear();
    }
}

void CInstanceChannel::Close() {
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        listenFd_ = -1;
    }
    RemoveEndpointFile();
}

void CInstanceChannel::ServePending() {
    if (listenFd_ < 0) {
        return;
    }
    for (;;) {
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) {
                continue;
            }
            return;
        }
        ServeConnection(fd);
        ::close(fd);
    }
}

void CInstanceChannel::ServeConnection(int fd) {
    int64_t deadline = NowMs() + kRequestWaitMs;
    Request request;
    if (!PeerIsSameUser(fd) || !ReadAll(fd, &request, sizeof request, deadline) || request.magic != kMagic) {
        return;
    }
    switch (static_cast<Kind>(request.kind)) {
    case Kind::Title: {
        std::string title = titleSource_ ? titleSource_() : std::string();
        uint32_t length = static_cast<uint32_t>(std::min<size_t>(title.size(), kMaxTitleBytes));
        if (WriteAll(fd, &length, sizeof length, deadline)) {
            WriteAll(fd, title.data(), length, deadline);
        }
        return;
    }
    case Kind::Send:
    case Kind::Post: {
        int64_t answer = 0;
        if (request.message == InstanceMessages::kCompare && request.arg1 == InstanceMessages::kIdentify) {
            answer = InstanceMessages::kIdentifyAnswer;
        } else if (handler_) {
            answer = handler_(request.message, request.arg1, request.arg2);
        }
        if (static_cast<Kind>(request.kind) == Kind::Send) {
            // The handler may have taken long; the answer still goes to a sender that is waiting.
            WriteAll(fd, &answer, sizeof answer, NowMs() + kRequestWaitMs);
        }
        return;
    }
    }
}

int CInstanceChannel::OpenRequest(const std::string& endpoint, const Request& request, int64_t deadline,
                                  bool* dead) const {
    sockaddr_un address;
    if (!FillAddress(endpoint, address)) {
        return -1;
    }
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return -1;
    }
    for (;;) {
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            break;
        }
        int error = errno;
        if (error == EINTR) {
            continue;
        }
        // A full backlog: the peer is alive but busy. Try again shortly, within the time allowed.
        if (error == EAGAIN && RemainingMs(deadline) > 0) {
            ::poll(nullptr, 0, std::min(10, RemainingMs(deadline)));
            continue;
        }
        if (dead != nullptr) {
            *dead = error == ECONNREFUSED;
        }
        ::close(fd);
        return -1;
    }
    if (!WriteAll(fd, &request, sizeof request, deadline)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool CInstanceChannel::ReadAnswer(int fd, void* answer, size_t size, int64_t deadline) {
    char* bytes = static_cast<char*>(answer);
    while (size > 0) {
        ssize_t got = ReadSome(fd, bytes, size);
        if (got > 0) {
            bytes += got;
            size -= static_cast<size_t>(got);
            continue;
        }
        if (got != -1) {
            return false;
        }
        // While we wait, the peer may itself be sending to us (each asking the other at the same moment);
        // serving our endpoint here keeps both from waiting on each other until the time-out.
        pollfd entries[2] = {{fd, POLLIN, 0}, {listenFd_, POLLIN, 0}};
        int count = listenFd_ >= 0 ? 2 : 1;
        int ready = ::poll(entries, count, RemainingMs(deadline));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return false;
        }
        if (count == 2 && (entries[1].revents & POLLIN) != 0) {
            ServePending();
        }
    }
    return true;
}

std::optional<int64_t> CInstanceChannel::Send(const std::string& endpoint, uint32_t message, int64_t arg1,
                                              int64_t arg2, int timeoutMs) {
    int64_t deadline = NowMs() + std::max(0, timeoutMs);
    Request request;
    request.kind = static_cast<uint32_t>(Kind::Send);
    request.message = message;
    request.arg1 = arg1;
    request.arg2 = arg2;
    int fd = OpenRequest(endpoint, request, deadline, nullptr);
    if (fd < 0) {
        return std::nullopt;
    }
    int64_t answer = 0;
    bool answered = ReadAnswer(fd, &answer, sizeof answer, deadline);
    ::close(fd);
    if (!answered) {
        return std::nullopt;
    }
    return answer;
}

bool CInstanceChannel::Post(const std::string& endpoint, uint32_t message, int64_t arg1, int64_t arg2) {
    Request request;
    request.kind = static_cast<uint32_t>(Kind::Post);
    request.message = message;
    request.arg1 = arg1;
    request.arg2 = arg2;
    int fd = OpenRequest(endpoint, request, NowMs() + kRequestWaitMs, nullptr);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

std::optional<std::string> CInstanceChannel::RequestTitle(const std::string& endpoint, int timeoutMs) {
    int64_t deadline = NowMs() + std::max(0, timeoutMs);
    Request request;
    request.kind = static_cast<uint32_t>(Kind::Title);
    int fd = OpenRequest(endpoint, request, deadline, nullptr);
    if (fd < 0) {
        return std::nullopt;
    }
    uint32_t length = 0;
    std::string title;
    bool ok = ReadAnswer(fd, &length, sizeof length, deadline) && length <= kMaxTitleBytes;
    if (ok) {
        title.resize(length);
        ok = ReadAnswer(fd, &title[0], length, deadline);
    }
    ::close(fd);
    if (!ok) {
        return std::nullopt;
    }
    return title;
}

std::vector<InstancePartner> CInstanceChannel::ListPartners(int timeoutMs) {
    std::vector<std::string> endpoints;
    if (DIR* folder = ::opendir(directory_.c_str())) {
        while (dirent* entry = ::readdir(folder)) {
            std::string name = entry->d_name;
            std::string path = directory_ + "/" + name;
            if (EndsWith(name, kEndpointSuffix) && path != endpoint_) {
                endpoints.push_back(path);
            }
        }
        ::closedir(folder);
    }
    std::sort(endpoints.begin(), endpoints.end());

    std::vector<InstancePartner> partners;
    for (const std::string& endpoint : endpoints) {
        int64_t deadline = NowMs() + std::max(0, timeoutMs);
        Request identify;
        identify.kind = static_cast<uint32_t>(Kind::Send);
        identify.message = InstanceMessages::kCompare;
        identify.arg1 = InstanceMessages::kIdentify;
        bool dead = false;
        int fd = OpenRequest(endpoint, identify, deadline, &dead);
        if (fd < 0) {
            if (dead) {
                ::unlink(endpoint.c_str());
            }
            continue;
        }
        int64_t answer = 0;
        bool identified =
            ReadAnswer(fd, &answer, sizeof answer, deadline) && answer == InstanceMessages::kIdentifyAnswer;
        ::close(fd);
        if (!identified) {
            continue;
        }
        std::optional<std::string> title = RequestTitle(endpoint, RemainingMs(deadline));
        if (title && title->compare(0, std::strlen(InstanceMessages::kTitlePrefix),
                                    InstanceMessages::kTitlePrefix) == 0) {
            partners.push_back({endpoint, *title});
        }
    }
    return partners;
}

std::string CInstanceChannel::SessionObjectName(const std::string& baseName) {
    const std::string session = DefaultDirectory();
    if (PrepareDirectory(session)) {
        const std::string name = PerUserName::PrivateObject(baseName, session);
        if (!name.empty()) {
            return name;
        }
    }
    uint32_t hash = 2166136261u;
    for (unsigned char c : session) {
        hash = (hash ^ c) * 16777619u;
    }
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "-%08x", hash);
    return PerUserName::SharedObject(baseName) + suffix;
}

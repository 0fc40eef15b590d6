#include "platform/CSignalPipe.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The write end the handler uses; -1 while no object owns the handlers.
std::atomic<int> g_writeFd{-1};

void OnSignal(int number) {
    const int saved = errno;
    const int fd = g_writeFd.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(number);
        // A full pipe already holds a signal to handle; the byte is not needed then.
        (void)::write(fd, &byte, 1);
    }
    errno = saved;
}

} // namespace

struct CSignalPipe::Saved {
    int number;
    struct sigaction action;
};

CSignalPipe::CSignalPipe() = default;

CSignalPipe::~CSignalPipe() {
    Restore();
    if (readFd_ >= 0) {
        ::close(readFd_);
    }
    if (writeFd_ >= 0) {
        ::close(writeFd_);
    }
}

bool CSignalPipe::Install(const std::vector<int>& numbers, const std::vector<int>& keepIgnored) {
    if (readFd_ >= 0 || g_writeFd.load() >= 0) {
        return false;
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    readFd_ = fds[0];
    writeFd_ = fds[1];
    g_writeFd = writeFd_;
    for (int number : numbers) {
        struct sigaction previous {};
        if (::sigaction(number, nullptr, &previous) != 0) {
            continue;
        }
        const bool keep = std::find(keepIgnored.begin(), keepIgnored.end(), number) != keepIgnored.end();
        if (keep && previous.sa_handler == SIG_IGN) {
            continue;
        }
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        // Interrupted system calls go on, so the rest of the program never sees EINTR because of us.
        action.sa_flags = SA_RESTART;
        if (::sigaction(number, &action, nullptr) == 0) {
            saved_.push_back({number, previous});
        }
    }
    return true;
}

int CSignalPipe::Drain() {
    int first = 0;
    if (readFd_ < 0) {
        return 0;
    }
    unsigned char bytes[64];
    for (;;) {
        ssize_t got = ::read(readFd_, bytes, sizeof bytes);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return first;
        }
        if (first == 0) {
            first = bytes[0];
        }
    }
}

void CSignalPipe::Restore() {
    for (const Saved& entry : saved_) {
        ::sigaction(entry.number, &entry.action, nullptr);
    }
    saved_.clear();
    if (g_writeFd.load() == writeFd_) {
        g_writeFd = -1;
    }
}

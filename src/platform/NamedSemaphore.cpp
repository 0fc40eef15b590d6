#include "platform/NamedSemaphore.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>

NamedSemaphore::~NamedSemaphore() {
    Close();
}

NamedSemaphore::NamedSemaphore(NamedSemaphore&& other) noexcept : handle_(other.handle_) {
    other.handle_ = nullptr;
}

NamedSemaphore& NamedSemaphore::operator=(NamedSemaphore&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

NamedSemaphore NamedSemaphore::OpenExisting(const std::string& name) {
    NamedSemaphore semaphore;
    sem_t* handle = ::sem_open(name.c_str(), 0);
    if (handle != SEM_FAILED) {
        semaphore.handle_ = handle;
    }
    return semaphore;
}

NamedSemaphore NamedSemaphore::Create(const std::string& name, unsigned int initialValue) {
    NamedSemaphore semaphore;
    sem_t* handle = ::sem_open(name.c_str(), O_CREAT, 0600, initialValue);
    if (handle != SEM_FAILED) {
        semaphore.handle_ = handle;
    }
    return semaphore;
}

bool NamedSemaphore::Unlink(const std::string& name) {
    return ::sem_unlink(name.c_str()) == 0;
}

NamedSemaphore::WaitResult NamedSemaphore::Wait(int milliseconds) {
    if (handle_ == nullptr) {
        return WaitResult::Failed;
    }
    struct timespec deadline;
    ::clock_gettime(CLOCK_REALTIME, &deadline);
    long long nanoseconds = deadline.tv_nsec + static_cast<long long>(milliseconds) * 1000000LL;
    deadline.tv_sec += static_cast<time_t>(nanoseconds / 1000000000LL);
    deadline.tv_nsec = static_cast<long>(nanoseconds % 1000000000LL);
    while (::sem_timedwait(handle_, &deadline) != 0) {
        if (errno == EINTR) {
            continue;
        }
        return errno == ETIMEDOUT ? WaitResult::TimedOut : WaitResult::Failed;
    }
    return WaitResult::Acquired;
}

bool NamedSemaphore::Post() {
    return handle_ != nullptr && ::sem_post(handle_) == 0;
}

void NamedSemaphore::Close() {
    if (handle_ != nullptr) {
        ::sem_close(handle_);
        handle_ = nullptr;
    }
}

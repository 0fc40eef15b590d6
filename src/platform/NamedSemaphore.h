#pragma once

#include <semaphore.h>
#include <string>

// A POSIX named semaphore used as a mutex between processes (value 1 = free). Name includes the leading "/".
class NamedSemaphore {
public:
    enum class WaitResult { Acquired, TimedOut, Failed };

    NamedSemaphore() = default;
    ~NamedSemaphore();
    NamedSemaphore(NamedSemaphore&& other) noexcept;
    NamedSemaphore& operator=(NamedSemaphore&& other) noexcept;
    NamedSemaphore(const NamedSemaphore&) = delete;
    NamedSemaphore& operator=(const NamedSemaphore&) = delete;

    // Opens an existing semaphore; IsOpen() is false when none has that name.
    static NamedSemaphore OpenExisting(const std::string& name);
    // Creates (or opens) a semaphore with mode 0600 and the given initial value.
    static NamedSemaphore Create(const std::string& name, unsigned int initialValue);
    static bool Unlink(const std::string& name);

    bool IsOpen() const { return handle_ != nullptr; }
    // Waits at most the given time; a wait cut short by a signal is resumed until the deadline.
    WaitResult Wait(int milliseconds);
    bool Post();
    void Close();

private:
    sem_t* handle_ = nullptr;
};

#pragma once

#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>

// Guards an action that must never block on a FIFO. If the action is still running after the limit, the
// watchdog becomes the FIFO's writer and reader for a moment, again and again until the action ends: that
// releases any open() waiting on the FIFO, so a faulty build fails the test instead of hanging it.
class FifoWatchdog {
public:
    explicit FifoWatchdog(std::string fifo, std::chrono::seconds limit = std::chrono::seconds(10))
        : fifo_(std::move(fifo)), thread_([this, limit] { Watch(limit); }) {}
    ~FifoWatchdog() { Finish(); }
    FifoWatchdog(const FifoWatchdog&) = delete;
    FifoWatchdog& operator=(const FifoWatchdog&) = delete;

    // Call when the action has returned; true when it had to be released.
    bool Finish() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        changed_.notify_all();
        if (thread_.joinable()) {
            thread_.join();
        }
        return blocked_;
    }

private:
    void Watch(std::chrono::seconds limit) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (changed_.wait_for(lock, limit, [this] { return done_; })) {
            return;
        }
        blocked_ = true;
        while (!done_) {
            // O_RDWR on a FIFO never waits and counts as both ends.
            int fd = ::open(fifo_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                ::close(fd);
            }
            changed_.wait_for(lock, std::chrono::milliseconds(100), [this] { return done_; });
        }
    }

    std::string fifo_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool done_ = false;
    bool blocked_ = false;
    std::thread thread_;
};

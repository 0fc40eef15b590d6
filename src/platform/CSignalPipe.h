#pragma once

#include <vector>

// Turns termination signals into bytes on a pipe that an event loop watches, so that all the work a signal
// causes happens on the loop's thread: the handler does nothing but write the signal's number. One object
// at a time owns the handlers; it puts the previous dispositions back when it is destroyed (or at Restore).
class CSignalPipe {
public:
    CSignalPipe();
    ~CSignalPipe();
    CSignalPipe(const CSignalPipe&) = delete;
    CSignalPipe& operator=(const CSignalPipe&) = delete;

    // Catches the given signals. keepIgnored lists those that stay ignored when the program was started with
    // them ignored (SIGHUP under nohup). False when the pipe cannot be made or another object owns the
    // handlers.
    bool Install(const std::vector<int>& numbers, const std::vector<int>& keepIgnored = {});
    // The descriptor to watch for reading; -1 before Install.
    int Descriptor() const { return readFd_; }
    // Reads what the handler wrote; the first signal number waiting, or 0 when none.
    int Drain();
    // Puts the previous dispositions back, so that a further signal has its usual effect at once.
    void Restore();

private:
    struct Saved;
    std::vector<Saved> saved_;
    int readFd_ = -1;
    int writeFd_ = -1;
};

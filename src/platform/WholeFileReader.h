#pragma once

#include <cstdint>
#include <string>

// Reads a small file whole without ever blocking: the path is opened without waiting (so a FIFO without a
// writer, a socket or a device never holds the caller up), its type is checked on the open descriptor, and
// only a regular file of at most maxSize bytes is read. Anything else leaves the text empty.
class WholeFileReader {
public:
    enum class Result {
        Read,       // the text holds the whole file
        Missing,    // no such file
        NotRegular, // a FIFO, socket, device or directory (a link is followed to what it names)
        TooLarge,   // more than maxSize bytes
        Failed,     // no permission or a read error
    };

    // maxSize is cut to this bound.
    static constexpr uint64_t kLargestBound = 1ull << 30;

    static Result Read(const std::string& path, uint64_t maxSize, std::string& text);
};

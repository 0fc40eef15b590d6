#pragma once

#include <cstdint>
#include <string>

// Replaces a file so that it is never half-written: the bytes go to a temporary file in the same directory,
// which is flushed to disk and then renamed over the target. A failure at any point leaves the old file as
// it was and removes the temporary file. An existing target keeps its permission bits; a new file gets the
// usual 0666 minus the umask. A symbolic link is followed, so the file it points to is replaced.
class SafeFileWriter {
public:
    static bool Write(const std::string& path, const void* bytes, uint64_t count);
};

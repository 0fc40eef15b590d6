#pragma once

#include <cstdint>
#include <string>

// Saves bytes to a file so that the old contents are never lost silently.
//
// A file is normally replaced: the bytes go to a temporary file "<name>.kvrtmp.XXXXXX" beside it, which is
// flushed to disk and renamed over the target, so a failure or a kill at any point leaves the old file whole.
// The replacement keeps the file's permission bits and, where the process may set them, its owner and group.
// A file the process may not write is never touched. The file is written in place instead (all bytes, then
// cut to the new size and flushed) when it has more than one hard link, when its owner or group could not be
// kept on a replacement, or when no temporary file can be made beside it; a failure there is still reported.
// A symbolic link is followed, so the file it names is saved and the link stays a link. Temporary files that
// a killed save of the same file left behind are removed. A new file gets newFileMode minus the umask.
class SafeFileWriter {
public:
    static bool Write(const std::string& path, const void* bytes, uint64_t count,
                      unsigned newFileMode = 0666);

    // The marker between a file's name and the random part of its temporary files.
    static constexpr const char* kTemporaryMarker = ".kvrtmp.";
};

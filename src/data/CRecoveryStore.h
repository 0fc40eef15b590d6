#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Recovery copies of unsaved data, written when the program is ended by a signal and offered the next time
// the same file is opened. They live in a directory only this user may enter ($XDG_STATE_HOME/KIVRAN, by
// default ~/.local/state/KIVRAN), one per original file: the bytes in "<hash>-<base name>.kvrrec" and, in
// "<hash>-<base name>.path" beside it, the original path the hash was made from. A copy counts only when
// both files are there, are this user's regular files and the side file names the file being opened; each
// file is written under a temporary name and renamed into place, so nothing half-written is ever offered.
class CRecoveryStore {
public:
    // Reads length bytes at offset into the buffer; returns how many it gave.
    using Reader = std::function<uint64_t(uint64_t offset, unsigned char* buffer, uint64_t length)>;

    // $XDG_STATE_HOME/KIVRAN when that variable is an absolute path, else $HOME/.local/state/KIVRAN; empty
    // when neither is known.
    static std::string DefaultDirectory();
    // The absolute form of a path under which its recovery copy is known: relative to the current directory
    // when relative, with symbolic links resolved while the file exists.
    static std::string NormalPath(const std::string& path);

    explicit CRecoveryStore(std::string directory = DefaultDirectory());

    const std::string& Directory() const { return directory_; }
    // The two files of the recovery copy of a path.
    std::string DataFile(const std::string& path) const;
    std::string PathFile(const std::string& path) const;

    // Writes size bytes, read a block at a time, as the recovery copy of path, replacing an older one.
    // False when the directory cannot be made (or is not this user's alone) or a write fails; an older copy
    // then stays as it was.
    bool Write(const std::string& path, uint64_t size, const Reader& read) const;
    // Whether a recovery copy of path is there to offer.
    bool Has(const std::string& path) const;
    // The recovery copy's bytes; false when there is none, it cannot be read whole or memory runs out.
    bool Load(const std::string& path, std::vector<unsigned char>& bytes) const;
    // Removes the recovery copy of path (both files).
    void Remove(const std::string& path) const;

private:
    std::string Stem(const std::string& normalPath) const;
    bool PrepareDirectory() const;

    std::string directory_;
};

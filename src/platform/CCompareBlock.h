#pragma once

#include <cstdint>
#include <string>

// The block a comparison's partner copies its whole data into: a POSIX shared memory object of exactly the
// partner's data size, created by the comparing copy for one comparison and removed at its end. Only one
// comparison at a time can hold the name. The creator keeps an exclusive lock on the object for as long as
// it holds it, so that a block left behind by a copy that ended abruptly (nobody holds its lock) is replaced,
// while a block in use, or one that belongs to another user, is refused. Neither side ever touches a byte
// past the object's real size.
class CCompareBlock {
public:
    static constexpr const char* kBaseName = "KIVRAN_COMPARE";

    // The block's name for the copies of this user that can reach each other.
    static std::string DefaultName();

    CCompareBlock();
    explicit CCompareBlock(std::string name);
    ~CCompareBlock();
    CCompareBlock(CCompareBlock&& other) noexcept;
    CCompareBlock& operator=(CCompareBlock&& other) noexcept;
    CCompareBlock(const CCompareBlock&) = delete;
    CCompareBlock& operator=(const CCompareBlock&) = delete;

    // Creates the block for size bytes (at least 1), reserves its memory and maps it for reading. False when
    // another comparison holds the name, the name belongs to another user, or the memory cannot be had.
    bool Create(uint64_t size);
    // The partner's side: opens the block a copy of this user created, mapped for writing. IsOpen() is false
    // when there is none, it is empty or it is not this user's.
    static CCompareBlock OpenForWriting(const std::string& name);

    const std::string& Name() const { return name_; }
    bool IsOpen() const { return address_ != nullptr; }
    bool IsCreator() const { return lockFd_ >= 0; }
    // The object's real size as mapped.
    uint64_t Size() const { return size_; }
    const unsigned char* Bytes() const { return address_; }
    // Null unless the block was opened for writing.
    unsigned char* WritableBytes() { return writable_ ? address_ : nullptr; }

    // Unmaps the block; the creator also removes the name (while it still names this block) and drops
    // its lock.
    void Close();

private:
    // The name is taken by an object whose creator no longer holds it: removes it. False when the object is
    // in use or is not ours to remove.
    bool RemoveAbandoned() const;
    bool NameRefersTo(int fd) const;

    std::string name_;
    unsigned char* address_ = nullptr;
    uint64_t size_ = 0;
    bool writable_ = false;
    int lockFd_ = -1;
};

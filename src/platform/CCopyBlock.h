#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>

class CInstanceChannel;

// The block of copied bytes that every running copy of the same user can paste from: a POSIX shared memory
// object holding an unsigned 64-bit little-endian count followed by that many bytes. The copy that copied
// last creates it and holds it until it copies again, is asked to close it, or ends; the creator removes the
// name when it closes, unless another copy has replaced the block under that name meanwhile. A reader never
// trusts the count: it reads no byte past the object's real size, and never reads another user's object.
//
// A name given is where the search for the block starts: when someone else holds it, the block lives under
// the first of name + ".1" ... ".7" that is free or ours, for creators and readers alike.
class CCopyBlock {
public:
    static constexpr const char* kBaseName = "KIVRAN_COPY_MEMORY";
    static constexpr uint64_t kHeaderSize = 8;

    // Names tried after a name someone else holds.
    static constexpr int kNameCandidates = 8;

    // The block's name for the effective user of this process and its session: named after the token of the
    // private channel directory (PerUserName::PrivateObject), or after the session when there is none.
    static std::string DefaultName();

    CCopyBlock();
    explicit CCopyBlock(std::string name);
    ~CCopyBlock();
    CCopyBlock(CCopyBlock&& other) noexcept;
    CCopyBlock& operator=(CCopyBlock&& other) noexcept;
    CCopyBlock(const CCopyBlock&) = delete;
    CCopyBlock& operator=(const CCopyBlock&) = delete;

    // Closes any block this object holds, then creates a fresh block for count bytes with mode 0600, reserves
    // its memory and stores count in its head; the caller fills WritableBytes(). An object made with the
    // default name takes DefaultName() anew. False when the block cannot be created or its memory reserved
    // (or every candidate name is someone else's); the caller tells the user.
    bool Create(uint64_t count);
    // Asks every partner the channel finds to close its block (waiting at most timeoutMs for each), then
    // Create(count).
    bool Acquire(CInstanceChannel& channel, uint64_t count, int timeoutMs);
    // Opens a block created by any copy of this user for reading, for the duration of one paste. IsOpen() is
    // false when none exists, it belongs to another user or it is too short to hold a count.
    static CCopyBlock OpenForReading(const std::string& name);
    // Whether a paste could read a block of that name now.
    static bool Exists(const std::string& name);

    // The name of the block held, or the name asked for while none is held.
    const std::string& Name() const { return name_; }
    bool IsOpen() const { return address_ != nullptr; }
    bool IsCreator() const { return creator_; }
    // The number of bytes that may be read: the count in the head, cut to what the object really holds.
    uint64_t Count() const;
    // The count the head claims, which a damaged or foreign block may set to anything.
    uint64_t ClaimedCount() const;
    const unsigned char* Bytes() const;
    // The bytes to fill after Create; null unless this object created the block.
    unsigned char* WritableBytes();

    // Unmaps the block; the creator also removes the name while it still names this block. True when a
    // block was held.
    bool Close();
    // The answer to the close-copy message: with first argument 0 a held block is closed and the answer is
    // 1; otherwise nothing changes and the answer is 0.
    int64_t AnswerCloseCopy(int64_t firstArgument);

private:
    enum class NameState { Free, Ours, Taken };
    static std::string Candidate(const std::string& name, int index);
    static NameState StateOf(const std::string& name);
    bool NameStillRefersToThisBlock() const;

    std::string requested_;
    std::string name_;
    bool followsDefault_ = false;
    unsigned char* address_ = nullptr;
    uint64_t mappedSize_ = 0;
    bool creator_ = false;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

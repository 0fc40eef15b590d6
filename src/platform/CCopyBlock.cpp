#include "platform/CCopyBlock.h"

#include <cstdio>

#include "platform/CInstanceChannel.h"
#include "platform/InstanceMessages.h"
#include "platform/PerUserName.h"

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

uint64_t DecodeCount(const unsigned char* head) {
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i) {
        value = (value << 8) | head[i];
    }
    return value;
}

void EncodeCount(unsigned char* head, uint64_t value) {
    for (int i = 0; i < 8; ++i) {
        head[i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

} // namespace

std::string CCopyBlock::DefaultName() {
    // A name someone else took first is passed over (see Candidate).
    return CInstanceChannel::SessionObjectName(kBaseName);
}

std::string CCopyBlock::Candidate(const std::string& name, int index) {
    return index == 0 ? name : name + "." + std::to_string(index);
}

CCopyBlock::NameState CCopyBlock::StateOf(const std::string& name) {
    int fd = ::shm_open(name.c_str(), O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0) {
        // Another user's object that we may not open is as much taken as one we may.
        return errno == ENOENT ? NameState::Free : NameState::Taken;
    }
    struct stat info;
    const bool ours = ::fstat(fd, &info) == 0 && info.st_uid == ::geteuid();
    ::close(fd);
    return ours ? NameState::Ours : NameState::Taken;
}

CCopyBlock::CCopyBlock() : requested_(DefaultName()), name_(requested_), followsDefault_(true) {}

CCopyBlock::CCopyBlock(std::string name) : requested_(name), name_(std::move(name)) {}

CCopyBlock::~CCopyBlock() {
    Close();
}

CCopyBlock::CCopyBlock(CCopyBlock&& other) noexcept
    : requested_(std::move(other.requested_)), name_(std::move(other.name_)),
      followsDefault_(other.followsDefault_), address_(other.address_), mappedSize_(other.mappedSize_),
      creator_(other.creator_), device_(other.device_), inode_(other.inode_) {
    other.address_ = nullptr;
    other.mappedSize_ = 0;
    other.creator_ = false;
}

CCopyBlock& CCopyBlock::operator=(CCopyBlock&& other) noexcept {
    if (this != &other) {
        Close();
        requested_ = std::move(other.requested_);
        name_ = std::move(other.name_);
        followsDefault_ = other.followsDefault_;
        address_ = other.address_;
        mappedSize_ = other.mappedSize_;
        creator_ = other.creator_;
        device_ = other.device_;
        inode_ = other.inode_;
        other.address_ = nullptr;
        other.mappedSize_ = 0;
        other.creator_ = false;
    }
    return *this;
}

bool CCopyBlock::Create(uint64_t count) {
    Close();
    const uint64_t limit = std::min<uint64_t>(std::numeric_limits<off_t>::max(), SIZE_MAX);
    if (count > limit - kHeaderSize) {
        return false;
    }
    uint64_t size = count + kHeaderSize;
    if (followsDefault_) {
        requested_ = DefaultName();
    }
    // The first candidate name that is free or ours: a block of ours left behind by a copy that ended
    // without closing it (or that did not answer in time) is replaced, never reused, as its size and contents
    // are not ours to trust; a name someone else holds is passed over and never touched. Readers look for the
    // block the same way.
    int fd = -1;
    std::string name;
    for (int k = 0; k < kNameCandidates && fd < 0; ++k) {
        name = Candidate(requested_, k);
        NameState state = StateOf(name);
        if (state == NameState::Taken) {
            continue;
        }
        if (state == NameState::Ours) {
            ::shm_unlink(name.c_str());
        }
        fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    }
    if (fd < 0) {
        return false;
    }
    // Reserving the memory now turns a full memory file system into a failed copy instead of a fault while
    // the bytes are written.
    struct stat info;
    void* address = MAP_FAILED;
    if (::fchmod(fd, 0600) == 0 && ::posix_fallocate(fd, 0, static_cast<off_t>(size)) == 0 &&
        ::fstat(fd, &info) == 0) {
        address = ::mmap(nullptr, static_cast<size_t>(size), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    }
    ::close(fd);
    if (address == MAP_FAILED) {
        ::shm_unlink(name.c_str());
        return false;
    }
    name_ = name;
    address_ = static_cast<unsigned char*>(address);
    mappedSize_ = size;
    creator_ = true;
    device_ = info.st_dev;
    inode_ = info.st_ino;
    EncodeCount(address_, count);
    return true;
}

bool CCopyBlock::Acquire(CInstanceChannel& channel, uint64_t count, int timeoutMs) {
    for (const InstancePartner& partner : channel.ListPartners(timeoutMs)) {
        channel.Send(partner.endpoint, InstanceMessages::kCloseCopy, 0, 0, timeoutMs);
    }
    return Create(count);
}

CCopyBlock CCopyBlock::OpenForReading(const std::string& name) {
    CCopyBlock block(name);
    // The block a Create of that name made: past the candidates someone else holds, at the first free or
    // ours.
    int fd = -1;
    for (int k = 0; k < kNameCandidates && fd < 0; ++k) {
        const std::string candidate = Candidate(name, k);
        fd = ::shm_open(candidate.c_str(), O_RDONLY | O_CLOEXEC, 0);
        if (fd < 0) {
            if (errno == ENOENT) {
                return block;
            }
            continue;
        }
        struct stat info;
        if (::fstat(fd, &info) != 0) {
            ::close(fd);
            return block;
        }
        if (info.st_uid != ::geteuid()) {
            ::close(fd);
            fd = -1;
            continue;
        }
        if (static_cast<uint64_t>(info.st_size) >= kHeaderSize) {
            size_t size = static_cast<size_t>(info.st_size);
            void* address = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
            if (address != MAP_FAILED) {
                block.name_ = candidate;
                block.address_ = static_cast<unsigned char*>(address);
                block.mappedSize_ = size;
            }
        }
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return block;
}

bool CCopyBlock::Exists(const std::string& name) {
    return OpenForReading(name).IsOpen();
}

uint64_t CCopyBlock::ClaimedCount() const {
    return IsOpen() ? DecodeCount(address_) : 0;
}

uint64_t CCopyBlock::Count() const {
    if (!IsOpen()) {
        return 0;
    }
    return std::min(ClaimedCount(), mappedSize_ - kHeaderSize);
}

const unsigned char* CCopyBlock::Bytes() const {
    return IsOpen() ? address_ + kHeaderSize : nullptr;
}

unsigned char* CCopyBlock::WritableBytes() {
    return creator_ ? address_ + kHeaderSize : nullptr;
}

bool CCopyBlock::NameStillRefersToThisBlock() const {
    int fd = ::shm_open(name_.c_str(), O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    struct stat info;
    bool same = ::fstat(fd, &info) == 0 && info.st_dev == device_ && info.st_ino == inode_;
    ::close(fd);
    return same;
}

bool CCopyBlock::Close() {
    if (!IsOpen()) {
        return false;
    }
    ::munmap(address_, static_cast<size_t>(mappedSize_));
    if (creator_ && NameStillRefersToThisBlock()) {
        ::shm_unlink(name_.c_str());
    }
    address_ = nullptr;
    mappedSize_ = 0;
    creator_ = false;
    name_ = requested_;
    return true;
}

int64_t CCopyBlock::AnswerCloseCopy(int64_t firstArgument) {
    if (firstArgument != 0) {
        return 0;
    }
    return Close() ? 1 : 0;
}

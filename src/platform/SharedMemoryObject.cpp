#include "platform/SharedMemoryObject.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

SharedMemoryObject::~SharedMemoryObject() {
    Close();
}

SharedMemoryObject::SharedMemoryObject(SharedMemoryObject&& other) noexcept
    : address_(other.address_), size_(other.size_) {
    other.address_ = nullptr;
    other.size_ = 0;
}

SharedMemoryObject& SharedMemoryObject::operator=(SharedMemoryObject&& other) noexcept {
    if (this != &other) {
        Close();
        address_ = other.address_;
        size_ = other.size_;
        other.address_ = nullptr;
        other.size_ = 0;
    }
    return *this;
}

SharedMemoryObject SharedMemoryObject::MapDescriptor(int fd, Access access) {
    SharedMemoryObject object;
    struct stat info;
    if (::fstat(fd, &info) == 0 && info.st_size > 0) {
        int protection = access == Access::ReadWrite ? PROT_READ | PROT_WRITE : PROT_READ;
        size_t length = static_cast<size_t>(info.st_size);
        void* address = ::mmap(nullptr, length, protection, MAP_SHARED, fd, 0);
        if (address != MAP_FAILED) {
            object.address_ = address;
            object.size_ = length;
        }
    }
    // The mapping stays valid after the descriptor is closed.
    ::close(fd);
    return object;
}

SharedMemoryObject SharedMemoryObject::OpenExisting(const std::string& name, Access access) {
    int flags = (access == Access::ReadWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC;
    int fd = ::shm_open(name.c_str(), flags, 0);
    if (fd < 0) {
        return SharedMemoryObject();
    }
    return MapDescriptor(fd, access);
}

SharedMemoryObject SharedMemoryObject::Create(const std::string& name, uint64_t size) {
    int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return SharedMemoryObject();
    }
    // An object someone else put under the name first is not ours to fill: what we wrote would be theirs to
    // read. One of ours is closed to others before it is used.
    struct stat info;
    if (::fstat(fd, &info) != 0 || info.st_uid != ::geteuid() || ::fchmod(fd, 0600) != 0 ||
        ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        ::close(fd);
        return SharedMemoryObject();
    }
    return MapDescriptor(fd, Access::ReadWrite);
}

bool SharedMemoryObject::Unlink(const std::string& name) {
    return ::shm_unlink(name.c_str()) == 0;
}

void SharedMemoryObject::Close() {
    if (address_ != nullptr) {
        ::munmap(address_, static_cast<size_t>(size_));
        address_ = nullptr;
        size_ = 0;
    }
}

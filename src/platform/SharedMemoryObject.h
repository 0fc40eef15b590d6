#pragma once

#include <cstdint>
#include <string>

// A POSIX shared memory object mapped whole. Name is the object's name including its leading "/". The size
// is the object's real size (fstat), which may differ from what a setting claims, so callers clip to it.
class SharedMemoryObject {
public:
    enum class Access { Read, ReadWrite };

    SharedMemoryObject() = default;
    ~SharedMemoryObject();
    SharedMemoryObject(SharedMemoryObject&& other) noexcept;
    SharedMemoryObject& operator=(SharedMemoryObject&& other) noexcept;
    SharedMemoryObject(const SharedMemoryObject&) = delete;
    SharedMemoryObject& operator=(const SharedMemoryObject&) = delete;

    // Opens an existing object and maps all of it; IsMapped() is false when it does not exist, is empty or
    // cannot be mapped with the access asked for.
    static SharedMemoryObject OpenExisting(const std::string& name, Access access);
    // Creates (or reuses one of this user's) an object of the given size with mode 0600 and maps it
    // read-write. An object of that name that belongs to another user is never used: IsMapped() is false.
    static SharedMemoryObject Create(const std::string& name, uint64_t size);
    static bool Unlink(const std::string& name);

    bool IsMapped() const { return address_ != nullptr; }
    uint64_t Size() const { return size_; }
    unsigned char* Data() const { return static_cast<unsigned char*>(address_); }
    void Close();

private:
    static SharedMemoryObject MapDescriptor(int fd, Access access);

    void* address_ = nullptr;
    uint64_t size_ = 0;
};

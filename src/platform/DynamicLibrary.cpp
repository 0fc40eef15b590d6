#include "platform/DynamicLibrary.h"

#include <dlfcn.h>
#include <utility>

DynamicLibrary::~DynamicLibrary() {
    Unload();
}

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(other.handle_), lastError_(std::move(other.lastError_)) {
    other.handle_ = nullptr;
}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
    if (this != &other) {
        Unload();
        handle_ = other.handle_;
        lastError_ = std::move(other.lastError_);
        other.handle_ = nullptr;
    }
    return *this;
}

bool DynamicLibrary::Load(const std::string& name) {
    Unload();
    lastError_.clear();
    if (name.empty()) {
        return false;
    }
    handle_ = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* error = ::dlerror();
        lastError_ = error != nullptr ? error : "";
    }
    return handle_ != nullptr;
}

void DynamicLibrary::Unload() {
    if (handle_ != nullptr) {
        ::dlclose(handle_);
        handle_ = nullptr;
    }
}

void* DynamicLibrary::Symbol(const std::string& name) const {
    if (handle_ == nullptr || name.empty()) {
        return nullptr;
    }
    return ::dlsym(handle_, name.c_str());
}

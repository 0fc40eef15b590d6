#pragma once

#include <string>

// A shared library loaded with dlopen; unloaded when the object goes away.
class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary();
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // The name goes to the loader unchanged: a name without "/" is searched in the library path.
    bool Load(const std::string& name);
    void Unload();
    bool IsLoaded() const { return handle_ != nullptr; }
    // The address of an exported symbol, or null.
    void* Symbol(const std::string& name) const;
    // The loader's explanation of the last failed Load.
    const std::string& LastError() const { return lastError_; }

private:
    void* handle_ = nullptr;
    std::string lastError_;
};

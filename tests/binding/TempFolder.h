#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// A scratch folder removed with everything in it when the test ends.
class TempFolder {
public:
    TempFolder() {
        char pattern[] = "/tmp/kivran-binding-XXXXXX";
        const char* made = mkdtemp(pattern);
        path_ = made ? made : "";
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }

    // Writes the bytes to a file in the folder (sub folders are made) and returns its full path.
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::string full = path_ + "/" + name;
        std::filesystem::create_directories(std::filesystem::path(full).parent_path());
        std::ofstream out(full, std::ios::binary | std::ios::trunc);
        out << bytes;
        return full;
    }

private:
    std::string path_;
};

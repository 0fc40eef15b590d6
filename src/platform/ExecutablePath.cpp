#include "platform/ExecutablePath.h"

#include <climits>
#include <unistd.h>

namespace {
std::string& OverridePath() {
    static std::string path;
    return path;
}
} // namespace

std::string ExecutablePath::Path() {
    if (!OverridePath().empty()) {
        return OverridePath();
    }
    char buffer[PATH_MAX + 1];
    ssize_t n = readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0) {
        return std::string();
    }
    return std::string(buffer, static_cast<size_t>(n));
}

std::string ExecutablePath::Directory() {
    return DirectoryOf(Path());
}

std::string ExecutablePath::DirectoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return path;
    }
    return path.substr(0, slash);
}

void ExecutablePath::SetPathForTesting(const std::string& path) {
    OverridePath() = path;
}

std::string ExecutablePath::DataDirectory() {
    return DataDirectoryOf(Directory());
}

std::string ExecutablePath::DataDirectoryOf(const std::string& directory) {
    if (directory.empty()) {
        return std::string();
    }
    std::string parent = directory;
    while (parent.size() > 1 && parent.back() == '/') {
        parent.pop_back();
    }
    const size_t slash = parent.rfind('/');
    const std::string last = slash == std::string::npos ? parent : parent.substr(slash + 1);
    if (last == "." || last == ".." || last.empty()) {
        // No folder name to fold away: keep the path as it is and let the file system resolve it.
        return parent + "/../share/kivran";
    }
    parent = slash == std::string::npos ? std::string(".")
             : slash == 0               ? std::string()
                                        : parent.substr(0, slash);
    return parent + "/share/kivran";
}

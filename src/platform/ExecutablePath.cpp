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

std::string ExecutablePath::Directory() { return DirectoryOf(Path()); }

std::string ExecutablePath::DirectoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return path;
    }
    return path.substr(0, slash);
}

void ExecutablePath::SetPathForTesting(const std::string& path) { OverridePath() = path; }

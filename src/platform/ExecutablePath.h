#pragma once

#include <string>

// Where the running executable lives: the settings file, default symbol files, macro help and new instances
// are found relative to it.
class ExecutablePath {
public:
    // Full path of the executable (from /proc/self/exe); empty when it cannot be read.
    static std::string Path();
    // The path up to, not including, the last "/"; a path without "/" is its own directory.
    static std::string Directory();
    static std::string DirectoryOf(const std::string& path);
    // Where an installed copy keeps the files that come with it: "<directory>/../share/kivran", with the
    // "bin/.." folded away ("/usr/bin" gives "/usr/share/kivran"). Empty when the directory is unknown.
    static std::string DataDirectory();
    static std::string DataDirectoryOf(const std::string& directory);
    // Overrides the executable path (tests that place a settings file elsewhere).
    static void SetPathForTesting(const std::string& path);
};

#pragma once

#include <string>
#include <vector>

// The most recently opened files, newest first, at most ten. Paths compare without regard to the case of
// their ASCII letters, as on the file systems users share files with.
class CRecentFiles {
public:
    static constexpr int kMaxRecentFiles = 10;
    static constexpr int kFirstCommand = 10000;

    const std::vector<std::string>& Entries() const { return entries_; }
    // Replaces the list (loaded from the settings); empty entries are skipped, the rest kept in order, at
    // most ten.
    void SetEntries(const std::vector<std::string>& entries);
    // Removes the first entry equal to path.
    void Remove(const std::string& path);
    // Moves or puts path at the front and drops entries beyond ten.
    void Add(const std::string& path);
    // The menu item text "&<n> <path>" for entry index (counted from 0), and its command number.
    std::string MenuText(int index) const;
    static int CommandForIndex(int index) { return kFirstCommand + index; }
    // The entry index of a command, or -1 when the command is not a recent-file item.
    int IndexForCommand(int command) const;

    static bool SamePath(const std::string& a, const std::string& b);

private:
    std::vector<std::string> entries_;
};

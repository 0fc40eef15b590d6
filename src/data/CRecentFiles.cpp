#include "data/CRecentFiles.h"

#include <algorithm>

namespace {

char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

bool CRecentFiles::SamePath(const std::string& a, const std::string& b) {
    // Paths are UTF-8, whose multibyte characters consist of bytes 0x80 and above only, so folding a-z
    // never touches part of such a character.
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (UpperAscii(a[i]) != UpperAscii(b[i])) {
            return false;
        }
    }
    return true;
}

void CRecentFiles::SetEntries(const std::vector<std::string>& entries) {
    entries_.clear();
    for (const std::string& entry : entries) {
        if (!entry.empty() && static_cast<int>(entries_.size()) < kMaxRecentFiles) {
            entries_.push_back(entry);
        }
    }
}

void CRecentFiles::Remove(const std::string& path) {
    auto found = std::find_if(entries_.begin(), entries_.end(),
                              [&path](const std::string& entry) { return SamePath(entry, path); });
    if (found != entries_.end()) {
        entries_.erase(found);
    }
}

void CRecentFiles::Add(const std::string& path) {
    Remove(path);
    entries_.insert(entries_.begin(), path);
    if (static_cast<int>(entries_.size()) > kMaxRecentFiles) {
        entries_.resize(kMaxRecentFiles);
    }
}

std::string CRecentFiles::MenuText(int index) const {
    if (index < 0 || index >= static_cast<int>(entries_.size())) {
        return std::string();
    }
    return "&" + std::to_string(index + 1) + " " + entries_[static_cast<size_t>(index)];
}

int CRecentFiles::IndexForCommand(int command) const {
    int index = command - kFirstCommand;
    return (index >= 0 && index < static_cast<int>(entries_.size())) ? index : -1;
}

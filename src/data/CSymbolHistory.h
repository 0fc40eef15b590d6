#pragma once

#include <string>
#include <vector>

// The symbol names searched for since start-up (code page 932 bytes), most recent first, without
// duplicates and without a size limit; the repeat commands search the first. Never stored in the settings.
class CSymbolHistory {
public:
    const std::vector<std::string>& Entries() const { return entries_; }
    bool IsEmpty() const { return entries_.empty(); }
    // Empty when the history is.
    const std::string& First() const;

    // Puts text at the front; an identical earlier entry (compared byte for byte, with case) goes.
    void Remember(const std::string& text);

private:
    std::vector<std::string> entries_;
};

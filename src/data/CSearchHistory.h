#pragma once

#include <string>
#include <vector>

// One remembered search: its text (code page 932 bytes) and the input type it was parsed with.
struct SearchHistoryEntry {
    std::string text;
    int inputType = 0;
};

// The texts searched for since start-up, most recent first, without a size limit; Forward and Backward
// Search repeat the first. Never stored in the settings.
class CSearchHistory {
public:
    const std::vector<SearchHistoryEntry>& Entries() const { return entries_; }
    bool IsEmpty() const { return entries_.empty(); }
    // Null when empty.
    const SearchHistoryEntry* First() const { return entries_.empty() ? nullptr : &entries_.front(); }

    // Puts text at the front with its input type; an identical earlier text (compared exactly) is removed
    // together with its type.
    void Remember(const std::string& text, int inputType);

    // The input type a search dialog starts with: the first entry's type, or without history the type that
    // suits the display size and type.
    int InitialInputType(int sizeIndex, int typeIndex) const;
    // The input type that suits a display size (1, 2, 4, 8 bytes, SYMBOL) and type (BIT, HEX, SIGN, UNSIGN,
    // FLOAT, TEXT); HEX for anything else.
    static int PreselectedInputType(int sizeIndex, int typeIndex);

private:
    std::vector<SearchHistoryEntry> entries_;
};

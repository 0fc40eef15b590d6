#include "data/CSymbolHistory.h"

#include <algorithm>

const std::string& CSymbolHistory::First() const {
    static const std::string kNone;
    return entries_.empty() ? kNone : entries_.front();
}

void CSymbolHistory::Remember(const std::string& text) {
    entries_.erase(std::remove(entries_.begin(), entries_.end(), text), entries_.end());
    entries_.insert(entries_.begin(), text);
}

#include "data/CSearchHistory.h"

#include "data/ValueParse.h"

#include <algorithm>

void CSearchHistory::Remember(const std::string& text, int inputType) {
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [&text](const SearchHistoryEntry& entry) { return entry.text == text; }),
                   entries_.end());
    entries_.insert(entries_.begin(), SearchHistoryEntry{text, inputType});
}

int CSearchHistory::InitialInputType(int sizeIndex, int typeIndex) const {
    return entries_.empty() ? PreselectedInputType(sizeIndex, typeIndex) : entries_.front().inputType;
}

int CSearchHistory::PreselectedInputType(int sizeIndex, int typeIndex) {
    // Rows: 1, 2, 4, 8 bytes, SYMBOL; columns: BIT, HEX, SIGN, UNSIGN, FLOAT, TEXT.
    static const int kTable[5][6] = {
        {kInputHex, kInputHex, kInputChar, kInputUnsignedChar, kInputHex, kInputText},
        {kInputHex, kInputHex, kInputShort, kInputUnsignedShort, kInputHex, kInputText},
        {kInputHex, kInputHex, kInputLong, kInputUnsignedLong, kInputFloat, kInputText},
        {kInputHex, kInputHex, kInputHex, kInputHex, kInputDouble, kInputText},
        {kInputHex, kInputHex, kInputHex, kInputHex, kInputHex, kInputHex},
    };
    if (sizeIndex < 0 || sizeIndex > 4 || typeIndex < 0 || typeIndex > 5) {
        return kInputHex;
    }
    return kTable[sizeIndex][typeIndex];
}

#include "data/SearchPattern.h"

#include "data/ValueParse.h"

#include <algorithm>

int BuildSearchPattern(int inputType, const std::string& text, int littleEndian, int charSet,
                       SearchPattern& pattern) {
    pattern = SearchPattern();
    size_t count = 0;
    int code =
        ParseValue(inputType, text, count, SearchPattern::kCapacity, pattern.bytes, littleEndian, charSet);
    if (code != kParseOk) {
        pattern = SearchPattern();
        return code;
    }
    pattern.length = std::min(count, SearchPattern::kCapacity);
    return kParseOk;
}

int BuildReplacePatterns(int inputType, const std::string& searchText, const std::string& replaceText,
                         int littleEndian, int charSet, SearchPattern& pattern, SearchPattern& replacement) {
    int searchCode = BuildSearchPattern(inputType, searchText, littleEndian, charSet, pattern);
    int replaceCode = kParseOk;
    replacement = SearchPattern();
    if (!replaceText.empty()) {
        replaceCode = BuildSearchPattern(inputType, replaceText, littleEndian, charSet, replacement);
    }
    return std::max(searchCode, replaceCode);
}

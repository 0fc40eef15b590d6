#pragma once

#include <cstddef>
#include <string>

// The exact bytes looked for (or put in place of an occurrence), made from a typed value. Numbers follow the
// byte order of the data, text the character set.
struct SearchPattern {
    static constexpr size_t kCapacity = 16;
    unsigned char bytes[kCapacity] = {};
    size_t length = 0;
};

// Parses text (code page 932 bytes) by input type into a pattern; the parse result code (0 on success). An
// empty text yields whatever the input type gives for it (callers skip empty search texts themselves).
int BuildSearchPattern(int inputType, const std::string& text, int littleEndian, int charSet,
                       SearchPattern& pattern);

// Parses a search text and a replace text with the same input type. An empty replace text is an empty
// replacement (the occurrence is removed). When either parse fails the larger of the two codes is returned.
int BuildReplacePatterns(int inputType, const std::string& searchText, const std::string& replaceText,
                         int littleEndian, int charSet, SearchPattern& pattern, SearchPattern& replacement);

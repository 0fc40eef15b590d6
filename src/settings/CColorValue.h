#pragma once

#include "settings/ColorValueRecord.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// The bytes a pattern may be matched against around one position of a pane: the pane's visible bytes and up
// to four bytes on either side of them, so that an occurrence crossing the edge of the view is still found.
// before holds the bytes just in front of bytes[0] in address order (before[beforeCount - 1] is the byte at
// bytes[0] - 1); after holds the bytes that follow bytes[count - 1]. Fewer are given at the ends of the data.
struct ColorValueWindow {
    const unsigned char* bytes = nullptr;
    uint64_t count = 0;
    const unsigned char* before = nullptr;
    int beforeCount = 0;
    const unsigned char* after = nullptr;
    int afterCount = 0;
};

// What the strong-data list says about one byte.
struct ColorValueHit {
    bool found = false;
    uint32_t textColor = 0;
    uint32_t bkColor = 0;
    // The byte ends the occurrence that colours it: its trailing gap keeps the normal background, so that
    // each occurrence is drawn as one band.
    bool lastByte = false;
};

// The strong-data list: patterns of one to four bytes, some digits left open, each with its own colours. The
// records keep the order they were added in, which decides between two patterns of equal length.
class CColorValue {
public:
    static constexpr int kMaxSize = 4;

    CColorValue() = default;
    CColorValue(std::initializer_list<ColorValueRecord> records) : records_(records) {}
    explicit CColorValue(std::vector<ColorValueRecord> records) : records_(std::move(records)) {}

    // The list as a growable array of records.
    size_t size() const { return records_.size(); }
    bool empty() const { return records_.empty(); }
    void clear() { records_.clear(); }
    void push_back(const ColorValueRecord& record) { records_.push_back(record); }
    const ColorValueRecord& operator[](size_t index) const { return records_[index]; }
    ColorValueRecord& operator[](size_t index) { return records_[index]; }
    std::vector<ColorValueRecord>::const_iterator begin() const { return records_.begin(); }
    std::vector<ColorValueRecord>::const_iterator end() const { return records_.end(); }
    const std::vector<ColorValueRecord>& Records() const { return records_; }

    // Replaces or removes the record at an index; false when there is none.
    bool Replace(size_t index, const ColorValueRecord& record);
    bool Remove(size_t index);

    // The greatest size among the records that can match (0 when none can): how many bytes beyond the view
    // the painter has to look at.
    int LongestSize() const;

    // Whether the record's size bytes, packed like the value (byte 0 lowest), match where its mask says.
    // A record whose size is not 1 to 4 never matches.
    static bool Match(const ColorValueRecord& record, const unsigned char bytes[kMaxSize]);
    // Each byte as two upper-case hexadecimal digits, every open digit shown as "*", bytes separated by one
    // space, lowest address first: "11 2* *3 FF". Empty for a size of 0.
    static std::string TextForm(const ColorValueRecord& record);
    // One byte's two digits as the dialog shows them: "2*", "**", "FF".
    static std::string ByteText(const ColorValueRecord& record, int index);

    // Reads the dialog's four byte fields into a pattern (value, mask and size; the colours are left as they
    // are). A field must be empty or hold one or two characters, each a hexadecimal digit or "*"; the index
    // of the first field that does not is returned in badField and nothing else changes. Fields are taken
    // from the first on up to the first empty one; a single digit is the low nibble (the high one 0 and
    // significant), a lone "*" leaves the whole byte open.
    static bool ParseFields(const std::array<std::string, kMaxSize>& fields, ColorValueRecord& record,
                            int& badField);

    // The colours of the byte at position (an index into window.bytes): among the records in list order,
    // each one longer than the best match so far is tried at every start that would cover the byte, and
    // the last match found wins. So a longer pattern wins over a shorter one, and of two of equal length the
    // earlier in the list. A record without background takes defaultBackground.
    ColorValueHit ColorOf(const ColorValueWindow& window, uint64_t position,
                          uint32_t defaultBackground) const;

private:
    std::vector<ColorValueRecord> records_;
};

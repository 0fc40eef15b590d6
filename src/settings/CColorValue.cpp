#include "settings/CColorValue.h"

#include <cctype>

namespace {

bool ValidSize(const ColorValueRecord& record) {
    return record.size >= 1 && record.size <= CColorValue::kMaxSize;
}

uint32_t SizeMask(int size) {
    return size >= 4 ? 0xFFFFFFFFu : (1u << (8 * size)) - 1;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper >= 'A' && upper <= 'F') {
        return upper - 'A' + 10;
    }
    return -1;
}

bool ValidField(const std::string& field) {
    if (field.size() > 2) {
        return false;
    }
    for (char c : field) {
        if (c != '*' && HexValue(c) < 0) {
            return false;
        }
    }
    return true;
}

} // namespace

bool CColorValue::Replace(size_t index, const ColorValueRecord& record) {
    if (index >= records_.size()) {
        return false;
    }
    records_[index] = record;
    return true;
}

bool CColorValue::Remove(size_t index) {
    if (index >= records_.size()) {
        return false;
    }
    records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

int CColorValue::LongestSize() const {
    int longest = 0;
    for (const ColorValueRecord& record : records_) {
        if (ValidSize(record) && record.size > longest) {
            longest = record.size;
        }
    }
    return longest;
}

bool CColorValue::Match(const ColorValueRecord& record, const unsigned char bytes[kMaxSize]) {
    if (!ValidSize(record)) {
        return false;
    }
    uint32_t packed = 0;
    for (int i = 0; i < record.size; ++i) {
        packed |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    }
    const uint32_t mask = record.mask & SizeMask(record.size);
    return (packed & mask) == (record.value & mask);
}

std::string CColorValue::ByteText(const ColorValueRecord& record, int index) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (int nibble = 1; nibble >= 0; --nibble) {
        const int shift = 8 * index + 4 * nibble;
        const bool open = ((record.mask >> shift) & 0xF) != 0xF;
        text += open ? '*' : kDigits[(record.value >> shift) & 0xF];
    }
    return text;
}

std::string CColorValue::TextForm(const ColorValueRecord& record) {
    std::string text;
    const int size = record.size > kMaxSize ? kMaxSize : record.size;
    for (int i = 0; i < size; ++i) {
        if (i > 0) {
            text += ' ';
        }
        text += ByteText(record, i);
    }
    return text;
}

bool CColorValue::ParseFields(const std::array<std::string, kMaxSize>& fields, ColorValueRecord& record,
                              int& badField) {
    for (int i = 0; i < kMaxSize; ++i) {
        if (!ValidField(fields[i])) {
            badField = i;
            return false;
        }
    }
    badField = -1;
    uint32_t value = 0;
    uint32_t mask = 0xFFFFFFFFu;
    int size = 0;
    for (; size < kMaxSize && !fields[size].empty(); ++size) {
        const std::string& field = fields[size];
        const int base = 8 * size;
        if (field == "*") {
            mask &= ~(0xFFu << base);
            continue;
        }
        // Two characters are the high and the low digit; one character is the low digit alone.
        for (size_t k = 0; k < field.size(); ++k) {
            const int shift = base + (field.size() == 2 && k == 0 ? 4 : 0);
            const int digit = HexValue(field[k]);
            if (digit < 0) {
                mask &= ~(0xFu << shift);
            } else {
                value |= static_cast<uint32_t>(digit) << shift;
            }
        }
    }
    record.value = value;
    record.mask = mask;
    record.size = static_cast<uint8_t>(size);
    return true;
}

ColorValueHit CColorValue::ColorOf(const ColorValueWindow& window, uint64_t position,
                                   uint32_t defaultBackground) const {
    ColorValueHit hit;
    int best = 0;
    // Index i of the window runs from -beforeCount to count + afterCount - 1.
    auto byteAt = [&window](int64_t i, unsigned char& out) {
        if (i < 0) {
            if (-i > window.beforeCount) {
                return false;
            }
            out = window.before[window.beforeCount + i];
            return true;
        }
        const uint64_t u = static_cast<uint64_t>(i);
        if (u < window.count) {
            out = window.bytes[u];
            return true;
        }
        if (u - window.count < static_cast<uint64_t>(window.afterCount)) {
            out = window.after[u - window.count];
            return true;
        }
        return false;
    };
    const int64_t p = static_cast<int64_t>(position);
    for (const ColorValueRecord& record : records_) {
        const int s = record.size;
        if (!ValidSize(record) || s <= best) {
            continue;
        }
        for (int64_t j = p - s + 1; j <= p; ++j) {
            unsigned char bytes[kMaxSize] = {0, 0, 0, 0};
            bool available = true;
            for (int k = 0; k < s && available; ++k) {
                available = byteAt(j + k, bytes[k]);
            }
            if (!available || !Match(record, bytes)) {
                continue;
            }
            hit.found = true;
            hit.textColor = record.textColor;
            hit.bkColor =
                record.bkColor == ColorValueRecord::kNoBackground ? defaultBackground : record.bkColor;
            hit.lastByte = j == p - s + 1;
            best = s;
        }
    }
    return hit;
}

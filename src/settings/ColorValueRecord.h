#pragma once

#include <cstdint>

// One strong-data pattern: up to four bytes (byte 0 first in address order), a nibble mask with 0xF for every
// nibble that must match, and the colours its bytes are drawn in.
struct ColorValueRecord {
    static constexpr uint32_t kNoBackground = 0xFF000000;

    uint32_t value = 0;
    uint32_t mask = 0;
    uint8_t size = 0;
    uint32_t textColor = 0;
    uint32_t bkColor = 0;
};

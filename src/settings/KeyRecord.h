#pragma once

#include <cstdint>

// One key assignment: modifier flags, virtual-key code and command id.
struct KeyRecord {
    static constexpr uint8_t kVirtKey = 0x01;
    static constexpr uint8_t kShift = 0x04;
    static constexpr uint8_t kControl = 0x08;
    static constexpr uint8_t kAlt = 0x10;

    uint8_t flags = 0;
    uint16_t key = 0;
    uint16_t command = 0;

    bool operator==(const KeyRecord& o) const {
        return flags == o.flags && key == o.key && command == o.command;
    }
};

#pragma once

#include "settings/KeyRecord.h"

#include <string>
#include <vector>

// The key assignments: an ordered list of records, turned into the window's accelerators and shown next to
// the menu labels.
class CKeyTable {
public:
    // The sixteen assignments used when the settings hold none.
    static std::vector<KeyRecord> DefaultTable();

    // "Alt+", "Ctrl+", "Shift+" as flagged, then the key's name. Never translated.
    static std::string KeyName(uint8_t flags, uint16_t key);
    static std::string BaseKeyName(uint16_t key);

    CKeyTable() = default;
    explicit CKeyTable(std::vector<KeyRecord> records) : records(std::move(records)) {}

    // Index of the first record with these flags and key, or -1.
    int FindByKey(uint8_t flags, uint16_t key) const;
    // Indices of the records of a command, in table order, at most `limit`.
    std::vector<int> KeysOfCommand(uint16_t command, int limit) const;
    // The key names of a command joined by commas (up to `limit` keys); empty when it has none.
    std::string KeyNamesOfCommand(uint16_t command, int limit = 10) const;
    // The command a key press stands for, or 0 when the key is not assigned.
    uint16_t CommandForKey(uint8_t flags, uint16_t key) const;

    // The keys that can be assigned with a modifier combination (flags including kVirtKey), in the order the
    // Keycode page lists them; empty for a combination that offers none.
    static std::vector<uint16_t> AssignableKeys(uint8_t flags);
    // The modifier combinations that offer keys, in the order of the Keycode page's check boxes.
    static std::vector<uint8_t> AssignableModifiers();
    // Binds a key combination to a command, keeping every combination in at most one record: command 0
    // removes the combination's record, any other command replaces its command or appends a new record at
    // the end. True when the table changed.
    bool Assign(uint8_t flags, uint16_t key, uint16_t command);

    const std::vector<KeyRecord>& Records() const { return records; }
    std::vector<KeyRecord>& Records() { return records; }

private:
    std::vector<KeyRecord> records;
};

#include "settings/CKeyTable.h"

#include "settings/CommandIds.h"

#include <cstdio>

std::vector<KeyRecord> CKeyTable::DefaultTable() {
    const uint8_t ctrl = KeyRecord::kVirtKey | KeyRecord::kControl;
    const uint8_t shift = KeyRecord::kVirtKey | KeyRecord::kShift;
    return {
        {KeyRecord::kVirtKey, 0x70, ID_HELP}, // F1
        {ctrl, 0x2D, ID_COPY},                // Ctrl+Ins
        {ctrl, 'C', ID_COPY},                 //
        {shift, 0x2D, ID_PASTE},              // Shift+Ins
        {ctrl, 'V', ID_PASTE},                //
        {ctrl, 'X', ID_CUT},                  //
        {ctrl, 'Z', ID_UNDO},                 //
        {ctrl, 'O', ID_FILE_OPEN},            //
        {ctrl, 'S', ID_FILE_SAVE},            //
        {ctrl, 0x24, ID_JUMP_TOP},            // Ctrl+Home
        {ctrl, 0x23, ID_JUMP_END},            // Ctrl+End
        {ctrl, 'N', ID_SEARCH_BACKWARD},      //
        {ctrl, 'P', ID_SEARCH_FORWARD},       //
        {ctrl, 'F', ID_SEARCH},               //
        {ctrl, 'R', ID_REPLACE},              //
        {ctrl, 'J', ID_JUMP_TO},              //
    };
}

std::string CKeyTable::BaseKeyName(uint16_t key) {
    switch (key) {
    case 0x21:
        return "Page Up";
    case 0x22:
        return "Page Down";
    case 0x23:
        return "End";
    case 0x24:
        return "Home";
    case 0x25:
        return "Left";
    case 0x26:
        return "Up";
    case 0x27:
        return "Right";
    case 0x28:
        return "Down";
    case 0x29:
        return "Select";
    case 0x2A:
        return "Print";
    case 0x2B:
        return "Execute";
    case 0x2D:
        return "Ins";
    case 0x2E:
        return "Del";
    case 0x2F:
        return "Help";
    case 0x90:
        return "Numlock";
    case 0x91:
        return "Scroll";
    default:
        break;
    }
    if (key >= 0x60 && key <= 0x69) {
        return "Num " + std::to_string(key - 0x60);
    }
    if (key >= 0x70 && key <= 0x87) {
        return "F" + std::to_string(key - 111);
    }
    // Any other key is named by the character with its code (the low byte, as a key code is 8 bits wide).
    return std::string(1, static_cast<char>(key & 0xFF));
}

std::string CKeyTable::KeyName(uint8_t flags, uint16_t key) {
    std::string name;
    if (flags & KeyRecord::kAlt) {
        name += "Alt+";
    }
    if (flags & KeyRecord::kControl) {
        name += "Ctrl+";
    }
    if (flags & KeyRecord::kShift) {
        name += "Shift+";
    }
    return name + BaseKeyName(key);
}

int CKeyTable::FindByKey(uint8_t flags, uint16_t key) const {
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].flags == flags && records[i].key == key) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::vector<int> CKeyTable::KeysOfCommand(uint16_t command, int limit) const {
    std::vector<int> found;
    for (size_t i = 0; i < records.size() && static_cast<int>(found.size()) < limit; ++i) {
        if (records[i].command == command) {
            found.push_back(static_cast<int>(i));
        }
    }
    return found;
}

std::string CKeyTable::KeyNamesOfCommand(uint16_t command, int limit) const {
    std::string text;
    for (int index : KeysOfCommand(command, limit)) {
        if (!text.empty()) {
            text += ",";
        }
        text += KeyName(records[index].flags, records[index].key);
    }
    return text;
}

uint16_t CKeyTable::CommandForKey(uint8_t flags, uint16_t key) const {
    int index = FindByKey(flags, key);
    return index < 0 ? 0 : records[index].command;
}

std::vector<uint8_t> CKeyTable::AssignableModifiers() {
    const uint8_t v = KeyRecord::kVirtKey;
    const uint8_t s = KeyRecord::kShift;
    const uint8_t c = KeyRecord::kControl;
    const uint8_t a = KeyRecord::kAlt;
    return {v,
            static_cast<uint8_t>(v | s),
            static_cast<uint8_t>(v | c),
            static_cast<uint8_t>(v | a),
            static_cast<uint8_t>(v | c | s),
            static_cast<uint8_t>(v | a | s),
            static_cast<uint8_t>(v | c | a),
            static_cast<uint8_t>(v | c | a | s)};
}

std::vector<uint16_t> CKeyTable::AssignableKeys(uint8_t flags) {
    std::vector<uint16_t> keys;
    if (!(flags & KeyRecord::kVirtKey)) {
        return keys;
    }
    auto range = [&keys](uint16_t first, uint16_t last) {
        for (uint16_t k = first; k <= last; ++k) {
            keys.push_back(k);
        }
    };
    const bool ctrlOrAlt = (flags & (KeyRecord::kControl | KeyRecord::kAlt)) != 0;
    const bool shift = (flags & KeyRecord::kShift) != 0;
    range(0x70, 0x7B); // F1 ... F12
    if (ctrlOrAlt) {
        range('A', 'Z');
        range('0', '9');
        for (uint16_t k : {0x5B, 0x5C, 0x5D, 0x5E, 0x5F, 0x3C, 0x3E, 0x40}) {
            keys.push_back(k);
        }
    }
    if (ctrlOrAlt || shift) {
        for (uint16_t k : {0x2D, 0x24, 0x23, 0x2E}) { // Ins, Home, End, Del
            keys.push_back(k);
        }
    }
    range(0x60, 0x69); // Num 0 ... Num 9
    return keys;
}

bool CKeyTable::Assign(uint8_t flags, uint16_t key, uint16_t command) {
    const int index = FindByKey(flags, key);
    if (index >= 0) {
        if (command == 0) {
            records.erase(records.begin() + index);
            return true;
        }
        if (records[index].command == command) {
            return false;
        }
        records[index].command = command;
        return true;
    }
    if (command == 0) {
        return false;
    }
    records.push_back({flags, key, command});
    return true;
}

#pragma once

#include "settings/KeyRecord.h"

#include <cstdint>
#include <vector>

class QKeyEvent;
class CKeyTable;

// Turns key presses into the key table's terms, modifier flags and a Windows virtual-key code, and back, so
// that a key table written on Windows keeps its bindings here. Letters, digits and function keys keep their
// usual codes, the keypad digits are "Num 0" to "Num 9", and the punctuation keys that can be assigned are
// named by their characters.
class CKeyTranslator {
public:
    // The (flags, key) pairs a key press may stand for, most likely first; empty for keys without a
    // virtual-key code (bare modifiers, most punctuation). A press can stand for more than one: Shift+2 on
    // a US keyboard arrives as "@" and is both the "2" key with Shift and the "@" key; nativeScanCode, when
    // the platform gives one (X11 key codes), tells the physical digit keys apart. Command is 0 in each.
    static std::vector<KeyRecord> Candidates(int qtKey, unsigned int qtModifiers,
                                             unsigned int nativeScanCode = 0);
    static std::vector<KeyRecord> Candidates(const QKeyEvent& event);

    // The first candidate; false when there is none.
    static bool Translate(const QKeyEvent& event, uint8_t& flags, uint16_t& key);
    static bool Translate(int qtKey, unsigned int qtModifiers, uint8_t& flags, uint16_t& key);

    // The command the table binds to a key press (the first candidate that has a record), or 0.
    static uint16_t CommandFor(const CKeyTable& table, const QKeyEvent& event);

    // The other way: the Qt key and modifiers that type a stored combination; false for a key code this
    // platform has no key for.
    static bool ToQtKey(uint8_t flags, uint16_t key, int& qtKey, unsigned int& qtModifiers);
};

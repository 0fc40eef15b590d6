#pragma once

#include <cstdint>

class QKeyEvent;

// Turns a key press into the key table's terms: modifier flags and a virtual-key code. Letters, digits and
// function keys keep their usual codes; the punctuation keys that can be assigned are named by their
// characters.
class CKeyTranslator {
public:
    // False for keys that have no virtual-key code (bare modifiers, most punctuation).
    static bool Translate(const QKeyEvent& event, uint8_t& flags, uint16_t& key);
    static bool Translate(int qtKey, unsigned int qtModifiers, uint8_t& flags, uint16_t& key);
};

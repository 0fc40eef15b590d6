#include "view/CKeyTranslator.h"

#include "settings/CKeyTable.h"

#include <QKeyEvent>
#include <algorithm>

namespace {

struct KeyPair {
    int qtKey;
    uint16_t vk;
};

// Keys whose virtual-key code is not their character. Where one Qt key has two codes, the first is the one
// the Keycode page offers and the second the code a Windows keyboard sends for the same key.
const KeyPair kNamedKeys[] = {
    {Qt::Key_PageUp, 0x21},       {Qt::Key_PageDown, 0x22},    {Qt::Key_End, 0x23},
    {Qt::Key_Home, 0x24},         {Qt::Key_Left, 0x25},        {Qt::Key_Up, 0x26},
    {Qt::Key_Right, 0x27},        {Qt::Key_Down, 0x28},        {Qt::Key_Select, 0x29},
    {Qt::Key_Print, 0x2A},        {Qt::Key_Print, 0x2C},       {Qt::Key_Execute, 0x2B},
    {Qt::Key_Insert, 0x2D},       {Qt::Key_Delete, 0x2E},      {Qt::Key_Help, 0x2F},
    {Qt::Key_NumLock, 0x90},      {Qt::Key_ScrollLock, 0x91},  {Qt::Key_Backspace, 0x08},
    {Qt::Key_Tab, 0x09},          {Qt::Key_Clear, 0x0C},       {Qt::Key_Return, 0x0D},
    {Qt::Key_Enter, 0x0D},        {Qt::Key_Pause, 0x13},       {Qt::Key_Escape, 0x1B},
    {Qt::Key_Space, 0x20},        {Qt::Key_BracketLeft, 0x5B}, {Qt::Key_BracketLeft, 0xDB},
    {Qt::Key_Backslash, 0x5C},    {Qt::Key_Backslash, 0xDC},   {Qt::Key_BracketRight, 0x5D},
    {Qt::Key_BracketRight, 0xDD}, {Qt::Key_Menu, 0x5D},        {Qt::Key_AsciiCircum, 0x5E},
    {Qt::Key_Underscore, 0x5F},   {Qt::Key_Less, 0x3C},        {Qt::Key_Greater, 0x3E},
    {Qt::Key_At, 0x40},           {Qt::Key_Semicolon, 0xBA},   {Qt::Key_Equal, 0xBB},
    {Qt::Key_Comma, 0xBC},        {Qt::Key_Minus, 0xBD},       {Qt::Key_Period, 0xBE},
    {Qt::Key_Slash, 0xBF},        {Qt::Key_QuoteLeft, 0xC0},   {Qt::Key_Apostrophe, 0xDE},
};

// Keypad keys other than the digits (with Qt's keypad modifier).
const KeyPair kKeypadKeys[] = {
    {Qt::Key_Asterisk, 0x6A}, {Qt::Key_Plus, 0x6B},  {Qt::Key_Minus, 0x6D},
    {Qt::Key_Period, 0x6E},   {Qt::Key_Comma, 0x6E}, {Qt::Key_Slash, 0x6F},
};

// The characters Shift gives on the digit keys of a US keyboard, for "1" to "9" and "0".
const int kShiftedDigits[] = {Qt::Key_Exclam,    Qt::Key_At,          Qt::Key_NumberSign, Qt::Key_Dollar,
                              Qt::Key_Percent,   Qt::Key_AsciiCircum, Qt::Key_Ampersand,  Qt::Key_Asterisk,
                              Qt::Key_ParenLeft, Qt::Key_ParenRight};

// X11 key codes of the digit row, "1" to "9" then "0", whatever the keyboard layout.
const unsigned int kFirstDigitScanCode = 10;
const unsigned int kLastDigitScanCode = 19;

uint16_t DigitOfScanCode(unsigned int scanCode) {
    if (scanCode < kFirstDigitScanCode || scanCode > kLastDigitScanCode) {
        return 0;
    }
    const unsigned int n = scanCode - kFirstDigitScanCode + 1;
    return static_cast<uint16_t>(n == 10 ? '0' : '0' + n);
}

uint16_t DigitOfShiftedKey(int qtKey) {
    for (int i = 0; i < 10; ++i) {
        if (kShiftedDigits[i] == qtKey) {
            return static_cast<uint16_t>(i == 9 ? '0' : '1' + i);
        }
    }
    return 0;
}

// Keys the Keycode page names by their own characters; a layout may need Shift to type them.
bool IsCharacterKey(uint16_t vk) {
    return vk == 0x3C || vk == 0x3E || vk == 0x40 || (vk >= 0x5B && vk <= 0x5F);
}

uint8_t FlagsOf(unsigned int mods) {
    uint8_t flags = KeyRecord::kVirtKey;
    if (mods & Qt::ShiftModifier) {
        flags |= KeyRecord::kShift;
    }
    if (mods & Qt::ControlModifier) {
        flags |= KeyRecord::kControl;
    }
    if (mods & Qt::AltModifier) {
        flags |= KeyRecord::kAlt;
    }
    return flags;
}

void Add(std::vector<KeyRecord>& out, uint8_t flags, uint16_t vk) {
    if (vk == 0) {
        return;
    }
    const KeyRecord r{flags, vk, 0};
    if (std::find(out.begin(), out.end(), r) == out.end()) {
        out.push_back(r);
    }
}

} // namespace

std::vector<KeyRecord> CKeyTranslator::Candidates(int qtKey, unsigned int mods, unsigned int scanCode) {
    std::vector<KeyRecord> out;
    const uint8_t flags = FlagsOf(mods);
    const bool keypad = (mods & Qt::KeypadModifier) != 0;
    if (keypad && qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        Add(out, flags, static_cast<uint16_t>(0x60 + (qtKey - Qt::Key_0)));
        return out;
    }
    if (keypad) {
        for (const KeyPair& k : kKeypadKeys) {
            if (k.qtKey == qtKey) {
                Add(out, flags, k.vk);
                return out;
            }
        }
    }
    if (!keypad) {
        // The physical digit keys give their digit whatever character the layout puts on them.
        Add(out, flags, DigitOfScanCode(scanCode));
    }
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
        Add(out, flags, static_cast<uint16_t>(qtKey));
    } else if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) {
        Add(out, flags, static_cast<uint16_t>(0x70 + (qtKey - Qt::Key_F1)));
    } else if (qtKey == Qt::Key_Backtab) {
        Add(out, flags, 0x09);
    }
    for (const KeyPair& k : kNamedKeys) {
        if (k.qtKey == qtKey) {
            Add(out, flags, k.vk);
        }
    }
    if (flags & KeyRecord::kShift) {
        Add(out, flags, DigitOfShiftedKey(qtKey));
        // A character that needs Shift on this layout ("<" on a US keyboard) also stands for the key
        // assigned without it.
        const size_t found = out.size();
        for (size_t i = 0; i < found; ++i) {
            if (IsCharacterKey(out[i].key)) {
                Add(out, static_cast<uint8_t>(flags & ~KeyRecord::kShift), out[i].key);
            }
        }
    }
    return out;
}

std::vector<KeyRecord> CKeyTranslator::Candidates(const QKeyEvent& event) {
    return Candidates(event.key(), static_cast<unsigned int>(event.modifiers()), event.nativeScanCode());
}

bool CKeyTranslator::Translate(int qtKey, unsigned int qtModifiers, uint8_t& flags, uint16_t& key) {
    const std::vector<KeyRecord> found = Candidates(qtKey, qtModifiers);
    if (found.empty()) {
        key = 0;
        return false;
    }
    flags = found.front().flags;
    key = found.front().key;
    return true;
}

bool CKeyTranslator::Translate(const QKeyEvent& event, uint8_t& flags, uint16_t& key) {
    const std::vector<KeyRecord> found = Candidates(event);
    if (found.empty()) {
        key = 0;
        return false;
    }
    flags = found.front().flags;
    key = found.front().key;
    return true;
}

uint16_t CKeyTranslator::CommandFor(const CKeyTable& table, const QKeyEvent& event) {
    for (const KeyRecord& candidate : Candidates(event)) {
        const uint16_t command = table.CommandForKey(candidate.flags, candidate.key);
        if (command != 0) {
            return command;
        }
    }
    return 0;
}

bool CKeyTranslator::ToQtKey(uint8_t flags, uint16_t key, int& qtKey, unsigned int& qtModifiers) {
    qtModifiers = 0;
    if (flags & KeyRecord::kShift) {
        qtModifiers |= Qt::ShiftModifier;
    }
    if (flags & KeyRecord::kControl) {
        qtModifiers |= Qt::ControlModifier;
    }
    if (flags & KeyRecord::kAlt) {
        qtModifiers |= Qt::AltModifier;
    }
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
        qtKey = key;
        return true;
    }
    if (key >= 0x70 && key <= 0x87) {
        qtKey = Qt::Key_F1 + (key - 0x70);
        return true;
    }
    if (key >= 0x60 && key <= 0x69) {
        qtKey = Qt::Key_0 + (key - 0x60);
        qtModifiers |= Qt::KeypadModifier;
        return true;
    }
    for (const KeyPair& k : kKeypadKeys) {
        if (k.vk == key) {
            qtKey = k.qtKey;
            qtModifiers |= Qt::KeypadModifier;
            return true;
        }
    }
    for (const KeyPair& k : kNamedKeys) {
        if (k.vk == key) {
            qtKey = k.qtKey;
            return true;
        }
    }
    qtKey = 0;
    return false;
}

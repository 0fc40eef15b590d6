#include "view/CKeyTranslator.h"

#include "settings/KeyRecord.h"

#include <QKeyEvent>

namespace {

uint16_t VirtualKey(int qtKey, bool keypad) {
    if (keypad && qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        return static_cast<uint16_t>(0x60 + (qtKey - Qt::Key_0));
    }
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
        return static_cast<uint16_t>(qtKey);
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) {
        return static_cast<uint16_t>(0x70 + (qtKey - Qt::Key_F1));
    }
    switch (qtKey) {
    case Qt::Key_PageUp:
        return 0x21;
    case Qt::Key_PageDown:
        return 0x22;
    case Qt::Key_End:
        return 0x23;
    case Qt::Key_Home:
        return 0x24;
    case Qt::Key_Left:
        return 0x25;
    case Qt::Key_Up:
        return 0x26;
    case Qt::Key_Right:
        return 0x27;
    case Qt::Key_Down:
        return 0x28;
    case Qt::Key_Select:
        return 0x29;
    case Qt::Key_Print:
        return 0x2A;
    case Qt::Key_Execute:
        return 0x2B;
    case Qt::Key_Insert:
        return 0x2D;
    case Qt::Key_Delete:
        return 0x2E;
    case Qt::Key_Help:
        return 0x2F;
    case Qt::Key_NumLock:
        return 0x90;
    case Qt::Key_ScrollLock:
        return 0x91;
    case Qt::Key_Backspace:
        return 0x08;
    case Qt::Key_Tab:
        return 0x09;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 0x0D;
    case Qt::Key_Escape:
        return 0x1B;
    case Qt::Key_Space:
        return 0x20;
    case Qt::Key_BracketLeft:
        return 0x5B;
    case Qt::Key_Backslash:
        return 0x5C;
    case Qt::Key_BracketRight:
        return 0x5D;
    case Qt::Key_AsciiCircum:
        return 0x5E;
    case Qt::Key_Underscore:
        return 0x5F;
    case Qt::Key_Less:
        return 0x3C;
    case Qt::Key_Greater:
        return 0x3E;
    case Qt::Key_At:
        return 0x40;
    default:
        return 0;
    }
}

} // namespace

bool CKeyTranslator::Translate(int qtKey, unsigned int qtModifiers, uint8_t& flags, uint16_t& key) {
    key = VirtualKey(qtKey, (qtModifiers & Qt::KeypadModifier) != 0);
    if (key == 0) {
        return false;
    }
    flags = KeyRecord::kVirtKey;
    if (qtModifiers & Qt::ShiftModifier) {
        flags |= KeyRecord::kShift;
    }
    if (qtModifiers & Qt::ControlModifier) {
        flags |= KeyRecord::kControl;
    }
    if (qtModifiers & Qt::AltModifier) {
        flags |= KeyRecord::kAlt;
    }
    return true;
}

bool CKeyTranslator::Translate(const QKeyEvent& event, uint8_t& flags, uint16_t& key) {
    return Translate(event.key(), static_cast<unsigned int>(event.modifiers()), flags, key);
}

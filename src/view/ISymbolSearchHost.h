#pragma once

#include <string>

// What the symbol search dialog needs from the main window: the search itself, the two jumps, the cursor
// mark shown while the dialog has the focus, and the UI language.
class ISymbolSearchHost {
public:
    virtual ~ISymbolSearchHost() = default;

    // 0 Japanese, 1 English.
    virtual int Language() const = 0;
    // Searches the symbol names from the current pane's cursor (direction 1 towards the end, -1 towards the
    // start; flags bit 0 case-sensitive, bit 1 partial match) for text (code page 932) and, when a symbol is
    // found, moves the cursor to its first byte. True when found.
    virtual bool FindSymbol(int direction, const std::string& text, int flags) = 0;
    // The window's Jump Top and Jump End commands.
    virtual void JumpTop() = 0;
    virtual void JumpEnd() = 0;
    // Shows the dialog cursor mark at the cursor (or removes it) and repaints.
    virtual void ShowDialogCursorMark(bool shown) = 0;
};

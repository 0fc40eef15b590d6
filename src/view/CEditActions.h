#pragma once

#include "data/CEditCommands.h"

#include <QString>
#include <cstdint>

class CMainFrame;

// The editing, navigation and mark commands of the main window: they ask the user what must be asked, call
// the GUI-free commands on the data store, and move the cursor, repaint and refresh the bars afterwards.
class CEditActions {
public:
    explicit CEditActions(CMainFrame& frame);

    void TypeText(const QString& text);
    void DeleteKey();
    void Backspace();
    void Write();
    void OpenWriteDialogAt(uint64_t offset);
    void Cut();
    void Copy();
    void Paste();
    void SelectAll();
    void JumpTo();
    void OffsetJump(int width, bool relative);
    void ToggleMark();
    void NextMark();
    void PrevMark();
    void RemoveAllMarks();

    // Enabling conditions of the commands.
    bool CanWrite() const;
    bool CanPaste() const;
    bool CanCopy() const;
    bool HasData() const;

private:
    EditOptions Options() const;
    void Apply(const EditResult& result);
    void MoveCursor(uint64_t offset);
    bool CopySelection();

    CMainFrame& frame;
};

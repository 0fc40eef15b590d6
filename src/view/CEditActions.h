#pragma once

#include "data/CEditCommands.h"

#include <QString>
#include <cstdint>
#include <string>

class CMainFrame;

// The editing, navigation and mark commands of the main window: they ask the user what must be asked, call
// the GUI-free commands on the data store, and move the cursor, repaint and refresh the bars afterwards.
class CEditActions {
public:
    // The longest clipboard text Copy builds (1 GiB); a selection whose text would be longer is refused.
    static constexpr uint64_t kDefaultCopyTextLimit = uint64_t{1} << 30;
    static void SetCopyTextLimit(uint64_t bytes);

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
    // The selected bytes into the copy block just acquired, a piece at a time; false when cancelled.
    bool FillCopyBlock(uint64_t start, uint64_t count, const CopyTextProgress& progress);
    // The code page 932 text as the clipboard's text; false when cancelled or when memory runs out.
    static bool ToClipboardText(const std::string& text, QString& out, const CopyTextProgress& progress);

    CMainFrame& frame;
};

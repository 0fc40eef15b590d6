#pragma once

#include "data/CDllSource.h"
#include "data/CRecentFiles.h"
#include "data/CUndoManager.h"
#include "data/DataMessage.h"
#include "data/DataSourceSettings.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CDataStoreListener;

// Cursor and selection of one view pane. No selection when selAnchor == selEnd.
struct PaneSelection {
    uint64_t cursor = 0;
    uint64_t selAnchor = 0;
    uint64_t selEnd = 0;
    bool HasSelection() const { return selAnchor != selEnd; }
};

// The edited bytes and where they come from: a file held in memory (or read from disk on demand), a user
// library, or another program's shared memory block. Every look at or change of the data goes through
// GetDataSize, ReadData, WriteData, InsertData and DeleteData; changes in file mode are recorded in the undo
// history, move the marks and the other pane's cursor, and are announced to the listener. Failures are
// return values; the operations that may need a message box return the messages to show.
class CDataStore {
public:
    enum Mode : int32_t { kModeFile = 0, kModeDll = 1, kModeSharedMemory = 2 };
    static constexpr int32_t kAccessView = 1;
    static constexpr int32_t kAccessDirect = 2;
    static constexpr int32_t kOptionDynamicMarkOff = 1 << 5;
    static constexpr uint64_t kInitialCapacity = 1024;
    static constexpr uint64_t kMinimumGrowth = 1024;

    // Starts in file mode with an empty 1024-byte block.
    CDataStore();
    ~CDataStore();
    CDataStore(const CDataStore&) = delete;
    CDataStore& operator=(const CDataStore&) = delete;

    void SetListener(CDataStoreListener* listener) { listener_ = listener; }

    // --- the six data operations ---
    uint64_t GetDataSize() const;
    uint64_t ReadData(uint64_t offset, unsigned char* destination, uint64_t length) const;
    uint64_t WriteData(uint64_t offset, const unsigned char* source, uint64_t length, int recordUndo,
                       int linkToPrevious);
    int InsertData(uint64_t offset, const unsigned char* source, uint64_t count, int recordUndo,
                   int linkToPrevious);
    int DeleteData(uint64_t offset, uint64_t count, int recordUndo, int linkToPrevious);
    void SetModified(int flag);

    // --- undo and redo ---
    // Replays one step backwards (forwards); lastOffset receives the offset of the last change applied, for
    // the caller to put the cursor there. False when there was nothing to replay.
    bool Undo(uint64_t& lastOffset);
    bool Redo(uint64_t& lastOffset);
    bool CanUndo() const { return undo_.UndoCount() >= 1; }
    bool CanRedo() const { return undo_.RedoCount() >= 1; }
    void SetUndoLimit(uint64_t bytes);
    const CUndoManager& UndoHistory() const { return undo_; }
    // The undo pane: the percentage (shown with no decimals) and whether it is drawn white on red.
    double UndoUsagePercent() const { return undo_.UsagePercent(); }
    bool UndoPaneRed() const { return undo_.Trimmed() != 0; }
    // True once after a change too large to be recorded took its whole undo step with it; reading clears it.
    bool TakeUndoStepDropped() { return undo_.TakeStepDropped(); }

    // --- file commands (the caller asks "Save changes ?" before NewBuffer and OpenFile) ---
    void NewBuffer();
    DataOutcome OpenFile(const std::string& path);
    // Writes the whole data of the current source to path; no state changes.
    bool SaveFile(const std::string& path) const;
    // Save: file mode with a path only; clears the modified flag on success, else "cannot write".
    DataOutcome Save();
    // Save As after the dialog: on success a file-mode path becomes the file path and the flag is cleared.
    DataOutcome SaveAs(const std::string& path);
    bool CanSave() const { return mode_ == kModeFile && !filePath_.empty() && modified_ != 0; }

    // --- data sources ---
    // Applies a mode chosen in the options (also when unchanged). The caller starts or stops the refresh
    // timer: it runs while NeedsRefresh() is true.
    DataOutcome AttachSource(int32_t mode);
    // Reloads the configured library (DLL mode).
    DataOutcome LoadDll();
    bool NeedsRefresh() const { return mode_ == kModeDll || mode_ == kModeSharedMemory; }
    const CDllSource& Library() const { return dll_; }

    // --- state ---
    int32_t Mode() const { return mode_; }
    // The source the mode panes show: the mode, or -1 while DLL mode has no library (nothing is attached).
    int32_t AttachedSource() const { return mode_ == kModeDll && !dll_.IsLoaded() ? -1 : mode_; }
    int32_t AccessFlags() const { return accessFlags_; }
    bool IsModified() const { return modified_ != 0; }
    const std::string& FilePath() const { return filePath_; }
    bool HasDataBlock() const { return data_ != nullptr; }
    uint64_t DataCapacity() const { return dataCapacity_; }
    // Direct read access to the file-mode block for fast scans; null when absent.
    const unsigned char* DataBlock() const { return data_.get(); }
    bool CanInsertOrDelete() const { return mode_ == kModeFile && data_ && accessFlags_ == 0; }

    const DataSourceSettings& Settings() const { return settings_; }
    // New settings apply to the next access; the DLL is reloaded only by AttachSource or LoadDll.
    void SetSettings(const DataSourceSettings& settings) { settings_ = settings; }
    int32_t OptionFlags() const { return optionFlags_; }
    void SetOptionFlags(int32_t flags) { optionFlags_ = flags; }

    PaneSelection& Pane(int index) { return panes_[index == 1 ? 1 : 0]; }
    const PaneSelection& Pane(int index) const { return panes_[index == 1 ? 1 : 0]; }
    int CurrentPane() const { return currentPane_; }
    void SetCurrentPane(int pane) { currentPane_ = pane == 1 ? 1 : 0; }
    bool IsSplit() const { return split_; }
    void SetSplit(bool split) { split_ = split; }

    // --- marks: ascending 32-bit offsets without duplicates ---
    const std::vector<uint32_t>& Marks() const { return marks_; }
    // False when the offset is already marked or does not fit the 32-bit list.
    bool AddMark(uint64_t offset);
    bool RemoveMark(uint64_t offset);
    void ClearMarks();
    void ShiftMarks(bool insertion, uint64_t position, uint64_t count);

    CRecentFiles& RecentFiles() { return recentFiles_; }
    const CRecentFiles& RecentFiles() const { return recentFiles_; }

private:
    uint64_t ReadFileMode(uint64_t offset, unsigned char* destination, uint64_t length) const;
    bool GrowFor(uint64_t count);
    void ShiftOtherPane(bool insertion, uint64_t position, uint64_t count);
    void ReleaseBlock();
    void ResetView();
    void NotifyBytes(uint64_t offset, uint64_t length);
    void NotifySize();
    void NotifyUndo();
    void NotifyMarks();
    void NotifySource();
    bool Replay(bool redo, uint64_t& lastOffset);
    void ApplyUndoRecord(const UndoChange& change);
    void ApplyRedoRecord(const UndoChange& change);
    void ClampCursors();

    CDataStoreListener* listener_ = nullptr;
    int32_t mode_ = kModeFile;
    std::unique_ptr<unsigned char[]> data_;
    uint64_t dataSize_ = 0;
    uint64_t dataCapacity_ = 0;
    std::string filePath_;
    int32_t modified_ = 0;
    int32_t accessFlags_ = 0;
    int32_t optionFlags_ = 0;
    DataSourceSettings settings_;
    CDllSource dll_;
    PaneSelection panes_[2];
    int currentPane_ = 0;
    bool split_ = false;
    std::vector<uint32_t> marks_;
    CUndoManager undo_;
    CRecentFiles recentFiles_;
};

#include "data/CDataStore.h"

#include "data/CDataStoreListener.h"
#include "data/CFileLoader.h"
#include "data/CSharedMemorySource.h"
#include "platform/SafeFileWriter.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

std::unique_ptr<unsigned char[]> ZeroedBlock(uint64_t size) {
    if (size > SIZE_MAX) {
        return nullptr;
    }
    return std::unique_ptr<unsigned char[]>(new (std::nothrow) unsigned char[size]());
}

bool Overlaps(const unsigned char* pointer, const unsigned char* block, uint64_t blockSize) {
    return block != nullptr && pointer >= block && pointer < block + blockSize;
}

} // namespace

CDataStore::CDataStore() {
    data_ = ZeroedBlock(kInitialCapacity);
    dataCapacity_ = data_ ? kInitialCapacity : 0;
}

CDataStore::~CDataStore() = default;

// ---------------------------------------------------------------------------------------------------------
// The six data operations

uint64_t CDataStore::GetDataSize() const {
    switch (mode_) {
    case kModeFile:
        return dataSize_;
    case kModeDll:
        // Without a library there are no bytes to show: no size over a blank view.
        return dll_.IsLoaded() ? settings_.dllMemorySize : 0;
    case kModeSharedMemory:
        return settings_.mmfMemorySize;
    default:
        return 0;
    }
}

uint64_t CDataStore::ReadFileMode(uint64_t offset, unsigned char* destination, uint64_t length) const {
    if (offset >= dataSize_) {
        return 0;
    }
    uint64_t count = std::min(length, dataSize_ - offset);
    if (data_) {
        std::memcpy(destination, data_.get() + offset, count);
        return count;
    }
    if ((accessFlags_ & kAccessDirect) && !filePath_.empty()) {
        return CFileLoader::ReadRange(filePath_, offset, destination, count);
    }
    return 0;
}

uint64_t CDataStore::ReadData(uint64_t offset, unsigned char* destination, uint64_t length) const {
    if (destination == nullptr || length == 0) {
        return 0;
    }
    switch (mode_) {
    case kModeFile:
        return ReadFileMode(offset, destination, length);
    case kModeDll:
        return dll_.Read(offset, destination, length, settings_.dllMemorySize);
    case kModeSharedMemory:
        return CSharedMemorySource(settings_.mmfName, settings_.mutexName, settings_.mmfMemorySize)
            .Read(offset, destination, length);
    default:
        return 0;
    }
}

uint64_t CDataStore::WriteData(uint64_t offset, const unsigned char* source, uint64_t length, int recordUndo,
                               int linkToPrevious) {
    if (source == nullptr || length == 0) {
        return 0;
    }
    uint64_t written = 0;
    if (mode_ == kModeFile) {
        if (!data_ || offset >= dataSize_) {
            return 0;
        }
        written = std::min(length, dataSize_ - offset);
        if (recordUndo) {
            UndoChange change;
            change.kind = UndoChange::Overwrite;
            change.offset = offset;
            change.first = data_.get() + offset;
            change.second = source;
            change.count = written;
            undo_.AddUndoRecord(change, linkToPrevious);
        }
        std::memmove(data_.get() + offset, source, written);
        SetModified(1);
        if (recordUndo) {
            NotifyUndo();
        }
    } else if (mode_ == kModeDll) {
        written = dll_.Write(offset, source, length, settings_.dllMemorySize);
    } else if (mode_ == kModeSharedMemory) {
        written = CSharedMemorySource(settings_.mmfName, settings_.mutexName, settings_.mmfMemorySize)
                      .Write(offset, source, length);
    }
    if (written > 0) {
        NotifyBytes(offset, written);
    }
    return written;
}

bool CDataStore::GrowFor(uint64_t count) {
    if (dataSize_ + count <= dataCapacity_) {
        return true;
    }
    uint64_t increment = std::max(kMinimumGrowth, dataSize_ + count - dataCapacity_);
    if (increment > UINT64_MAX - dataCapacity_) {
        return false;
    }
    std::unique_ptr<unsigned char[]> grown = ZeroedBlock(dataCapacity_ + increment);
    if (!grown) {
        return false;
    }
    std::memcpy(grown.get(), data_.get(), dataSize_);
    data_ = std::move(grown);
    dataCapacity_ += increment;
    return true;
}

int CDataStore::InsertData(uint64_t offset, const unsigned char* source, uint64_t count, int recordUndo,
                           int linkToPrevious) {
    if (!CanInsertOrDelete() || offset > dataSize_ || (source == nullptr && count > 0) ||
        count > UINT64_MAX - dataSize_) {
        return 0;
    }
    // Bytes taken from the block itself would move or be freed under the copy.
    std::vector<unsigned char> ownCopy;
    if (count > 0 && Overlaps(source, data_.get(), dataCapacity_)) {
        ownCopy.assign(source, source + count);
        source = ownCopy.data();
    }
    if (!GrowFor(count)) {
        return 0;
    }
    if (recordUndo) {
        UndoChange change;
        change.kind = UndoChange::Insert;
        change.offset = offset;
        change.first = source;
        change.count = count;
        undo_.AddUndoRecord(change, linkToPrevious);
    }
    unsigned char* at = data_.get() + offset;
    std::memmove(at + count, at, dataSize_ - offset);
    if (count > 0) {
        std::memcpy(at, source, count);
    }
    dataSize_ += count;
    SetModified(1);
    if (!(optionFlags_ & kOptionDynamicMarkOff)) {
        ShiftMarks(true, offset, count);
    }
    if (split_) {
        ShiftOtherPane(true, offset, count);
    }
    if (recordUndo) {
        NotifyUndo();
    }
    NotifyBytes(offset, dataSize_ - offset);
    NotifySize();
    return 1;
}

int CDataStore::DeleteData(uint64_t offset, uint64_t count, int recordUndo, int linkToPrevious) {
    if (!CanInsertOrDelete() || offset > dataSize_ || count > dataSize_ - offset) {
        return 0;
    }
    if (recordUndo) {
        UndoChange change;
        change.kind = UndoChange::Delete;
        change.offset = offset;
        change.first = data_.get() + offset;
        change.count = count;
        undo_.AddUndoRecord(change, linkToPrevious);
    }
    unsigned char* at = data_.get() + offset;
    std::memmove(at, at + count, dataSize_ - offset - count);
    uint64_t oldSize = dataSize_;
    dataSize_ -= count;
    // Bytes beyond the size stay zero, as the block's spare room always is.
    std::memset(data_.get() + dataSize_, 0, count);
    SetModified(1);
    if (!(optionFlags_ & kOptionDynamicMarkOff)) {
        ShiftMarks(false, offset, count);
    }
    if (split_) {
        ShiftOtherPane(false, offset, count);
    }
    if (recordUndo) {
        NotifyUndo();
    }
    NotifyBytes(offset, oldSize - offset);
    NotifySize();
    return 1;
}

void CDataStore::SetModified(int flag) {
    int32_t value = flag ? 1 : 0;
    if (value == modified_) {
        return;
    }
    modified_ = value;
    if (listener_) {
        listener_->OnModifiedChanged(modified_ != 0);
    }
}

void CDataStore::ShiftOtherPane(bool insertion, uint64_t position, uint64_t count) {
    PaneSelection& other = panes_[1 - currentPane_];
    auto shift = [&](uint64_t& value) {
        if (value < position) {
            return;
        }
        if (insertion) {
            value += count;
        } else {
            value = value <= position + count ? position : value - count;
        }
    };
    bool selected = other.HasSelection();
    shift(other.cursor);
    if (selected) {
        shift(other.selAnchor);
        shift(other.selEnd);
    } else {
        // Without a selection both ends stay on the cursor.
        other.selAnchor = other.cursor;
        other.selEnd = other.cursor;
    }
}

// ---------------------------------------------------------------------------------------------------------
// Undo and redo

void CDataStore::SetUndoLimit(uint64_t bytes) {
    undo_.SetUndoLimit(bytes);
    NotifyUndo();
}

void CDataStore::ApplyUndoRecord(const UndoChange& change) {
    switch (change.kind) {
    case UndoChange::Insert:
        DeleteData(change.offset, change.count, 0, 0);
        break;
    case UndoChange::Delete:
        InsertData(change.offset, change.first, change.count, 0, 0);
        break;
    case UndoChange::Overwrite:
        WriteData(change.offset, change.first, change.count, 0, 0);
        break;
    }
}

void CDataStore::ApplyRedoRecord(const UndoChange& change) {
    switch (change.kind) {
    case UndoChange::Insert:
        InsertData(change.offset, change.first, change.count, 0, 0);
        break;
    case UndoChange::Delete:
        DeleteData(change.offset, change.count, 0, 0);
        break;
    case UndoChange::Overwrite:
        WriteData(change.offset, change.second, change.count, 0, 0);
        break;
    }
}

bool CDataStore::Undo(uint64_t& lastOffset) {
    return Replay(false, lastOffset);
}

bool CDataStore::Redo(uint64_t& lastOffset) {
    return Replay(true, lastOffset);
}

// Replays one step: records linked to each other are applied together.
bool CDataStore::Replay(bool redo, uint64_t& lastOffset) {
    bool applied = false;
    UndoChange change;
    int linked = 0;
    while (redo ? undo_.TakeRedoRecord(change, linked, 1) : undo_.TakeUndoRecord(change, linked, 1)) {
        if (redo) {
            ApplyRedoRecord(change);
        } else {
            ApplyUndoRecord(change);
        }
        lastOffset = change.offset;
        applied = true;
        if (!linked) {
            break;
        }
    }
    if (applied) {
        NotifyUndo();
    }
    return applied;
}

// ---------------------------------------------------------------------------------------------------------
// File commands

void CDataStore::ReleaseBlock() {
    data_.reset();
    dataSize_ = 0;
    dataCapacity_ = 0;
}

void CDataStore::ResetView() {
    panes_[0] = PaneSelection();
    panes_[1] = PaneSelection();
    currentPane_ = 0;
    split_ = false;
}

void CDataStore::NewBuffer() {
    ReleaseBlock();
    data_ = ZeroedBlock(kInitialCapacity);
    dataCapacity_ = data_ ? kInitialCapacity : 0;
    dll_.Unload();
    mode_ = kModeFile;
    accessFlags_ = 0;
    SetModified(0);
    marks_.clear();
    ResetView();
    undo_.ResetUndo();
    filePath_.clear();
    NotifySource();
}

DataOutcome CDataStore::OpenFile(const std::string& path) {
    DataOutcome outcome;
    CFileLoader::Result loaded = CFileLoader::Load(path, settings_.maxFileSizeForMemory);
    outcome.notices = std::move(loaded.notices);
    if (!loaded.success) {
        recentFiles_.Remove(path);
        return outcome;
    }
    filePath_ = path;
    data_ = std::move(loaded.block);
    dataSize_ = loaded.size;
    dataCapacity_ = loaded.capacity;
    accessFlags_ = loaded.accessFlags;
    mode_ = kModeFile;
    SetModified(0);
    marks_.clear();
    ResetView();
    undo_.ResetUndo();
    recentFiles_.Add(path);
    outcome.success = true;
    NotifySource();
    return outcome;
}

bool CDataStore::SaveFile(const std::string& path) const {
    if (mode_ == kModeFile) {
        return data_ && SafeFileWriter::Write(path, data_.get(), dataSize_);
    }
    uint64_t size = GetDataSize();
    std::unique_ptr<unsigned char[]> bytes = ZeroedBlock(size == 0 ? 1 : size);
    if (!bytes) {
        return false;
    }
    ReadData(0, bytes.get(), size);
    return SafeFileWriter::Write(path, bytes.get(), size);
}

DataOutcome CDataStore::Save() {
    DataOutcome outcome;
    if (mode_ != kModeFile || filePath_.empty()) {
        return outcome;
    }
    if (!SaveFile(filePath_)) {
        outcome.notices.push_back({DataMessage::CannotWrite, std::string()});
        return outcome;
    }
    SetModified(0);
    outcome.success = true;
    return outcome;
}

DataOutcome CDataStore::SaveAs(const std::string& path) {
    DataOutcome outcome;
    if (!SaveFile(path)) {
        outcome.notices.push_back({DataMessage::CannotWrite, std::string()});
        return outcome;
    }
    if (mode_ == kModeFile && filePath_ != path) {
        filePath_ = path;
        NotifySource();
    }
    SetModified(0);
    outcome.success = true;
    return outcome;
}

// ---------------------------------------------------------------------------------------------------------
// Data sources

DataOutcome CDataStore::LoadDll() {
    return dll_.Load(settings_.dllFileName, settings_.readFuncName, settings_.writeFuncName);
}

DataOutcome CDataStore::AttachSource(int32_t mode) {
    DataOutcome outcome;
    int32_t previous = mode_;
    mode_ = mode;
    if (mode == kModeDll) {
        ReleaseBlock();
        outcome = LoadDll();
    } else {
        dll_.Unload();
        if (mode == kModeSharedMemory) {
            ReleaseBlock();
        }
    }
    if (mode != previous && !marks_.empty()) {
        marks_.clear();
        NotifyMarks();
    }
    ClampCursors();
    outcome.success = mode != kModeDll || dll_.IsLoaded();
    NotifySource();
    return outcome;
}

void CDataStore::ClampCursors() {
    uint64_t size = GetDataSize();
    for (PaneSelection& pane : panes_) {
        pane.cursor = std::min(pane.cursor, size);
        pane.selAnchor = std::min(pane.selAnchor, size);
        pane.selEnd = std::min(pane.selEnd, size);
    }
}

// ---------------------------------------------------------------------------------------------------------
// Marks

bool CDataStore::AddMark(uint64_t offset) {
    if (offset > UINT32_MAX) {
        return false;
    }
    auto value = static_cast<uint32_t>(offset);
    auto at = std::lower_bound(marks_.begin(), marks_.end(), value);
    if (at != marks_.end() && *at == value) {
        return false;
    }
    marks_.insert(at, value);
    NotifyMarks();
    return true;
}

bool CDataStore::RemoveMark(uint64_t offset) {
    if (offset > UINT32_MAX) {
        return false;
    }
    auto at = std::lower_bound(marks_.begin(), marks_.end(), static_cast<uint32_t>(offset));
    if (at == marks_.end() || *at != offset) {
        return false;
    }
    marks_.erase(at);
    NotifyMarks();
    return true;
}

void CDataStore::ClearMarks() {
    if (!marks_.empty()) {
        marks_.clear();
        NotifyMarks();
    }
}

void CDataStore::ShiftMarks(bool insertion, uint64_t position, uint64_t count) {
    if (count == 0 || position > UINT32_MAX) {
        return;
    }
    auto first = std::lower_bound(marks_.begin(), marks_.end(), static_cast<uint32_t>(position));
    if (first == marks_.end()) {
        return;
    }
    if (insertion) {
        // Marks pushed past the 32-bit range cannot be held any more and are dropped.
        auto kept = first;
        for (auto it = first; it != marks_.end(); ++it) {
            uint64_t moved = static_cast<uint64_t>(*it) + count;
            if (moved <= UINT32_MAX) {
                *kept++ = static_cast<uint32_t>(moved);
            }
        }
        marks_.erase(kept, marks_.end());
    } else {
        uint64_t end = position + count;
        auto kept = first;
        for (auto it = first; it != marks_.end(); ++it) {
            if (*it >= end) {
                *kept++ = static_cast<uint32_t>(*it - count);
            }
        }
        marks_.erase(kept, marks_.end());
    }
    NotifyMarks();
}

// ---------------------------------------------------------------------------------------------------------
// Notifications

void CDataStore::NotifyBytes(uint64_t offset, uint64_t length) {
    if (listener_) {
        listener_->OnBytesChanged(offset, length);
    }
}

void CDataStore::NotifySize() {
    if (listener_) {
        listener_->OnSizeChanged(GetDataSize());
    }
}

void CDataStore::NotifyUndo() {
    if (listener_) {
        listener_->OnUndoChanged();
    }
}

void CDataStore::NotifyMarks() {
    if (listener_) {
        listener_->OnMarksChanged();
    }
}

void CDataStore::NotifySource() {
    if (listener_) {
        listener_->OnSourceChanged();
        listener_->OnSizeChanged(GetDataSize());
        listener_->OnMarksChanged();
        listener_->OnUndoChanged();
    }
}

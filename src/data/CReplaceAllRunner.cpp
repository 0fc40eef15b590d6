#include "data/CReplaceAllRunner.h"

#include "data/CDataStore.h"
#include "data/CDataStoreListener.h"
#include "data/DataSearch.h"

#include <algorithm>
#include <system_error>

namespace {

// The range end after an occurrence at offset of n bytes became lengthInData bytes long. An occurrence may
// start inside the range and run past its end; the range then ends with the replacement, never before its
// start (the plain end + m - n could fall below it and, unsigned, wrap around).
uint64_t MovedRangeEnd(uint64_t rangeEnd, uint64_t offset, uint64_t n, uint64_t lengthInData) {
    uint64_t moved = rangeEnd + lengthInData >= n ? rangeEnd + lengthInData - n : 0;
    return std::max(moved, offset + lengthInData);
}

} // namespace

CReplaceAllRunner::~CReplaceAllRunner() {
    if (running_) {
        RequestStop();
        Finish();
    }
}

bool CReplaceAllRunner::Start(CDataStore& store, const ReplaceAllRequest& request,
                              IReplaceAllObserver* observer, CDataStoreListener* listener) {
    if (running_ || !CanReplaceAll(store, request)) {
        return false;
    }
    store_ = &store;
    listener_ = listener;
    startSize_ = store.GetDataSize();
    rangeStart_ = request.rangeStart;
    result_ = ReplaceAllResult();
    stop_.store(false);
    store.SetListener(nullptr);
    try {
        worker_ = std::thread([this, request, observer]() {
            result_ = Run(*store_, request, stop_, observer);
            if (observer != nullptr) {
                observer->OnReplaceFinished();
            }
        });
    } catch (const std::system_error&) {
        store.SetListener(listener);
        return false;
    }
    running_ = true;
    return true;
}

ReplaceAllResult CReplaceAllRunner::Finish() {
    if (!running_) {
        return result_;
    }
    if (worker_.joinable()) {
        worker_.join();
    }
    running_ = false;
    store_->SetListener(listener_);
    InformListener();
    return result_;
}

void CReplaceAllRunner::InformListener() {
    if (listener_ == nullptr || result_.count == 0) {
        return;
    }
    uint64_t size = store_->GetDataSize();
    uint64_t end = std::max(size, startSize_);
    if (end > rangeStart_) {
        listener_->OnBytesChanged(rangeStart_, end - rangeStart_);
    }
    if (size != startSize_) {
        listener_->OnSizeChanged(size);
    }
    listener_->OnModifiedChanged(store_->IsModified());
    listener_->OnUndoChanged();
    listener_->OnMarksChanged();
}

int CReplaceAllRunner::ProgressPercent(uint64_t position, uint64_t rangeStart, uint64_t rangeEnd) {
    // The range's last byte is rangeEnd - 1; a range of one byte (or none left) counts as done.
    if (rangeEnd <= rangeStart + 1) {
        return 100;
    }
    if (position <= rangeStart) {
        return 0;
    }
    long double done = static_cast<long double>(position - rangeStart) * 100.0L /
                       static_cast<long double>(rangeEnd - 1 - rangeStart);
    return done >= 100.0L ? 100 : static_cast<int>(done);
}

bool CReplaceAllRunner::CanReplaceAll(const CDataStore& store, const ReplaceAllRequest& request) {
    return request.pattern.length == request.replacement.length || store.CanInsertOrDelete();
}

ReplaceAllResult CReplaceAllRunner::Run(CDataStore& store, const ReplaceAllRequest& request,
                                        const std::atomic<bool>& stop, IReplaceAllObserver* observer) {
    ReplaceAllResult result;
    result.rangeEnd = request.rangeEnd;
    if (!CanReplaceAll(store, request)) {
        return result;
    }
    const uint64_t n = request.pattern.length;
    uint64_t position = request.rangeStart;
    uint64_t rangeEnd = request.rangeEnd;
    int lastPercent = -1;
    for (;;) {
        if (stop.load()) {
            result.stopped = true;
            break;
        }
        uint64_t offset = 0;
        if (!FindForward(store, position, request.pattern.bytes, n, offset) || offset >= rangeEnd) {
            break;
        }
        // The first replacement starts the undo step, every later one joins it.
        ReplaceOutcome outcome =
            ReplaceOccurrence(store, offset, request.pattern, request.replacement, result.count == 0 ? 0 : 1);
        ++result.count;
        position = offset + outcome.lengthInData;
        rangeEnd = MovedRangeEnd(rangeEnd, offset, n, outcome.lengthInData);
        int percent = ProgressPercent(position, request.rangeStart, rangeEnd);
        if (percent != lastPercent && observer != nullptr) {
            observer->OnReplaceProgress(percent);
            lastPercent = percent;
        }
    }
    result.rangeEnd = rangeEnd;
    return result;
}

void ApplyReplaceAllResult(CDataStore& store, const ReplaceAllResult& result) {
    uint64_t size = store.GetDataSize();
    PaneSelection& current = store.Pane(store.CurrentPane());
    if (current.HasSelection()) {
        uint64_t start = std::min(current.selAnchor, current.selEnd);
        current.selAnchor = std::min(start, size);
        current.selEnd = std::min(result.rangeEnd, size);
    }
    for (int pane = 0; pane < 2; ++pane) {
        PaneSelection& state = store.Pane(pane);
        state.cursor = std::min(state.cursor, size);
        state.selAnchor = std::min(state.selAnchor, size);
        state.selEnd = std::min(state.selEnd, size);
    }
}

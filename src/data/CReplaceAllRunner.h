#pragma once

#include "data/SearchPattern.h"

#include <atomic>
#include <cstdint>
#include <thread>

class CDataStore;
class CDataStoreListener;

// What to replace and where: occurrences that start in [rangeStart, rangeEnd) are replaced.
struct ReplaceAllRequest {
    SearchPattern pattern;
    SearchPattern replacement;
    uint64_t rangeStart = 0;
    uint64_t rangeEnd = 0;
};

struct ReplaceAllResult {
    uint64_t count = 0;
    // The end of the range after the replacements moved it (exclusive); a selection that covered the range
    // is made to end here so that it still covers the replaced bytes.
    uint64_t rangeEnd = 0;
    bool stopped = false;
};

// Told about a running replace-all. Both calls come from the worker thread: an implementation hands them
// to its own thread (the dialogs post them to the user-interface thread) and must not touch the store.
class IReplaceAllObserver {
public:
    virtual ~IReplaceAllObserver() = default;
    // Whole percent of the range done; sent when it differs from the last one sent.
    virtual void OnReplaceProgress(int percent) = 0;
    // The worker is about to end; call Finish() on the owning thread to collect the result.
    virtual void OnReplaceFinished() = 0;
};

// Replaces every occurrence in a range on a worker thread, as one undo step, until done or stopped.
//
// Thread rules: while the worker runs it alone uses the store. Start() detaches the store's listener, so
// that no notification runs on the worker thread, and Finish() joins the worker, re-attaches the listener
// and tells it once about everything that changed. The owner of the store defers every other read of the
// data (painting, timers, bars) from Start() until Finish() returns: the worker moves bytes and may grow the
// block, and no lock guards it. The store must outlive the runner.
class CReplaceAllRunner {
public:
    CReplaceAllRunner() = default;
    // Stops a running worker after its current occurrence and finishes it.
    ~CReplaceAllRunner();
    CReplaceAllRunner(const CReplaceAllRunner&) = delete;
    CReplaceAllRunner& operator=(const CReplaceAllRunner&) = delete;

    // Starts the worker with its own copy of the request; false when one is already running, the request
    // is refused (CanReplaceAll) or the thread cannot be started. listener is the store's listener to
    // restore at the end (may be null).
    bool Start(CDataStore& store, const ReplaceAllRequest& request, IReplaceAllObserver* observer,
               CDataStoreListener* listener);
    // Asks the worker to end after the occurrence it is replacing; callable from any thread.
    void RequestStop() { stop_.store(true); }
    // True from Start() until Finish().
    bool IsRunning() const { return running_; }
    // Waits for the worker, restores and informs the listener, and returns the result.
    ReplaceAllResult Finish();

    // False when the replacement is longer or shorter than the pattern while the data cannot change its
    // size (a library or shared-memory source): only the overwrites would take effect, and occurrences
    // would be counted as replaced that were not. Replacements of the pattern's length always can run.
    static bool CanReplaceAll(const CDataStore& store, const ReplaceAllRequest& request);
    // The replace-all loop itself, on the calling thread; stop is read between occurrences. A refused
    // request replaces nothing.
    static ReplaceAllResult Run(CDataStore& store, const ReplaceAllRequest& request,
                                const std::atomic<bool>& stop, IReplaceAllObserver* observer);
    // The progress of a run at position, as a whole percent of the range (rangeEnd exclusive).
    static int ProgressPercent(uint64_t position, uint64_t rangeStart, uint64_t rangeEnd);

private:
    void InformListener();

    CDataStore* store_ = nullptr;
    CDataStoreListener* listener_ = nullptr;
    std::thread worker_;
    std::atomic<bool> stop_{false};
    bool running_ = false;
    uint64_t startSize_ = 0;
    uint64_t rangeStart_ = 0;
    ReplaceAllResult result_;
};

// After a replace-all: a selection of the current pane is made to run from its start to the moved range
// end, and cursors and selections that the shrunken data left beyond its end are pulled back.
void ApplyReplaceAllResult(CDataStore& store, const ReplaceAllResult& result);

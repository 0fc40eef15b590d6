#include "view/CSearchRunner.h"

#include "data/DataSearch.h"
#include "view/CDialogTexts.h"
#include "view/CLongTaskProgress.h"

#include <QElapsedTimer>

namespace {
// Chunks of library data are small: the window hears the user this often, not after every chunk.
const qint64 kStepEveryMs = 20;
} // namespace

bool CSearchRunner::FindFromCursor(QWidget* parent, const CDataStore& store, uint64_t cursor,
                                   const SearchPattern& pattern, int direction, uint64_t& offset) {
    CLongTaskProgress task(parent, CDialogTexts::Label(T_DLG_SEARCH, "検索"));
    QElapsedTimer sinceStep;
    sinceStep.start();
    const SearchProgress progress = [&](uint64_t scanned, uint64_t total) {
        if (sinceStep.elapsed() < kStepEveryMs) {
            return true;
        }
        sinceStep.restart();
        return task.Step(scanned, total);
    };
    return ::FindFromCursor(store, cursor, pattern, direction, offset, &progress);
}

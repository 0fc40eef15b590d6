#include "view/CSearchController.h"

#include "data/CDataStore.h"
#include "data/DataSearch.h"
#include "data/SearchPattern.h"
#include "view/CRepDlg.h"
#include "view/CSearchRunner.h"
#include "view/CSrcDlg.h"
#include "view/ISearchHost.h"

bool CSearchController::CanSearch(ISearchHost& host) const {
    return host.Store().GetDataSize() != 0;
}

bool CSearchController::CanRepeatSearch(ISearchHost& host) const {
    return CanSearch(host) && !history_.IsEmpty();
}

bool CSearchController::CanReplace(ISearchHost& host) const {
    const CDataStore& store = host.Store();
    return store.GetDataSize() != 0 && (store.Mode() != CDataStore::kModeFile || store.AccessFlags() == 0);
}

void CSearchController::OnSearch(ISearchHost& host) {
    if (!CanSearch(host)) {
        return;
    }
    CSrcDlg dialog(host, history_, host.DialogWindow());
    dialog.exec();
}

bool CSearchController::OnForwardSearch(ISearchHost& host) {
    return RepeatSearch(host, 1);
}

bool CSearchController::OnBackwardSearch(ISearchHost& host) {
    return RepeatSearch(host, -1);
}

bool CSearchController::RepeatSearch(ISearchHost& host, int direction) {
    if (!CanRepeatSearch(host)) {
        return false;
    }
    const SearchHistoryEntry& entry = *history_.First();
    SearchPattern pattern;
    if (BuildSearchPattern(entry.inputType, entry.text, host.LittleEndian(), host.CharSet(), pattern) != 0) {
        return false;
    }
    CDataStore& store = host.Store();
    uint64_t offset = 0;
    if (!CSearchRunner::FindFromCursor(host.DialogWindow(), store, store.Pane(store.CurrentPane()).cursor,
                                       pattern, direction, offset)) {
        return false;
    }
    host.MoveCursorTo(offset);
    return true;
}

void CSearchController::OnReplace(ISearchHost& host) {
    if (!CanReplace(host)) {
        return;
    }
    CRepDlg dialog(host, host.DialogWindow());
    dialog.exec();
}

#include "options/COptionController.h"

#include "options/COptionSheet.h"
#include "settings/CTextTable.h"
#include "view/CDataView.h"
#include "view/CMainFrame.h"
#include "view/CSymbolController.h"

#include <QDialog>

COptionController::COptionController(CMainFrame& frame) : frame(frame) {
    sheetRunner = [](COptionSheet& sheet) { return sheet.exec(); };
}

COptionValues COptionController::CurrentValues() const {
    COptionValues values = COptionValues::FromSettings(frame.Settings());
    // The font's description as it is in use: the face shown may differ from the one stored.
    values.font.faceName = LogFont::FitFaceName(frame.DisplayFont().family().toStdString());
    return values;
}

void COptionController::OnOption() {
    COptionSheet sheet(CurrentValues(), frame.Prompt(), &frame);
    QObject::connect(&sheet, &COptionSheet::HelpRequested, &frame, [this] { frame.Scripts().OnHelp(); });
    if (sheetRunner(sheet) != QDialog::Accepted) {
        return;
    }
    Apply(sheet.Values());
}

void COptionController::Apply(const COptionValues& v) {
    KivranSettings& s = frame.Settings();
    const int previousMode = frame.Store().Mode();

    // 1. Colours and the display font, measured again.
    s.textColor = v.textColor;
    s.bkColor = v.bkColor;
    s.displayFont = v.font;
    frame.SetDisplayFont(s.displayFont);

    // 2. The data source's settings.
    s.mode = v.mode;
    s.dllFileName = v.dllFileName;
    s.readFuncName = v.readFuncName;
    s.writeFuncName = v.writeFuncName;
    s.dllMemorySize = v.dllMemorySize;
    s.dllSymbolFile = v.dllSymbolFile;
    s.mmfName = v.mmfName;
    s.mutexName = v.mutexName;
    s.mmfMemorySize = v.mmfMemorySize;
    s.mmfSymbolFile = v.mmfSymbolFile;
    s.elapse = v.elapse;

    // 3. The size limits; the undo history takes its new limit.
    s.maxFileSizeForMemory = v.maxFileSizeForMemory;
    s.maxUndoSize = v.maxUndoSize;

    // 4. Option bits, the store of the settings, the macro directory and the strong data.
    s.optionFlags &= ~(COptionValues::kNoDeleteQuestion | COptionValues::kDynamicMarkOff);
    if (!v.messageOnDelete) {
        s.optionFlags |= COptionValues::kNoDeleteQuestion;
    }
    if (!v.dynamicMark) {
        s.optionFlags |= COptionValues::kDynamicMarkOff;
    }
    s.useRegistry = v.useRegistry;
    s.macroDir = v.macroDir;
    s.strongData = v.strongData;
    PassSettingsToStore();
    frame.ShowUndoPane();

    // 5. and 6. The source attached again for the chosen mode; marks and different data go with a change.
    AttachSource(previousMode);

    // 7. The float formats.
    frame.SetFloatFormat(frame.FloatWidth(), v.floatPrecision);

    // 8. The key table and the accelerators.
    if (v.keyTableChanged) {
        s.keyTable = v.keyTable;
        frame.BuildAccelerators();
    }

    // 9. Menus and the size and type bar in the language, with the keys' names.
    const bool languageChanged = v.language != CTextTable::Language();
    if (languageChanged || v.keyTableChanged) {
        s.language = v.language == 1 ? 1 : 0;
        CTextTable::SetLanguage(s.language);
        frame.ApplyLanguage();
    }

    // 10. Everything drawn again.
    frame.RefreshStatus();
    frame.DataView()->Relayout();
}

void COptionController::PassSettingsToStore() {
    const KivranSettings& s = frame.Settings();
    auto size = [](int64_t value) { return static_cast<uint64_t>(value < 0 ? 0 : value); };
    DataSourceSettings d;
    d.dllFileName = s.dllFileName;
    d.readFuncName = s.readFuncName;
    d.writeFuncName = s.writeFuncName;
    d.dllMemorySize = size(s.dllMemorySize);
    d.mmfName = s.mmfName;
    d.mutexName = s.mutexName;
    d.mmfMemorySize = size(s.mmfMemorySize);
    d.maxFileSizeForMemory = size(s.maxFileSizeForMemory);
    CDataStore& store = frame.Store();
    store.SetSettings(d);
    store.SetOptionFlags(s.optionFlags);
    store.SetUndoLimit(size(s.maxUndoSize));
}

void COptionController::AttachSource(int previousMode) {
    KivranSettings& s = frame.Settings();
    CDataStore& store = frame.Store();
    const bool modeChanged = s.mode != previousMode;
    // Different data stays meaningful while the source stays the same.
    const CDifferenceList kept = frame.Differences();
    if (s.mode == CDataStore::kModeFile) {
        frame.StopRefreshTimer();
        // A library left loaded by an earlier DLL mode is let go; a file-mode buffer is never touched.
        if (modeChanged || store.Library().IsLoaded()) {
            frame.ShowOutcome(store.AttachSource(CDataStore::kModeFile));
        }
    } else {
        if (s.mode == CDataStore::kModeSharedMemory) {
            s.insertMode = 0;
        }
        frame.ShowOutcome(store.AttachSource(s.mode));
        frame.StartRefreshTimer();
        frame.Scripts().OnSourceAttached();
    }
    if (modeChanged) {
        store.ClearMarks();
        frame.Differences().Clear();
    } else {
        frame.Differences() = kept;
    }
}

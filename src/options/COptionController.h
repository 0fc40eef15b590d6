#pragma once

#include "options/COptionValues.h"

#include <functional>

class CMainFrame;
class COptionSheet;

// The "&Option" command: opens the option sheet on copies of the window's settings and, on OK, applies what
// was entered in a fixed order: colours and font, data-source settings, size limits, option bits and lists,
// the data source attached again (the library reloaded even when nothing changed), marks and different
// data cleared when the mode changed, the float precision, the key table and accelerators, the menus and
// bars relabelled when the language or the keys changed, and a repaint.
class COptionController {
public:
    // Runs the sheet and returns its result (QDialog::Accepted for OK); tests drive the sheet through it.
    using SheetRunner = std::function<int(COptionSheet& sheet)>;

    explicit COptionController(CMainFrame& frame);

    void OnOption();
    // The values the sheet opens with: the settings in use, the font as it is shown.
    COptionValues CurrentValues() const;
    // Applies values entered on the sheet.
    void Apply(const COptionValues& values);

    void SetSheetRunner(SheetRunner runner) { sheetRunner = std::move(runner); }

private:
    // The store's copies of the source settings, the limits and the option bits.
    void PassSettingsToStore();
    void AttachSource(int previousMode);

    CMainFrame& frame;
    SheetRunner sheetRunner;
};

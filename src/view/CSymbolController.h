#pragma once

#include "binding/CScriptRun.h"
#include "data/CSymbolHistory.h"
#include "view/ISymbolSearchHost.h"

#include <QString>
#include <memory>
#include <string>

class CMainFrame;
class CWindowScriptHost;

// The symbol and macro commands of the main window: Load Symbol, Reload Symbol, Execute Macro, Macro Help,
// Symbol Search with its two repeat commands, and the symbol file that runs when data is opened or a data
// source is attached. While a script runs the window still paints and Esc aborts the run; no command may
// start another run, close the window, change the data source or edit the data until the run has ended.
class CSymbolController : public ISymbolSearchHost {
public:
    explicit CSymbolController(CMainFrame& frame);
    ~CSymbolController() override;
    CSymbolController(const CSymbolController&) = delete;
    CSymbolController& operator=(const CSymbolController&) = delete;

    // True from the start of a run until its report has been shown and the view updated.
    bool IsBusy() const { return busy; }
    // Esc during a run.
    void Abort();

    // Runs a symbol file or macro with the progress bar, the error report and the SYMBOL button update.
    // False when refused because another run is in progress.
    bool RunScript(const QString& path, CScriptRun::Kind kind);

    // The symbol directory: MacroDir when it names an existing directory, else the program's directory.
    QString SymbolDirectory() const;
    // The symbol file that Reload Symbol would run now (the extension's file in file mode, the configured
    // file in DLL and shared-memory mode); empty when there is none.
    QString ReloadTarget() const;

    // A file was opened (file mode): runs the symbol file of its extension; no extension keeps the symbols.
    void OnFileOpened(const QString& path);
    // A DLL or shared-memory source was attached: runs its configured symbol file when one is named.
    void OnSourceAttached();

    // Menu commands.
    void OnLoadSymbol();
    void OnReloadSymbol();
    void OnExecuteMacro();
    void OnMacroHelp();
    void OnHelp();
    void OnSymbolSearch();
    bool OnSymbolForwardSearch();
    bool OnSymbolBackwardSearch();

    bool CanReloadSymbol() const;
    bool CanRepeatSymbolSearch() const;

    CSymbolHistory& SearchHistory() { return history; }
    CWindowScriptHost& Host() { return *host; }

    // ISymbolSearchHost: FindSymbol from the current pane's cursor; the cursor moves to what it finds.
    int Language() const override;
    bool FindSymbol(int direction, const std::string& text, int flags) override;
    void JumpTop() override;
    void JumpEnd() override;
    void ShowDialogCursorMark(bool shown) override;

private:
    bool RepeatSearch(int direction);
    int SearchFlags() const;
    void OpenHelpPage(const char* fileName);

    CMainFrame& frame;
    std::unique_ptr<CWindowScriptHost> host;
    bool busy = false;
    CSymbolHistory history;
};

#pragma once

#include "binding/CKvrVMan.h"
#include "data/CDataStore.h"
#include "data/CDataStoreListener.h"
#include "data/CRowLayout.h"
#include "platform/CCopyBlock.h"
#include "platform/CInstanceChannel.h"
#include "settings/CKeyTable.h"
#include "settings/KivranSettings.h"
#include "view/CDifferenceList.h"
#include "view/CSearchController.h"
#include "view/ISearchHost.h"

#include <QFont>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QWindow>
#include <array>
#include <memory>

class QScrollBar;
class QSocketNotifier;
class QTimer;
class QToolBar;
class CColorStsBar;
class CDataView;
class CMenuBuilder;
class CMyDialogBar;
class CUserPrompt;
class CEditActions;
class CFileCommands;
class CStatusPanes;
class CSymbolController;
class CCompareController;
class CPrintController;
class COptionController;

// The one main window: it owns the editor state (the data store, the two panes, display format, metrics,
// colours, lists and options), the menus and bars, and handles every command.
class CMainFrame : public QMainWindow, public CDataStoreListener, public ISearchHost {
    Q_OBJECT
public:
    // Status bar panes and numeric bar panes.
    enum StatusPane {
        kPaneSource,
        kPaneMemory,
        kPaneView,
        kPaneInsert,
        kPaneSize,
        kPaneAddress,
        kPaneUndo,
        kPaneCharSet
    };

    explicit CMainFrame(CUserPrompt* prompt = nullptr);
    ~CMainFrame() override;

    KivranSettings& Settings() { return settings; }
    const KivranSettings& Settings() const { return settings; }
    CDataStore& Store() override { return store; }
    CUserPrompt& Prompt() override { return *prompt; }

    // The window-creation steps: bars, scroll bars, font, data source, first-start dialog, language.
    bool Create();
    // Applies the stored window rectangle (clamped to the screen) before the window is shown.
    void ApplyStoredPlacement();
    // Rebuilds the accelerators from the key table.
    void BuildAccelerators();
    // Relabels menus and the size and type bar in the current language.
    void ApplyLanguage();
    // Records the maximized state and stops the timer; called when the window is being destroyed.
    void PrepareDestroy();
    // Copies the live state back into the settings before they are written.
    void CollectSettings();

    void OnCommand(int command);
    // Opens a file as the File menu does (after asking to save a modified buffer when askSave is true).
    bool OpenFile(const QString& path, bool askSave = true);
    // Dropped files: the first is opened here, each other one in a new copy of the program.
    void DropFiles(const QStringList& paths);
    // "Save changes ?" when the data is modified; false when the user abandons the command.
    bool AskSaveChanges();
    void ShowOutcome(const DataOutcome& outcome);
    void StopRefreshTimer();
    void StartRefreshTimer();
    void UpdateRecentMenu();

    QString TitleText(bool active) const;
    void UpdateTitle();

    // Display font and its metrics.
    void SetDisplayFont(const LogFont& description);
    const QFont& DisplayFont() const { return displayFont; }
    int CharHeight() const { return charHeight; }
    int HexCharWidth() const { return hexCharWidth; }
    int MaxCharWidth() const { return maxCharWidth; }
    static QFont FontFromDescription(const LogFont& description);

    // Float cell formats, rebuilt whenever the width or precision changes.
    void SetFloatFormat(int width, int precision);
    int FloatWidth() const { return floatWidth; }
    int FloatPrecision() const { return settings.floatPrecision; }
    const std::string& FloatFormatE() const { return floatFormatE; }
    const std::string& FloatFormatF() const { return floatFormatF; }

    // Display format and transient editing state read by the data view.
    const CRowLayout& Layout() const { return layout; }
    int LittleEndian() const override { return littleEndian; }
    int DecimalAddress() const { return decimalAddress; }
    uint64_t DialogCursorMark() const { return dialogCursorMark; }
    void SetDialogCursorMark(uint64_t offset) { dialogCursorMark = offset; }
    const std::vector<uint32_t>& SortedDiffs() const { return differences.Sorted(); }
    const std::vector<uint32_t>& DiffOffsets() const { return differences.Offsets(); }
    // The different data a comparison recorded in this window.
    CDifferenceList& Differences() { return differences; }
    const CDifferenceList& Differences() const { return differences; }
    // Compare another, its two list commands, and the answers to other copies' comparisons.
    CCompareController& Compare() { return *compare; }
    int PendingNibble() const { return pendingNibble; }
    void ResetPendingNibble() { pendingNibble = -1; }
    void SetPendingNibble(int value) { pendingNibble = value; }
    CEditActions& Edit() { return *edit; }
    CSearchController& Search() { return search; }
    // The symbol table laid over the data, for the window's whole life.
    CKvrVMan& Symbols() { return symbols; }
    const CKvrVMan& Symbols() const { return symbols; }
    // After the symbols changed: with symbol rows the SYMBOL button is shown and selected (the view switches
    // to SYMBOL); without, the view goes back to 1BYTE if it showed SYMBOL and the button is hidden.
    void UpdateSymbolButton();
    // The symbol rows changed: the row count, the name column and the scroll ranges follow.
    void SymbolsChanged();
    // The symbol and macro commands and the script runs.
    CSymbolController& Scripts() { return *scripts; }
    // Print, Print Preview and Printer Setting, with the preview window.
    CPrintController& Printing() { return *printing; }
    // The options command with its sheet.
    COptionController& Options() { return *options; }
    // After a script run: the view shows the byte order the script left (1 little-endian).
    void SetByteOrderFromScript(int little);
    // Both panes back to their first row (after Reload Symbol and Execute Macro).
    void ScrollPanesToTop();

    // ISearchHost
    CDataStoreListener* StoreListener() override { return this; }
    QWidget* DialogWindow() override { return this; }
    int CharSet() const override { return settings.charSet; }
    int SizeIndex() const override { return layout.SizeIndex(); }
    int TypeIndex() const override { return layout.TypeIndex(); }
    int Language() const override;
    void MoveCursorTo(uint64_t offset) override;
    void ShowDialogCursorMark(bool shown) override;
    void JumpTop() override;
    void JumpEnd() override;
    void RefreshAfterReplace() override;
    void DeferRepaints(bool deferred) override;

    // Keys the data view hands over.
    void OnTypedText(const QString& text);
    void OnDeleteKey();
    void OnBackspaceKey();
    void OnEscapeKey();
    void ToggleInsertMode();
    void OpenWriteDialogAt(uint64_t offset);

    // Status panes.
    void ShowModePanes(int source, int accessFlags, int insert);
    void ShowSizePane(int64_t size);
    void ShowAddressPane();
    void ShowUndoPane();
    void ShowCharSetPane();
    void RefreshStatus();

    // The link to other running copies: copy and paste between them, and comparison.
    CInstanceChannel& Channel() { return channel; }
    CCopyBlock& CopyBlock() { return copyBlock; }

    CMenuBuilder* Menus() const { return menus; }
    QToolBar* ToolBar() const { return toolBar; }
    CColorStsBar* StatusBarPanes() const { return statusPanes; }
    CColorStsBar* NumericBar() const { return numericBar; }
    CMyDialogBar* SizeTypeBar() const { return sizeTypeBar; }
    CDataView* DataView() const { return dataView; }
    QScrollBar* VScroll(int pane) const { return vScroll[pane == 1 ? 1 : 0]; }
    QScrollBar* HScroll() const { return hScroll; }
    const CKeyTable* Accelerators() const { return accelerators.get(); }

    // CDataStoreListener
    void OnBytesChanged(uint64_t offset, uint64_t length) override;
    void OnSizeChanged(uint64_t newSize) override;
    void OnModifiedChanged(bool modified) override;
    void OnMarksChanged() override;
    void OnUndoChanged() override;
    void OnSourceChanged() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateToolBar();
    void CreateBars();
    void CreateCentralArea();
    void PrepareDataSource();
    void FirstStart();
    void ToggleBar(QWidget* bar, int command);
    void RememberNormalRect();
    void ShowVersion();
    void OnSizeTypeCommand(int command);
    void OnRefreshTimer();
    void ApplyDataSourceSettings();
    void SetLittleEndian(int value);
    void SetDecimalAddress(int value);
    void SetCharSet(int value);
    void UpdateFormatChecks();
    void ShowNumericBar();
    void UndoRedo(bool redo);
    void UpdateCommandStates();
    void ScheduleRepaint();
    void ScheduleCommandStates();
    void StartChannel();
    void FollowDialogFocus();
    int64_t OnInstanceMessage(uint32_t message, int64_t arg1, int64_t arg2);

    KivranSettings settings;
    CDataStore store;
    CKvrVMan symbols;
    std::unique_ptr<CUserPrompt> ownedPrompt;
    CUserPrompt* prompt;
    std::unique_ptr<CKeyTable> accelerators;

    // Display format
    std::array<int, 5> typeForSize{{1, 1, 1, 4, 1}};
    int lastSizeIndex = -1;
    int lastTypeIndex = -1;
    int littleEndian = 1;
    int decimalAddress = 0;
    int floatWidth = 20;
    std::string floatFormatE;
    std::string floatFormatF;
    int pendingNibble = -1;
    uint64_t dialogCursorMark = 0xFFFFFFFF;
    CRowLayout layout;
    CDifferenceList differences;
    bool repaintScheduled = false;
    bool commandStatesScheduled = false;
    std::unique_ptr<CEditActions> edit;
    std::unique_ptr<CFileCommands> files;
    std::unique_ptr<CSymbolController> scripts;
    std::unique_ptr<CCompareController> compare;
    std::unique_ptr<CPrintController> printing;
    std::unique_ptr<COptionController> options;
    CSearchController search;
    CInstanceChannel channel;
    CCopyBlock copyBlock;
    QSocketNotifier* channelNotifier = nullptr;
    QPointer<QWindow> lastFocusWindow;

    // Metrics
    QFont displayFont;
    int charHeight = 0;
    int hexCharWidth = 0;
    int maxCharWidth = 0;
    int leftMargin = 2;
    int lineGap = 2;

    // Widgets
    CMenuBuilder* menus = nullptr;
    QToolBar* toolBar = nullptr;
    CColorStsBar* statusPanes = nullptr;
    CColorStsBar* numericBar = nullptr;
    std::unique_ptr<CStatusPanes> panes;
    CMyDialogBar* sizeTypeBar = nullptr;
    CDataView* dataView = nullptr;
    QScrollBar* vScroll[2] = {nullptr, nullptr};
    QScrollBar* hScroll = nullptr;
    QTimer* refreshTimer = nullptr;
    bool created = false;
};

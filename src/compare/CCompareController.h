#pragma once

#include "compare/ICompareHost.h"
#include "compare/ICompareSteps.h"

#include <QRect>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <string>

class CMainFrame;

// The comparison with another running copy, in both roles: the three commands of the window that compares
// (Compare another, Reset different data, Jump to next different data), and the answers this window gives to
// the compare and window requests of another copy's comparison.
class CCompareController : public ICompareHost, public ICompareSteps {
public:
    // What the options dialog chose.
    struct Choice {
        int partner = 0;
        int startPosition = 0; // 0 from top, 1 from cursor
        bool putColor = true;
    };
    // The options dialog: false on Cancel. The default shows CCompareOptDlg.
    using OptionsDialog = std::function<bool(const QStringList& partnerTitles, Choice& choice)>;
    // The step dialog: ICompareSteps::Step. The default shows CCompareNextDlg.
    using StepDialog = std::function<int()>;

    explicit CCompareController(CMainFrame& frame);
    ~CCompareController() override;
    CCompareController(const CCompareController&) = delete;
    CCompareController& operator=(const CCompareController&) = delete;

    // Commands.
    void OnCompare();
    void OnResetDifferences();
    void OnNextDifference();

    // Looks for partners again (when the menu holding Compare opens); Compare is enabled while one was found.
    void FindPartners();
    bool CanCompare() const { return partnersFound; }
    bool CanResetDifferences() const;
    bool CanJumpToNextDifference() const;
    bool IsRunning() const { return running; }

    // Requests of other copies (InstanceMessages::kCompare and kWindow), answered at any time.
    int64_t AnswerCompareRequest(int64_t code, int64_t offset);
    int64_t AnswerWindowRequest(int64_t code, int64_t argument);

    void SetOptionsDialog(OptionsDialog dialog) { optionsDialog = std::move(dialog); }
    void SetStepDialog(StepDialog dialog) { stepDialog = std::move(dialog); }
    // The shared block's name, found anew for each use: every copy that can reach this one uses the same.
    static std::string BlockName();

    // Two windows side by side in an area: each half its width and all its height; the left half for ours
    // when oursOnLeft.
    static void SideBySide(const QRect& area, bool oursOnLeft, QRect& ours, QRect& theirs);
    // A window rectangle in one request argument: x, y, width and height, 16 bits each.
    static int64_t PackRect(const QRect& rect);
    static QRect UnpackRect(int64_t packed);

    // ICompareHost: this window's data, cursor and different data.
    uint64_t DataSize() const override;
    uint64_t ReadData(uint64_t offset, unsigned char* destination, uint64_t length) const override;
    uint64_t Cursor() const override;
    void MoveCursor(uint64_t offset) override;
    void ClearDifferences() override;
    void AddDifference(uint64_t offset) override;

    // ICompareSteps
    int AskNextStep() override;
    void ShowWaitCursor(bool shown) override;
    void ArrangeWindows() override;

    // How soon the picture follows a burst of requests from another copy's comparison.
    static constexpr int kRequestPaintDelayMs = 20;

private:
    // Places this main window's frame on a rectangle of the screen.
    void PlaceWindow(const QRect& rect);
    // A comparison moves the cursor and adds differences far faster than the view can be drawn: while they
    // come, the view's state follows at once and its picture is drawn once, when they stop (before a step
    // dialog, at the end of our comparison, or shortly after the last request of another copy). A view held
    // by someone else (a replace running on another thread) is left as it is.
    void HoldView();
    void ReleaseView();

    CMainFrame& frame;
    OptionsDialog optionsDialog;
    StepDialog stepDialog;
    // The partner of the comparison that runs, for the window arrangement.
    std::string partnerEndpoint;
    bool partnersFound = false;
    bool running = false;
    bool answering = false;
    bool holdingView = false;
    bool releaseScheduled = false;
};

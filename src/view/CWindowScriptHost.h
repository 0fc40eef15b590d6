#pragma once

#include "binding/IScriptHost.h"

#include <QObject>
#include <QPointer>
#include <QProgressBar>

class CFlowManager;
class CMainFrame;

// The window's side of a script run: message boxes and the prompt dialog through the window's CUserPrompt,
// the system clipboard as plain text, and a progress bar across the top of the data area for the length of
// a run. While the run lets pending events through, Esc aborts it and other user input is dropped, so that
// painting goes on but no command can change the data, start another run or close the window under it.
class CWindowScriptHost : public QObject, public IScriptHost {
    Q_OBJECT
public:
    // Begin on construction, End on destruction.
    class RunScope {
    public:
        explicit RunScope(CWindowScriptHost& host) : host_(host) { host_.Begin(); }
        ~RunScope() { host_.End(); }
        RunScope(const RunScope&) = delete;
        RunScope& operator=(const RunScope&) = delete;

    private:
        CWindowScriptHost& host_;
    };

    explicit CWindowScriptHost(CMainFrame& frame);
    ~CWindowScriptHost() override;

    // Shows the progress bar at 0 (range 0 to 100) at the top of the data area, one row high.
    void Begin();
    // Removes the progress bar and forgets the running interpreter.
    void End();
    // Esc during a run: the running interpreter stops before its next statement. False when none runs.
    bool AbortRun();

    CFlowManager* Running() const { return running_; }
    // Null outside a run.
    QProgressBar* ProgressBar() const { return bar_; }

    // IScriptHost
    int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override;
    bool InputData(const std::string& prompt, const std::string& title, int valueType,
                   std::string& text) override;
    bool CopyText(const std::string& text) override;
    std::string PasteText() override;
    void Progress(int percent) override;
    void SetRunning(CFlowManager* flow) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PlaceBar();
    // What the filter does with an event while pending events are let through: true when it is taken.
    bool FilterDuringDispatch(QObject* watched, QEvent* event);

    CMainFrame& frame_;
    QPointer<QProgressBar> bar_;
    CFlowManager* running_ = nullptr;
    bool dispatching_ = false;
};

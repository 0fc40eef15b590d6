#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <string>

class CMainFrame;
class CSignalPipe;
class CUserPrompt;
class QSocketNotifier;

// The application object: finds the settings file, creates the main window, loads the settings into it, shows
// it and opens the file named on the command line; after the window is gone it writes the settings back.
//
// SIGTERM, SIGINT and SIGHUP end the program as closing the window does, without the questions: the event
// loop ends, and ExitInstance first writes a recovery copy of unsaved file data (CRecoveryStore), then
// removes the window (its shared block and socket with it) and writes the settings.
class CKIVRANApp {
public:
    CKIVRANApp();
    ~CKIVRANApp();

    // The start-up sequence. `arguments` excludes the program name. `prompt` answers the window's questions
    // (null: message boxes). False when the window could not be created.
    bool InitInstance(const QStringList& arguments, CUserPrompt* prompt = nullptr);
    // Deletes the window and writes every setting to the chosen store; after a signal, first the recovery
    // copy of modified file data.
    void ExitInstance();

    // Starts catching the termination signals (SIGHUP stays ignored when the program was started with it
    // ignored, as under nohup). False when they cannot be caught; they then end the program as before.
    bool WatchSignals();
    // The signal that ended the event loop, 0 when none did.
    int EndingSignal() const { return endingSignal; }
    // Writes the recovery copy of the window's data when it is modified file data with a path; true when one
    // was written.
    bool WriteRecoveryCopy();

    CMainFrame* MainFrame() const { return frame; }
    const std::string& SettingsPath() const { return settingsPath; }
    const QString& CommandLineFile() const { return commandLineFile; }

    // The file to open: the first argument that is not an option ("--" ends the options).
    static QString FileArgument(const QStringList& arguments);

    // 1 when the settings live in the per-user typed store, 0 for the settings file; read at start, written
    // at exit, changed in between by the options.
    static int UseRegistry();
    static void SetUseRegistry(int value);

private:
    void OnSignal();

    std::unique_ptr<CSignalPipe> signalPipe;
    QSocketNotifier* signalNotifier = nullptr;
    int endingSignal = 0;
    std::string settingsPath;
    QString commandLineFile;
    CMainFrame* frame = nullptr;
};

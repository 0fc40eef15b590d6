#pragma once

#include <QString>
#include <QStringList>
#include <string>

class CMainFrame;
class CUserPrompt;

// The application object: finds the settings file, creates the main window, loads the settings into it, shows
// it and opens the file named on the command line; after the window is gone it writes the settings back.
class CKIVRANApp {
public:
    CKIVRANApp();
    ~CKIVRANApp();

    // The start-up sequence. `arguments` excludes the program name. `prompt` answers the window's questions
    // (null: message boxes). False when the window could not be created.
    bool InitInstance(const QStringList& arguments, CUserPrompt* prompt = nullptr);
    // Deletes the window and writes every setting to the chosen store.
    void ExitInstance();

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
    std::string settingsPath;
    QString commandLineFile;
    CMainFrame* frame = nullptr;
};

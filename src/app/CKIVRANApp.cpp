#include "app/CKIVRANApp.h"

#include "data/CRecoveryStore.h"
#include "platform/CSignalPipe.h"
#include "platform/ExecutablePath.h"
#include "settings/SettingsLocation.h"
#include "settings/SettingsStore.h"
#include "view/CFileCommands.h"
#include "view/CMainFrame.h"
#include "view/CSymbolController.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>

namespace {
int g_useRegistry = 0;
} // namespace

CKIVRANApp::CKIVRANApp() = default;

CKIVRANApp::~CKIVRANApp() {
    if (frame) {
        ExitInstance();
    }
    delete signalNotifier;
    if (endingSignal != 0) {
        CFileCommands::SetEnding(false);
    }
}

bool CKIVRANApp::WatchSignals() {
    if (signalPipe) {
        return true;
    }
    auto pipe = std::make_unique<CSignalPipe>();
    if (!pipe->Install({SIGTERM, SIGINT, SIGHUP}, {SIGHUP})) {
        return false;
    }
    signalPipe = std::move(pipe);
    signalNotifier = new QSocketNotifier(signalPipe->Descriptor(), QSocketNotifier::Read);
    QObject::connect(signalNotifier, &QSocketNotifier::activated, signalNotifier, [this] { OnSignal(); });
    return true;
}

void CKIVRANApp::OnSignal() {
    const int number = signalPipe->Drain();
    if (number == 0 || endingSignal != 0) {
        return;
    }
    endingSignal = number;
    CFileCommands::SetEnding(true);
    // A second signal while the program winds down ends it at once.
    signalPipe->Restore();
    signalNotifier->setEnabled(false);
    // A running script is stopped at its next statement; every event loop, open dialogs' included, returns
    // (and no new one waits), so control comes back to main() and ExitInstance.
    if (frame && frame->Scripts().IsBusy()) {
        frame->Scripts().Abort();
    }
    QCoreApplication::exit(0);
}

bool CKIVRANApp::WriteRecoveryCopy() {
    if (!frame) {
        return false;
    }
    CDataStore& store = frame->Store();
    if (store.Mode() != CDataStore::kModeFile || !store.IsModified() || store.FilePath().empty()) {
        return false;
    }
    return CRecoveryStore().Write(store.FilePath(), store.GetDataSize(),
                                  [&store](uint64_t offset, unsigned char* buffer, uint64_t length) {
                                      return store.ReadData(offset, buffer, length);
                                  });
}

int CKIVRANApp::UseRegistry() {
    return g_useRegistry;
}
void CKIVRANApp::SetUseRegistry(int value) {
    g_useRegistry = value ? 1 : 0;
    SettingsLocation::SetInUse(g_useRegistry, SettingsStore::DefaultIniPath());
}

QString CKIVRANApp::FileArgument(const QStringList& arguments) {
    bool optionsEnded = false;
    for (const QString& a : arguments) {
        if (!optionsEnded && a == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && a.startsWith('-')) {
            continue;
        }
        QString path = a;
        path.remove('"');
        return path;
    }
    return QString();
}

bool CKIVRANApp::InitInstance(const QStringList& arguments, CUserPrompt* prompt) {
    const std::string directory = ExecutablePath::Directory();
    // Beside the executable when it may be written there, else in the user's configuration folder.
    settingsPath = SettingsStore::DefaultIniPath();

    frame = new CMainFrame(prompt);
    commandLineFile = FileArgument(arguments);

    g_useRegistry = SettingsStore::ReadUseRegistry();
    SettingsLocation::SetInUse(g_useRegistry, settingsPath);
    {
        SettingsStore store;
        store.Open(g_useRegistry, settingsPath);
        frame->Settings().Load(store, directory);
        store.Close();
    }
    frame->Settings().useRegistry = g_useRegistry;

    frame->ApplyStoredPlacement();
    if (!frame->Create()) {
        delete frame;
        frame = nullptr;
        return false;
    }
    frame->BuildAccelerators();
    frame->show();
    if (frame->Settings().windowStyle & KivranSettings::kMaximizedStyle) {
        frame->showMaximized();
    }
    frame->activateWindow();
    if (!commandLineFile.isEmpty()) {
        frame->OpenFile(commandLineFile, false);
    }
    return true;
}

void CKIVRANApp::ExitInstance() {
    if (!frame) {
        return;
    }
    if (endingSignal != 0) {
        // The window was not closed: do what closing it does, and keep what was not saved.
        frame->PrepareDestroy();
        WriteRecoveryCopy();
    }
    frame->CollectSettings();
    const KivranSettings settings = frame->Settings();
    const std::string faceInUse = frame->DisplayFont().family().toStdString();
    delete frame;
    frame = nullptr;

    // The options may have chosen the other store.
    SetUseRegistry(settings.useRegistry);
    SettingsStore store;
    store.Open(g_useRegistry, settingsPath);
    settings.Save(store, faceInUse);
    store.Close();
    SettingsStore::WriteUseRegistry(g_useRegistry);
}

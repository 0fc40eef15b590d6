#include "app/CKIVRANApp.h"

#include "app/SettingsStore.h"
#include "platform/ExecutablePath.h"
#include "view/CMainFrame.h"

namespace {
int g_useRegistry = 0;
} // namespace

CKIVRANApp::CKIVRANApp() = default;

CKIVRANApp::~CKIVRANApp() {
    if (frame) {
        ExitInstance();
    }
}

int CKIVRANApp::UseRegistry() {
    return g_useRegistry;
}
void CKIVRANApp::SetUseRegistry(int value) {
    g_useRegistry = value ? 1 : 0;
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
    settingsPath = directory + "/Kivran.ini";

    frame = new CMainFrame(prompt);
    commandLineFile = FileArgument(arguments);

    g_useRegistry = SettingsStore::ReadUseRegistry();
    {
        SettingsStore store;
        store.Open(g_useRegistry, settingsPath);
        frame->Settings().Load(store, directory);
        store.Close();
    }

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
    frame->CollectSettings();
    const KivranSettings settings = frame->Settings();
    const std::string faceInUse = frame->DisplayFont().family().toStdString();
    delete frame;
    frame = nullptr;

    SettingsStore store;
    store.Open(g_useRegistry, settingsPath);
    settings.Save(store, faceInUse);
    store.Close();
    SettingsStore::WriteUseRegistry(g_useRegistry);
}

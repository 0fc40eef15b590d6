#include "FakePrompt.h"
#include "TestApplication.h"
#include "TestEnvironment.h"

#include "app/CKIVRANApp.h"
#include "platform/ExecutablePath.h"
#include "settings/KivranSettings.h"
#include "settings/SettingsLocation.h"
#include "settings/SettingsStore.h"
#include "support/UnprivilegedRun.h"
#include "view/CMainFrame.h"
#include "view/CVersionDlg.h"

#include <QLabel>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

// Sets an environment variable for the life of the object and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name(name) {
        const char* old = std::getenv(name);
        had = old != nullptr;
        previous = old ? old : "";
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (had) {
            setenv(name, previous.c_str(), 1);
        } else {
            unsetenv(name);
        }
    }

private:
    const char* name;
    bool had = false;
    std::string previous;
};

TEST(SettingsLocation, TheFileStaysBesideTheProgramOnlyWhereItCanBeWritten) {
    TestEnvironment env;
    const std::string config = env.dir.path().toStdString() + "/config";
    const std::string user = config + "/KIVRAN/Kivran.ini";
    const std::string plainFile = env.exeDir + "/kivran";
    TestEnvironment::WriteFile(plainFile, "");
    const struct {
        std::string exeDir;
        std::string configHome;
        std::string expected;
    } cases[] = {
        {env.exeDir, config, env.exeDir + "/Kivran.ini"},
        {env.exeDir + "/", config, env.exeDir + "/Kivran.ini"},
        {env.exeDir + "/missing", config, user},
        {plainFile, config, user},
        {"", config, user},
        // Without any configuration folder the old place is the only one left.
        {env.exeDir + "/missing", "", env.exeDir + "/missing/Kivran.ini"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SettingsLocation::IniPathFor(c.exeDir, c.configHome), c.expected) << c.exeDir;
    }
}

TEST(SettingsLocation, ConfigHomeIsAnAbsoluteXdgConfigHomeElseDotConfig) {
    ScopedEnv home("HOME", "/home/someone");
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "/x/config");
        EXPECT_EQ(SettingsLocation::ConfigHome(), "/x/config");
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "relative/config");
        EXPECT_EQ(SettingsLocation::ConfigHome(), "/home/someone/.config");
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(SettingsLocation::ConfigHome(), "/home/someone/.config");
        EXPECT_EQ(SettingsLocation::UserIniPath(), "/home/someone/.config/KIVRAN/Kivran.ini");
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
        ScopedEnv noHome("HOME", nullptr);
        EXPECT_EQ(SettingsLocation::ConfigHome(), "");
        EXPECT_EQ(SettingsLocation::UserIniPath(), "");
    }
}

// Exit codes of the unprivileged part: what went wrong.
enum Failure {
    kOk = 0,
    kWrongPathReadOnly = 10,
    kNotCreated,
    kWrittenBesideReadOnly,
    kNotReadBack,
    kWrongPathWritable,
    kNotBesideWritable,
};

// An installed copy whose program folder belongs to the super-user: the settings go to the user's
// configuration folder, made on the first write; a portable copy the user owns keeps them beside itself.
TEST(SettingsLocation, AReadOnlyProgramFolderSendsTheSettingsToTheConfigFolder) {
    std::string reason;
    if (!UnprivilegedRun::Available(reason)) {
        GTEST_SKIP() << reason;
    }
    char pattern[] = "/tmp/kivran-location-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string root = pattern;
    const std::string installedBin = root + "/usr/bin";
    const std::string portableBin = root + "/portable";
    const std::string config = root + "/config";
    ASSERT_EQ(std::system(("mkdir -p '" + installedBin + "' '" + portableBin + "' '" + config + "'").c_str()),
              0);
    ASSERT_EQ(::chmod(root.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(installedBin.c_str(), 0555), 0);
    if (UnprivilegedRun::AsRoot()) {
        ASSERT_EQ(::chown(config.c_str(), UnprivilegedRun::Uid(), UnprivilegedRun::Gid()), 0);
        ASSERT_EQ(::chown(portableBin.c_str(), UnprivilegedRun::Uid(), UnprivilegedRun::Gid()), 0);
    }
    const std::string expected = config + "/KIVRAN/Kivran.ini";

    const int result = UnprivilegedRun::Run([&] {
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        ExecutablePath::SetPathForTesting(installedBin + "/kivran");
        const std::string path = SettingsStore::DefaultIniPath();
        if (path != expected) {
            return int(kWrongPathReadOnly);
        }
        KivranSettings settings;
        settings.language = 1;
        {
            SettingsStore store;
            store.Open(0, path);
            settings.Save(store, settings.displayFont.faceName);
        }
        if (!Exists(expected)) {
            return int(kNotCreated);
        }
        if (Exists(installedBin + "/Kivran.ini")) {
            return int(kWrittenBesideReadOnly);
        }
        if (SettingsStore::ReadStoredLanguage() != 1) {
            return int(kNotReadBack);
        }
        ExecutablePath::SetPathForTesting(portableBin + "/kivran");
        if (SettingsStore::DefaultIniPath() != portableBin + "/Kivran.ini") {
            return int(kWrongPathWritable);
        }
        {
            SettingsStore store;
            store.Open(0, SettingsStore::DefaultIniPath());
            settings.Save(store, settings.displayFont.faceName);
        }
        return Exists(portableBin + "/Kivran.ini") ? int(kOk) : int(kNotBesideWritable);
    });
    EXPECT_EQ(result, kOk);
    // Only the user reads his settings folder.
    EXPECT_EQ(ModeOf(config + "/KIVRAN"), 0700u);
    ::chmod(installedBin.c_str(), 0755);
    std::system(("rm -rf '" + root + "'").c_str());
}

// The window of a copy whose program folder cannot take the settings file: nothing is written on start,
// the file appears in the configuration folder at exit, and the version box names it.
TEST(SettingsLocation, TheWindowWritesItsSettingsToTheConfigFolderAtExit) {
    EnsureApplication();
    TestEnvironment env;
    const std::string bin = env.exeDir + "/missing";
    ExecutablePath::SetPathForTesting(bin + "/kivran");
    const std::string expected = env.dir.path().toStdString() + "/config/KIVRAN/Kivran.ini";
    FakePrompt prompt;
    prompt.chosenLanguage = 1;
    CKIVRANApp app;
    ASSERT_TRUE(app.InitInstance({}, &prompt));
    EXPECT_EQ(app.SettingsPath(), expected);
    EXPECT_FALSE(Exists(expected));
    {
        CVersionDlg dialog(app.MainFrame());
        const QLabel* label = dialog.findChild<QLabel*>("settingsFileLabel");
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text().toStdString(), expected);
    }
    app.MainFrame()->close();
    app.ExitInstance();
    EXPECT_TRUE(Exists(expected));
    EXPECT_NE(TestEnvironment::ReadFile(expected).find("Language=1"), std::string::npos);
    EXPECT_FALSE(Exists(bin));
}

TEST(SettingsLocation, TheVersionBoxNamesTheTypedStoreWhenItHoldsTheSettings) {
    EnsureApplication();
    TestEnvironment env;
    SettingsLocation::SetInUse(1, env.IniPath());
    {
        CVersionDlg dialog;
        const QLabel* label = dialog.findChild<QLabel*>("settingsFileLabel");
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text().toStdString(), env.TypedStorePath());
    }
    SettingsLocation::SetInUse(0, env.IniPath());
    CVersionDlg dialog;
    EXPECT_EQ(dialog.findChild<QLabel*>("settingsFileLabel")->text().toStdString(), env.IniPath());
}

} // namespace

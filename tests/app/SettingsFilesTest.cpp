#include "FakePrompt.h"
#include "FrameFixture.h"
#include "TestApplication.h"
#include "TestEnvironment.h"

#include "app/CKIVRANApp.h"
#include "settings/CKeyTable.h"
#include "settings/IniFile.h"
#include "settings/KivranSettings.h"
#include "settings/SettingsStore.h"
#include "settings/TypedStore.h"
#include "support/FifoWatchdog.h"
#include "view/CMainFrame.h"

#include <QFont>
#include <climits>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

KivranSettings LoadFrom(const TestEnvironment& env, int useRegistry) {
    SettingsStore store;
    store.Open(useRegistry, env.IniPath());
    KivranSettings s;
    s.Load(store, env.exeDir);
    return s;
}

void SaveTo(const TestEnvironment& env, int useRegistry, const KivranSettings& s) {
    SettingsStore store;
    store.Open(useRegistry, env.IniPath());
    s.Save(store, s.displayFont.faceName);
    store.Close();
}

void ExpectDefaults(const KivranSettings& s) {
    EXPECT_EQ(s.mode, 0);
    EXPECT_EQ(s.language, 0);
    EXPECT_EQ(s.elapse, 100);
    EXPECT_EQ(s.maxFileSizeForMemory, 10000000);
    EXPECT_EQ(s.displayFont.height, -16);
    EXPECT_TRUE(s.recentFiles.empty());
    EXPECT_EQ(s.keyTable, CKeyTable::DefaultTable());
}

mode_t TypeOf(const std::string& path) {
    struct stat info = {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & S_IFMT;
}

void MakeParent(const std::string& path) {
    const std::string dir = path.substr(0, path.rfind('/'));
    ASSERT_EQ(std::system(("mkdir -p '" + dir + "'").c_str()), 0);
}

// What stands where a settings file belongs. Every kind of special file is made at path; the FIFO's path
// (for the watchdog) is returned.
enum class Special { Fifo, LinkToFifo, LinkToDevZero, LinkToDevNull };

std::string MakeSpecial(Special kind, const std::string& path) {
    MakeParent(path);
    const std::string fifo = path + ".fifo";
    EXPECT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    switch (kind) {
    case Special::Fifo:
        EXPECT_EQ(::rename(fifo.c_str(), path.c_str()), 0);
        return path;
    case Special::LinkToFifo:
        EXPECT_EQ(::symlink(fifo.c_str(), path.c_str()), 0);
        break;
    case Special::LinkToDevZero:
        EXPECT_EQ(::symlink("/dev/zero", path.c_str()), 0);
        break;
    case Special::LinkToDevNull:
        EXPECT_EQ(::symlink("/dev/null", path.c_str()), 0);
        break;
    }
    return fifo;
}

const Special kSpecials[] = {Special::Fifo, Special::LinkToFifo, Special::LinkToDevZero,
                             Special::LinkToDevNull};

TEST(SettingsFiles, AFifoOrDeviceAsTheSettingsFileGivesDefaultsAndIsLeftAlone) {
    for (int useRegistry : {0, 1}) {
        for (Special kind : kSpecials) {
            SCOPED_TRACE("store " + std::to_string(useRegistry) + ", kind " + std::to_string(int(kind)));
            TestEnvironment env;
            const std::string path = useRegistry ? env.TypedStorePath() : env.IniPath();
            const std::string fifo = MakeSpecial(kind, path);
            const mode_t type = TypeOf(path);

            FifoWatchdog watchdog(fifo);
            EXPECT_EQ(SettingsStore::ReadUseRegistry(), 0);
            KivranSettings loaded = LoadFrom(env, useRegistry);
            KivranSettings changed = loaded;
            changed.language = 1;
            changed.elapse = 250;
            SaveTo(env, useRegistry, changed);
            SettingsStore::WriteUseRegistry(useRegistry);
            EXPECT_FALSE(watchdog.Finish()) << "reading or writing the settings blocked";

            ExpectDefaults(loaded);
            EXPECT_EQ(TypeOf(path), type) << "what stands there is neither read nor replaced";
        }
    }
}

TEST(SettingsFiles, TheWindowStartsAndEndsWithAFifoForEachSettingsFile) {
    EnsureApplication();
    for (int which : {0, 1}) {
        SCOPED_TRACE(which ? "typed store" : "Kivran.ini");
        TestEnvironment env;
        const std::string path = which ? env.TypedStorePath() : env.IniPath();
        MakeParent(path);
        ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
        FakePrompt prompt;
        prompt.chosenLanguage = 1;
        FifoWatchdog watchdog(path);
        {
            CKIVRANApp app;
            ASSERT_TRUE(app.InitInstance({}, &prompt));
            ASSERT_NE(app.MainFrame(), nullptr);
            EXPECT_EQ(app.MainFrame()->Settings().keyTable, CKeyTable::DefaultTable());
            app.MainFrame()->close();
            app.ExitInstance();
        }
        EXPECT_FALSE(watchdog.Finish()) << "start-up or shutdown blocked on the FIFO";
        EXPECT_TRUE(S_ISFIFO(TypeOf(path)));
    }
}

// A file of exactly `size` bytes that starts with `head`; sparse, so it takes no room.
void WriteSparse(const std::string& path, const std::string& head, uint64_t size) {
    MakeParent(path);
    TestEnvironment::WriteFile(path, head);
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(size)), 0);
}

TEST(SettingsFiles, SettingsFilesBeyondSixteenMegabytesAreNotReadNorOverwritten) {
    const uint64_t bound = 16ull * 1024 * 1024;
    const std::string iniHead = "[Option]\nLanguage=1\n";
    const std::string typedHead = "[\"Option\"]\n\"Language\"=dword:00000001\n";
    const struct {
        int useRegistry;
        uint64_t size;
        int language;
    } cases[] = {{0, bound, 1}, {0, bound + 1, 0}, {1, bound, 1}, {1, bound + 1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE("store " + std::to_string(c.useRegistry) + ", size " + std::to_string(c.size));
        TestEnvironment env;
        const std::string path = c.useRegistry ? env.TypedStorePath() : env.IniPath();
        WriteSparse(path, c.useRegistry ? typedHead : iniHead, c.size);
        KivranSettings loaded = LoadFrom(env, c.useRegistry);
        EXPECT_EQ(loaded.language, c.language);
        if (c.size > bound) {
            loaded.elapse = 250;
            SaveTo(env, c.useRegistry, loaded);
            struct stat info = {};
            ASSERT_EQ(::stat(path.c_str(), &info), 0);
            EXPECT_EQ(static_cast<uint64_t>(info.st_size), c.size) << "a file that was not read is kept";
        }
    }
}

TEST(SettingsFiles, AHundredThousandKeysLoadWithTheRightValues) {
    const int kKeys = 100000;
    TestEnvironment env;
    std::string ini = "[Bulk]\n";
    std::string typed = "[\"Bulk\"]\n";
    char line[64];
    for (int i = 0; i < kKeys; ++i) {
        std::snprintf(line, sizeof line, "Key%d=value %d\n", i, i);
        ini += line;
        std::snprintf(line, sizeof line, "\"Key%d\"=dword:%08x\n", i, static_cast<unsigned>(i));
        typed += line;
    }
    // The editor's own keys come after the bulk, and one bulk key again: the first occurrence wins.
    ini += "[Option]\nLanguage=1\n[MRU]\nNumber=2\nMRU[0]=/a\nMRU[1]=/b\n[bulk]\nkey7=late\n";
    typed += "[\"Option\"]\n\"Language\"=dword:00000001\n[\"bulk\"]\n\"key7\"=dword:ffffffff\n";
    env.WriteIni(ini);
    MakeParent(env.TypedStorePath());
    TestEnvironment::WriteFile(env.TypedStorePath(), typed);

    for (int useRegistry : {0, 1}) {
        SCOPED_TRACE(useRegistry);
        SettingsStore store;
        store.Open(useRegistry, env.IniPath());
        KivranSettings s;
        s.Load(store, env.exeDir);
        EXPECT_EQ(s.language, 1);
        for (int i : {0, 7, 54321, kKeys - 1}) {
            if (useRegistry) {
                EXPECT_EQ(store.ReadInt("BULK", "key" + std::to_string(i), -1), i);
            } else {
                EXPECT_EQ(store.ReadString("BULK", "key" + std::to_string(i), ""),
                          "value " + std::to_string(i));
            }
        }
        EXPECT_EQ(store.ReadInt("Bulk", "Key" + std::to_string(kKeys), -1), -1);
        if (!useRegistry) {
            EXPECT_EQ(s.recentFiles, (std::vector<std::string>{"/a", "/b"}));
        }
    }
}

TEST(SettingsFiles, WritingKeepsTheOrderOfTheFile) {
    IniFile ini;
    ini.Parse("[B]\nz=1\na=2\n[A]\nm=3\n");
    ini.Set("b", "N", "4");
    ini.Set("C", "x", "5");
    ini.Set("B", "Z", "6");
    EXPECT_EQ(ini.Serialize(), "[B]\nz=6\na=2\nN=4\n\n[A]\nm=3\n\n[C]\nx=5\n\n");

    TestEnvironment env;
    {
        TypedStore created;
        EXPECT_FALSE(created.Load()) << "no store yet";
        created.Set("S", "z", TypedStore::Dword(1));
        created.Set("S", "a", TypedStore::String("t"));
        ASSERT_TRUE(created.Save());
    }
    struct stat info = {};
    ASSERT_EQ(::stat(env.TypedStorePath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "a new per-user store is private";
    TypedStore store;
    ASSERT_TRUE(store.Load());
    store.Set("s", "m", TypedStore::Qword(2));
    store.Set("T", "k", TypedStore::Dword(3));
    store.Set("S", "Z", TypedStore::Dword(4));
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(TestEnvironment::ReadFile(env.TypedStorePath()),
              "# KIVRAN per-user settings: typed values by section\n"
              "[\"S\"]\n\"z\"=dword:00000004\n\"a\"=sz:\"t\"\n\"m\"=qword:0000000000000002\n"
              "[\"T\"]\n\"k\"=dword:00000003\n");
}

TEST(SettingsFiles, DefaultKeyTableWithCommandsFrom32768UpReadsBack) {
    TestEnvironment env;
    const std::vector<KeyRecord> defaults = CKeyTable::DefaultTable();
    bool highCommand = false;
    for (const KeyRecord& r : defaults) {
        highCommand = highCommand || r.command >= 32768;
    }
    ASSERT_TRUE(highCommand) << "the default table exercises commands above the signed 16-bit range";
    EXPECT_EQ(LoadFrom(env, 0).keyTable, defaults);
    EXPECT_EQ(LoadFrom(env, 1).keyTable, defaults);
}

TEST(SettingsFiles, ExtremeFontHeightsGiveASaneFont) {
    EnsureApplication();
    const struct {
        int32_t height;
        int pixels;
    } cases[] = {
        {0, 16},        {-20, 20},      {16, 14},        {1, 1},      {-1, 1},
        {INT_MIN, 512}, {INT_MAX, 512}, {-INT_MAX, 512}, {-513, 512},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.height);
        LogFont d = KivranSettings::DefaultDisplayFont();
        d.height = c.height;
        EXPECT_EQ(CMainFrame::FontFromDescription(d).pixelSize(), c.pixels);
    }
}

TEST(SettingsFiles, ExtremeFontHeightInTheSettingsFileStartsTheWindow) {
    EnsureApplication();
    TestEnvironment env;
    env.WriteIni("[Option]\nOption1=2\nLanguage=1\n[Font]\nHeight=-2147483648\n");
    FakePrompt prompt;
    CKIVRANApp app;
    ASSERT_TRUE(app.InitInstance({}, &prompt));
    EXPECT_EQ(app.MainFrame()->Settings().displayFont.height, INT_MIN);
    EXPECT_EQ(app.MainFrame()->DisplayFont().pixelSize(), 512);
    app.MainFrame()->close();
    app.ExitInstance();
}

class SpecialFileInWindow : public FrameFixture {};

TEST_F(SpecialFileInWindow, OpeningAFifoSaysCannotReadFileAndKeepsTheData) {
    Open(Bytes{1, 2, 3});
    const std::string fifo = env.exeDir + "/pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    FifoWatchdog watchdog(fifo);
    EXPECT_FALSE(frame->OpenFile(QString::fromStdString(fifo), false));
    EXPECT_FALSE(watchdog.Finish()) << "the window blocked on the FIFO";
    ASSERT_FALSE(prompt.messages.isEmpty());
    EXPECT_EQ(prompt.messages.last(), "Cannot read file");
    EXPECT_EQ(Data(), (Bytes{1, 2, 3}));
}

} // namespace

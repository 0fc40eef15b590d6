#include "TestEnvironment.h"

#include "settings/CKeyTable.h"
#include "settings/IniFile.h"
#include "settings/KivranSettings.h"
#include "settings/SettingsStore.h"
#include "settings/TypedStore.h"

#include <gtest/gtest.h>

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

// Every field changed from its default, so that a round trip proves each key is written and read back.
KivranSettings NonDefaultSettings() {
    KivranSettings s;
    s.mode = 2;
    s.dllFileName = "/opt/lib/libmem.so";
    s.readFuncName = "ReadMem";
    s.writeFuncName = "WriteMem";
    s.dllMemorySize = 5000000000LL;
    s.dllSymbolFile = "/tmp/a b/KVRDLL.SYM";
    s.mmfName = "Block";
    s.mutexName = "";
    s.mmfMemorySize = 4096;
    s.mmfSymbolFile = "/tmp/x.SYM";
    s.elapse = 250;
    for (int i = 0; i < 6; ++i) {
        s.textColor[i] = 0x010203u * (i + 1);
        s.bkColor[i] = 0x102030u * (i + 1);
    }
    s.displayFont.faceName = "Noto Sans Mono CJK JP";
    s.displayFont.height = -20;
    s.displayFont.weight = 700;
    s.displayFont.italic = 1;
    s.displayFont.charSet = 0;
    s.windowLeft = 10;
    s.windowTop = 20;
    s.windowRight = 810;
    s.windowBottom = 620;
    s.windowStyle = KivranSettings::kMaximizedStyle;
    s.optionFlags = 0x3F;
    s.maxFileSizeForMemory = 123456789012LL;
    s.maxUndoSize = 2000;
    s.language = 1;
    s.macroDir = "/home/user/マクロ";
    s.floatPrecision = 7;
    s.charSet = 1;
    s.insertMode = 1;
    s.recentFiles = {"/a/one.bin", "/b/二.bin"};
    s.keyTable = {{0x09, 'Q', 32816}, {0x1D, 0x41, 32819}};
    s.strongData = {{0x11270003u, 0xFF0FF0FFu, 4, 0x0000FF, 0xFF000000u}};
    s.printFont.faceName = "Serif";
    s.printFont.height = -12;
    s.betweenLine = 9;
    s.margin = {{1, 2, 3, 4}};
    return s;
}

void ExpectSame(const KivranSettings& a, const KivranSettings& b) {
    EXPECT_EQ(a.mode, b.mode);
    EXPECT_EQ(a.dllFileName, b.dllFileName);
    EXPECT_EQ(a.readFuncName, b.readFuncName);
    EXPECT_EQ(a.writeFuncName, b.writeFuncName);
    EXPECT_EQ(a.dllMemorySize, b.dllMemorySize);
    EXPECT_EQ(a.dllSymbolFile, b.dllSymbolFile);
    EXPECT_EQ(a.mmfName, b.mmfName);
    EXPECT_EQ(a.mutexName, b.mutexName);
    EXPECT_EQ(a.mmfMemorySize, b.mmfMemorySize);
    EXPECT_EQ(a.mmfSymbolFile, b.mmfSymbolFile);
    EXPECT_EQ(a.elapse, b.elapse);
    EXPECT_EQ(a.textColor, b.textColor);
    EXPECT_EQ(a.bkColor, b.bkColor);
    EXPECT_EQ(a.displayFont.faceName, b.displayFont.faceName);
    EXPECT_EQ(a.displayFont.height, b.displayFont.height);
    EXPECT_EQ(a.displayFont.weight, b.displayFont.weight);
    EXPECT_EQ(a.displayFont.italic, b.displayFont.italic);
    EXPECT_EQ(a.displayFont.charSet, b.displayFont.charSet);
    EXPECT_EQ(a.displayFont.pitchAndFamily, b.displayFont.pitchAndFamily);
    EXPECT_EQ(a.windowLeft, b.windowLeft);
    EXPECT_EQ(a.windowTop, b.windowTop);
    EXPECT_EQ(a.windowRight, b.windowRight);
    EXPECT_EQ(a.windowBottom, b.windowBottom);
    EXPECT_EQ(a.windowStyle, b.windowStyle);
    EXPECT_EQ(a.optionFlags, b.optionFlags);
    EXPECT_EQ(a.maxFileSizeForMemory, b.maxFileSizeForMemory);
    EXPECT_EQ(a.maxUndoSize, b.maxUndoSize);
    EXPECT_EQ(a.language, b.language);
    EXPECT_EQ(a.macroDir, b.macroDir);
    EXPECT_EQ(a.floatPrecision, b.floatPrecision);
    EXPECT_EQ(a.charSet, b.charSet);
    EXPECT_EQ(a.insertMode, b.insertMode);
    EXPECT_EQ(a.recentFiles, b.recentFiles);
    EXPECT_EQ(a.keyTable, b.keyTable);
    ASSERT_EQ(a.strongData.size(), b.strongData.size());
    for (size_t i = 0; i < a.strongData.size(); ++i) {
        EXPECT_EQ(a.strongData[i].value, b.strongData[i].value);
        EXPECT_EQ(a.strongData[i].mask, b.strongData[i].mask);
        EXPECT_EQ(a.strongData[i].size, b.strongData[i].size);
        EXPECT_EQ(a.strongData[i].textColor, b.strongData[i].textColor);
        EXPECT_EQ(a.strongData[i].bkColor, b.strongData[i].bkColor);
    }
    EXPECT_EQ(a.printFont.faceName, b.printFont.faceName);
    EXPECT_EQ(a.printFont.height, b.printFont.height);
    EXPECT_EQ(a.betweenLine, b.betweenLine);
    EXPECT_EQ(a.margin, b.margin);
}

TEST(SettingsStore, NothingStoredGivesEveryDefault) {
    for (int useRegistry : {0, 1}) {
        TestEnvironment env;
        KivranSettings s = LoadFrom(env, useRegistry);
        KivranSettings expected;
        expected.SetPathDefaults(env.exeDir);
        expected.keyTable = CKeyTable::DefaultTable();
        ExpectSame(s, expected);
        EXPECT_EQ(s.displayFont.faceName, "ＭＳ ゴシック");
        EXPECT_EQ(s.printFont.faceName, "ＭＳ 明朝");
        EXPECT_EQ(s.dllSymbolFile, env.exeDir + "/KVRDLL.SYM");
        EXPECT_EQ(s.keyTable.size(), 16u);
        EXPECT_EQ(s.bkColor[0], 0xA00000u);
        EXPECT_EQ(s.textColor[3], 0x000000u);
    }
}

TEST(SettingsStore, EveryKeySurvivesARoundTripThroughBothStores) {
    for (int useRegistry : {0, 1}) {
        SCOPED_TRACE(useRegistry);
        TestEnvironment env;
        const KivranSettings written = NonDefaultSettings();
        SaveTo(env, useRegistry, written);
        ExpectSame(LoadFrom(env, useRegistry), written);
    }
}

TEST(SettingsStore, SettingsFileHoldsTheKeysVerbatimInUtf8) {
    TestEnvironment env;
    SaveTo(env, 0, NonDefaultSettings());
    const std::string text = env.ReadIni();
    for (const char* line : {"[Config]",
                             "Mode=2",
                             "DLLMemorySize=5000000000",
                             "[Colors]",
                             "TextColor[0]=66051",
                             "BkColor[5]=",
                             "[Font]",
                             "ClipPresicion=",
                             "[Accel]",
                             "Number=2",
                             "fVirt[1]=29",
                             "KeyCmd[1]=-2144141247",
                             "[MRU]",
                             "MRU[1]=/b/二.bin",
                             "[StrongData]",
                             "Mask[0]=",
                             "[Print]",
                             "Margin[3]=4",
                             "BetweenLine=9",
                             "MacroDir=/home/user/マクロ"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
    EXPECT_EQ(text.find("%5B"), std::string::npos);
}

TEST(SettingsStore, TypedStoreKeepsDwordQwordAndStringApart) {
    TestEnvironment env;
    SaveTo(env, 1, NonDefaultSettings());
    const std::string text = TestEnvironment::ReadFile(env.TypedStorePath());
    EXPECT_NE(text.find("\"Mode\"=dword:00000002"), std::string::npos);
    EXPECT_NE(text.find("\"DLLMemorySize\"=qword:000000012a05f200"), std::string::npos);
    EXPECT_NE(text.find("\"MMFName\"=sz:\"Block\""), std::string::npos);
    EXPECT_NE(text.find("\"Number\"=dword:"), std::string::npos);

    // Queries behave like registry queries of a fixed buffer size.
    SettingsStore store;
    store.Open(1, env.IniPath());
    EXPECT_EQ(store.ReadInt("Config", "DLLMemorySize", 77), 77); // 8 bytes do not fit 4
    EXPECT_EQ(store.ReadInt64("Config", "Mode", 0), 2);          // 4 bytes fill the low half
    EXPECT_EQ(store.ReadString("Config", "Missing", "dflt"), "dflt");
}

TEST(SettingsStore, UseRegistryLivesInTheTypedStoreAsDword) {
    TestEnvironment env;
    EXPECT_EQ(SettingsStore::ReadUseRegistry(), 0);
    SettingsStore::WriteUseRegistry(1);
    EXPECT_EQ(SettingsStore::ReadUseRegistry(), 1);
    // A value of another type counts as 0.
    TypedStore store;
    store.Load();
    store.Set("", "UseRegistry", TypedStore::String("1"));
    store.Save();
    EXPECT_EQ(SettingsStore::ReadUseRegistry(), 0);
}

struct AccelCase {
    const char* ini;
    size_t expectedCount;
};

TEST(SettingsStore, AccelCountsDecideTheKeyTable) {
    const AccelCase cases[] = {
        {"[Accel]\nNumber=0\n", 0},
        {"[Accel]\nNumber=20\n", 20},
        {"", 16},
    };
    for (const AccelCase& c : cases) {
        TestEnvironment env;
        env.WriteIni(c.ini);
        KivranSettings s = LoadFrom(env, 0);
        ASSERT_EQ(s.keyTable.size(), c.expectedCount) << c.ini;
        if (c.expectedCount == 20) {
            const auto defaults = CKeyTable::DefaultTable();
            for (int i = 0; i < 16; ++i) {
                EXPECT_EQ(s.keyTable[i], defaults[i]);
            }
            for (int i = 16; i < 20; ++i) {
                EXPECT_EQ(s.keyTable[i], (KeyRecord{0, 0, 0}));
            }
        }
    }
}

TEST(SettingsStore, EmptyRecentFileEntriesAreSkipped) {
    TestEnvironment env;
    env.WriteIni("[MRU]\nNumber=4\nMRU[0]=/x/a\nMRU[1]=\nMRU[3]=/x/d\n");
    EXPECT_EQ(LoadFrom(env, 0).recentFiles, (std::vector<std::string>{"/x/a", "/x/d"}));
}

TEST(SettingsStore, HandWrittenWindowsFileLoads) {
    TestEnvironment env;
    // CR LF line ends, spaces around "=", a quoted value, lower-case names, and a face name in code page 932.
    std::string text =
        "[font]\r\nHeight = -20\r\nFacename=\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e\r\n"
        "[Config]\r\nDLLFileName=\"C:\\kvr\\KVRDLL.DLL\"\r\nelapse=50\r\n[Option]\r\nLanguage=7\r\n";
    env.WriteIni(text);
    KivranSettings s = LoadFrom(env, 0);
    EXPECT_EQ(s.displayFont.height, -20);
    EXPECT_EQ(s.displayFont.faceName, "ＭＳ ゴシック");
    EXPECT_EQ(s.dllFileName, "C:\\kvr\\KVRDLL.DLL");
    EXPECT_EQ(s.elapse, 50);
    EXPECT_EQ(s.language, 7); // clamped when the window is created
    EXPECT_EQ(s.displayFont.weight, 400);
}

TEST(SettingsStore, LongStringsAreCutToTheProfileBuffer) {
    TestEnvironment env;
    std::string longName(300, 'x');
    env.WriteIni("[Config]\nMMFName=" + longName + "\n");
    EXPECT_EQ(LoadFrom(env, 0).mmfName, std::string(254, 'x'));
    // The typed store refuses a value longer than its buffer and keeps the default.
    SettingsStore store;
    store.Open(1, env.IniPath());
    store.WriteString("Config", "MMFName", longName);
    store.Close();
    EXPECT_EQ(LoadFrom(env, 1).mmfName, "KVRMMF");
}

TEST(SettingsStore, ShutdownWritesTheFaceActuallyInUse) {
    TestEnvironment env;
    SettingsStore store;
    store.Open(0, env.IniPath());
    KivranSettings().Save(store, "Noto Sans Mono CJK JP");
    store.Close();
    EXPECT_EQ(LoadFrom(env, 0).displayFont.faceName, "Noto Sans Mono CJK JP");
}

TEST(IniFile, FirstOccurrenceWinsAndSectionsAreCaseInsensitive) {
    IniFile ini;
    ini.Parse("[A]\nk=1\nK=2\n[a]\nj=3\n; comment\n");
    std::string v;
    ASSERT_TRUE(ini.Get("a", "K", v));
    EXPECT_EQ(v, "1");
    ASSERT_TRUE(ini.Get("A", "J", v));
    EXPECT_EQ(v, "3");
    EXPECT_FALSE(ini.Get("B", "k", v));
}

} // namespace

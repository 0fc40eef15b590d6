#pragma once

#include "settings/CColorValue.h"
#include "settings/KeyRecord.h"
#include "settings/LogFont.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class SettingsStore;

// Every persisted option of the editor, section by section, with its default. Read once at start-up before
// the main window exists and written once after it is destroyed.
struct KivranSettings {
    // Config: data sources
    int32_t mode = 0;
    std::string dllFileName = "KVRDLL.DLL";
    std::string readFuncName = "KVRREAD";
    std::string writeFuncName = "KVRWRITE";
    int64_t dllMemorySize = 1024;
    std::string dllSymbolFile;
    std::string mmfName = "KVRMMF";
    std::string mutexName = "KVRMUTEX";
    int64_t mmfMemorySize = 1024;
    std::string mmfSymbolFile;
    int32_t elapse = 100;

    // Colors: 0 Data, 1 Address, 2 Header, 3 Select, 4 Mark, 5 Different data; 0x00BBGGRR
    std::array<uint32_t, 6> textColor{{0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0x000000, 0xFFFFFF, 0xFFFFFF}};
    std::array<uint32_t, 6> bkColor{{0xA00000, 0x000080, 0xFF0000, 0xFFFFFF, 0xFF00FF, 0x0000FF}};

    LogFont displayFont = DefaultDisplayFont();

    // Window: last normal rectangle and maximized bit
    int32_t windowLeft = 0;
    int32_t windowTop = 0;
    int32_t windowRight = 0;
    int32_t windowBottom = 0;
    int32_t windowStyle = 0;

    // Option
    int32_t optionFlags = 0;
    int64_t maxFileSizeForMemory = 10000000;
    int64_t maxUndoSize = 1000000;
    int32_t language = 0;
    std::string macroDir;
    int32_t floatPrecision = 3;
    int32_t charSet = 0;
    int32_t insertMode = 0;

    // Where the settings are kept (1 the per-user typed store, 0 the settings file). Not a value of the
    // sections: the application sets it from its choice after loading and writes to the store it names.
    int32_t useRegistry = 0;

    std::vector<std::string> recentFiles;
    std::vector<KeyRecord> keyTable;
    CColorValue strongData;

    // Print
    LogFont printFont = DefaultPrintFont();
    int16_t betweenLine = 5;
    std::array<int16_t, 4> margin{{10, 10, 10, 10}};

    static constexpr int32_t kMaximizedStyle = 0x1000000;
    static constexpr int32_t kFirstStartDone = 0x2;

    static LogFont DefaultDisplayFont();
    static LogFont DefaultPrintFont();

    // Defaults that depend on where the executable lives.
    void SetPathDefaults(const std::string& executableDirectory);

    // Reads every section from an open store; a missing value keeps its default.
    void Load(SettingsStore& store, const std::string& executableDirectory);
    // Writes every section; the display font's face name is the face actually in use.
    void Save(SettingsStore& store, const std::string& displayFaceInUse) const;

private:
    static void LoadFont(SettingsStore& store, const char* section, LogFont& font);
    static void SaveFont(SettingsStore& store, const char* section, const LogFont& font,
                         const std::string& face);
    void LoadLists(SettingsStore& store);
    void SaveLists(SettingsStore& store) const;
};

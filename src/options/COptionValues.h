#pragma once

#include "settings/CColorValue.h"
#include "settings/KeyRecord.h"
#include "settings/KivranSettings.h"
#include "settings/LogFont.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Everything the option sheet edits, as copies: the pages change these, and only OK hands them back to the
// window.
struct COptionValues {
    // General
    bool messageOnDelete = true;
    int64_t maxFileSizeForMemory = 0;
    int64_t maxUndoSize = 0;
    int32_t language = 0;
    int32_t useRegistry = 0;
    std::string macroDir;
    bool dynamicMark = true;

    // View
    std::array<uint32_t, 6> textColor{};
    std::array<uint32_t, 6> bkColor{};
    LogFont font;
    int32_t floatPrecision = 3;
    CColorValue strongData;

    // Important
    int32_t mode = 0;
    std::string dllFileName;
    std::string readFuncName;
    std::string writeFuncName;
    int64_t dllMemorySize = 0;
    std::string dllSymbolFile;
    std::string mmfName;
    std::string mutexName;
    int64_t mmfMemorySize = 0;
    std::string mmfSymbolFile;
    int32_t elapse = 0;

    // Keycode
    std::vector<KeyRecord> keyTable;
    bool keyTableChanged = false;

    // Bit 0 of the option flags set: no question before deleting; bit 5 set: marks do not follow edits.
    static constexpr int32_t kNoDeleteQuestion = 1 << 0;
    static constexpr int32_t kDynamicMarkOff = 1 << 5;

    static COptionValues FromSettings(const KivranSettings& settings);
};

#include "settings/KivranSettings.h"

#include "settings/CKeyTable.h"
#include "settings/SettingsStore.h"

namespace {
const int kColorCount = 6;
const int kDefaultKeyCount = 16;
// A hand-edited count far beyond any real list must not stall the start-up.
const int kMaxListEntries = 4096;

int ListCount(SettingsStore& s, const char* section, int def) {
    int n = s.ReadInt(section, "Number", def);
    return n > kMaxListEntries ? kMaxListEntries : n;
}
} // namespace

LogFont KivranSettings::DefaultDisplayFont() {
    LogFont f;
    f.faceName = "ＭＳ ゴシック";
    f.charSet = 128;
    f.clipPrecision = 2;
    f.height = -16;
    f.outPrecision = 3;
    f.pitchAndFamily = 0x31;
    f.quality = 1;
    f.weight = 400;
    return f;
}

LogFont KivranSettings::DefaultPrintFont() {
    LogFont f;
    f.faceName = "ＭＳ 明朝";
    f.charSet = 128;
    f.height = -16;
    f.weight = 400;
    return f;
}

void KivranSettings::SetPathDefaults(const std::string& executableDirectory) {
    dllSymbolFile = executableDirectory + "/KVRDLL.SYM";
    mmfSymbolFile = executableDirectory + "/KVRMMF.SYM";
}

void KivranSettings::Load(SettingsStore& s, const std::string& executableDirectory) {
    KivranSettings defaults;
    defaults.SetPathDefaults(executableDirectory);
    *this = defaults;

    mode = s.ReadInt("Config", "Mode", mode);
    dllFileName = s.ReadString("Config", "DLLFileName", dllFileName);
    readFuncName = s.ReadString("Config", "ReadFuncName", readFuncName);
    writeFuncName = s.ReadString("Config", "WriteFuncName", writeFuncName);
    dllMemorySize = s.ReadInt64("Config", "DLLMemorySize", dllMemorySize);
    dllSymbolFile = s.ReadString("Config", "DLLSymbolFile", dllSymbolFile);
    mmfName = s.ReadString("Config", "MMFName", mmfName);
    mutexName = s.ReadString("Config", "MutexName", mutexName);
    mmfMemorySize = s.ReadInt64("Config", "MMFMemorySize", mmfMemorySize);
    mmfSymbolFile = s.ReadString("Config", "MMFSymbolFile", mmfSymbolFile);
    elapse = s.ReadInt("Config", "Elapse", elapse);

    for (int i = 0; i < kColorCount; ++i) {
        textColor[i] = static_cast<uint32_t>(s.ReadInt("Colors", SettingsStore::IndexedKey("TextColor", i),
                                                       static_cast<int32_t>(textColor[i])));
        bkColor[i] = static_cast<uint32_t>(
            s.ReadInt("Colors", SettingsStore::IndexedKey("BkColor", i), static_cast<int32_t>(bkColor[i])));
    }

    LoadFont(s, "Font", displayFont);

    windowTop = s.ReadInt("Window", "Top", windowTop);
    windowBottom = s.ReadInt("Window", "Bottom", windowBottom);
    windowLeft = s.ReadInt("Window", "Left", windowLeft);
    windowRight = s.ReadInt("Window", "Right", windowRight);
    windowStyle = s.ReadInt("Window", "Style", windowStyle);

    optionFlags = s.ReadInt("Option", "Option1", optionFlags);
    maxFileSizeForMemory = s.ReadInt64("Option", "MaxFileSizeForMemory", maxFileSizeForMemory);
    maxUndoSize = s.ReadInt64("Option", "MaxUndoSize", maxUndoSize);
    language = s.ReadInt("Option", "Language", language);
    macroDir = s.ReadString("Option", "MacroDir", macroDir);
    floatPrecision = s.ReadInt("Option", "Precision", floatPrecision);
    charSet = s.ReadInt("Option", "CharCodeSet", charSet);
    insertMode = s.ReadInt("Option", "SaveBit", 0) & 1;

    LoadLists(s);

    LoadFont(s, "Print", printFont);
    betweenLine = static_cast<int16_t>(s.ReadInt("Print", "BetweenLine", betweenLine));
    for (int i = 0; i < 4; ++i) {
        margin[i] =
            static_cast<int16_t>(s.ReadInt("Print", SettingsStore::IndexedKey("Margin", i), margin[i]));
    }
}

void KivranSettings::LoadFont(SettingsStore& s, const char* section, LogFont& font) {
    // The description is cleared first, so escapement, orientation, underline and strike-out are always 0.
    const LogFont defaults = font;
    font = LogFont();
    font.faceName = LogFont::FitFaceName(s.ReadString(section, "Facename", defaults.faceName));
    font.charSet = static_cast<uint8_t>(s.ReadInt(section, "Charset", defaults.charSet));
    font.clipPrecision = static_cast<uint8_t>(s.ReadInt(section, "ClipPresicion", defaults.clipPrecision));
    font.height = s.ReadInt(section, "Height", defaults.height);
    font.italic = static_cast<uint8_t>(s.ReadInt(section, "Italic", defaults.italic));
    font.outPrecision = static_cast<uint8_t>(s.ReadInt(section, "OutPrecision", defaults.outPrecision));
    font.pitchAndFamily = static_cast<uint8_t>(s.ReadInt(section, "Pitch", defaults.pitchAndFamily));
    font.quality = static_cast<uint8_t>(s.ReadInt(section, "Quality", defaults.quality));
    font.weight = s.ReadInt(section, "Weight", defaults.weight);
    font.width = s.ReadInt(section, "Width", defaults.width);
}

void KivranSettings::LoadLists(SettingsStore& s) {
    recentFiles.clear();
    int mruCount = ListCount(s, "MRU", 0);
    for (int i = 0; i < mruCount; ++i) {
        std::string path = s.ReadString("MRU", SettingsStore::IndexedKey("MRU", i), std::string());
        if (!path.empty()) {
            recentFiles.push_back(path);
        }
    }

    keyTable.clear();
    const std::vector<KeyRecord> defaults = CKeyTable::DefaultTable();
    int keyCount = ListCount(s, "Accel", kDefaultKeyCount);
    for (int i = 0; i < keyCount; ++i) {
        int32_t defFlags = i < kDefaultKeyCount ? defaults[i].flags : 0;
        // command × 65536 + key, formed in 32 unsigned bits: commands from 32768 up do not fit a signed
        // product.
        uint32_t defKeyCmd =
            i < kDefaultKeyCount ? (static_cast<uint32_t>(defaults[i].command) << 16) | defaults[i].key : 0;
        int32_t defCmd = static_cast<int32_t>(defKeyCmd);
        int32_t flags = s.ReadInt("Accel", SettingsStore::IndexedKey("fVirt", i), defFlags);
        uint32_t keyCmd =
            static_cast<uint32_t>(s.ReadInt("Accel", SettingsStore::IndexedKey("KeyCmd", i), defCmd));
        KeyRecord r;
        r.flags = static_cast<uint8_t>(flags & 0xFF);
        r.key = static_cast<uint16_t>(keyCmd & 0xFFFF);
        r.command = static_cast<uint16_t>(keyCmd >> 16);
        keyTable.push_back(r);
    }

    strongData.clear();
    int strongCount = ListCount(s, "StrongData", 0);
    for (int i = 0; i < strongCount; ++i) {
        ColorValueRecord r;
        r.value = static_cast<uint32_t>(s.ReadInt("StrongData", SettingsStore::IndexedKey("Value", i), 0));
        r.mask = static_cast<uint32_t>(s.ReadInt("StrongData", SettingsStore::IndexedKey("Mask", i), 0));
        r.size = static_cast<uint8_t>(s.ReadInt("StrongData", SettingsStore::IndexedKey("Size", i), 0));
        r.textColor =
            static_cast<uint32_t>(s.ReadInt("StrongData", SettingsStore::IndexedKey("TextColor", i), 0));
        r.bkColor =
            static_cast<uint32_t>(s.ReadInt("StrongData", SettingsStore::IndexedKey("BkColor", i), 0));
        strongData.push_back(r);
    }
}

void KivranSettings::Save(SettingsStore& s, const std::string& displayFaceInUse) const {
    s.WriteInt("Config", "Mode", mode);
    s.WriteString("Config", "DLLFileName", dllFileName);
    s.WriteString("Config", "ReadFuncName", readFuncName);
    s.WriteString("Config", "WriteFuncName", writeFuncName);
    s.WriteInt64("Config", "DLLMemorySize", dllMemorySize);
    s.WriteString("Config", "DLLSymbolFile", dllSymbolFile);
    s.WriteString("Config", "MMFName", mmfName);
    s.WriteString("Config", "MutexName", mutexName);
    s.WriteInt64("Config", "MMFMemorySize", mmfMemorySize);
    s.WriteString("Config", "MMFSymbolFile", mmfSymbolFile);
    s.WriteInt("Config", "Elapse", elapse);

    for (int i = 0; i < kColorCount; ++i) {
        s.WriteInt("Colors", SettingsStore::IndexedKey("TextColor", i), static_cast<int32_t>(textColor[i]));
        s.WriteInt("Colors", SettingsStore::IndexedKey("BkColor", i), static_cast<int32_t>(bkColor[i]));
    }

    SaveFont(s, "Font", displayFont, displayFaceInUse.empty() ? displayFont.faceName : displayFaceInUse);

    s.WriteInt("Window", "Top", windowTop);
    s.WriteInt("Window", "Bottom", windowBottom);
    s.WriteInt("Window", "Left", windowLeft);
    s.WriteInt("Window", "Right", windowRight);
    s.WriteInt("Window", "Style", windowStyle);

    s.WriteInt("Option", "Option1", optionFlags);
    s.WriteInt64("Option", "MaxFileSizeForMemory", maxFileSizeForMemory);
    s.WriteInt64("Option", "MaxUndoSize", maxUndoSize);
    s.WriteInt("Option", "Language", language == 1 ? 1 : 0);
    s.WriteString("Option", "MacroDir", macroDir);
    s.WriteInt("Option", "Precision", floatPrecision);
    s.WriteInt("Option", "CharCodeSet", charSet);
    s.WriteInt("Option", "SaveBit", insertMode ? 1 : 0);

    SaveLists(s);

    SaveFont(s, "Print", printFont, printFont.faceName);
    s.WriteInt("Print", "BetweenLine", betweenLine);
    for (int i = 0; i < 4; ++i) {
        s.WriteInt("Print", SettingsStore::IndexedKey("Margin", i), margin[i]);
    }
}

void KivranSettings::SaveFont(SettingsStore& s, const char* section, const LogFont& font,
                              const std::string& face) {
    s.WriteString(section, "Facename", LogFont::FitFaceName(face));
    s.WriteInt(section, "Charset", font.charSet);
    s.WriteInt(section, "ClipPresicion", font.clipPrecision);
    s.WriteInt(section, "Height", font.height);
    s.WriteInt(section, "Italic", font.italic);
    s.WriteInt(section, "OutPrecision", font.outPrecision);
    s.WriteInt(section, "Pitch", font.pitchAndFamily);
    s.WriteInt(section, "Quality", font.quality);
    s.WriteInt(section, "Weight", font.weight);
    s.WriteInt(section, "Width", font.width);
}

void KivranSettings::SaveLists(SettingsStore& s) const {
    s.WriteInt("MRU", "Number", static_cast<int32_t>(recentFiles.size()));
    for (size_t i = 0; i < recentFiles.size(); ++i) {
        s.WriteString("MRU", SettingsStore::IndexedKey("MRU", static_cast<int>(i)), recentFiles[i]);
    }

    s.WriteInt("Accel", "Number", static_cast<int32_t>(keyTable.size()));
    for (size_t i = 0; i < keyTable.size(); ++i) {
        const KeyRecord& r = keyTable[i];
        s.WriteInt("Accel", SettingsStore::IndexedKey("fVirt", static_cast<int>(i)), r.flags);
        s.WriteInt("Accel", SettingsStore::IndexedKey("KeyCmd", static_cast<int>(i)),
                   static_cast<int32_t>((static_cast<uint32_t>(r.command) << 16) | r.key));
    }

    s.WriteInt("StrongData", "Number", static_cast<int32_t>(strongData.size()));
    for (size_t i = 0; i < strongData.size(); ++i) {
        const ColorValueRecord& r = strongData[i];
        int idx = static_cast<int>(i);
        s.WriteInt("StrongData", SettingsStore::IndexedKey("Value", idx), static_cast<int32_t>(r.value));
        s.WriteInt("StrongData", SettingsStore::IndexedKey("Mask", idx), static_cast<int32_t>(r.mask));
        s.WriteInt("StrongData", SettingsStore::IndexedKey("Size", idx), r.size);
        s.WriteInt("StrongData", SettingsStore::IndexedKey("TextColor", idx),
                   static_cast<int32_t>(r.textColor));
        s.WriteInt("StrongData", SettingsStore::IndexedKey("BkColor", idx), static_cast<int32_t>(r.bkColor));
    }
}

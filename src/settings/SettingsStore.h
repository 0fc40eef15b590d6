#pragma once

#include <cstdint>
#include <memory>
#include <string>

class IniFile;
class TypedStore;

// Typed reads and writes of the editor's settings by section and key, backed either by "Kivran.ini" beside
// the executable or by the per-user typed store (the counterpart of the Windows registry). A store object
// lives for one load or one save. Every read falls back to its default; writes fail silently.
class SettingsStore {
public:
    SettingsStore();
    ~SettingsStore();

    // useRegistry 1: the per-user typed store; 0: the settings file at iniPath.
    void Open(int useRegistry, const std::string& iniPath);
    // Writes what was changed and releases the store.
    void Close();

    int32_t ReadInt(const std::string& section, const std::string& key, int32_t def);
    int64_t ReadInt64(const std::string& section, const std::string& key, int64_t def);
    std::string ReadString(const std::string& section, const std::string& key, const std::string& def);
    void WriteInt(const std::string& section, const std::string& key, int32_t value);
    void WriteInt64(const std::string& section, const std::string& key, int64_t value);
    void WriteString(const std::string& section, const std::string& key, const std::string& text);

    // "%s[%d]": the key of a list entry, such as TextColor[0].
    static std::string IndexedKey(const std::string& key, int index);

    // The choice between the stores, always kept in the typed store as the DWORD "UseRegistry".
    static int ReadUseRegistry();
    static void WriteUseRegistry(int useRegistry);

    // The settings file: beside the executable when it may be written there, else in the user's
    // configuration folder (SettingsLocation).
    static std::string DefaultIniPath();
    // The stored UI language (0 Japanese, 1 English; any other value is 0) from the chosen store.
    static int ReadStoredLanguage();

private:
    int useRegistry = 0;
    std::unique_ptr<IniFile> ini;
    std::unique_ptr<TypedStore> typed;
};

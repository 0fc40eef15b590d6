#include "settings/SettingsStore.h"

#include "settings/IniFile.h"
#include "settings/SettingsLocation.h"
#include "settings/TypedStore.h"

#include <cstdlib>
#include <cstring>

namespace {

// The profile functions hand back at most 254 characters of a value; a cut never splits a UTF-8 character.
std::string CutToProfileBuffer(const std::string& text) {
    const size_t limit = 254;
    if (text.size() <= limit) {
        return text;
    }
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return text.substr(0, end);
}

// Copies a registry value into a buffer of `size` bytes that already holds the default; a value larger than
// the buffer fails the query, as a registry query into a too-small buffer does.
bool QueryInto(const TypedStore::Value& value, void* buffer, size_t size) {
    if (value.bytes.size() > size) {
        return false;
    }
    std::memcpy(buffer, value.bytes.data(), value.bytes.size());
    return true;
}

} // namespace

SettingsStore::SettingsStore() = default;
SettingsStore::~SettingsStore() {
    Close();
}

void SettingsStore::Open(int useRegistryValue, const std::string& iniPath) {
    Close();
    useRegistry = useRegistryValue;
    if (useRegistry) {
        typed = std::make_unique<TypedStore>();
        typed->Load();
    } else {
        ini = std::make_unique<IniFile>(iniPath);
        ini->Load();
    }
}

void SettingsStore::Close() {
    if (ini && ini->IsDirty()) {
        // The settings folder in the user's configuration folder exists only once something was written.
        if (ini->Path() == SettingsLocation::UserIniPath()) {
            SettingsLocation::MakeParentDirectories(ini->Path());
        }
        ini->Save();
    }
    if (typed && typed->IsDirty()) {
        typed->Save();
    }
    ini.reset();
    typed.reset();
}

int32_t SettingsStore::ReadInt(const std::string& section, const std::string& key, int32_t def) {
    if (ini) {
        std::string text;
        if (!ini->Get(section, key, text)) {
            return def;
        }
        // Like the profile function: an optional sign and leading digits; anything else reads as 0.
        long long v = std::strtoll(text.c_str(), nullptr, 10);
        return static_cast<int32_t>(static_cast<uint32_t>(v));
    }
    TypedStore::Value value;
    if (!typed || !typed->Query(section, key, value)) {
        return def;
    }
    int32_t result = def;
    if (!QueryInto(value, &result, sizeof result)) {
        return def;
    }
    return result;
}

int64_t SettingsStore::ReadInt64(const std::string& section, const std::string& key, int64_t def) {
    if (ini) {
        std::string text = ReadString(section, key, std::string());
        if (text.empty()) {
            return def;
        }
        // Like "%I64d": blanks, an optional sign and at least one digit; a value out of range saturates
        // instead of being undefined.
        char* end = nullptr;
        long long v = std::strtoll(text.c_str(), &end, 10);
        if (end == text.c_str()) {
            return def;
        }
        return v;
    }
    TypedStore::Value value;
    if (!typed || !typed->Query(section, key, value)) {
        return def;
    }
    int64_t result = def;
    if (!QueryInto(value, &result, sizeof result)) {
        return def;
    }
    return result;
}

std::string SettingsStore::ReadString(const std::string& section, const std::string& key,
                                      const std::string& def) {
    if (ini) {
        std::string text;
        if (!ini->Get(section, key, text)) {
            return def;
        }
        return CutToProfileBuffer(text);
    }
    TypedStore::Value value;
    if (!typed || !typed->Query(section, key, value)) {
        return def;
    }
    char buffer[256] = {0};
    if (!QueryInto(value, buffer, sizeof buffer)) {
        return def;
    }
    return std::string(buffer, strnlen(buffer, sizeof buffer));
}

void SettingsStore::WriteInt(const std::string& section, const std::string& key, int32_t value) {
    if (ini) {
        ini->Set(section, key, std::to_string(value));
    } else if (typed) {
        typed->Set(section, key, TypedStore::Dword(static_cast<uint32_t>(value)));
    }
}

void SettingsStore::WriteInt64(const std::string& section, const std::string& key, int64_t value) {
    if (ini) {
        ini->Set(section, key, std::to_string(value));
    } else if (typed) {
        typed->Set(section, key, TypedStore::Qword(static_cast<uint64_t>(value)));
    }
}

void SettingsStore::WriteString(const std::string& section, const std::string& key, const std::string& text) {
    if (ini) {
        ini->Set(section, key, text);
    } else if (typed) {
        typed->Set(section, key, TypedStore::String(text));
    }
}

std::string SettingsStore::IndexedKey(const std::string& key, int index) {
    return key + "[" + std::to_string(index) + "]";
}

int SettingsStore::ReadUseRegistry() {
    TypedStore store;
    store.Load();
    TypedStore::Value value;
    if (!store.Query("", "UseRegistry", value) || value.type != TypedStore::Type::Dword) {
        return 0;
    }
    int32_t v = 0;
    QueryInto(value, &v, sizeof v);
    return v;
}

void SettingsStore::WriteUseRegistry(int useRegistryValue) {
    TypedStore store;
    store.Load();
    store.Set("", "UseRegistry", TypedStore::Dword(static_cast<uint32_t>(useRegistryValue)));
    store.Save();
}

std::string SettingsStore::DefaultIniPath() {
    return SettingsLocation::IniPath();
}

int SettingsStore::ReadStoredLanguage() {
    SettingsStore store;
    store.Open(ReadUseRegistry(), DefaultIniPath());
    int language = store.ReadInt("Option", "Language", 0);
    return language == 1 ? 1 : 0;
}

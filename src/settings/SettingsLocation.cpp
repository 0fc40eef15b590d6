#include "settings/SettingsLocation.h"

#include "platform/ExecutablePath.h"
#include "settings/SettingsStore.h"
#include "settings/TypedStore.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct InUse {
    bool set = false;
    int useRegistry = 0;
    std::string iniPath;
};

InUse& TheInUse() {
    static InUse inUse;
    return inUse;
}

std::string Join(const std::string& dir, const std::string& name) {
    return !dir.empty() && dir.back() == '/' ? dir + name : dir + "/" + name;
}

} // namespace

std::string SettingsLocation::IniPath() {
    return IniPathFor(ExecutablePath::Directory(), ConfigHome());
}

std::string SettingsLocation::IniPathFor(const std::string& exeDir, const std::string& configHome) {
    if (configHome.empty() || CanWriteIn(exeDir)) {
        return Join(exeDir, kFileName);
    }
    return Join(Join(configHome, "KIVRAN"), kFileName);
}

std::string SettingsLocation::UserIniPath() {
    const std::string configHome = ConfigHome();
    return configHome.empty() ? std::string() : Join(Join(configHome, "KIVRAN"), kFileName);
}

bool SettingsLocation::CanWriteIn(const std::string& dir) {
    struct stat info {};
    return !dir.empty() && ::stat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           ::access(dir.c_str(), W_OK | X_OK) == 0;
}

std::string SettingsLocation::ConfigHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') {
        return xdg;
    }
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') {
        return Join(home, ".config");
    }
    return std::string();
}

void SettingsLocation::MakeParentDirectories(const std::string& path) {
    const size_t last = path.rfind('/');
    if (last == std::string::npos || last == 0) {
        return;
    }
    for (size_t i = 1; i <= last; ++i) {
        if (i == last || path[i] == '/') {
            ::mkdir(path.substr(0, i).c_str(), 0700);
        }
    }
}

void SettingsLocation::SetInUse(int useRegistry, const std::string& iniPath) {
    InUse& inUse = TheInUse();
    inUse.set = true;
    inUse.useRegistry = useRegistry ? 1 : 0;
    inUse.iniPath = iniPath;
}

std::string SettingsLocation::PathInUse() {
    const InUse& inUse = TheInUse();
    if (inUse.set) {
        return inUse.useRegistry ? TypedStore::DefaultPath() : inUse.iniPath;
    }
    return SettingsStore::ReadUseRegistry() ? TypedStore::DefaultPath() : IniPath();
}

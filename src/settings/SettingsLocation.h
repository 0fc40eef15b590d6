#pragma once

#include <string>

// Where the settings file lives. "Kivran.ini" stays beside the executable when the user may write there (a
// build tree, a portable copy); an installed copy, whose program directory belongs to the system, keeps it in
// the user's configuration folder instead: $XDG_CONFIG_HOME/KIVRAN/Kivran.ini, by default
// ~/.config/KIVRAN/Kivran.ini. The folder is made when the settings are first written.
class SettingsLocation {
public:
    static constexpr const char* kFileName = "Kivran.ini";

    // The settings file of the running program.
    static std::string IniPath();
    // The settings file for a program in exeDir with the user's configuration folder configHome.
    static std::string IniPathFor(const std::string& exeDir, const std::string& configHome);
    // The settings file in the user's configuration folder; empty when that folder is unknown.
    static std::string UserIniPath();
    // True when dir is a folder in which the process may create and replace files. A settings file there
    // that the process may not write stays as it is: it is read, and never replaced.
    static bool CanWriteIn(const std::string& dir);
    // The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config;
    // empty when neither is known.
    static std::string ConfigHome();
    // Makes the folders above path that are missing (mode 0700, so only the user reads his settings).
    static void MakeParentDirectories(const std::string& path);

    // The store the program reads and will write its settings to, as the application last chose it: the
    // settings file or the per-user typed store.
    static void SetInUse(int useRegistry, const std::string& iniPath);
    // The path of the store in use: as set, or when nothing was set the choice kept in the typed store.
    static std::string PathInUse();
};

#pragma once

#include "platform/ExecutablePath.h"

#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

// A private executable directory (for Kivran.ini), a private XDG config home (for the typed store) and state
// home (for recovery copies), so that a test never touches the user's settings or files.
class TestEnvironment {
public:
    TestEnvironment() {
        exeDir = dir.path().toStdString() + "/bin";
        std::string config = dir.path().toStdString() + "/config";
        stateDir = dir.path().toStdString() + "/state";
        std::system(("mkdir -p '" + exeDir + "' '" + config + "'").c_str());
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        // Recovery copies go to a private place too.
        setenv("XDG_STATE_HOME", stateDir.c_str(), 1);
        ExecutablePath::SetPathForTesting(exeDir + "/kivran");
    }
    ~TestEnvironment() { ExecutablePath::SetPathForTesting(std::string()); }

    std::string IniPath() const { return exeDir + "/Kivran.ini"; }
    std::string TypedStorePath() const {
        return dir.path().toStdString() + "/config/MOLDEK Soft/KIVRAN/registry";
    }

    void WriteIni(const std::string& text) const { WriteFile(IniPath(), text); }
    std::string ReadIni() const { return ReadFile(IniPath()); }

    static void WriteFile(const std::string& path, const std::string& text) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
    }
    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    QTemporaryDir dir;
    std::string exeDir;
    std::string stateDir;
};

#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// "kivran --help" and "kivran --version": answered on standard output before any window or display is
// needed. "--batch --help" is batch mode's own and is left to it.
class CCommandLineHelp {
public:
    // True when args (without the program name) ask for the usage or the version outside batch mode; the
    // answer is then written to out and status is the exit status (0).
    static bool Answer(const std::vector<std::string>& args, std::ostream& out, int& status);
    // The whole usage text: the window mode and the batch forms.
    static std::string Usage();
    // "KIVRAN 1.00".
    static std::string VersionLine();
};

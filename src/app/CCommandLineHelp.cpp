#include "app/CCommandLineHelp.h"

#include "app/CBatchRunner.h"

#include <cstdio>
#include <ostream>

namespace {

const char kWindowUsage[] =
    "usage: kivran [FILE]\n"
    "       kivran --help | --version\n"
    "Opens FILE (or an empty buffer) in the editor window; the symbol file named after FILE's extension\n"
    "runs from the symbol directory.\n"
    "  --help          print this text and exit\n"
    "  --version       print the version and exit\n"
    "  --              the next argument is FILE even when it starts with \"-\"\n"
    "\n"
    "Batch mode runs scripts without a window:\n";

} // namespace

bool CCommandLineHelp::Answer(const std::vector<std::string>& args, std::ostream& out, int& status) {
    if (CBatchRunner::IsBatch(args)) {
        return false;
    }
    for (const std::string& a : args) {
        if (a == "--") {
            return false;
        }
        if (a == "--help" || a == "-h") {
            out << Usage();
            out.flush();
            status = 0;
            return true;
        }
        if (a == "--version") {
            out << VersionLine() << '\n';
            out.flush();
            status = 0;
            return true;
        }
    }
    return false;
}

std::string CCommandLineHelp::Usage() {
    return std::string(kWindowUsage) + CBatchRunner::Usage();
}

std::string CCommandLineHelp::VersionLine() {
    char text[32];
    std::snprintf(text, sizeof text, "KIVRAN %d.%02d", KIVRAN_VERSION_MAJOR, KIVRAN_VERSION_MINOR);
    return text;
}

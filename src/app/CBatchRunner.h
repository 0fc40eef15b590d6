#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// "kivran --batch ...": runs scripts without a window, for users who automate and for black-box tests.
class CBatchRunner {
public:
    // True when the arguments ask for batch mode.
    static bool IsBatch(const std::vector<std::string>& args);
    // The usage text of batch mode, as "--batch --help" prints it.
    static const char* Usage();
    // Runs batch mode; args excludes the program name. Returns the process exit status: 0, 1 after a
    // script error, 2 for bad usage or files that cannot be read or written. Prompts read standard input.
    static int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
    // The same with the prompts' answers read from in.
    static int Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                   std::ostream& err);
};

// Runs every script conformance case under a folder through the real program in batch mode:
//   script_conformance KIVRAN_BINARY CASES_FOLDER [SUBSTRING]
// A case is a .mac file whose comments carry its expectations:
//   // expect: TEXT                 a line of standard output (the --print-vars lines "NAME = VALUE", a
//                                   message, a --dump-symbols or --json line), blanks around it aside; the
//                                   expected lines must appear in this order
//   // expect absent: NAME          no --print-vars line for the variable NAME
//   // expect error line N: TEXT    the run fails with the report for line N and the error text TEXT
//   // expect error text: LINE      the report shows LINE (blanks around it aside) as the error line's text
//   // expect error file: FILE      the report names FILE (relative to the case's folder) instead of the case
//                                   itself, for an error in a symbol file
//   // expect stderr: TEXT          a line of standard error before any error report (prompts, "Find illegal
//                                   charactor"); these lines, in this order, must be all there is
//   // expect saved hex: 12 34 ...  the data as the run left it, written with --save (nothing: empty data)
//   // expect status: N             the exit status, when it is not 0 (or 1 for an error expectation); with
//                                   2 the output is not checked further
//   // lang: ja                     run with --lang ja instead of --lang en
// and the fixtures of its run:
//   // data: FILE                   open FILE (relative to the case's folder) as the data
//   // data hex: 12 34 56 78        open a scratch file holding these bytes (several lines append)
//   // symbols: FILE                run FILE (relative to the case's folder) as the symbol file
//   // stdin: TEXT                  a line of standard input (several lines in order; none: no input)
//   // args: ARG ...                more arguments, separated by blanks ({dir} is the case's folder)
// Every case runs with --macro CASE --print-vars and the arguments its fixtures add. Without an error
// expectation the run must succeed with nothing on standard error but the expected lines.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Case {
    std::string path;
    std::string folder;
    std::vector<std::string> expected;
    std::vector<std::string> absent;
    bool expectError = false;
    long errorLine = 0;
    std::string errorText;
    bool checkLineText = false;
    std::string lineText;
    std::string errorFile;
    std::vector<std::string> expectedErr;
    bool checkSaved = false;
    std::string savedHex;
    int status = -1;
    std::string language = "en";
    std::string data;
    bool hasDataHex = false;
    std::string dataHex;
    std::string symbols;
    std::string input;
    std::vector<std::string> args;
};

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
    bool timedOut = false;
};

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r");
    size_t e = s.find_last_not_of(" \t\r");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

bool ParseCase(const std::string& path, Case& c, std::string& problem) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    c.path = path;
    c.folder = fs::path(path).parent_path().string();
    while (std::getline(in, line)) {
        size_t at = line.find("// ");
        if (at == std::string::npos) {
            continue;
        }
        std::string comment = line.substr(at + 3);
        if (comment.rfind("expect: ", 0) == 0) {
            c.expected.push_back(Trim(comment.substr(8)));
        } else if (comment.rfind("expect absent: ", 0) == 0) {
            c.absent.push_back(Trim(comment.substr(15)));
        } else if (comment.rfind("expect error line ", 0) == 0) {
            std::string rest = comment.substr(18);
            size_t colon = rest.find(':');
            if (colon == std::string::npos) {
                problem = "malformed error expectation: " + line;
                return false;
            }
            c.expectError = true;
            c.errorLine = std::strtol(rest.substr(0, colon).c_str(), nullptr, 10);
            c.errorText = Trim(rest.substr(colon + 1));
        } else if (comment.rfind("expect error text: ", 0) == 0) {
            c.checkLineText = true;
            c.lineText = Trim(comment.substr(19));
        } else if (comment.rfind("expect error file: ", 0) == 0) {
            c.errorFile = Trim(comment.substr(19));
        } else if (comment.rfind("expect stderr: ", 0) == 0) {
            c.expectedErr.push_back(Trim(comment.substr(15)));
        } else if (comment.rfind("expect saved hex:", 0) == 0) {
            c.checkSaved = true;
            c.savedHex += " " + comment.substr(17);
        } else if (comment.rfind("expect status: ", 0) == 0) {
            c.status = static_cast<int>(std::strtol(comment.substr(15).c_str(), nullptr, 10));
        } else if (comment.rfind("lang: ", 0) == 0) {
            c.language = Trim(comment.substr(6));
        } else if (comment.rfind("data: ", 0) == 0) {
            c.data = Trim(comment.substr(6));
        } else if (comment.rfind("data hex:", 0) == 0) {
            c.hasDataHex = true;
            c.dataHex += " " + comment.substr(9);
        } else if (comment.rfind("symbols: ", 0) == 0) {
            c.symbols = Trim(comment.substr(9));
        } else if (comment.rfind("stdin: ", 0) == 0) {
            c.input += comment.substr(7) + "\n";
        } else if (comment.rfind("args: ", 0) == 0) {
            std::istringstream words(comment.substr(6));
            std::string word;
            while (words >> word) {
                c.args.push_back(word);
            }
        }
    }
    return true;
}

// "12 34 ab" to bytes; false on anything but pairs of hexadecimal digits.
bool ParseHex(const std::string& text, std::string& bytes) {
    std::istringstream in(text);
    std::string pair;
    bytes.clear();
    while (in >> pair) {
        if (pair.size() != 2 || pair.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
            return false;
        }
        bytes += static_cast<char>(std::strtol(pair.c_str(), nullptr, 16));
    }
    return true;
}

std::string ToHex(const std::string& bytes) {
    std::string hex;
    char two[4];
    for (unsigned char b : bytes) {
        std::snprintf(two, sizeof two, "%02X", b);
        hex += hex.empty() ? "" : " ";
        hex += two;
    }
    return hex;
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Outcome RunProgram(const std::vector<std::string>& argv, const std::string& scratch,
                   const std::string& input) {
    Outcome o;
    std::string outPath = scratch + "/stdout";
    std::string errPath = scratch + "/stderr";
    std::string inPath = scratch + "/stdin";
    WriteAll(inPath, input);
    pid_t pid = fork();
    if (pid == 0) {
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int in = open(inPath.c_str(), O_RDONLY);
        dup2(out, 1);
        dup2(err, 2);
        dup2(in, 0);
        std::vector<char*> args;
        for (const std::string& a : argv) {
            args.push_back(const_cast<char*>(a.c_str()));
        }
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int status = 0;
    while (true) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            o.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    o.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    o.out = ReadAll(outPath);
    o.err = ReadAll(errPath);
    return o;
}

std::vector<std::string> Check(const Case& c, const Outcome& o, const std::string& saved) {
    std::vector<std::string> failures;
    if (o.timedOut) {
        failures.push_back("timed out");
        return failures;
    }
    const int expectedStatus = c.status >= 0 ? c.status : c.expectError ? 1 : 0;
    if (o.status != expectedStatus) {
        failures.push_back("exit status " + std::to_string(o.status) + ", expected " +
                           std::to_string(expectedStatus) + (o.err.empty() ? "" : "\n    stderr: " + o.err));
    }
    if (expectedStatus == 2) {
        return failures;
    }
    // Output lines are compared without the blanks around them, as the expectations are written.
    std::vector<std::string> out;
    for (const std::string& line : SplitLines(o.out)) {
        out.push_back(Trim(line));
    }
    size_t next = 0;
    for (const std::string& e : c.expected) {
        auto found = std::find(out.begin() + static_cast<long>(next), out.end(), e);
        if (found == out.end()) {
            bool elsewhere = std::find(out.begin(), out.end(), e) != out.end();
            failures.push_back((elsewhere ? "out of order: " : "missing output: ") + e);
        } else {
            next = static_cast<size_t>(found - out.begin()) + 1;
        }
    }
    for (const std::string& name : c.absent) {
        for (const std::string& line : out) {
            if (line.rfind(name + " = ", 0) == 0 || line.rfind(name + "[", 0) == 0 ||
                line.rfind(name + ".", 0) == 0) {
                failures.push_back("unexpected output: " + line);
            }
        }
    }
    // Standard error: the expected lines (prompts and their messages), then the error report if one is due.
    std::vector<std::string> err = SplitLines(o.err);
    size_t report = std::find(err.begin(), err.end(), "Macro Error") - err.begin();
    std::vector<std::string> before(err.begin(),
                                    err.begin() + static_cast<long>(std::min(report, err.size())));
    std::vector<std::string> trimmed;
    for (const std::string& line : before) {
        trimmed.push_back(Trim(line));
    }
    if (trimmed != c.expectedErr) {
        failures.push_back("unexpected standard error: " + o.err);
    }
    if (c.expectError) {
        std::string linePrefix = "Line" + std::to_string(c.errorLine) + " ";
        std::string file = c.errorFile.empty() ? c.path : c.folder + "/" + c.errorFile;
        if (err.size() < report + 4 || err[report + 1] != "File:" + file ||
            err[report + 2].rfind(linePrefix, 0) != 0 || err[report + 3] != c.errorText) {
            failures.push_back("expected report for line " + std::to_string(c.errorLine) + ": " +
                               c.errorText + "\n    got: " + o.err);
        } else if (c.checkLineText && Trim(err[report + 2].substr(linePrefix.size())) != c.lineText) {
            failures.push_back("expected line text: " + c.lineText + "\n    got: " + err[report + 2]);
        }
    } else if (report < err.size()) {
        failures.push_back("unexpected error report: " + o.err);
    }
    if (c.checkSaved) {
        std::string expected;
        ParseHex(c.savedHex, expected);
        if (saved != expected) {
            failures.push_back("saved data " + ToHex(saved) + ", expected " + ToHex(expected));
        }
    }
    return failures;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: script_conformance KIVRAN_BINARY CASES_FOLDER [SUBSTRING]\n";
        return 2;
    }
    std::string binary = fs::absolute(argv[1]).string();
    fs::path root = fs::absolute(argv[2]);
    std::string filter = argc > 3 ? argv[3] : "";
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file() && entry.path().extension() == ".mac" &&
            entry.path().string().find(filter) != std::string::npos) {
            files.push_back(entry.path().string());
        }
    }
    std::sort(files.begin(), files.end());
    char scratchTemplate[] = "/tmp/kivran-scripts-XXXXXX";
    const char* scratch = mkdtemp(scratchTemplate);
    if (!scratch) {
        std::cerr << "cannot create a scratch folder\n";
        return 2;
    }
    int passed = 0;
    int failed = 0;
    for (const std::string& file : files) {
        Case c;
        std::string problem;
        std::string name = fs::relative(file, root).string();
        if (!ParseCase(file, c, problem)) {
            std::cout << "FAIL " << name << "\n    " << problem << "\n";
            ++failed;
            continue;
        }
        std::vector<std::string> argv = {binary,         "--batch", "--macro", file,
                                         "--print-vars", "--lang",  c.language};
        if (!c.symbols.empty()) {
            argv.push_back("--symbols");
            argv.push_back(c.folder + "/" + c.symbols);
        }
        for (std::string arg : c.args) {
            for (size_t at = arg.find("{dir}"); at != std::string::npos; at = arg.find("{dir}")) {
                arg.replace(at, 5, c.folder);
            }
            argv.push_back(arg);
        }
        const std::string savedPath = std::string(scratch) + "/saved";
        fs::remove(savedPath);
        if (c.checkSaved) {
            argv.push_back("--save");
            argv.push_back(savedPath);
        }
        if (c.hasDataHex) {
            std::string bytes;
            if (!ParseHex(c.dataHex, bytes)) {
                std::cout << "FAIL " << name << "\n    malformed data hex\n";
                ++failed;
                continue;
            }
            // No extension: no symbol file is looked up for it.
            const std::string dataPath = std::string(scratch) + "/data";
            WriteAll(dataPath, bytes);
            argv.push_back(dataPath);
        } else if (!c.data.empty()) {
            argv.push_back(c.folder + "/" + c.data);
        }
        Outcome o = RunProgram(argv, scratch, c.input);
        std::vector<std::string> failures = Check(c, o, ReadAll(savedPath));
        if (failures.empty()) {
            ++passed;
            continue;
        }
        ++failed;
        std::cout << "FAIL " << name << "\n";
        for (const std::string& f : failures) {
            std::cout << "    " << f << "\n";
        }
    }
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    std::cout << passed << " passed, " << failed << " failed\n";
    return failed == 0 && passed > 0 ? 0 : 1;
}

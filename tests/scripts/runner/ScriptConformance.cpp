// Runs every script conformance case under a folder through the real program in batch mode:
//   script_conformance KIVRAN_BINARY CASES_FOLDER [SUBSTRING]
// A case is a .mac file whose comments carry its expectations:
//   // expect: TEXT                 a line of standard output (the --print-vars lines "NAME = VALUE", or a
//                                   message); the expected lines must appear in this order
//   // expect absent: NAME          no --print-vars line for the variable NAME
//   // expect error line N: TEXT    the run fails with the report for line N and the error text TEXT
//   // expect error text: LINE      the report shows LINE (blanks around it aside) as the error line's text
//   // lang: ja                     run with --lang ja instead of --lang en
// Without an error expectation the run must succeed with nothing on standard error.
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
    std::vector<std::string> expected;
    std::vector<std::string> absent;
    bool expectError = false;
    long errorLine = 0;
    std::string errorText;
    bool checkLineText = false;
    std::string lineText;
    std::string language = "en";
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
        } else if (comment.rfind("lang: ", 0) == 0) {
            c.language = Trim(comment.substr(6));
        }
    }
    return true;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Outcome RunProgram(const std::vector<std::string>& argv, const std::string& scratch) {
    Outcome o;
    std::string outPath = scratch + "/stdout";
    std::string errPath = scratch + "/stderr";
    pid_t pid = fork();
    if (pid == 0) {
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int in = open("/dev/null", O_RDONLY);
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

std::vector<std::string> Check(const Case& c, const Outcome& o) {
    std::vector<std::string> failures;
    if (o.timedOut) {
        failures.push_back("timed out");
        return failures;
    }
    std::vector<std::string> out = SplitLines(o.out);
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
    if (c.expectError) {
        std::vector<std::string> err = SplitLines(o.err);
        std::string linePrefix = "Line" + std::to_string(c.errorLine) + " ";
        if (o.status != 1) {
            failures.push_back("exit status " + std::to_string(o.status) + ", expected 1");
        }
        if (err.size() < 4 || err[0] != "Macro Error" || err[1] != "File:" + c.path ||
            err[2].rfind(linePrefix, 0) != 0 || err[3] != c.errorText) {
            failures.push_back("expected report for line " + std::to_string(c.errorLine) + ": " +
                               c.errorText + "\n    got: " + o.err);
        } else if (c.checkLineText && Trim(err[2].substr(linePrefix.size())) != c.lineText) {
            failures.push_back("expected line text: " + c.lineText + "\n    got: " + err[2]);
        }
    } else {
        if (o.status != 0) {
            failures.push_back("exit status " + std::to_string(o.status));
        }
        if (!o.err.empty()) {
            failures.push_back("unexpected standard error: " + o.err);
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
        Outcome o =
            RunProgram({binary, "--batch", "--macro", file, "--print-vars", "--lang", c.language}, scratch);
        std::vector<std::string> failures = Check(c, o);
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

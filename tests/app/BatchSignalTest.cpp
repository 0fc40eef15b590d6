#include "TestEnvironment.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Reads the child's output until it contains the text or the deadline passes.
bool WaitForOutput(int fd, const std::string& text, std::string& seen, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (seen.find(text) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd entry{fd, POLLIN, 0};
        if (::poll(&entry, 1, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        char buffer[256];
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) {
            return false;
        }
        seen.append(buffer, static_cast<size_t>(got));
    }
    return true;
}

// Waits for the child to end; false when it is still running at the deadline.
bool WaitForEnd(pid_t pid, int& status, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        // Woken by the child's end (SIGCHLD) or after a short wait.
        ::poll(nullptr, 0, 5);
    }
}

// A macro that says it has started and then loops for ever (the loop limit raised out of reach).
TEST(BatchSignals, TerminationSignalsEndAnEndlessRunAtOnce) {
    const std::string program = std::string(KIVRAN_BIN_DIR) + "/kivran";
    ASSERT_EQ(::access(program.c_str(), X_OK), 0) << program;
    TestEnvironment env;
    const std::string macro = env.dir.path().toStdString() + "/endless.mac";
    TestEnvironment::WriteFile(macro, "#maxloop 2000000000\n"
                                      "MessageBox(\"started\");\n"
                                      "int n = 0;\n"
                                      "while (1) { n = n + 1; }\n");
    for (int number : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(number == SIGINT ? "SIGINT" : "SIGTERM");
        int out[2];
        ASSERT_EQ(::pipe2(out, O_CLOEXEC), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            // As started from a terminal: the signals have their usual effect.
            ::signal(SIGINT, SIG_DFL);
            ::signal(SIGTERM, SIG_DFL);
            ::dup2(out[1], 1);
            ::execl(program.c_str(), program.c_str(), "--batch", "--lang", "en", "--macro", macro.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        std::string seen;
        const bool started = WaitForOutput(out[0], "started", seen, 20000);
        ::close(out[0]);
        if (!started) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
            FAIL() << "the macro did not start: " << seen;
        }
        ASSERT_EQ(::kill(pid, number), 0);
        int status = 0;
        const bool ended = WaitForEnd(pid, status, 3000);
        if (!ended) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        ASSERT_TRUE(ended) << "the run went on after the signal";
        ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
        EXPECT_EQ(WTERMSIG(status), number);
    }
}

} // namespace

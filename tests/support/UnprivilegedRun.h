#pragma once

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <grp.h>
#include <pwd.h>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

// Runs a piece of a test as a user without privileges, so that file permissions bind it even when the suite
// runs as the super-user. As root, the piece runs in a forked child that has become "nobody" (or a system
// user made for the tests when "nobody" does not exist); as anyone else, in a forked child as that same user.
class UnprivilegedRun {
public:
    // Finds or makes the user; false with a reason when there is none.
    static bool Available(std::string& reason) {
        User user = TheUser();
        reason = user.reason;
        return user.found;
    }
    static bool AsRoot() { return ::geteuid() == 0; }
    static uid_t Uid() { return TheUser().uid; }
    static gid_t Gid() { return TheUser().gid; }

    // The exit code of body run in the child (0 to 125), or -1 when the child could not become the user, or
    // died. Writes done by the child are visible to the caller through the file system only.
    static int Run(const std::function<int()>& body) {
        User user = TheUser();
        if (!user.found) {
            return -1;
        }
        pid_t child = ::fork();
        if (child < 0) {
            return -1;
        }
        if (child == 0) {
            if (AsRoot() && (::setgroups(0, nullptr) != 0 || ::setgid(user.gid) != 0 ||
                             ::setuid(user.uid) != 0 || ::geteuid() == 0)) {
                ::_exit(126);
            }
            ::_exit(body() & 0x7F);
        }
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        if (!WIFEXITED(status) || WEXITSTATUS(status) >= 126) {
            return -1;
        }
        return WEXITSTATUS(status);
    }

private:
    struct User {
        bool found = false;
        uid_t uid = 0;
        gid_t gid = 0;
        std::string reason;
    };

    static User TheUser() {
        static const User user = Find();
        return user;
    }

    static User Find() {
        User user;
        if (!AsRoot()) {
            user.found = true;
            user.uid = ::geteuid();
            user.gid = ::getegid();
            return user;
        }
        for (int attempt = 0; attempt < 2; ++attempt) {
            for (const char* name : {"nobody", "kivran-test"}) {
                if (const passwd* entry = ::getpwnam(name)) {
                    if (entry->pw_uid != 0) {
                        user.found = true;
                        user.uid = entry->pw_uid;
                        user.gid = entry->pw_gid;
                        return user;
                    }
                }
            }
            if (attempt == 0 &&
                std::system("useradd --system --no-create-home --shell /usr/sbin/nologin kivran-test "
                            ">/dev/null 2>&1") != 0) {
                break;
            }
        }
        user.reason = "no unprivileged user exists and none could be made with useradd";
        return user;
    }
};

#pragma once

#include <string>
#include <sys/types.h>

// Names of objects that live in system-wide name spaces (POSIX shared memory) carry the user id, so that
// the copies of one user find each other's objects and never another user's.
class PerUserName {
public:
    // "/" + base + "-" + uid, for shm_open.
    static std::string SharedObject(const std::string& base, uid_t uid);
    // The same for the effective user of this process.
    static std::string SharedObject(const std::string& base);
};

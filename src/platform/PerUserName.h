#pragma once

#include <string>
#include <sys/types.h>

// Names of objects that live in system-wide name spaces (POSIX shared memory). They carry the user id, so
// that the copies of one user find each other's objects and never another user's; and a private token, so
// that no other user can predict a name and take it first.
class PerUserName {
public:
    static constexpr const char* kTokenFile = "name-token";
    static constexpr size_t kTokenDigits = 32;

    // "/" + base + "-" + uid, for shm_open.
    static std::string SharedObject(const std::string& base, uid_t uid);
    // The same for the effective user of this process.
    static std::string SharedObject(const std::string& base);
    // SharedObject(base) + "-" + the token of the private directory: the name the copies that share that
    // directory use, which users who cannot read the directory cannot know. Empty without a token.
    static std::string PrivateObject(const std::string& base, const std::string& directory);

    // The random token (kTokenDigits lower-case hexadecimal digits) kept in the file kTokenFile of a
    // directory that only this user can enter, shared by every copy that uses the directory: read when it
    // is there, made from the system's random source otherwise. A token file that is not a regular file of
    // this user holding a well-formed token is replaced. Empty when the directory is missing, not this
    // user's or open to others, or the file can neither be read nor made.
    static std::string SessionToken(const std::string& directory);
};

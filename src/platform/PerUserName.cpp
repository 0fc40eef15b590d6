#include "platform/PerUserName.h"

#include <unistd.h>

std::string PerUserName::SharedObject(const std::string& base, uid_t uid) {
    return "/" + base + "-" + std::to_string(uid);
}

std::string PerUserName::SharedObject(const std::string& base) {
    return SharedObject(base, ::geteuid());
}

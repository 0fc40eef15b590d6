#include "platform/ExecutablePath.h"

#include <gtest/gtest.h>
#include <string>

namespace {

TEST(ExecutablePath, DataDirectoryIsShareKivranBesideTheProgramFolder) {
    const struct {
        const char* directory;
        const char* data;
    } cases[] = {
        {"/usr/bin", "/usr/share/kivran"},
        {"/usr/local/bin/", "/usr/local/share/kivran"},
        {"/opt/kivran/bin", "/opt/kivran/share/kivran"},
        {"/bin", "/share/kivran"},
        {"relative/bin", "relative/share/kivran"},
        {"bin", "./share/kivran"},
        {"/a/b/..", "/a/b/../../share/kivran"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExecutablePath::DataDirectoryOf(c.directory), c.data) << c.directory;
    }
}

TEST(ExecutablePath, DataDirectoryFollowsTheProgramPath) {
    ExecutablePath::SetPathForTesting("/opt/x/bin/kivran");
    EXPECT_EQ(ExecutablePath::DataDirectory(), "/opt/x/share/kivran");
    ExecutablePath::SetPathForTesting(std::string());
}

} // namespace

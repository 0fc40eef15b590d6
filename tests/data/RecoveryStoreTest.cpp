#include "data/CRecoveryStore.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

class RecoveryStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kivran-recovery-XXXXXX";
        root = ::mkdtemp(pattern);
        original = root + "/data.bin";
        WriteText(original, "on disk");
    }
    void TearDown() override { std::system(("rm -rf '" + root + "'").c_str()); }

    static void WriteText(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    }
    static std::string ReadText(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static CRecoveryStore::Reader From(const Bytes& bytes) {
        return [&bytes](uint64_t offset, unsigned char* buffer, uint64_t length) {
            std::memcpy(buffer, bytes.data() + offset, length);
            return length;
        };
    }
    static unsigned Mode(const std::string& path) {
        struct stat info;
        return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 0777 : 0;
    }

    std::string root;
    std::string original;
};

TEST_F(RecoveryStoreTest, ACopyIsWrittenOfferedLoadedAndRemoved) {
    CRecoveryStore store(root + "/state/nested/KIVRAN");
    EXPECT_FALSE(store.Has(original));
    Bytes bytes(3 << 20);
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<unsigned char>(i * 7);
    }
    ASSERT_TRUE(store.Write(original, bytes.size(), From(bytes)));
    EXPECT_TRUE(store.Has(original));
    EXPECT_EQ(Mode(store.Directory()), 0700u) << "copies of the user's data are the user's alone";
    EXPECT_EQ(Mode(store.DataFile(original)), 0600u);
    EXPECT_EQ(Mode(store.PathFile(original)), 0600u);
    EXPECT_EQ(ReadText(store.PathFile(original)), original) << "the side file records the original path";
    const std::string name = store.DataFile(original).substr(store.Directory().size() + 1);
    EXPECT_EQ(name.size(), 16 + std::strlen("-data.bin.kvrrec")) << name;
    EXPECT_EQ(name.substr(16), "-data.bin.kvrrec");

    Bytes loaded;
    ASSERT_TRUE(store.Load(original, loaded));
    EXPECT_EQ(loaded, bytes);
    EXPECT_EQ(ReadText(original), "on disk") << "the original file is never touched";

    store.Remove(original);
    EXPECT_FALSE(store.Has(original));
    EXPECT_FALSE(store.Load(original, loaded));
    EXPECT_TRUE(loaded.empty());
    EXPECT_NE(::access(store.DataFile(original).c_str(), F_OK), 0);
    EXPECT_NE(::access(store.PathFile(original).c_str(), F_OK), 0);
}

TEST_F(RecoveryStoreTest, TheSameFileByAnyNameHasOneCopyAndOtherFilesNone) {
    CRecoveryStore store(root + "/KIVRAN");
    const Bytes bytes = {1, 2, 3};
    ASSERT_TRUE(store.Write(original, bytes.size(), From(bytes)));
    const std::string link = root + "/link.bin";
    ASSERT_EQ(::symlink(original.c_str(), link.c_str()), 0);
    char saved[4096];
    ASSERT_NE(::getcwd(saved, sizeof saved), nullptr);
    ASSERT_EQ(::chdir(root.c_str()), 0);
    EXPECT_TRUE(store.Has("data.bin")) << "relative";
    ASSERT_EQ(::mkdir("sub", 0700), 0);
    EXPECT_TRUE(store.Has("./sub/../data.bin")) << "dotted";
    ASSERT_EQ(::chdir(saved), 0);
    EXPECT_TRUE(store.Has(link)) << "through a link";

    const std::string other = root + "/other/data.bin";
    ::mkdir((root + "/other").c_str(), 0700);
    WriteText(other, "x");
    EXPECT_FALSE(store.Has(other)) << "a file of the same name elsewhere";
    EXPECT_NE(store.DataFile(other), store.DataFile(original));

    // A side file that names another path (as two paths of the same hash would) offers nothing.
    WriteText(store.PathFile(original), other);
    EXPECT_FALSE(store.Has(original));
    Bytes loaded;
    EXPECT_FALSE(store.Load(original, loaded));
}

TEST_F(RecoveryStoreTest, OnlyWholeRegularFilesOfTheUserAreOffered) {
    CRecoveryStore store(root + "/KIVRAN");
    const Bytes bytes = {9, 8, 7, 6};
    struct Case {
        const char* what;
        void (*spoil)(const std::string& data, const std::string& path);
        bool offered;
    };
    const Case cases[] = {
        {"intact", [](const std::string&, const std::string&) {}, true},
        {"no side file", [](const std::string&, const std::string& p) { ::unlink(p.c_str()); }, false},
        {"no bytes", [](const std::string& d, const std::string&) { ::unlink(d.c_str()); }, false},
        {"a FIFO for the bytes",
         [](const std::string& d, const std::string&) {
             ::unlink(d.c_str());
             ::mkfifo(d.c_str(), 0600);
         },
         false},
        {"a link for the bytes",
         [](const std::string& d, const std::string&) {
             ::unlink(d.c_str());
             ::symlink("/etc/passwd", d.c_str());
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store.Remove(original);
        ::unlink(store.DataFile(original).c_str());
        ASSERT_TRUE(store.Write(original, bytes.size(), From(bytes)));
        c.spoil(store.DataFile(original), store.PathFile(original));
        EXPECT_EQ(store.Has(original), c.offered);
        Bytes loaded;
        EXPECT_EQ(store.Load(original, loaded), c.offered);
        EXPECT_EQ(loaded, c.offered ? bytes : Bytes());
    }
}

TEST_F(RecoveryStoreTest, AFailedWriteLeavesTheOlderCopy) {
    CRecoveryStore store(root + "/KIVRAN");
    const Bytes first = {1, 1, 1};
    ASSERT_TRUE(store.Write(original, first.size(), From(first)));
    auto shortRead = [](uint64_t, unsigned char*, uint64_t length) { return length / 2; };
    EXPECT_FALSE(store.Write(original, 10, shortRead));
    Bytes loaded;
    ASSERT_TRUE(store.Load(original, loaded));
    EXPECT_EQ(loaded, first);
    // No temporary file is left behind.
    std::vector<std::string> names;
    if (DIR* folder = ::opendir(store.Directory().c_str())) {
        while (dirent* entry = ::readdir(folder)) {
            if (entry->d_name[0] != '.') {
                names.push_back(entry->d_name);
            }
        }
        ::closedir(folder);
    }
    EXPECT_EQ(names.size(), 2u);
    for (const std::string& name : names) {
        EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
    }
}

TEST_F(RecoveryStoreTest, TheDirectoryMustBeTheUsersAlone) {
    // A directory of ours that others may enter is closed first; a file or a link in its place is refused.
    const std::string open = root + "/open";
    ASSERT_EQ(::mkdir(open.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(open.c_str(), 0755), 0);
    const Bytes bytes = {5};
    ASSERT_TRUE(CRecoveryStore(open).Write(original, 1, From(bytes)));
    EXPECT_EQ(Mode(open), 0700u);

    const std::string file = root + "/file";
    WriteText(file, "");
    EXPECT_FALSE(CRecoveryStore(file).Write(original, 1, From(bytes)));
    const std::string link = root + "/linked";
    ASSERT_EQ(::symlink(open.c_str(), link.c_str()), 0);
    EXPECT_FALSE(CRecoveryStore(link).Write(original, 1, From(bytes)));
    EXPECT_FALSE(CRecoveryStore("").Write(original, 1, From(bytes)));
    EXPECT_FALSE(CRecoveryStore("relative/dir").Write(original, 1, From(bytes)));
}

TEST(RecoveryStoreDirectory, FollowsTheStateHomeOrTheHomeDirectory) {
    const char* savedState = std::getenv("XDG_STATE_HOME");
    const char* savedHome = std::getenv("HOME");
    const std::string state = savedState ? savedState : "";
    const std::string home = savedHome ? savedHome : "";
    ::setenv("XDG_STATE_HOME", "/somewhere/state", 1);
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(CRecoveryStore::DefaultDirectory(), "/somewhere/state/KIVRAN");
    ::setenv("XDG_STATE_HOME", "relative", 1);
    EXPECT_EQ(CRecoveryStore::DefaultDirectory(), "/home/someone/.local/state/KIVRAN");
    ::unsetenv("XDG_STATE_HOME");
    EXPECT_EQ(CRecoveryStore::DefaultDirectory(), "/home/someone/.local/state/KIVRAN");
    savedState ? ::setenv("XDG_STATE_HOME", state.c_str(), 1) : ::unsetenv("XDG_STATE_HOME");
    savedHome ? ::setenv("HOME", home.c_str(), 1) : ::unsetenv("HOME");
}

} // namespace

#include "platform/CCopyBlock.h"
#include "platform/CInstanceChannel.h"
#include "platform/PerUserName.h"
#include "platform/SharedMemoryObject.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const uid_t kOtherUser = 65534;

// A private directory of this test, removed at the end.
class TempDirectory {
public:
    TempDirectory() {
        char pattern[] = "/tmp/kivran-names-XXXXXX";
        path = ::mkdtemp(pattern);
    }
    ~TempDirectory() { std::system(("rm -rf '" + path + "'").c_str()); }
    std::string path;
};

// Points XDG_RUNTIME_DIR somewhere for one test.
class RuntimeDirectory {
public:
    explicit RuntimeDirectory(const std::string& path) {
        const char* saved = std::getenv("XDG_RUNTIME_DIR");
        had = saved != nullptr;
        previous = had ? saved : "";
        ::setenv("XDG_RUNTIME_DIR", path.c_str(), 1);
    }
    ~RuntimeDirectory() {
        if (had) {
            ::setenv("XDG_RUNTIME_DIR", previous.c_str(), 1);
        } else {
            ::unsetenv("XDG_RUNTIME_DIR");
        }
    }

private:
    bool had = false;
    std::string previous;
};

std::string ReadFile(const std::string& path) {
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[256];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
            text.append(buffer, n);
        }
        std::fclose(f);
    }
    return text;
}

// Puts a shared memory object under name that belongs to another user, as one that user would have made
// first to keep us from copying. Needs root (the object is handed over with fchown).
bool SquatAsOtherUser(const std::string& name) {
    ::shm_unlink(name.c_str());
    int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0644);
    if (fd < 0) {
        return false;
    }
    bool ok = ::ftruncate(fd, 64) == 0 && ::fchown(fd, kOtherUser, kOtherUser) == 0;
    ::close(fd);
    return ok;
}

uid_t OwnerOf(const std::string& name) {
    int fd = ::shm_open(name.c_str(), O_RDONLY, 0);
    if (fd < 0) {
        return static_cast<uid_t>(-1);
    }
    struct stat info;
    uid_t owner = ::fstat(fd, &info) == 0 ? info.st_uid : static_cast<uid_t>(-1);
    ::close(fd);
    return owner;
}

// The name copies used before the private token: derived from the user and the session directory alone.
std::string PredictableName(const std::string& session) {
    uint32_t hash = 2166136261u;
    for (unsigned char c : session) {
        hash = (hash ^ c) * 16777619u;
    }
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "-%08x", hash);
    return PerUserName::SharedObject(CCopyBlock::kBaseName) + suffix;
}

TEST(SessionToken, IsRandomKeptPrivateAndSharedByItsDirectory) {
    TempDirectory one;
    TempDirectory two;
    const std::string token = PerUserName::SessionToken(one.path);
    ASSERT_EQ(token.size(), PerUserName::kTokenDigits);
    EXPECT_EQ(token.find_first_not_of("0123456789abcdef"), std::string::npos) << token;
    EXPECT_EQ(PerUserName::SessionToken(one.path), token) << "every copy using the directory reads the same";
    EXPECT_NE(PerUserName::SessionToken(two.path), token) << "nothing about a directory predicts its token";

    const std::string file = one.path + "/" + PerUserName::kTokenFile;
    EXPECT_EQ(ReadFile(file), token);
    struct stat info;
    ASSERT_EQ(::lstat(file.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    const std::string name = PerUserName::PrivateObject(CCopyBlock::kBaseName, one.path);
    EXPECT_EQ(name, PerUserName::SharedObject(CCopyBlock::kBaseName) + "-" + token);
}

TEST(SessionToken, NoTokenOutsideAPrivateDirectory) {
    TempDirectory temp;
    ASSERT_EQ(::chmod(temp.path.c_str(), 0755), 0);
    EXPECT_EQ(PerUserName::SessionToken(temp.path), "") << "a directory others may enter keeps no secret";
    EXPECT_EQ(PerUserName::PrivateObject(CCopyBlock::kBaseName, temp.path), "");
    EXPECT_EQ(PerUserName::SessionToken(temp.path + "/missing"), "");
    ASSERT_EQ(::chmod(temp.path.c_str(), 0700), 0);
    const std::string link = temp.path + "/link";
    ASSERT_EQ(::symlink(temp.path.c_str(), link.c_str()), 0);
    EXPECT_EQ(PerUserName::SessionToken(link), "") << "a link in place of the directory is not used";
}

TEST(SessionToken, WhatIsNotAWellFormedTokenFileIsReplaced) {
    TempDirectory temp;
    const std::string file = temp.path + "/" + PerUserName::kTokenFile;
    const std::string target = temp.path + "/target";
    struct Case {
        const char* what;
        void (*plant)(const std::string& file, const std::string& target);
    };
    const Case cases[] = {
        {"garbage",
         [](const std::string& f, const std::string&) {
             FILE* out = std::fopen(f.c_str(), "wb");
             std::fputs("0123456789abcdef0123456789abcdeX", out);
             std::fclose(out);
         }},
        {"a short token",
         [](const std::string& f, const std::string&) {
             FILE* out = std::fopen(f.c_str(), "wb");
             std::fputs("0123", out);
             std::fclose(out);
         }},
        {"a link to another file",
         [](const std::string& f, const std::string& t) {
             FILE* out = std::fopen(t.c_str(), "wb");
             std::fputs("0123456789abcdef0123456789abcdef", out);
             std::fclose(out);
             ASSERT_EQ(::symlink(t.c_str(), f.c_str()), 0);
         }},
        {"a FIFO", [](const std::string& f, const std::string&) { ASSERT_EQ(::mkfifo(f.c_str(), 0600), 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ::unlink(file.c_str());
        c.plant(file, target);
        const std::string token = PerUserName::SessionToken(temp.path);
        ASSERT_EQ(token.size(), PerUserName::kTokenDigits);
        EXPECT_NE(token, "0123456789abcdef0123456789abcdef");
        EXPECT_EQ(ReadFile(file), token);
        struct stat info;
        ASSERT_EQ(::lstat(file.c_str(), &info), 0);
        EXPECT_TRUE(S_ISREG(info.st_mode));
    }
    EXPECT_EQ(ReadFile(target), "0123456789abcdef0123456789abcdef") << "a link's target is never written";
}

TEST(CopyBlockNames, TheDefaultNameCarriesThePrivateToken) {
    TempDirectory runtime;
    RuntimeDirectory scope(runtime.path);
    const std::string session = runtime.path + "/kivran";
    const std::string name = CCopyBlock::DefaultName();
    const std::string token = ReadFile(session + "/" + PerUserName::kTokenFile);
    ASSERT_EQ(token.size(), PerUserName::kTokenDigits) << "the default name makes the session's token";
    EXPECT_EQ(name, PerUserName::SharedObject(CCopyBlock::kBaseName) + "-" + token);
    EXPECT_NE(name, PredictableName(session));
    struct stat info;
    ASSERT_EQ(::stat(session.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

// A block another user put under the name copies used to take first made every Copy fail; now that name is
// not ours, and a squatted name of ours is passed over without being touched.
TEST(CopyBlockNames, NamesSquattedByAnotherUserDoNotStopACopy) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "handing a shared memory object to another user needs root";
    }
    TempDirectory runtime;
    RuntimeDirectory scope(runtime.path);
    const std::string session = runtime.path + "/kivran";
    const std::string name = CCopyBlock::DefaultName();
    std::vector<std::string> squatted = {PredictableName(session),
                                         PerUserName::SharedObject(CCopyBlock::kBaseName), name, name + ".1"};
    for (const std::string& s : squatted) {
        ASSERT_TRUE(SquatAsOtherUser(s)) << s;
    }
    CCopyBlock block;
    ASSERT_TRUE(block.Create(3)) << "a name someone else holds is taken, not a failure of ours";
    EXPECT_EQ(block.Name(), name + ".2");
    std::memcpy(block.WritableBytes(), "xyz", 3);
    {
        CCopyBlock reader = CCopyBlock::OpenForReading(CCopyBlock::DefaultName());
        ASSERT_TRUE(reader.IsOpen()) << "the paste of another copy finds the block past the squatted names";
        ASSERT_EQ(reader.Count(), 3u);
        EXPECT_EQ(std::memcmp(reader.Bytes(), "xyz", 3), 0);
    }
    for (const std::string& s : squatted) {
        EXPECT_EQ(OwnerOf(s), kOtherUser) << s << " is left as it was";
    }
    block.Close();
    EXPECT_FALSE(CCopyBlock::Exists(CCopyBlock::DefaultName()));

    // Every name taken: the copy fails cleanly.
    for (int k = 2; k < CCopyBlock::kNameCandidates; ++k) {
        const std::string s = name + "." + std::to_string(k);
        ASSERT_TRUE(SquatAsOtherUser(s));
        squatted.push_back(s);
    }
    CCopyBlock none;
    EXPECT_FALSE(none.Create(3));
    EXPECT_FALSE(none.IsOpen());
    for (const std::string& s : squatted) {
        ::shm_unlink(s.c_str());
    }
}

TEST(SharedMemoryObjectNames, AnObjectOfAnotherUserIsNeverFilled) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "handing a shared memory object to another user needs root";
    }
    const std::string name = "/kivran-names-test-" + std::to_string(::getpid());
    ASSERT_TRUE(SquatAsOtherUser(name));
    EXPECT_FALSE(SharedMemoryObject::Create(name, 300).IsMapped());
    EXPECT_EQ(OwnerOf(name), kOtherUser);
    ::shm_unlink(name.c_str());

    // One of ours left too open is closed to others when it is reused.
    int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0666);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::fchmod(fd, 0666), 0);
    ::close(fd);
    ASSERT_TRUE(SharedMemoryObject::Create(name, 300).IsMapped());
    fd = ::shm_open(name.c_str(), O_RDONLY, 0);
    struct stat info;
    ASSERT_EQ(::fstat(fd, &info), 0);
    ::close(fd);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ::shm_unlink(name.c_str());
}

TEST(ChannelDirectoryNames, AFallbackNameSomeoneElseHoldsIsPassedOver) {
    TempDirectory parent;
    const std::string base = parent.path + "/kivran-" + std::to_string(::geteuid());
    EXPECT_EQ(CInstanceChannel::FallbackDirectory(parent.path), base) << "free";
    ASSERT_TRUE(CInstanceChannel::PrepareDirectory(base));
    EXPECT_EQ(CInstanceChannel::FallbackDirectory(parent.path), base) << "ours";
    ASSERT_EQ(::rmdir(base.c_str()), 0);

    ASSERT_EQ(::symlink("/tmp", base.c_str()), 0);
    EXPECT_EQ(CInstanceChannel::FallbackDirectory(parent.path), base + "-1") << "a link in the way";
    ASSERT_EQ(::close(::creat((base + "-1").c_str(), 0600)), 0);
    EXPECT_EQ(CInstanceChannel::FallbackDirectory(parent.path), base + "-2") << "and a file";
    if (::geteuid() == 0) {
        ASSERT_EQ(::mkdir((base + "-2").c_str(), 0700), 0);
        ASSERT_EQ(::chown((base + "-2").c_str(), kOtherUser, kOtherUser), 0);
        EXPECT_EQ(CInstanceChannel::FallbackDirectory(parent.path), base + "-3")
            << "another user's directory";
    }
    // The channel listens in the directory it was given.
    const std::string chosen = CInstanceChannel::FallbackDirectory(parent.path);
    CInstanceChannel channel(chosen);
    ASSERT_TRUE(channel.Listen());
    EXPECT_EQ(channel.Endpoint().compare(0, chosen.size() + 1, chosen + "/"), 0);
}

} // namespace

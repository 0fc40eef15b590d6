#include "platform/CCompareBlock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string TestBlockName(const std::string& tag) {
    return "/kivran-compareblock-test-" + std::to_string(::getpid()) + "-" + tag;
}

bool NameExists(const std::string& name) {
    int fd = ::shm_open(name.c_str(), O_RDONLY, 0);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

// Another copy that creates the block and then either ends without closing it or keeps it until killed.
pid_t CreateInChild(const std::string& name, uint64_t size, bool keep) {
    int ready[2];
    if (::pipe(ready) != 0) {
        return -1;
    }
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        CCompareBlock* block = new CCompareBlock(name);
        const char ok = block->Create(size) ? 'y' : 'n';
        (void)::write(ready[1], &ok, 1);
        if (keep) {
            ::pause();
        }
        ::_exit(0); // no destructor runs: the block is left behind
    }
    ::close(ready[1]);
    char answer = 0;
    const bool created = ::read(ready[0], &answer, 1) == 1 && answer == 'y';
    ::close(ready[0]);
    if (!keep) {
        ::waitpid(pid, nullptr, 0);
    }
    return created ? pid : -1;
}

TEST(CompareBlockTest, PartnerWritesWhatTheCreatorReads) {
    const std::string name = TestBlockName("basic");
    CCompareBlock created(name);
    ASSERT_TRUE(created.Create(5));
    EXPECT_TRUE(created.IsCreator());
    EXPECT_EQ(created.Size(), 5u);
    EXPECT_EQ(created.WritableBytes(), nullptr);

    CCompareBlock writer = CCompareBlock::OpenForWriting(name);
    ASSERT_TRUE(writer.IsOpen());
    EXPECT_FALSE(writer.IsCreator());
    EXPECT_EQ(writer.Size(), 5u);
    std::memcpy(writer.WritableBytes(), "\x01\x02\x03\x04\x05", 5);
    writer.Close();
    EXPECT_EQ(std::memcmp(created.Bytes(), "\x01\x02\x03\x04\x05", 5), 0);

    // The partner closing its view leaves the block; the creator closing it removes the name.
    EXPECT_TRUE(NameExists(name));
    created.Close();
    EXPECT_FALSE(NameExists(name));
    EXPECT_FALSE(CCompareBlock::OpenForWriting(name).IsOpen());
}

TEST(CompareBlockTest, EmptyAndMissingBlocksAreRefused) {
    const std::string name = TestBlockName("empty");
    CCompareBlock block(name);
    EXPECT_FALSE(block.Create(0));
    EXPECT_FALSE(NameExists(name));
    EXPECT_FALSE(CCompareBlock::OpenForWriting(name).IsOpen());
    // An empty object under the name (not made by a comparison) gives nothing to write into.
    int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_FALSE(CCompareBlock::OpenForWriting(name).IsOpen());
    ::shm_unlink(name.c_str());
}

TEST(CompareBlockTest, ASecondComparisonIsRefusedWhileTheFirstHoldsTheName) {
    const std::string name = TestBlockName("busy");
    CCompareBlock first(name);
    ASSERT_TRUE(first.Create(16));
    CCompareBlock second(name);
    EXPECT_FALSE(second.Create(4));
    EXPECT_EQ(CCompareBlock::OpenForWriting(name).Size(), 16u);

    // Held by another process as well.
    first.Close();
    const pid_t holder = CreateInChild(name, 32, true);
    ASSERT_GT(holder, 0);
    EXPECT_FALSE(second.Create(4));
    EXPECT_EQ(CCompareBlock::OpenForWriting(name).Size(), 32u);
    // Once that copy has gone (without cleaning up) the name is free again.
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_TRUE(second.Create(4));
    EXPECT_EQ(CCompareBlock::OpenForWriting(name).Size(), 4u);
}

TEST(CompareBlockTest, ABlockLeftBehindIsReplaced) {
    const std::string name = TestBlockName("stale");
    ASSERT_GT(CreateInChild(name, 100, false), 0);
    ASSERT_TRUE(NameExists(name));
    CCompareBlock block(name);
    ASSERT_TRUE(block.Create(3));
    EXPECT_EQ(block.Size(), 3u);
    EXPECT_EQ(CCompareBlock::OpenForWriting(name).Size(), 3u);
}

TEST(CompareBlockTest, ANameHeldByAnotherUserIsNeitherUsedNorRemoved) {
    const std::string name = TestBlockName("foreign");
    int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0666);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 64), 0);
    if (::fchown(fd, 4242, 4242) != 0) {
        ::close(fd);
        ::shm_unlink(name.c_str());
        GTEST_SKIP() << "cannot hand an object to another user here";
    }
    ::close(fd);
    CCompareBlock block(name);
    EXPECT_FALSE(block.Create(8));
    EXPECT_TRUE(NameExists(name));
    EXPECT_FALSE(CCompareBlock::OpenForWriting(name).IsOpen());
    ::shm_unlink(name.c_str());
}

TEST(CompareBlockTest, DefaultNameIsPerUser) {
    const std::string name = CCompareBlock::DefaultName();
    EXPECT_EQ(name.rfind("/KIVRAN_COMPARE-" + std::to_string(::geteuid()), 0), 0u) << name;
}

} // namespace

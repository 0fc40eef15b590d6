#include "platform/CCopyBlock.h"
#include "platform/PerUserName.h"

#include <cstdlib>
#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string TestBlockName(const std::string& tag) {
    return "/kivran-copyblock-test-" + std::to_string(::getpid()) + "-" + tag;
}

// Puts an object of the given size under name, its head claiming `claimed` bytes when it has room for one.
void PlantObject(const std::string& name, size_t size, uint64_t claimed) {
    ::shm_unlink(name.c_str());
    int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
    if (size >= 8) {
        unsigned char head[8];
        for (int i = 0; i < 8; ++i) {
            head[i] = static_cast<unsigned char>(claimed >> (8 * i));
        }
        ASSERT_EQ(::pwrite(fd, head, 8, 0), 8);
        for (size_t i = 8; i < size; ++i) {
            unsigned char byte = static_cast<unsigned char>(i);
            ASSERT_EQ(::pwrite(fd, &byte, 1, static_cast<off_t>(i)), 1);
        }
    }
    ::close(fd);
}

TEST(CopyBlock, CreatedBlockIsReadByNameWithCountAndBytes) {
    std::string name = TestBlockName("roundtrip");
    CCopyBlock block(name);
    ASSERT_TRUE(block.Create(3));
    ASSERT_NE(block.WritableBytes(), nullptr);
    std::memcpy(block.WritableBytes(), "\x01\x02\xFF", 3);

    CCopyBlock reader = CCopyBlock::OpenForReading(name);
    ASSERT_TRUE(reader.IsOpen());
    EXPECT_FALSE(reader.IsCreator());
    EXPECT_EQ(reader.WritableBytes(), nullptr);
    ASSERT_EQ(reader.Count(), 3u);
    EXPECT_EQ(std::memcmp(reader.Bytes(), "\x01\x02\xFF", 3), 0);

    struct stat info;
    int fd = ::shm_open(name.c_str(), O_RDONLY, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::fstat(fd, &info), 0);
    ::close(fd);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(info.st_size, 11) << "8-byte count plus the bytes";

    EXPECT_TRUE(block.Close());
    EXPECT_FALSE(CCopyBlock::Exists(name)) << "the creator removes the name when it closes";
    EXPECT_EQ(reader.Count(), 3u) << "an open reader keeps its bytes until it closes";
    EXPECT_FALSE(block.Close()) << "nothing held any more";
}

TEST(CopyBlock, ReadsNeverPassTheObjectsRealSize) {
    struct Case {
        size_t objectSize;
        uint64_t claimed;
        bool opens;
        uint64_t readable;
    };
    const Case cases[] = {
        {8 + 3, 1000, true, 3},       // count claims more than the object holds
        {8 + 3, UINT64_MAX, true, 3}, // a count that would overflow an end offset
        {8 + 3, 2, true, 2},          // a shorter count is honoured
        {8, 5, true, 0},              // only a head
        {4, 0, false, 0},             // too short for a count
        {0, 0, false, 0},             // empty object
    };
    std::string name = TestBlockName("short");
    for (const Case& c : cases) {
        SCOPED_TRACE("object " + std::to_string(c.objectSize) + " claiming " + std::to_string(c.claimed));
        PlantObject(name, c.objectSize, c.claimed);
        CCopyBlock reader = CCopyBlock::OpenForReading(name);
        EXPECT_EQ(reader.IsOpen(), c.opens);
        EXPECT_EQ(CCopyBlock::Exists(name), c.opens);
        EXPECT_EQ(reader.Count(), c.readable);
        if (c.readable > 0) {
            EXPECT_EQ(reader.Bytes()[c.readable - 1], static_cast<unsigned char>(8 + c.readable - 1));
        }
        ::shm_unlink(name.c_str());
    }
}

TEST(CopyBlock, CreateReplacesAStaleBlockAndLeavesANewerOneAlone) {
    std::string name = TestBlockName("stale");
    PlantObject(name, 8 + 100, 100);
    CCopyBlock first(name);
    ASSERT_TRUE(first.Create(2));
    EXPECT_EQ(CCopyBlock::OpenForReading(name).Count(), 2u)
        << "a block left behind is replaced, never reused";

    CCopyBlock second(name);
    ASSERT_TRUE(second.Create(5));
    first.Close();
    CCopyBlock reader = CCopyBlock::OpenForReading(name);
    ASSERT_TRUE(reader.IsOpen()) << "closing an older block must not remove the newer one";
    EXPECT_EQ(reader.Count(), 5u);
    second.Close();
    EXPECT_FALSE(CCopyBlock::Exists(name));
}

TEST(CopyBlock, ImpossibleSizesFailWithoutCreatingAnything) {
    std::string name = TestBlockName("huge");
    for (uint64_t count : {UINT64_MAX, UINT64_MAX - 7, uint64_t(1) << 50}) {
        CCopyBlock block(name);
        EXPECT_FALSE(block.Create(count)) << count;
        EXPECT_FALSE(block.IsOpen());
        EXPECT_FALSE(CCopyBlock::Exists(name));
    }
}

TEST(CopyBlock, CloseCopyAnswers) {
    struct Case {
        bool held;
        int64_t firstArgument;
        int64_t answer;
        bool stillHeld;
    };
    const Case cases[] = {
        {true, 0, 1, false}, {true, 1, 0, true}, {false, 0, 0, false}, {false, 7, 0, false}};
    std::string name = TestBlockName("closecopy");
    for (const Case& c : cases) {
        CCopyBlock block(name);
        if (c.held) {
            ASSERT_TRUE(block.Create(1));
        }
        EXPECT_EQ(block.AnswerCloseCopy(c.firstArgument), c.answer);
        EXPECT_EQ(block.IsOpen(), c.stillHeld);
        EXPECT_EQ(CCopyBlock::Exists(name), c.stillHeld);
    }
}

TEST(CopyBlock, NamesOfTwoUsersDiffer) {
    EXPECT_EQ(PerUserName::SharedObject("KIVRAN_COPY_MEMORY", 1000), "/KIVRAN_COPY_MEMORY-1000");
    EXPECT_NE(PerUserName::SharedObject("KIVRAN_COPY_MEMORY", 1000),
              PerUserName::SharedObject("KIVRAN_COPY_MEMORY", 1001));
    const std::string own = PerUserName::SharedObject("KIVRAN_COPY_MEMORY", ::geteuid());
    EXPECT_EQ(CCopyBlock::DefaultName().compare(0, own.size() + 1, own + "-"), 0) << CCopyBlock::DefaultName();
}

TEST(CopyBlock, CopiesOfAnotherSessionUseAnotherBlock) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string restore = saved ? saved : "";
    setenv("XDG_RUNTIME_DIR", "/tmp/session-one", 1);
    const std::string one = CCopyBlock::DefaultName();
    EXPECT_EQ(one, CCopyBlock::DefaultName());
    setenv("XDG_RUNTIME_DIR", "/tmp/session-two", 1);
    EXPECT_NE(one, CCopyBlock::DefaultName());
    if (saved) {
        setenv("XDG_RUNTIME_DIR", restore.c_str(), 1);
    } else {
        unsetenv("XDG_RUNTIME_DIR");
    }
}

// Another user's process puts an object under a name; this user never pastes from it.
TEST(CopyBlock, ABlockOfAnotherUserIsNeverRead) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "switching to another user needs root";
    }
    const uid_t otherUser = 65534;
    std::string otherName;
    {
        // What the other user's copies use cannot be what ours use.
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            if (::setuid(otherUser) != 0) {
                ::_exit(2);
            }
            CCopyBlock block;
            const std::string prefix = PerUserName::SharedObject("KIVRAN_COPY_MEMORY", otherUser) + "-";
            bool ok = block.Create(3) && block.Name().compare(0, prefix.size(), prefix) == 0;
            block.Close();
            ::_exit(ok ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        const std::string prefix = PerUserName::SharedObject("KIVRAN_COPY_MEMORY", otherUser) + "-";
        EXPECT_NE(CCopyBlock::DefaultName().compare(0, prefix.size(), prefix), 0);
    }
    std::string name = TestBlockName("foreign");
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (::setuid(otherUser) != 0) {
            ::_exit(2);
        }
        // Created and left in place, as if planted under this user's name.
        int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0644);
        ::_exit(fd >= 0 && ::ftruncate(fd, 16) == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(CCopyBlock::OpenForReading(name).IsOpen());
    EXPECT_FALSE(CCopyBlock::Exists(name));
    ::shm_unlink(name.c_str());
}

} // namespace

#include "platform/CodePage932.h"
#include "platform/LockedFile.h"
#include "platform/NamedSemaphore.h"
#include "platform/SafeFileWriter.h"
#include "platform/SharedMemoryObject.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string TempPath(const std::string& name) {
    return "/tmp/kivran-platform-" + std::to_string(::getpid()) + name;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(LockedFile, ExclusiveAndSharedLocksExcludeEachOther) {
    std::string path = TempPath("lock");
    ASSERT_TRUE(SafeFileWriter::Write(path, "0123456789", 10));
    {
        LockedFile exclusive = LockedFile::Open(path, LockedFile::Lock::Exclusive);
        ASSERT_TRUE(exclusive.IsOpen());
        EXPECT_FALSE(LockedFile::Open(path, LockedFile::Lock::Shared).IsOpen());
    }
    LockedFile shared = LockedFile::Open(path, LockedFile::Lock::Shared);
    ASSERT_TRUE(shared.IsOpen());
    EXPECT_TRUE(LockedFile::Open(path, LockedFile::Lock::Shared).IsOpen());
    EXPECT_FALSE(LockedFile::Open(path, LockedFile::Lock::Exclusive).IsOpen());
    uint64_t size = 0;
    ASSERT_TRUE(shared.Size(size));
    EXPECT_EQ(size, 10u);
    char bytes[8] = {};
    EXPECT_EQ(shared.ReadAt(6, bytes, 8), 4u);
    EXPECT_EQ(std::string(bytes, 4), "6789");
    EXPECT_FALSE(LockedFile::Open("/tmp", LockedFile::Lock::Shared).IsOpen()) << "a directory is not a file";
    ::unlink(path.c_str());
}

TEST(SafeFileWriter, NewFilesFollowTheUmaskAndLinksAreFollowed) {
    std::string path = TempPath("new");
    mode_t old = ::umask(027);
    ASSERT_TRUE(SafeFileWriter::Write(path, "a", 1));
    ::umask(old);
    struct stat info;
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);

    std::string link = TempPath("link");
    ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
    ASSERT_TRUE(SafeFileWriter::Write(link, "bc", 2));
    struct stat linkInfo;
    ASSERT_EQ(::lstat(link.c_str(), &linkInfo), 0);
    EXPECT_TRUE(S_ISLNK(linkInfo.st_mode)) << "the link stays a link";
    EXPECT_EQ(ReadFile(path), "bc");
    EXPECT_FALSE(SafeFileWriter::Write("/tmp", "x", 1)) << "a directory is never replaced";
    ::unlink(link.c_str());
    ::unlink(path.c_str());
}

TEST(SharedMemoryObject, OpensAnExistingObjectWithItsRealSize) {
    std::string name = "/" + TempPath("shm").substr(5);
    EXPECT_FALSE(SharedMemoryObject::OpenExisting(name, SharedMemoryObject::Access::Read).IsMapped());
    SharedMemoryObject created = SharedMemoryObject::Create(name, 300);
    ASSERT_TRUE(created.IsMapped());
    created.Data()[299] = 42;
    SharedMemoryObject opened = SharedMemoryObject::OpenExisting(name, SharedMemoryObject::Access::Read);
    ASSERT_TRUE(opened.IsMapped());
    EXPECT_EQ(opened.Size(), 300u);
    EXPECT_EQ(opened.Data()[299], 42);
    SharedMemoryObject::Unlink(name);
}

TEST(NamedSemaphore, TimesOutWhileHeldAndIsTakenWhenFree) {
    std::string name = "/" + TempPath("sem").substr(5);
    EXPECT_FALSE(NamedSemaphore::OpenExisting(name).IsOpen());
    NamedSemaphore owner = NamedSemaphore::Create(name, 1);
    ASSERT_TRUE(owner.IsOpen());
    NamedSemaphore other = NamedSemaphore::OpenExisting(name);
    ASSERT_TRUE(other.IsOpen());
    EXPECT_EQ(owner.Wait(100), NamedSemaphore::WaitResult::Acquired);
    EXPECT_EQ(other.Wait(20), NamedSemaphore::WaitResult::TimedOut);
    EXPECT_TRUE(owner.Post());
    EXPECT_EQ(other.Wait(100), NamedSemaphore::WaitResult::Acquired);
    NamedSemaphore::Unlink(name);
}

TEST(CodePage932Exact, RefusesCharactersWithoutACodePage932Form) {
    std::string out;
    EXPECT_TRUE(CodePage932::FromUtf16Exact(u"A\u3042", out));
    EXPECT_EQ(out, "A\x82\xA0");
    EXPECT_FALSE(CodePage932::FromUtf16Exact(u"\u00C4", out)) << "A umlaut";
    EXPECT_TRUE(out.empty());
}

} // namespace

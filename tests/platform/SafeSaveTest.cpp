#include "platform/LockedFile.h"
#include "platform/SafeFileWriter.h"
#include "platform/WholeFileReader.h"
#include "support/FifoWatchdog.h"
#include "support/UnprivilegedRun.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A directory that an unprivileged user may enter; removed with everything in it.
class ScratchDir {
public:
    ScratchDir() {
        char name[] = "/tmp/kivran-save-XXXXXX";
        path_ = ::mkdtemp(name);
        ::chmod(path_.c_str(), 0755);
    }
    ~ScratchDir() { (void)!std::system(("chmod -R u+rwx '" + path_ + "'; rm -rf '" + path_ + "'").c_str()); }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct stat StatOf(const std::string& path) {
    struct stat info = {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info;
}

bool Save(const std::string& path, const std::string& bytes) {
    return SafeFileWriter::Write(path, bytes.data(), bytes.size());
}

// Who owns the directory and the file before an unprivileged user saves the file.
enum class Owner { User, Root };

struct PermissionCase {
    const char* what;
    Owner dirOwner;
    mode_t dirMode;
    Owner fileOwner;
    mode_t fileMode;
    bool saved;
    bool inPlace; // the file keeps its inode (only checked when saved)
};

TEST(SafeFileWriter, PermissionsOfTheFileItselfDecideAndOwnersAreKept) {
    std::string reason;
    if (!UnprivilegedRun::Available(reason)) {
        GTEST_SKIP() << reason;
    }
    const PermissionCase cases[] = {
        {"one's own file in one's own directory", Owner::User, 0755, Owner::User, 0640, true, false},
        {"one's own read-only file", Owner::User, 0755, Owner::User, 0444, false, false},
        {"a writable file where no temporary file can be made", Owner::User, 0555, Owner::User, 0644, true,
         true},
        {"another user's file in a world-writable directory", Owner::Root, 0777, Owner::Root, 0644, false,
         false},
        {"another user's file that one may write", Owner::Root, 0777, Owner::Root, 0666, true, true},
        {"another user's writable file in a sticky directory", Owner::Root, 01777, Owner::Root, 0666, true,
         true},
    };
    for (const PermissionCase& c : cases) {
        SCOPED_TRACE(c.what);
        if ((c.dirOwner == Owner::Root || c.fileOwner == Owner::Root) && !UnprivilegedRun::AsRoot()) {
            continue; // files of another user can only be made by the super-user
        }
        ScratchDir scratch;
        const std::string dir = scratch.File("d");
        const std::string path = dir + "/file";
        ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0);
        WriteFile(path, "original");
        if (UnprivilegedRun::AsRoot()) {
            if (c.fileOwner == Owner::User) {
                ASSERT_EQ(::chown(path.c_str(), UnprivilegedRun::Uid(), UnprivilegedRun::Gid()), 0);
            }
            if (c.dirOwner == Owner::User) {
                ASSERT_EQ(::chown(dir.c_str(), UnprivilegedRun::Uid(), UnprivilegedRun::Gid()), 0);
            }
        }
        ASSERT_EQ(::chmod(path.c_str(), c.fileMode), 0);
        ASSERT_EQ(::chmod(dir.c_str(), c.dirMode), 0);
        const struct stat before = StatOf(path);

        const int result = UnprivilegedRun::Run([&] { return Save(path, "changed bytes") ? 0 : 1; });

        ASSERT_NE(result, -1) << "the child could not become the unprivileged user";
        EXPECT_EQ(result == 0, c.saved);
        const struct stat after = StatOf(path);
        EXPECT_EQ(ReadFile(path), c.saved ? "changed bytes" : "original");
        EXPECT_EQ(after.st_uid, before.st_uid) << "the owner is kept";
        EXPECT_EQ(after.st_gid, before.st_gid) << "the group is kept";
        EXPECT_EQ(after.st_mode & 07777, c.fileMode);
        if (!c.saved || c.inPlace) {
            EXPECT_EQ(after.st_ino, before.st_ino) << "the file was not replaced";
        } else {
            EXPECT_NE(after.st_ino, before.st_ino) << "a replacement was expected";
        }
        ::chmod(dir.c_str(), 0755);
        EXPECT_EQ(std::system(("test $(ls -A '" + dir + "' | wc -l) -eq 1").c_str()), 0)
            << "no temporary file is left behind";
    }
}

TEST(SafeFileWriter, ModeOwnerAndGroupSurviveAReplacement) {
    ScratchDir scratch;
    const std::string path = scratch.File("tool");
    WriteFile(path, "#!/bin/sh\n");
    if (UnprivilegedRun::AsRoot()) {
        std::string reason;
        if (UnprivilegedRun::Available(reason)) {
            ASSERT_EQ(::chown(path.c_str(), UnprivilegedRun::Uid(), UnprivilegedRun::Gid()), 0);
        }
    }
    // The set-user-ID bit is the one a change of owner would clear.
    ASSERT_EQ(::chmod(path.c_str(), 04751), 0);
    const struct stat before = StatOf(path);
    ASSERT_TRUE(Save(path, "#!/bin/sh\necho\n"));
    const struct stat after = StatOf(path);
    EXPECT_EQ(ReadFile(path), "#!/bin/sh\necho\n");
    EXPECT_EQ(after.st_mode & 07777, 04751u);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
}

TEST(SafeFileWriter, LinksKeepTheirNature) {
    ScratchDir scratch;
    // A hard-linked file is written in place, so every name sees the new bytes; shrinking and growing both.
    const std::string first = scratch.File("first");
    const std::string second = scratch.File("second");
    WriteFile(first, "0123456789");
    ASSERT_EQ(::link(first.c_str(), second.c_str()), 0);
    ASSERT_TRUE(Save(second, "abc"));
    EXPECT_EQ(ReadFile(first), "abc");
    const std::string big(300000, 'g');
    ASSERT_TRUE(Save(first, big));
    EXPECT_EQ(ReadFile(second), big);
    EXPECT_EQ(StatOf(first).st_ino, StatOf(second).st_ino);
    EXPECT_EQ(StatOf(first).st_nlink, 2u);

    // A symbolic link, relative and dangling: the file it names is created, and the link stays a link.
    ASSERT_EQ(::mkdir(scratch.File("sub").c_str(), 0755), 0);
    const std::string link = scratch.File("link");
    ASSERT_EQ(::symlink("sub/target", link.c_str()), 0);
    ASSERT_TRUE(Save(link, "through the link"));
    EXPECT_TRUE(S_ISLNK(StatOf(link).st_mode));
    EXPECT_EQ(ReadFile(scratch.File("sub/target")), "through the link");
    // Saved again through the link, now that the target exists.
    ASSERT_TRUE(Save(link, "again"));
    EXPECT_TRUE(S_ISLNK(StatOf(link).st_mode));
    EXPECT_EQ(ReadFile(scratch.File("sub/target")), "again");

    // A loop of links names no file.
    ASSERT_EQ(::symlink("loop-b", scratch.File("loop-a").c_str()), 0);
    ASSERT_EQ(::symlink("loop-a", scratch.File("loop-b").c_str()), 0);
    EXPECT_FALSE(Save(scratch.File("loop-a"), "x"));
    EXPECT_TRUE(S_ISLNK(StatOf(scratch.File("loop-a")).st_mode));
}

TEST(SafeFileWriter, TemporaryFilesOfAKilledSaveAreRemovedAtTheNextSave) {
    ScratchDir scratch;
    const std::string path = scratch.File("doc.bin");
    WriteFile(path, "old");
    const std::string stale = path + ".kvrtmp.Ab12Cd";
    WriteFile(stale, std::string(1 << 20, 's'));
    const std::string live = path + ".kvrtmp.Live01";
    WriteFile(live, "a save in progress");
    const std::string otherFiles = scratch.File("other.bin.kvrtmp.Zz99Yy");
    WriteFile(otherFiles, "another file's");
    const std::string notOurs = path + ".kvrtmp.notes.txt";
    WriteFile(notOurs, "a name that only starts like ours");

    int held = ::open(live.c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    ASSERT_TRUE(Save(path, "new"));
    ::close(held);

    EXPECT_EQ(ReadFile(path), "new");
    EXPECT_NE(::access(stale.c_str(), F_OK), 0) << "the killed save's file is gone";
    EXPECT_EQ(::access(live.c_str(), F_OK), 0) << "a file a save still holds stays";
    EXPECT_EQ(::access(otherFiles.c_str(), F_OK), 0) << "another file's temporary file stays";
    EXPECT_EQ(::access(notOurs.c_str(), F_OK), 0);
}

TEST(SafeFileWriter, OnlyRegularFilesAreWrittenAndAFifoNeverBlocks) {
    ScratchDir scratch;
    const std::string fifo = scratch.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string zeroLink = scratch.File("zero");
    ASSERT_EQ(::symlink("/dev/null", zeroLink.c_str()), 0);
    for (const std::string& target : {fifo, zeroLink, scratch.Path()}) {
        SCOPED_TRACE(target);
        FifoWatchdog watchdog(fifo);
        EXPECT_FALSE(Save(target, "x"));
        EXPECT_FALSE(watchdog.Finish()) << "the save blocked";
    }
    EXPECT_TRUE(S_ISFIFO(StatOf(fifo).st_mode));
    EXPECT_TRUE(S_ISLNK(StatOf(zeroLink).st_mode));
}

TEST(SafeFileWriter, NewFilesGetTheRequestedModeMinusTheUmask) {
    ScratchDir scratch;
    mode_t old = ::umask(022);
    EXPECT_TRUE(SafeFileWriter::Write(scratch.File("private"), "p", 1, 0600));
    EXPECT_TRUE(SafeFileWriter::Write(scratch.File("shared"), "s", 1));
    ::umask(old);
    EXPECT_EQ(StatOf(scratch.File("private")).st_mode & 07777, 0600u);
    EXPECT_EQ(StatOf(scratch.File("shared")).st_mode & 07777, 0644u);
}

// A Unix socket bound at path, closed with the object.
class BoundSocket {
public:
    explicit BoundSocket(const std::string& path) : fd_(::socket(AF_UNIX, SOCK_STREAM, 0)) {
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    }
    ~BoundSocket() { ::close(fd_); }

private:
    int fd_;
};

TEST(WholeFileReader, ReadsOnlyRegularFilesWithinTheBoundWithoutBlocking) {
    ScratchDir scratch;
    const std::string fifo = scratch.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string zeroLink = scratch.File("zero");
    ASSERT_EQ(::symlink("/dev/zero", zeroLink.c_str()), 0);
    const std::string fifoLink = scratch.File("fifo-link");
    ASSERT_EQ(::symlink("fifo", fifoLink.c_str()), 0);
    BoundSocket socket(scratch.File("socket"));
    WriteFile(scratch.File("small"), "0123456789");
    // A sparse file: large, yet it takes no room.
    WriteFile(scratch.File("large"), "x");
    ASSERT_EQ(::truncate(scratch.File("large").c_str(), 2 << 20), 0);

    using Result = WholeFileReader::Result;
    const struct {
        std::string path;
        uint64_t bound;
        Result result;
        const char* text;
    } cases[] = {
        {scratch.File("small"), 10, Result::Read, "0123456789"},
        {scratch.File("small"), 9, Result::TooLarge, ""},
        {scratch.File("large"), 1 << 20, Result::TooLarge, ""},
        {scratch.File("missing"), 100, Result::Missing, ""},
        {fifo, 100, Result::NotRegular, ""},
        {fifoLink, 100, Result::NotRegular, ""},
        {zeroLink, 100, Result::NotRegular, ""},
        {scratch.File("socket"), 100, Result::NotRegular, ""},
        {scratch.Path(), 100, Result::NotRegular, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        FifoWatchdog watchdog(fifo);
        std::string text = "stale";
        EXPECT_EQ(WholeFileReader::Read(c.path, c.bound, text), c.result);
        EXPECT_FALSE(watchdog.Finish()) << "the read blocked";
        EXPECT_EQ(text, c.text);
    }
}

TEST(LockedFile, RefusesWhatIsNotARegularFileWithoutBlocking) {
    ScratchDir scratch;
    const std::string fifo = scratch.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    BoundSocket socket(scratch.File("socket"));
    for (const std::string& path : {fifo, scratch.File("socket"), std::string("/dev/zero")}) {
        for (LockedFile::Lock lock :
             {LockedFile::Lock::Exclusive, LockedFile::Lock::Shared, LockedFile::Lock::None}) {
            SCOPED_TRACE(path);
            FifoWatchdog watchdog(fifo);
            EXPECT_FALSE(LockedFile::Open(path, lock).IsOpen());
            EXPECT_FALSE(watchdog.Finish()) << "the open blocked";
        }
    }
    // A regular file still opens and reads.
    WriteFile(scratch.File("plain"), "bytes");
    LockedFile plain = LockedFile::Open(scratch.File("plain"), LockedFile::Lock::Exclusive);
    ASSERT_TRUE(plain.IsOpen());
    char bytes[5] = {};
    EXPECT_EQ(plain.ReadAt(0, bytes, 5), 5u);
}

} // namespace

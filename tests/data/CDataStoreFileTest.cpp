#include "data/CDataStore.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

class TempDir {
public:
    TempDir() {
        char name[] = "/tmp/kivran-data-XXXXXX";
        path_ = ::mkdtemp(name);
    }
    ~TempDir() {
        ::chmod(path_.c_str(), 0700);
        std::string command = "rm -rf '" + path_ + "'";
        (void)!std::system(command.c_str());
    }
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

std::vector<DataMessage> Messages(const DataOutcome& outcome) {
    std::vector<DataMessage> messages;
    for (const DataNotice& notice : outcome.notices) {
        messages.push_back(notice.message);
    }
    return messages;
}

std::string Contents(const CDataStore& store) {
    std::string bytes(store.GetDataSize(), '\0');
    store.ReadData(0, reinterpret_cast<unsigned char*>(&bytes[0]), bytes.size());
    return bytes;
}

// Holds a lock on a file through its own descriptor, as another process would.
class HeldLock {
public:
    HeldLock(const std::string& path, int operation) : fd_(::open(path.c_str(), O_RDONLY)) {
        EXPECT_EQ(::flock(fd_, operation | LOCK_NB), 0);
    }
    ~HeldLock() { ::close(fd_); }

private:
    int fd_;
};

TEST(CDataStoreFile, OpensAFileWithSpareRoomAndAFreshState) {
    TempDir dir;
    WriteFile(dir.File("a.bin"), "hello");
    CDataStore store;
    unsigned char x = 'x';
    store.InsertData(0, &x, 1, 1, 0);
    store.AddMark(0);
    store.SetSplit(true);
    store.Pane(1) = {1, 1, 1};
    DataOutcome outcome = store.OpenFile(dir.File("a.bin"));
    ASSERT_TRUE(outcome.success);
    EXPECT_TRUE(outcome.notices.empty());
    EXPECT_EQ(Contents(store), "hello");
    EXPECT_EQ(store.DataCapacity(), 5u + 1024u);
    EXPECT_EQ(store.AccessFlags(), 0);
    EXPECT_FALSE(store.IsModified());
    EXPECT_TRUE(store.Marks().empty());
    EXPECT_FALSE(store.IsSplit());
    EXPECT_EQ(store.Pane(1).cursor, 0u);
    EXPECT_EQ(store.UndoHistory().UndoCount(), 0);
    EXPECT_EQ(store.FilePath(), dir.File("a.bin"));
    EXPECT_EQ(store.RecentFiles().Entries(), std::vector<std::string>{dir.File("a.bin")});
}

TEST(CDataStoreFile, EmptyFileGetsTheSpareRoomOnly) {
    TempDir dir;
    WriteFile(dir.File("empty"), "");
    CDataStore store;
    ASSERT_TRUE(store.OpenFile(dir.File("empty")).success);
    EXPECT_EQ(store.GetDataSize(), 0u);
    EXPECT_EQ(store.DataCapacity(), 1024u);
}

TEST(CDataStoreFile, MissingOrUnreadableFileKeepsThePreviousData) {
    TempDir dir;
    WriteFile(dir.File("old"), "old");
    CDataStore store;
    ASSERT_TRUE(store.OpenFile(dir.File("old")).success);
    store.RecentFiles().Add(dir.File("missing"));
    store.Pane(0) = {2, 2, 2};
    for (const char* name : {"missing", "."}) {
        DataOutcome outcome = store.OpenFile(dir.File(name));
        EXPECT_FALSE(outcome.success);
        EXPECT_EQ(Messages(outcome), std::vector<DataMessage>{DataMessage::CannotReadFile}) << name;
        EXPECT_EQ(Contents(store), "old");
        EXPECT_EQ(store.FilePath(), dir.File("old"));
        EXPECT_EQ(store.Pane(0).cursor, 2u);
    }
    EXPECT_EQ(store.RecentFiles().Entries(), std::vector<std::string>{dir.File("old")});
}

// A process that holds the file exclusively still lets it be read: it opens in view mode.
TEST(CDataStoreFile, FileHeldExclusivelyByAnotherProcessOpensInViewMode) {
    TempDir dir;
    WriteFile(dir.File("locked"), "locked");
    HeldLock writer(dir.File("locked"), LOCK_EX);
    CDataStore store;
    DataOutcome outcome = store.OpenFile(dir.File("locked"));
    ASSERT_TRUE(outcome.success);
    EXPECT_EQ(Messages(outcome), std::vector<DataMessage>{DataMessage::FileInUseViewMode});
    EXPECT_EQ(store.AccessFlags(), CDataStore::kAccessView);
    EXPECT_EQ(Contents(store), "locked");
}

TEST(CDataStoreFile, FileReadByAnotherProcessOpensInViewMode) {
    TempDir dir;
    WriteFile(dir.File("shared"), "abc");
    HeldLock reader(dir.File("shared"), LOCK_SH);
    CDataStore store;
    DataOutcome outcome = store.OpenFile(dir.File("shared"));
    ASSERT_TRUE(outcome.success);
    EXPECT_EQ(Messages(outcome), std::vector<DataMessage>{DataMessage::FileInUseViewMode});
    EXPECT_EQ(store.AccessFlags(), CDataStore::kAccessView);
    EXPECT_EQ(Contents(store), "abc");
    unsigned char x = 'x';
    EXPECT_EQ(store.InsertData(0, &x, 1, 1, 0), 0);
    EXPECT_EQ(store.DeleteData(0, 1, 1, 0), 0);
}

TEST(CDataStoreFile, FileOverTheLimitIsReadFromDiskOnDemand) {
    TempDir dir;
    WriteFile(dir.File("ten"), "0123456789");
    CDataStore store;
    DataSourceSettings settings;
    settings.maxFileSizeForMemory = 10;
    store.SetSettings(settings);
    ASSERT_TRUE(store.OpenFile(dir.File("ten")).success);
    EXPECT_EQ(store.AccessFlags(), 0) << "exactly the limit is loaded";

    settings.maxFileSizeForMemory = 9;
    store.SetSettings(settings);
    DataOutcome outcome = store.OpenFile(dir.File("ten"));
    ASSERT_TRUE(outcome.success);
    EXPECT_EQ(Messages(outcome), std::vector<DataMessage>{DataMessage::FileTooLargeViewMode});
    EXPECT_EQ(store.AccessFlags(), CDataStore::kAccessDirect);
    EXPECT_FALSE(store.HasDataBlock());
    EXPECT_EQ(store.GetDataSize(), 10u);
    unsigned char bytes[4] = {};
    EXPECT_EQ(store.ReadData(7, bytes, 4), 3u);
    EXPECT_EQ(std::string(bytes, bytes + 3), "789");
    EXPECT_EQ(store.WriteData(0, bytes, 1, 1, 0), 0u);
    EXPECT_EQ(store.InsertData(0, bytes, 1, 1, 0), 0);
    EXPECT_FALSE(store.SaveFile(dir.File("copy")));
    // Reading from disk goes on while another process holds the file.
    HeldLock writer(dir.File("ten"), LOCK_EX);
    EXPECT_EQ(store.ReadData(0, bytes, 4), 4u);
}

TEST(CDataStoreFile, SharedAndLargeGivesBothMessagesAndBothFlags) {
    TempDir dir;
    WriteFile(dir.File("f"), "0123456789");
    HeldLock reader(dir.File("f"), LOCK_SH);
    CDataStore store;
    DataSourceSettings settings;
    settings.maxFileSizeForMemory = 4;
    store.SetSettings(settings);
    DataOutcome outcome = store.OpenFile(dir.File("f"));
    EXPECT_EQ(Messages(outcome),
              (std::vector<DataMessage>{DataMessage::FileInUseViewMode, DataMessage::FileTooLargeViewMode}));
    EXPECT_EQ(store.AccessFlags(), CDataStore::kAccessView | CDataStore::kAccessDirect);
}

TEST(CDataStoreFile, FileOf4GiBOrMoreKeepsItsTrueSize) {
    TempDir dir;
    std::string path = dir.File("huge");
    int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0600);
    const uint64_t size = (1ull << 32) + 16; // sparse: takes no disk space
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
    ASSERT_EQ(::pwrite(fd, "END", 3, static_cast<off_t>(size - 3)), 3);
    ::close(fd);
    CDataStore store;
    DataSourceSettings settings;
    settings.maxFileSizeForMemory = UINT64_MAX;
    store.SetSettings(settings);
    DataOutcome outcome = store.OpenFile(path);
    ASSERT_TRUE(outcome.success);
    EXPECT_EQ(store.AccessFlags(), CDataStore::kAccessDirect);
    EXPECT_EQ(store.GetDataSize(), size);
    unsigned char tail[8] = {};
    EXPECT_EQ(store.ReadData(size - 3, tail, 8), 3u);
    EXPECT_EQ(std::string(tail, tail + 3), "END");
}

TEST(CDataStoreFile, RecentFilesKeepTenWithoutCaseDuplicates) {
    TempDir dir;
    CDataStore store;
    for (int i = 0; i < 11; ++i) {
        std::string path = dir.File("f" + std::to_string(i));
        WriteFile(path, "x");
        ASSERT_TRUE(store.OpenFile(path).success);
    }
    const std::vector<std::string>& entries = store.RecentFiles().Entries();
    ASSERT_EQ(entries.size(), 10u);
    EXPECT_EQ(entries.front(), dir.File("f10"));
    EXPECT_EQ(entries.back(), dir.File("f1"));
    store.RecentFiles().Add(dir.File("F5"));
    EXPECT_EQ(store.RecentFiles().Entries().size(), 10u);
    EXPECT_EQ(store.RecentFiles().Entries().front(), dir.File("F5"));
    EXPECT_EQ(store.RecentFiles().MenuText(0), "&1 " + dir.File("F5"));
    EXPECT_EQ(store.RecentFiles().IndexForCommand(10009), 9);
    EXPECT_EQ(store.RecentFiles().IndexForCommand(10010), -1);
}

TEST(CDataStoreFile, SaveReplacesTheFileKeepingItsPermissions) {
    TempDir dir;
    std::string path = dir.File("keep");
    WriteFile(path, "abc");
    ::chmod(path.c_str(), 0640);
    CDataStore store;
    ASSERT_TRUE(store.OpenFile(path).success);
    unsigned char z = 'z';
    store.InsertData(3, &z, 1, 1, 0);
    ASSERT_TRUE(store.CanSave());
    DataOutcome outcome = store.Save();
    ASSERT_TRUE(outcome.success);
    EXPECT_FALSE(store.IsModified());
    EXPECT_EQ(ReadFile(path), "abcz");
    struct stat info;
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);

    ASSERT_TRUE(store.SaveAs(dir.File("other")).success);
    EXPECT_EQ(store.FilePath(), dir.File("other"));
    EXPECT_EQ(ReadFile(dir.File("other")), "abcz");
}

TEST(CDataStoreFile, FailedWriteKeepsTheOldFileAndTheModifiedFlag) {
    TempDir dir;
    std::string path = dir.File("target");
    WriteFile(path, "original");
    CDataStore store;
    ASSERT_TRUE(store.OpenFile(path).success);
    std::vector<unsigned char> big(64 * 1024, 'n');
    store.InsertData(0, big.data(), big.size(), 1, 0);

    // A file size limit makes the write fail part-way, as a full disk would.
    struct rlimit old;
    ::getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    DataOutcome outcome = store.Save();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(outcome.success);
    EXPECT_EQ(Messages(outcome), std::vector<DataMessage>{DataMessage::CannotWrite});
    EXPECT_TRUE(store.IsModified());
    EXPECT_EQ(ReadFile(path), "original");
    EXPECT_EQ(std::system(("test $(ls -A '" + dir.Path() + "' | wc -l) -eq 1").c_str()), 0)
        << "no temporary file is left behind";
}

TEST(CDataStoreFile, SaveIntoAReadOnlyDirectoryWritesTheWritableFileInPlace) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "directory permissions do not bind the super-user";
    }
    TempDir dir;
    std::string path = dir.File("ro");
    WriteFile(path, "original");
    CDataStore store;
    ASSERT_TRUE(store.OpenFile(path).success);
    unsigned char z = 'z';
    store.InsertData(0, &z, 1, 1, 0);
    ::chmod(dir.Path().c_str(), 0555);
    DataOutcome outcome = store.Save();
    EXPECT_TRUE(outcome.success);
    EXPECT_FALSE(store.IsModified());
    EXPECT_EQ(ReadFile(path), "zoriginal");
}

TEST(CDataStoreFile, SaveIntoAMissingDirectoryFails) {
    CDataStore store;
    unsigned char z = 'z';
    store.InsertData(0, &z, 1, 1, 0);
    DataOutcome outcome = store.SaveAs("/nonexistent-kivran-dir/file");
    EXPECT_EQ(Messages(outcome), std::vector<DataMessage>{DataMessage::CannotWrite});
    EXPECT_TRUE(store.IsModified());
    EXPECT_TRUE(store.FilePath().empty());
}

TEST(CDataStoreFile, NewBufferStartsOver) {
    TempDir dir;
    WriteFile(dir.File("a"), "abc");
    CDataStore store;
    ASSERT_TRUE(store.OpenFile(dir.File("a")).success);
    store.WriteData(0, reinterpret_cast<const unsigned char*>("x"), 1, 1, 0);
    store.NewBuffer();
    EXPECT_EQ(store.GetDataSize(), 0u);
    EXPECT_EQ(store.DataCapacity(), 1024u);
    EXPECT_TRUE(store.FilePath().empty());
    EXPECT_FALSE(store.IsModified());
    EXPECT_FALSE(store.CanUndo());
}

} // namespace

#include "data/CDataStore.h"
#include "support/FifoWatchdog.h"
#include "support/UnprivilegedRun.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

class ScratchDir {
public:
    ScratchDir() {
        char name[] = "/tmp/kivran-special-XXXXXX";
        path_ = ::mkdtemp(name);
        ::chmod(path_.c_str(), 0755);
    }
    ~ScratchDir() { (void)!std::system(("rm -rf '" + path_ + "'").c_str()); }
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

TEST(CDataStoreSpecialFiles, OpeningAFifoSocketOrDeviceFailsAtOnceAndKeepsTheData) {
    ScratchDir scratch;
    const std::string fifo = scratch.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string fifoLink = scratch.File("fifo-link");
    ASSERT_EQ(::symlink(fifo.c_str(), fifoLink.c_str()), 0);
    const std::string zeroLink = scratch.File("zero");
    ASSERT_EQ(::symlink("/dev/zero", zeroLink.c_str()), 0);
    const std::string socketPath = scratch.File("socket");
    int socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    const std::string kept = scratch.File("kept.bin");
    WriteFile(kept, "kept bytes");
    CDataStore store;
    ASSERT_TRUE(store.OpenFile(kept).success);
    for (const std::string& path : {fifo, fifoLink, zeroLink, socketPath, scratch.Path()}) {
        SCOPED_TRACE(path);
        FifoWatchdog watchdog(fifo);
        DataOutcome outcome = store.OpenFile(path);
        EXPECT_FALSE(watchdog.Finish()) << "the open blocked";
        EXPECT_FALSE(outcome.success);
        EXPECT_EQ(Messages(outcome), std::vector<DataMessage>{DataMessage::CannotReadFile});
        EXPECT_EQ(store.FilePath(), kept);
        EXPECT_EQ(Contents(store), "kept bytes");
    }
    ::close(socketFd);
}

TEST(CDataStoreSpecialFiles, SaveDependsOnWhetherTheUserMayWriteTheFileItself) {
    std::string reason;
    if (!UnprivilegedRun::Available(reason)) {
        GTEST_SKIP() << reason;
    }
    const struct {
        const char* what;
        mode_t fileMode;
        mode_t dirMode;
        bool saved;
    } cases[] = {
        {"a read-only file in a writable directory", 0444, 0755, false},
        {"a writable file in a read-only directory", 0644, 0555, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir scratch;
        const std::string dir = scratch.File("own");
        ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0);
        const std::string path = dir + "/file.bin";
        WriteFile(path, "original");
        if (UnprivilegedRun::AsRoot()) {
            ASSERT_EQ(::chown(dir.c_str(), UnprivilegedRun::Uid(), UnprivilegedRun::Gid()), 0);
            ASSERT_EQ(::chown(path.c_str(), UnprivilegedRun::Uid(), UnprivilegedRun::Gid()), 0);
        }
        ASSERT_EQ(::chmod(path.c_str(), c.fileMode), 0);
        ASSERT_EQ(::chmod(dir.c_str(), c.dirMode), 0);

        // The child reports 0 for a save that succeeded and cleared the modified flag, 1 for one that failed
        // with exactly "cannot write" and kept the flag.
        int result = UnprivilegedRun::Run([&] {
            CDataStore store;
            if (!store.OpenFile(path).success) {
                return 10;
            }
            unsigned char z = 'z';
            store.InsertData(0, &z, 1, 1, 0);
            DataOutcome outcome = store.Save();
            if (outcome.success) {
                return store.IsModified() ? 11 : 0;
            }
            return Messages(outcome) == std::vector<DataMessage>{DataMessage::CannotWrite} &&
                           store.IsModified()
                       ? 1
                       : 12;
        });
        ::chmod(dir.c_str(), 0755);
        EXPECT_EQ(result, c.saved ? 0 : 1);
        EXPECT_EQ(ReadFile(path), c.saved ? "zoriginal" : "original");
        struct stat info;
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, c.fileMode);
    }
}

} // namespace

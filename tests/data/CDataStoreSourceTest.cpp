#include "data/CDataStore.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <semaphore.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

const std::string kLibrary = std::string(KIVRAN_LIB_DIR) + "/libkvrdll.so";
const std::string kReadOnlyLibrary = std::string(KIVRAN_LIB_DIR) + "/libkvrdll_readonly.so";
const std::string kOwner = std::string(KIVRAN_BIN_DIR) + "/kvrmmf_owner";

void AttachDll(CDataStore& store, const std::string& library, uint64_t memorySize, DataOutcome& outcome) {
    ASSERT_EQ(::access(library.c_str(), R_OK), 0) << library << " missing: build the kvrdll targets";
    DataSourceSettings settings;
    settings.dllFileName = library;
    settings.dllMemorySize = memorySize;
    store.SetSettings(settings);
    outcome = store.AttachSource(CDataStore::kModeDll);
}

TEST(CDataStoreDll, ReadsAndWritesThroughTheLibraryClippedToTheMemorySize) {
    CDataStore store;
    DataOutcome outcome;
    AttachDll(store, kLibrary, 1024, outcome);
    ASSERT_TRUE(outcome.success);
    EXPECT_TRUE(outcome.notices.empty());
    EXPECT_EQ(store.GetDataSize(), 1024u);

    // The library holds 4096 bytes, so a count that was not clipped would fill the whole buffer.
    unsigned char buffer[100];
    std::memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(store.ReadData(1000, buffer, 100), 24u);
    EXPECT_EQ(buffer[0], 1000 & 0xFF);
    EXPECT_EQ(buffer[23], 1023 & 0xFF);
    EXPECT_EQ(buffer[24], 0xEE);
    EXPECT_EQ(store.ReadData(1024, buffer, 1), 0u);
    EXPECT_EQ(buffer[0], 1000 & 0xFF) << "nothing is read at the end";

    const unsigned char values[4] = {9, 8, 7, 6};
    EXPECT_EQ(store.WriteData(1022, values, 4, 1, 0), 2u);
    EXPECT_EQ(store.ReadData(1022, buffer, 2), 2u);
    EXPECT_EQ(buffer[0], 9);
    EXPECT_EQ(buffer[1], 8);
    EXPECT_FALSE(store.IsModified()) << "a library's memory is not a file to save";
    EXPECT_EQ(store.UndoHistory().RecordCount(), 0);
    EXPECT_EQ(store.InsertData(0, values, 1, 1, 0), 0);
}

TEST(CDataStoreDll, MissingExportIsReportedAndThatDirectionTransfersNothing) {
    CDataStore store;
    DataOutcome outcome;
    AttachDll(store, kReadOnlyLibrary, 64, outcome);
    ASSERT_EQ(outcome.notices.size(), 1u);
    EXPECT_EQ(outcome.notices[0].message, DataMessage::FailToLoadFunction);
    EXPECT_EQ(DataNoticeText(outcome.notices[0], 1), "Fail to Load Function:KVRWRITE");
    EXPECT_TRUE(store.Library().IsLoaded());
    unsigned char byte = 0;
    EXPECT_EQ(store.ReadData(5, &byte, 1), 1u);
    EXPECT_EQ(byte, 5);
    EXPECT_EQ(store.WriteData(5, &byte, 1, 1, 0), 0u);
}

TEST(CDataStoreDll, UnloadableLibraryIsReported) {
    CDataStore store;
    DataSourceSettings settings;
    settings.dllFileName = "/nonexistent/libnothing.so";
    store.SetSettings(settings);
    DataOutcome outcome = store.AttachSource(CDataStore::kModeDll);
    EXPECT_FALSE(outcome.success);
    ASSERT_EQ(outcome.notices.size(), 1u);
    EXPECT_EQ(DataNoticeText(outcome.notices[0], 0), "Fail to Load DLL:/nonexistent/libnothing.so");
    unsigned char byte = 0;
    EXPECT_EQ(store.ReadData(0, &byte, 1), 0u);
}

TEST(CDataStoreDll, SaveAsWritesTheLibraryMemoryAndKeepsThePath) {
    CDataStore store;
    DataOutcome outcome;
    AttachDll(store, kLibrary, 16, outcome);
    char name[] = "/tmp/kivran-dll-save-XXXXXX";
    int fd = ::mkstemp(name);
    ::close(fd);
    ASSERT_TRUE(store.SaveAs(name).success);
    EXPECT_TRUE(store.FilePath().empty());
    FILE* file = std::fopen(name, "rb");
    unsigned char bytes[32] = {};
    size_t got = std::fread(bytes, 1, sizeof bytes, file);
    std::fclose(file);
    ::unlink(name);
    EXPECT_EQ(got, 16u);
    EXPECT_EQ(bytes[15], 15);
}

// The example owner program run under control of the test through its standard input and output.
class OwnerProcess {
public:
    OwnerProcess(const std::string& block, const std::string& mutex, uint64_t size) {
        int toChild[2], fromChild[2];
        EXPECT_EQ(::pipe(toChild), 0);
        EXPECT_EQ(::pipe(fromChild), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
        posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
        posix_spawn_file_actions_addclose(&actions, toChild[1]);
        posix_spawn_file_actions_addclose(&actions, fromChild[0]);
        std::string sizeText = std::to_string(size);
        std::vector<char*> argv = {const_cast<char*>(kOwner.c_str()),
                                   const_cast<char*>("--control"),
                                   const_cast<char*>("--name"),
                                   const_cast<char*>(block.c_str()),
                                   const_cast<char*>("--mutex"),
                                   const_cast<char*>(mutex.c_str()),
                                   const_cast<char*>("--size"),
                                   const_cast<char*>(sizeText.c_str()),
                                   nullptr};
        started_ = ::posix_spawn(&pid_, kOwner.c_str(), &actions, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(toChild[0]);
        ::close(fromChild[1]);
        in_ = ::fdopen(toChild[1], "w");
        out_ = ::fdopen(fromChild[0], "r");
        started_ = started_ && Answer() == "ready";
    }
    ~OwnerProcess() {
        Command("quit");
        std::fclose(in_);
        std::fclose(out_);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    bool Started() const { return started_; }
    std::string Command(const std::string& line) {
        std::fprintf(in_, "%s\n", line.c_str());
        std::fflush(in_);
        return line == "quit" ? std::string() : Answer();
    }

private:
    std::string Answer() {
        char line[64] = {};
        if (std::fgets(line, sizeof line, out_) == nullptr) {
            return std::string();
        }
        line[std::strcspn(line, "\n")] = '\0';
        return line;
    }

    pid_t pid_ = -1;
    FILE* in_ = nullptr;
    FILE* out_ = nullptr;
    bool started_ = false;
};

std::string UniqueName(const char* what) {
    return "kivran-test-" + std::string(what) + std::to_string(::getpid());
}

CDataStore& SharedMemoryStore(CDataStore& store, const std::string& block, const std::string& mutex,
                              uint64_t memorySize) {
    DataSourceSettings settings;
    settings.mmfName = block;
    settings.mutexName = mutex;
    settings.mmfMemorySize = memorySize;
    store.SetSettings(settings);
    store.AttachSource(CDataStore::kModeSharedMemory);
    return store;
}

TEST(CDataStoreSharedMemory, ReadsAndWritesTheOwnersBlockWithItsMutex) {
    ASSERT_EQ(::access(kOwner.c_str(), X_OK), 0) << kOwner << " missing: build the kvrmmf_owner target";
    std::string block = UniqueName("block"), mutex = UniqueName("mutex");
    OwnerProcess owner(block, mutex, 256);
    ASSERT_TRUE(owner.Started());
    CDataStore store;
    SharedMemoryStore(store, block, mutex, 256);
    unsigned char bytes[8] = {};
    EXPECT_EQ(store.ReadData(250, bytes, 8), 6u);
    EXPECT_EQ(bytes[5], 255);
    ASSERT_EQ(owner.Command("set 3 77"), "ok");
    EXPECT_EQ(store.ReadData(3, bytes, 1), 1u);
    EXPECT_EQ(bytes[0], 77) << "every read sees the current bytes";
    const unsigned char value = 200;
    EXPECT_EQ(store.WriteData(10, &value, 1, 1, 0), 1u);
    EXPECT_EQ(owner.Command("get 10"), "200");
    EXPECT_FALSE(store.IsModified());

    // While the owner holds the mutex the access waits 100 ms, then goes on without it and must not
    // release what it never took.
    sem_t* watch = ::sem_open(("/" + mutex).c_str(), 0);
    ASSERT_NE(watch, SEM_FAILED);
    int semaphoreValue = -1;
    ASSERT_EQ(owner.Command("lock"), "ok");
    EXPECT_EQ(store.ReadData(10, bytes, 1), 1u);
    ::sem_getvalue(watch, &semaphoreValue);
    EXPECT_EQ(semaphoreValue, 0);
    ASSERT_EQ(owner.Command("unlock"), "ok");
    EXPECT_EQ(store.ReadData(10, bytes, 1), 1u);
    ::sem_getvalue(watch, &semaphoreValue);
    EXPECT_EQ(semaphoreValue, 1) << "an access that took the mutex gives it back";
    ::sem_close(watch);
}

TEST(CDataStoreSharedMemory, NoMutexNameMeansNoLockAndAMissingMutexMeansNoAccess) {
    std::string block = UniqueName("nolock");
    OwnerProcess owner(block, "", 64);
    ASSERT_TRUE(owner.Started());
    CDataStore store;
    unsigned char byte = 0;
    SharedMemoryStore(store, block, "", 64);
    EXPECT_EQ(store.ReadData(7, &byte, 1), 1u);
    EXPECT_EQ(byte, 7);
    SharedMemoryStore(store, block, UniqueName("nomutex"), 64);
    EXPECT_EQ(store.ReadData(7, &byte, 1), 0u);
    EXPECT_EQ(store.WriteData(7, &byte, 1, 0, 0), 0u);
    SharedMemoryStore(store, "", "", 64);
    EXPECT_EQ(store.ReadData(7, &byte, 1), 0u);
    SharedMemoryStore(store, UniqueName("noblock"), "", 64);
    EXPECT_EQ(store.ReadData(7, &byte, 1), 0u);
}

TEST(CDataStoreSharedMemory, CopiesStopAtTheBlocksRealSize) {
    std::string block = UniqueName("small");
    OwnerProcess owner(block, "", 100);
    ASSERT_TRUE(owner.Started());
    CDataStore store;
    SharedMemoryStore(store, block, "", 4096); // the setting claims more than exists
    EXPECT_EQ(store.GetDataSize(), 4096u);
    unsigned char bytes[64];
    std::memset(bytes, 0xEE, sizeof bytes);
    EXPECT_EQ(store.ReadData(90, bytes, 64), 10u);
    EXPECT_EQ(bytes[9], 99);
    EXPECT_EQ(bytes[10], 0xEE);
    EXPECT_EQ(store.ReadData(100, bytes, 1), 0u);
    EXPECT_EQ(store.WriteData(95, bytes, 64, 0, 0), 5u);
}

} // namespace

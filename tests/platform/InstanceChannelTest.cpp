#include "platform/CCopyBlock.h"
#include "platform/CInstanceChannel.h"
#include "platform/InstanceMessages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using InstanceMessages::kCloseCopy;
using InstanceMessages::kCompare;

// Messages the test copies understand besides the real ones.
constexpr uint32_t kMakeCopy = 0x7001; // create the copy block with arg1 bytes (byte i = arg2 + i)
constexpr uint32_t kMultiply = 0x7002; // answer arg1 * arg2
constexpr uint32_t kAskBack = 0x7003;  // send kMultiply(arg1, arg2) to the test process, answer that + 1
constexpr uint32_t kRemember = 0x7004; // remember arg1 (posted)
constexpr uint32_t kRecall = 0x7005;   // answer what was remembered

struct TempDirectory {
    TempDirectory() {
        char pattern[] = "/tmp/kivran-ipc-test-XXXXXX";
        root = ::mkdtemp(pattern);
        channels = root + "/run";
    }
    ~TempDirectory() {
        std::string command = "rm -rf '" + root + "'";
        (void)std::system(command.c_str());
    }
    std::string root;
    std::string channels;
};

enum class Behaviour { Serve, NeverServe, DieAbruptly };

// Another running copy in its own process: it listens in the given directory, answers like the editor
// does for the messages above and owns a copy block of the given name. Ends when the test closes its pipe.
class OtherCopy {
public:
    OtherCopy(const std::string& directory, const std::string& blockName, Behaviour behaviour,
              const std::string& testEndpoint = "", const std::string& title = "KIVRAN - other") {
        int ready[2];
        int control[2];
        if (::pipe(ready) != 0 || ::pipe(control) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(control[1]);
            Run(directory, blockName, behaviour, testEndpoint, title, ready[1], control[0]);
        }
        ::close(ready[1]);
        ::close(control[0]);
        control_ = control[1];
        char buffer[256] = {};
        ssize_t got = ::read(ready[0], buffer, sizeof buffer - 1);
        ::close(ready[0]);
        if (got > 0) {
            endpoint_.assign(buffer, static_cast<size_t>(got));
        }
    }
    ~OtherCopy() { Finish(); }

    const std::string& Endpoint() const { return endpoint_; }

    // Ends the copy and waits for it; the exit status.
    int Finish() {
        if (control_ >= 0) {
            ::close(control_);
            control_ = -1;
        }
        if (pid_ > 0) {
            int status = 0;
            ::waitpid(pid_, &status, 0);
            pid_ = -1;
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        }
        return status_;
    }

private:
    [[noreturn]] static void Run(const std::string& directory, const std::string& blockName,
                                 Behaviour behaviour, const std::string& testEndpoint,
                                 const std::string& title, int ready, int control) {
        CInstanceChannel channel(directory);
        CCopyBlock block(blockName);
        int64_t remembered = 0;
        channel.SetTitleSource([&] { return title; });
        channel.SetHandler([&](uint32_t message, int64_t arg1, int64_t arg2) -> int64_t {
            switch (message) {
            case kCloseCopy:
                return block.AnswerCloseCopy(arg1);
            case kMakeCopy:
                if (!block.Create(static_cast<uint64_t>(arg1))) {
                    return 0;
                }
                for (int64_t i = 0; i < arg1; ++i) {
                    block.WritableBytes()[i] = static_cast<unsigned char>(arg2 + i);
                }
                return 1;
            case kMultiply:
                return arg1 * arg2;
            case kAskBack: {
                std::optional<int64_t> answer = channel.Send(testEndpoint, kMultiply, arg1, arg2, 2000);
                return answer ? *answer + 1 : -1;
            }
            case kRemember:
                remembered = arg1;
                return 0;
            case kRecall:
                return remembered;
            default:
                return 0;
            }
        });
        if (!channel.Listen()) {
            ::_exit(3);
        }
        std::string endpoint = channel.Endpoint();
        if (::write(ready, endpoint.data(), endpoint.size()) != static_cast<ssize_t>(endpoint.size())) {
            ::_exit(4);
        }
        ::close(ready);
        if (behaviour == Behaviour::DieAbruptly) {
            ::_exit(0); // the endpoint file stays behind
        }
        for (;;) {
            pollfd entries[2] = {{control, POLLIN, 0}, {channel.Descriptor(), POLLIN, 0}};
            int count = behaviour == Behaviour::Serve ? 2 : 1;
            if (::poll(entries, count, -1) < 0) {
                continue;
            }
            if (entries[0].revents != 0) {
                break;
            }
            channel.ServePending();
        }
        channel.Close();
        block.Close();
        ::_exit(0);
    }

    pid_t pid_ = -1;
    int control_ = -1;
    int status_ = -1;
    std::string endpoint_;
};

std::string TestBlockName() {
    return "/kivran-channel-test-" + std::to_string(::getpid());
}

bool FileExists(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

class InstanceChannelTest : public ::testing::Test {
protected:
    void SetUp() override { ::signal(SIGPIPE, SIG_IGN); }
    void TearDown() override { ::shm_unlink(TestBlockName().c_str()); }
    TempDirectory temp;
};

TEST_F(InstanceChannelTest, ListensInAPrivateDirectory) {
    CInstanceChannel channel(temp.channels);
    ASSERT_TRUE(channel.Listen());
    struct stat info;
    ASSERT_EQ(::stat(temp.channels.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_TRUE(FileExists(channel.Endpoint()));
    EXPECT_GE(channel.Descriptor(), 0);
    channel.Close();
    EXPECT_FALSE(FileExists(channel.Endpoint().empty() ? temp.channels + "/none" : channel.Endpoint()));
    EXPECT_EQ(channel.Descriptor(), -1);
}

TEST_F(InstanceChannelTest, RefusesADirectoryItDoesNotFullyOwn) {
    // A symbolic link and a plain file in place of the directory are never used.
    ASSERT_EQ(::symlink("/tmp", temp.channels.c_str()), 0);
    EXPECT_FALSE(CInstanceChannel(temp.channels).Listen());
    std::string file = temp.root + "/file";
    ASSERT_EQ(::close(::creat(file.c_str(), 0600)), 0);
    EXPECT_FALSE(CInstanceChannel(file).Listen());
    // A directory of ours that is too open is closed to others before use.
    std::string open = temp.root + "/open";
    ASSERT_EQ(::mkdir(open.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(open.c_str(), 0777), 0);
    CInstanceChannel channel(open);
    ASSERT_TRUE(channel.Listen());
    struct stat info;
    ASSERT_EQ(::stat(open.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(InstanceChannelDirectory, FollowsTheRuntimeDirectoryOrFallsBackPerUser) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    std::string savedValue = saved ? saved : "";
    ::setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
    EXPECT_EQ(CInstanceChannel::DefaultDirectory(), "/run/user/4242/kivran");
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(CInstanceChannel::DefaultDirectory(), "/tmp/kivran-" + std::to_string(::geteuid()));
    ::setenv("XDG_RUNTIME_DIR", "relative", 1);
    EXPECT_EQ(CInstanceChannel::DefaultDirectory(), "/tmp/kivran-" + std::to_string(::geteuid()));
    if (saved) {
        ::setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
    } else {
        ::unsetenv("XDG_RUNTIME_DIR");
    }
}

TEST_F(InstanceChannelTest, FindsLivePartnersSkipsItselfAndRemovesDeadEndpoints) {
    CInstanceChannel self(temp.channels);
    self.SetTitleSource([] { return std::string("KIVRAN - self"); });
    ASSERT_TRUE(self.Listen());
    OtherCopy partner(temp.channels, TestBlockName(), Behaviour::Serve, "", "KIVRAN - /data/a.bin *");
    OtherCopy stranger(temp.channels, TestBlockName(), Behaviour::Serve, "", "Some other program");
    OtherCopy dead(temp.channels, TestBlockName(), Behaviour::DieAbruptly);
    ASSERT_FALSE(partner.Endpoint().empty());
    ASSERT_FALSE(dead.Endpoint().empty());
    ASSERT_EQ(dead.Finish(), 0);
    ASSERT_TRUE(FileExists(dead.Endpoint())) << "an abrupt end leaves the endpoint behind";

    std::vector<InstancePartner> partners = self.ListPartners();
    ASSERT_EQ(partners.size(), 1u);
    EXPECT_EQ(partners[0].endpoint, partner.Endpoint());
    EXPECT_EQ(partners[0].title, "KIVRAN - /data/a.bin *");
    EXPECT_FALSE(FileExists(dead.Endpoint())) << "a dead endpoint is removed";
    EXPECT_TRUE(FileExists(stranger.Endpoint())) << "a live endpoint is kept even when it is no partner";
    EXPECT_EQ(self.RequestTitle(stranger.Endpoint()), std::optional<std::string>("Some other program"));
}

TEST_F(InstanceChannelTest, SendCarriesArgumentsAndA64BitAnswer) {
    CInstanceChannel self(temp.channels);
    OtherCopy partner(temp.channels, TestBlockName(), Behaviour::Serve);
    struct Case {
        uint32_t message;
        int64_t arg1;
        int64_t arg2;
        int64_t answer;
    };
    const Case cases[] = {
        {kCompare, InstanceMessages::kIdentify, 0, InstanceMessages::kIdentifyAnswer},
        {kMultiply, 0x100000000LL, 3, 0x300000000LL},
        {kMultiply, -7, 6, -42},
        {kMultiply, INT64_MAX, 1, INT64_MAX},
        {0x9999, 1, 2, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(self.Send(partner.Endpoint(), c.message, c.arg1, c.arg2), std::optional<int64_t>(c.answer))
            << std::hex << c.message;
    }
    EXPECT_EQ(InstanceMessages::kIdentifyAnswer, static_cast<int64_t>(static_cast<int32_t>(0xA9C638DFu)));
}

TEST_F(InstanceChannelTest, PostedMessagesArriveInOrderBeforeLaterOnes) {
    CInstanceChannel self(temp.channels);
    OtherCopy partner(temp.channels, TestBlockName(), Behaviour::Serve);
    ASSERT_TRUE(self.Post(partner.Endpoint(), kRemember, 11, 0));
    ASSERT_TRUE(self.Post(partner.Endpoint(), kRemember, 22, 0));
    EXPECT_EQ(self.Send(partner.Endpoint(), kRecall, 0, 0), std::optional<int64_t>(22));
}

TEST_F(InstanceChannelTest, CopiesSendingToEachOtherAtOnceBothGetAnswers) {
    CInstanceChannel self(temp.channels);
    self.SetHandler([](uint32_t message, int64_t arg1, int64_t arg2) -> int64_t {
        return message == kMultiply ? arg1 * arg2 : 0;
    });
    ASSERT_TRUE(self.Listen());
    OtherCopy partner(temp.channels, TestBlockName(), Behaviour::Serve, self.Endpoint());
    // The partner asks us while we wait for its answer.
    EXPECT_EQ(self.Send(partner.Endpoint(), kAskBack, 6, 7, 4000), std::optional<int64_t>(43));
}

TEST_F(InstanceChannelTest, AHungOrVanishedPeerGivesNoAnswer) {
    CInstanceChannel self(temp.channels);
    OtherCopy hung(temp.channels, TestBlockName(), Behaviour::NeverServe);
    ASSERT_FALSE(hung.Endpoint().empty());
    EXPECT_EQ(self.Send(hung.Endpoint(), kMultiply, 2, 3, 200), std::nullopt);
    EXPECT_TRUE(self.ListPartners(200).empty());
    EXPECT_TRUE(FileExists(hung.Endpoint())) << "a live copy that is slow to answer keeps its endpoint";
    EXPECT_EQ(self.Send(temp.channels + "/nobody.sock", kMultiply, 2, 3, 200), std::nullopt);
    EXPECT_FALSE(self.Post(temp.channels + "/nobody.sock", kMultiply, 2, 3));
}

TEST_F(InstanceChannelTest, CopyInOneProcessPasteInAnotherAndCloseCopy) {
    const std::string name = TestBlockName();
    CInstanceChannel self(temp.channels);
    self.SetTitleSource([] { return std::string("KIVRAN"); });
    ASSERT_TRUE(self.Listen());
    OtherCopy partner(temp.channels, name, Behaviour::Serve);

    // The other copy copies three bytes; we paste them.
    ASSERT_EQ(self.Send(partner.Endpoint(), kMakeCopy, 3, 0x41), std::optional<int64_t>(1));
    {
        CCopyBlock pasted = CCopyBlock::OpenForReading(name);
        ASSERT_TRUE(pasted.IsOpen());
        ASSERT_EQ(pasted.Count(), 3u);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(pasted.Bytes()), 3), "ABC");
    }

    // Close-copy with a non-zero first argument changes nothing; with 0 the other copy closes its block.
    EXPECT_EQ(self.Send(partner.Endpoint(), kCloseCopy, 1, 0), std::optional<int64_t>(0));
    EXPECT_TRUE(CCopyBlock::Exists(name));
    EXPECT_EQ(self.Send(partner.Endpoint(), kCloseCopy, 0, 0), std::optional<int64_t>(1));
    EXPECT_FALSE(CCopyBlock::Exists(name));
    EXPECT_EQ(self.Send(partner.Endpoint(), kCloseCopy, 0, 0), std::optional<int64_t>(0)) << "none held";

    // It copies again; then we copy: it is asked to close its block first, and a paste sees our bytes.
    ASSERT_EQ(self.Send(partner.Endpoint(), kMakeCopy, 10, 0), std::optional<int64_t>(1));
    CCopyBlock ours(name);
    ASSERT_TRUE(ours.Acquire(self, 2, 2000));
    std::memcpy(ours.WritableBytes(), "xy", 2);
    EXPECT_EQ(self.Send(partner.Endpoint(), kCloseCopy, 0, 0), std::optional<int64_t>(0))
        << "the other copy already closed its block when we acquired ours";
    CCopyBlock pasted = CCopyBlock::OpenForReading(name);
    ASSERT_EQ(pasted.Count(), 2u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(pasted.Bytes()), 2), "xy");
    EXPECT_EQ(partner.Finish(), 0);
}

} // namespace

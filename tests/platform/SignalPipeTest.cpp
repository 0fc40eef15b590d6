#include "platform/CSignalPipe.h"

#include <gtest/gtest.h>

#include <csignal>
#include <poll.h>

namespace {

bool Readable(int fd) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, 0) == 1;
}

void (*HandlerOf(int number))(int) {
    struct sigaction current {};
    ::sigaction(number, nullptr, &current);
    return current.sa_handler;
}

TEST(SignalPipe, ASignalBecomesABytePendingOnThePipe) {
    ::signal(SIGUSR1, SIG_DFL);
    ::signal(SIGUSR2, SIG_IGN);
    {
        CSignalPipe pipe;
        ASSERT_TRUE(pipe.Install({SIGUSR1, SIGUSR2}, {SIGUSR2}));
        EXPECT_FALSE(CSignalPipe().Install({SIGUSR1})) << "one owner of the handlers at a time";
        EXPECT_FALSE(Readable(pipe.Descriptor()));
        EXPECT_EQ(pipe.Drain(), 0);

        ASSERT_EQ(::raise(SIGUSR1), 0) << "the default action would end the test program";
        EXPECT_TRUE(Readable(pipe.Descriptor()));
        ASSERT_EQ(::raise(SIGUSR1), 0);
        EXPECT_EQ(pipe.Drain(), SIGUSR1);
        EXPECT_FALSE(Readable(pipe.Descriptor())) << "everything waiting is read at once";

        EXPECT_EQ(HandlerOf(SIGUSR2), SIG_IGN) << "a signal ignored from the start stays ignored when asked";
        ASSERT_EQ(::raise(SIGUSR2), 0);
        EXPECT_EQ(pipe.Drain(), 0);

        pipe.Restore();
        EXPECT_EQ(HandlerOf(SIGUSR1), SIG_DFL) << "a further signal has its usual effect";
    }
    EXPECT_EQ(HandlerOf(SIGUSR2), SIG_IGN);
    CSignalPipe again;
    EXPECT_TRUE(again.Install({SIGUSR1})) << "free again once the first owner is gone";
    EXPECT_NE(HandlerOf(SIGUSR1), SIG_DFL);
    ::signal(SIGUSR2, SIG_DFL);
}

} // namespace

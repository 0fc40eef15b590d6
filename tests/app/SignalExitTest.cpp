#include "FakePrompt.h"
#include "TestApplication.h"
#include "TestEnvironment.h"

#include "app/CKIVRANApp.h"
#include "data/CRecoveryStore.h"
#include "platform/CCopyBlock.h"
#include "view/CEditActions.h"
#include "view/CMainFrame.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <dirent.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

// The endpoint files (".sock") in the channel directory.
int Endpoints(const std::string& directory) {
    int count = 0;
    if (DIR* folder = ::opendir(directory.c_str())) {
        while (dirent* entry = ::readdir(folder)) {
            const std::string name = entry->d_name;
            count += name.size() > 5 && name.compare(name.size() - 5, 5, ".sock") == 0;
        }
        ::closedir(folder);
    }
    return count;
}

// The program started on a file, as main() starts it, with the termination signals caught.
class SignalExitTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        runtime = env.dir.path().toStdString() + "/runtime";
        ASSERT_EQ(std::system(("mkdir -m 700 -p '" + runtime + "'").c_str()), 0);
        const char* saved = std::getenv("XDG_RUNTIME_DIR");
        hadRuntime = saved != nullptr;
        savedRuntime = hadRuntime ? saved : "";
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        env.WriteIni("[Option]\nOption1=2\nLanguage=1\n");
        path = env.dir.path().toStdString() + "/data.bin";
        TestEnvironment::WriteFile(path, "ABCDEFGH");
    }
    void TearDown() override {
        app.reset();
        hadRuntime ? ::setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1) : ::unsetenv("XDG_RUNTIME_DIR");
    }

    CMainFrame* Start(FakePrompt& prompt) {
        app = std::make_unique<CKIVRANApp>();
        EXPECT_TRUE(app->WatchSignals());
        EXPECT_TRUE(app->InitInstance({QString::fromStdString(path)}, &prompt));
        return app->MainFrame();
    }

    // Sends the signal to the process from inside the event loop and runs the loop as main() does; the
    // exit code, or -1 when the signal did not end the loop.
    int RunUntilSignal(int number) {
        QTimer::singleShot(0, [number] { ::raise(number); });
        bool timedOut = false;
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [&timedOut] {
            timedOut = true;
            QCoreApplication::exit(1);
        });
        guard.start(20000);
        const int status = QApplication::exec();
        return timedOut ? -1 : status;
    }

    Bytes Data(CMainFrame* frame) {
        Bytes out(frame->Store().GetDataSize());
        frame->Store().ReadData(0, out.data(), out.size());
        return out;
    }

    TestEnvironment env;
    std::string runtime;
    std::string path;
    bool hadRuntime = false;
    std::string savedRuntime;
    std::unique_ptr<CKIVRANApp> app;
};

TEST_F(SignalExitTest, UnsavedChangesAreKeptAndOfferedAtTheNextOpen) {
    FakePrompt prompt;
    CMainFrame* frame = Start(prompt);
    ASSERT_NE(frame, nullptr);
    const unsigned char typed[] = {'x', 'y'};
    ASSERT_EQ(frame->Store().WriteData(2, typed, 2, 1, 0), 2u);
    const unsigned char appended[] = {'!'};
    ASSERT_EQ(frame->Store().InsertData(8, appended, 1, 1, 0), 1);
    // A copy holds the shared block, and the window listens on its socket.
    frame->Store().Pane(0) = PaneSelection{0, 0, 3};
    frame->Edit().Copy();
    ASSERT_TRUE(frame->CopyBlock().IsOpen());
    const std::string block = frame->CopyBlock().Name();
    ASSERT_EQ(Endpoints(runtime + "/kivran"), 1);

    EXPECT_EQ(RunUntilSignal(SIGTERM), 0);
    EXPECT_EQ(app->EndingSignal(), SIGTERM);
    EXPECT_TRUE(prompt.questions.isEmpty()) << "a signal asks nothing";
    app->ExitInstance();

    EXPECT_EQ(TestEnvironment::ReadFile(path), "ABCDEFGH") << "the file itself is not written";
    const CRecoveryStore recovery(env.stateDir + "/KIVRAN");
    ASSERT_TRUE(recovery.Has(path));
    Bytes kept;
    ASSERT_TRUE(recovery.Load(path, kept));
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "ABxyEFGH!");
    EXPECT_FALSE(CCopyBlock::Exists(block)) << "the shared block is removed as at a normal exit";
    EXPECT_EQ(Endpoints(runtime + "/kivran"), 0) << "and so is the socket";
    EXPECT_NE(env.ReadIni().find("[Window]"), std::string::npos) << "the settings are written";

    // The next open offers the copy; Yes puts its bytes over the file as modified data.
    FakePrompt again;
    again.yesNoCancelAnswer = CUserPrompt::Yes;
    frame = Start(again);
    ASSERT_EQ(again.questions.size(), 1);
    EXPECT_EQ(again.questions[0], "A recovery copy of this file exists. Open it?");
    const Bytes recovered = Data(frame);
    EXPECT_EQ(std::string(recovered.begin(), recovered.end()), "ABxyEFGH!");
    EXPECT_TRUE(frame->Store().IsModified());
    EXPECT_TRUE(frame->windowTitle().endsWith(" *")) << frame->windowTitle().toStdString();
    EXPECT_FALSE(recovery.Has(path)) << "an answered offer is not made again";
    ASSERT_TRUE(frame->Store().Save().success);
    EXPECT_EQ(TestEnvironment::ReadFile(path), "ABxyEFGH!");
    frame->close();
    app->ExitInstance();
}

TEST_F(SignalExitTest, NoKeepsTheFileAndDropsTheCopy) {
    const CRecoveryStore recovery(env.stateDir + "/KIVRAN");
    const std::string kept = "kept bytes";
    ASSERT_TRUE(
        recovery.Write(path, kept.size(), [&kept](uint64_t offset, unsigned char* buffer, uint64_t n) {
            std::copy_n(kept.data() + offset, n, buffer);
            return n;
        }));
    FakePrompt prompt;
    prompt.yesNoCancelAnswer = CUserPrompt::No;
    CMainFrame* frame = Start(prompt);
    ASSERT_EQ(prompt.questions.size(), 1);
    const Bytes data = Data(frame);
    EXPECT_EQ(std::string(data.begin(), data.end()), "ABCDEFGH");
    EXPECT_FALSE(frame->Store().IsModified());
    EXPECT_FALSE(recovery.Has(path));
    frame->close();
    app->ExitInstance();
}

// Answers the recovery offer only after a signal has come and been handled, as when the program is ended
// while the question is open.
class SignalDuringQuestion : public FakePrompt {
public:
    Answer AskYesNo(QWidget* parent, const QString& text) override {
        ::raise(SIGTERM);
        QApplication::processEvents();
        return FakePrompt::AskYesNo(parent, text);
    }
};

TEST_F(SignalExitTest, ASignalWhileTheOfferIsOpenKeepsTheCopy) {
    const CRecoveryStore recovery(env.stateDir + "/KIVRAN");
    const std::string kept = "kept";
    ASSERT_TRUE(
        recovery.Write(path, kept.size(), [&kept](uint64_t offset, unsigned char* buffer, uint64_t n) {
            std::copy_n(kept.data() + offset, n, buffer);
            return n;
        }));
    SignalDuringQuestion prompt;
    prompt.yesNoCancelAnswer = CUserPrompt::No;
    Start(prompt);
    ASSERT_EQ(prompt.questions.size(), 1);
    EXPECT_EQ(app->EndingSignal(), SIGTERM);
    app->ExitInstance();
    EXPECT_TRUE(recovery.Has(path)) << "the question was not answered by the user";
    EXPECT_EQ(TestEnvironment::ReadFile(path), "ABCDEFGH");
    // The exit asked for outside the main loop would stop the next event loop of this test program at once;
    // running the main loop once takes it back.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QApplication::exec();
}

TEST_F(SignalExitTest, WithoutChangesASignalLeavesNothingBehind) {
    struct Case {
        const char* what;
        int number;
    };
    const Case cases[] = {{"SIGTERM", SIGTERM}, {"SIGINT", SIGINT}, {"SIGHUP", SIGHUP}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        struct sigaction inherited {};
        ::sigaction(c.number, nullptr, &inherited);
        if (c.number == SIGHUP && inherited.sa_handler == SIG_IGN) {
            // Started under nohup: the program leaves SIGHUP ignored, as it should.
            continue;
        }
        FakePrompt prompt;
        CMainFrame* frame = Start(prompt);
        ASSERT_NE(frame, nullptr);
        frame->Store().Pane(0) = PaneSelection{0, 0, 3};
        frame->Edit().Copy();
        const std::string block = frame->CopyBlock().Name();
        ASSERT_TRUE(CCopyBlock::Exists(block));
        EXPECT_EQ(RunUntilSignal(c.number), 0);
        EXPECT_EQ(app->EndingSignal(), c.number);
        app->ExitInstance();
        EXPECT_FALSE(CCopyBlock::Exists(block));
        EXPECT_EQ(Endpoints(runtime + "/kivran"), 0);
        EXPECT_FALSE(CRecoveryStore(env.stateDir + "/KIVRAN").Has(path)) << "nothing unsaved, nothing kept";
        app.reset();
    }
}

TEST_F(SignalExitTest, ANormalExitKeepsNoRecoveryCopy) {
    FakePrompt prompt;
    prompt.yesNoCancelAnswer = CUserPrompt::No;
    CMainFrame* frame = Start(prompt);
    const unsigned char typed[] = {'z'};
    ASSERT_EQ(frame->Store().WriteData(0, typed, 1, 1, 0), 1u);
    frame->close();
    ASSERT_EQ(prompt.questions.size(), 1) << "Save changes ?";
    app->ExitInstance();
    EXPECT_EQ(TestEnvironment::ReadFile(path), "ABCDEFGH");
    EXPECT_FALSE(CRecoveryStore(env.stateDir + "/KIVRAN").Has(path));
}

} // namespace

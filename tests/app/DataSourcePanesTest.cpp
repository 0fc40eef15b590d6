#include "FakePrompt.h"
#include "TestApplication.h"
#include "TestEnvironment.h"

#include "app/CKIVRANApp.h"
#include "view/CColorStsBar.h"
#include "view/CMainFrame.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

// The mode and size panes of a window started in DLL mode, with a library that loads and with one that
// does not.
class DataSourcePanesTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureApplication(); }
    void TearDown() override {
        if (app) {
            app->MainFrame()->close();
            app->ExitInstance();
        }
    }

    CMainFrame* StartInDllMode(const std::string& library) {
        env.WriteIni("[Config]\nMode=1\nDLLFileName=" + library +
                     "\nDLLMemorySize=64\nDLLSymbolFile=\n[Option]\nOption1=2\nLanguage=1\n");
        app = std::make_unique<CKIVRANApp>();
        EXPECT_TRUE(app->InitInstance({}, &prompt));
        return app->MainFrame();
    }
    QString PaneText(CMainFrame* frame, int pane) { return frame->StatusBarPanes()->PaneText(pane); }

    TestEnvironment env;
    FakePrompt prompt;
    std::unique_ptr<CKIVRANApp> app;
};

TEST_F(DataSourcePanesTest, ALoadedLibraryShowsDllAndItsMemorySize) {
    const std::string library = std::string(KIVRAN_LIB_DIR) + "/libkvrdll.so";
    ASSERT_EQ(::access(library.c_str(), R_OK), 0) << library << " missing: build the kvrdll target";
    CMainFrame* frame = StartInDllMode(library);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_EQ(PaneText(frame, CMainFrame::kPaneSource), "DLL");
    EXPECT_EQ(PaneText(frame, CMainFrame::kPaneSize), "64 bytes");
    EXPECT_EQ(frame->Store().GetDataSize(), 64u);
}

TEST_F(DataSourcePanesTest, ALibraryThatFailsToLoadLeavesNoModeAndNoSize) {
    CMainFrame* frame = StartInDllMode("/nonexistent/libnothing.so");
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages[0], "Fail to Load DLL:/nonexistent/libnothing.so");
    for (int pane :
         {CMainFrame::kPaneSource, CMainFrame::kPaneMemory, CMainFrame::kPaneView, CMainFrame::kPaneInsert}) {
        EXPECT_TRUE(PaneText(frame, pane).isEmpty()) << pane;
    }
    EXPECT_EQ(PaneText(frame, CMainFrame::kPaneSize), "0 bytes");
    EXPECT_EQ(frame->Store().GetDataSize(), 0u) << "nothing to show, nothing to move over";
}

} // namespace

#include "FakePrompt.h"
#include "TestApplication.h"
#include "TestEnvironment.h"

#include "app/CKIVRANApp.h"
#include "print/CPreviewDlg.h"
#include "print/CPreviewFrm.h"
#include "print/CPrnLayout.h"
#include "settings/CommandIds.h"
#include "view/CMainFrame.h"
#include "view/CPrintController.h"

#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

// The print settings come from the Print section at start and go back to it at exit, also when the preview
// is still open as the program ends.
TEST(PrintSettings, LayoutChangesAreSavedInThePrintSection) {
    EnsureApplication();
    TestEnvironment env;
    env.WriteIni("[Option]\nOption1=2\nLanguage=1\n[Print]\nMargin[0]=12\nBetweenLine=8\n");
    FakePrompt prompt;
    auto app = std::make_unique<CKIVRANApp>();
    ASSERT_TRUE(app->InitInstance({}, &prompt));
    CMainFrame* frame = app->MainFrame();
    ASSERT_EQ(frame->Settings().margin[0], 12);

    frame->OnCommand(ID_FILE_PRINT_PREVIEW);
    QPointer<CPreviewFrm> preview = frame->Printing().PreviewWindow();
    ASSERT_NE(preview, nullptr);
    bool shown = false;
    auto* timer = new QTimer(frame);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<CPrnLayout*>(QApplication::activeModalWidget());
        if (!dialog) {
            return;
        }
        timer->stop();
        shown = dialog->MarginField(0)->value() == 12 && dialog->BetweenLineField()->value() == 8;
        dialog->MarginField(0)->setValue(25);
        dialog->MarginField(2)->setValue(3);
        dialog->accept();
    });
    timer->start();
    QTest::mouseClick(preview->ButtonBar()->ButtonAt(CPreviewDlg::kLayout), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(shown);

    frame->close();
    app->ExitInstance();
    QApplication::processEvents();
    EXPECT_TRUE(preview.isNull());
    const std::string ini = env.ReadIni();
    const size_t section = ini.find("[Print]");
    ASSERT_NE(section, std::string::npos) << ini;
    EXPECT_NE(ini.find("Margin[0]=25", section), std::string::npos) << ini;
    EXPECT_NE(ini.find("Margin[2]=3", section), std::string::npos) << ini;
    EXPECT_NE(ini.find("BetweenLine=8", section), std::string::npos) << ini;
}

} // namespace

#include "FrameFixture.h"

#include "binding/CScriptRun.h"
#include "engine/CFlowManager.h"
#include "view/CWindowScriptHost.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QProgressBar>
#include <QTimer>

namespace {

class WindowScriptHostTest : public FrameFixture {
protected:
    void SetUp() override {
        FrameFixture::SetUp();
        host = std::make_unique<CWindowScriptHost>(*frame);
    }
    void TearDown() override {
        host.reset();
        FrameFixture::TearDown();
    }

    static void Post(QObject* receiver, QEvent::Type type, Qt::Key key, const QString& text = QString()) {
        QCoreApplication::postEvent(receiver, new QKeyEvent(type, key, Qt::NoModifier, text));
    }
    // The colour of the bar's image at a fraction of its width, halfway down.
    static QRgb BarColourAt(QProgressBar* bar, double fraction) {
        QImage image = bar->grab().toImage();
        return image.pixel(static_cast<int>(image.width() * fraction), image.height() / 2);
    }

    std::unique_ptr<CWindowScriptHost> host;
};

TEST_F(WindowScriptHostTest, MessageBoxGoesThroughThePromptInUnicodeAndReturnsItsNumber) {
    prompt.boxAnswer = 7;
    EXPECT_EQ(host->MessageBox("\x82\xA0 text", "KIVRAN", 0x24), 7);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text, QString::fromUtf8("あ text"));
    EXPECT_EQ(prompt.boxes[0].caption, "KIVRAN");
    EXPECT_EQ(prompt.boxes[0].style, 0x24u);
}

TEST_F(WindowScriptHostTest, InputDataGoesThroughThePromptInTheUiLanguage) {
    prompt.inputAnswer = "42";
    std::string text = "0";
    ASSERT_TRUE(host->InputData("\x90\x94", "Title", 5, text)); // 数
    EXPECT_EQ(text, "42");
    ASSERT_EQ(prompt.inputs.size(), 1u);
    EXPECT_EQ(prompt.inputs[0].prompt, QString::fromUtf8("数"));
    EXPECT_EQ(prompt.inputs[0].title, "Title");
    EXPECT_EQ(prompt.inputs[0].valueType, 5);
    EXPECT_EQ(prompt.inputs[0].language, 1);
    EXPECT_EQ(prompt.inputs[0].initialText, "0");

    prompt.inputAccepted = false;
    EXPECT_FALSE(host->InputData("p", "t", 9, text));
    EXPECT_EQ(text, "42");
}

TEST_F(WindowScriptHostTest, ClipboardCarriesPlainTextConvertedFromAndToCodePage932) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    ASSERT_TRUE(host->CopyText("AB\x82\xA0"));
    EXPECT_EQ(clipboard->text(), QString::fromUtf8("ABあ"));

    clipboard->setText(QString::fromUtf8("いC"));
    EXPECT_EQ(host->PasteText(), "\x82\xA2"
                                 "C");
    clipboard->setText(QString::fromUtf8("\xE2\x82\xAC")); // the euro sign has no code page 932 form
    EXPECT_EQ(host->PasteText(), "?");
    clipboard->clear();
    EXPECT_EQ(host->PasteText(), "");
}

TEST_F(WindowScriptHostTest, ProgressBarSpansTheTopRowOfTheDataAreaForTheRun) {
    Open(4096);
    EXPECT_EQ(View()->findChild<QProgressBar*>(), nullptr);
    host->Begin();
    QProgressBar* bar = host->ProgressBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->parentWidget(), View());
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->geometry(), QRect(0, 0, View()->width(), View()->Geometry().RowHeight()));
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_EQ(bar->value(), 0);

    host->Progress(30);
    EXPECT_EQ(bar->value(), 30);
    const QRgb filled = BarColourAt(bar, 0.15);
    const QRgb empty = BarColourAt(bar, 0.6);
    EXPECT_NE(filled, empty) << "the bar shows the part done";
    host->Progress(90);
    EXPECT_EQ(BarColourAt(bar, 0.6), filled);

    // The bar is painted over the data area's top row (its rounded corners blend with what lies below).
    QImage area = View()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage barImage = bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(barImage.height(), View()->Geometry().RowHeight());
    const QRect inside(2, 2, barImage.width() - 4, barImage.height() - 4);
    EXPECT_EQ(area.copy(inside), barImage.copy(inside));

    frame->resize(1000, 650);
    QApplication::processEvents();
    EXPECT_EQ(bar->geometry(), QRect(0, 0, View()->width(), View()->Geometry().RowHeight()));

    host->End();
    EXPECT_EQ(host->ProgressBar(), nullptr);
    EXPECT_EQ(View()->findChild<QProgressBar*>(), nullptr);
}

TEST_F(WindowScriptHostTest, ScopeShowsTheBarForItsLifeAndForgetsTheRun) {
    CFlowManager flow;
    {
        CWindowScriptHost::RunScope scope(*host);
        host->SetRunning(&flow);
        EXPECT_NE(host->ProgressBar(), nullptr);
        EXPECT_EQ(host->Running(), &flow);
    }
    EXPECT_EQ(host->ProgressBar(), nullptr);
    EXPECT_EQ(host->Running(), nullptr);
    EXPECT_FALSE(host->AbortRun());
    EXPECT_EQ(flow.IsAborted(), 0);
}

TEST_F(WindowScriptHostTest, ProgressLetsEventsThroughWhereEscAbortsAndOtherInputIsDropped) {
    Open(Bytes{0x11, 0x22, 0x33, 0x44});
    CFlowManager flow;
    CWindowScriptHost::RunScope scope(*host);
    host->SetRunning(&flow);

    bool timerRan = false;
    QTimer::singleShot(0, frame.get(), [&timerRan]() { timerRan = true; });
    Post(View(), QEvent::KeyPress, Qt::Key_A, "a");
    Post(View(), QEvent::KeyRelease, Qt::Key_A, "a");
    Post(View(), QEvent::KeyPress, Qt::Key_Right);
    QCoreApplication::postEvent(frame.get(), new QCloseEvent);
    host->Progress(10);
    EXPECT_TRUE(timerRan) << "pending events are dispatched";
    EXPECT_EQ(flow.IsAborted(), 0);
    EXPECT_EQ(Data(), (Bytes{0x11, 0x22, 0x33, 0x44})) << "typing does not reach the data during a run";
    EXPECT_EQ(Cursor(), 0u);
    EXPECT_TRUE(frame->isVisible()) << "the window is not closed under a run";

    Post(View(), QEvent::KeyPress, Qt::Key_Escape);
    host->Progress(11);
    EXPECT_NE(flow.IsAborted(), 0);

    // Outside the dispatch the window takes keys as usual.
    Key(Qt::Key_Right);
    EXPECT_EQ(Cursor(), 1u);
}

TEST_F(WindowScriptHostTest, ProgressWithoutABarDispatchesNothing) {
    CFlowManager flow;
    host->SetRunning(&flow);
    Post(View(), QEvent::KeyPress, Qt::Key_Escape);
    host->Progress(50);
    EXPECT_EQ(flow.IsAborted(), 0);
    EXPECT_TRUE(host->AbortRun()) << "Esc from the window itself still stops the run";
    EXPECT_NE(flow.IsAborted(), 0);
    QApplication::processEvents();
}

TEST_F(WindowScriptHostTest, ARealRunShowsTheBarWhileItRunsWithItsProgress) {
    Open(1000);
    std::string text;
    for (int i = 0; i < 250; ++i) {
        text += "$char c" + std::to_string(i) + ";\n";
    }
    text += "MessageBox(\"half\");\n";
    const std::string path = env.exeDir + "/run.sym";
    TestEnvironment::WriteFile(path, text);

    int valueSeen = -1;
    QRect geometrySeen;
    prompt.duringQuestion = [this, &valueSeen, &geometrySeen]() {
        QProgressBar* bar = View()->findChild<QProgressBar*>();
        ASSERT_NE(bar, nullptr);
        EXPECT_TRUE(bar->isVisible());
        valueSeen = bar->value();
        geometrySeen = bar->geometry();
    };
    ScriptRunResult result;
    {
        CWindowScriptHost::RunScope scope(*host);
        result = CScriptRun::Run(frame->Symbols(), *host, path, CScriptRun::kSymbolFile, 1);
    }
    EXPECT_TRUE(result.readable);
    EXPECT_EQ(result.error, 0) << result.message;
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text, "half");
    EXPECT_EQ(valueSeen, 25) << "250 of 1000 bytes declared";
    EXPECT_EQ(geometrySeen, QRect(0, 0, View()->width(), View()->Geometry().RowHeight()));
    EXPECT_EQ(View()->findChild<QProgressBar*>(), nullptr) << "the bar goes with the run";
}

TEST_F(WindowScriptHostTest, EscDuringALongSymbolFileStopsItWithTheSymbolsSoFar) {
    Open(1000);
    std::string text;
    for (int i = 0; i < 1000; ++i) {
        text += "$char c" + std::to_string(i) + ";\n";
    }
    const std::string path = env.exeDir + "/long.sym";
    TestEnvironment::WriteFile(path, text);

    // Esc is pending when the run starts; it is seen when the progress first changes (1 %, 10 bytes).
    Post(View(), QEvent::KeyPress, Qt::Key_Escape);
    ScriptRunResult result;
    {
        CWindowScriptHost::RunScope scope(*host);
        result = CScriptRun::Run(frame->Symbols(), *host, path, CScriptRun::kSymbolFile, 1);
    }
    EXPECT_TRUE(result.aborted);
    EXPECT_TRUE(result.message.empty());
    EXPECT_EQ(frame->Symbols().SymbolCount(), 10u);
}

} // namespace

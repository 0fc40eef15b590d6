#include "FakeCompareHost.h"
#include "FrameFixture.h"

#include "compare/CCompareController.h"
#include "compare/CCompareNextDlg.h"
#include "compare/CCompareOptDlg.h"
#include "compare/CCompareRequestHandler.h"
#include "platform/CCompareBlock.h"
#include "platform/CInstanceChannel.h"
#include "platform/InstanceMessages.h"
#include "settings/CTextTable.h"
#include "settings/CommandIds.h"
#include "view/CDataPainter.h"
#include "view/CMenuBuilder.h"

#include <QAction>
#include <QCheckBox>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <atomic>
#include <future>
#include <mutex>
#include <poll.h>
#include <thread>

namespace {

using namespace InstanceMessages;
using Offsets = std::vector<uint64_t>;

// Sets a private runtime directory for the whole test, so that only the copies a test starts meet.
class PrivateRuntime {
public:
    PrivateRuntime() {
        const char* saved = std::getenv("XDG_RUNTIME_DIR");
        hadValue = saved != nullptr;
        if (hadValue) {
            savedValue = saved;
        }
        ::setenv("XDG_RUNTIME_DIR", dir.path().toStdString().c_str(), 1);
    }
    ~PrivateRuntime() {
        if (hadValue) {
            ::setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
        } else {
            ::unsetenv("XDG_RUNTIME_DIR");
        }
    }
    QTemporaryDir dir;
    bool hadValue = false;
    std::string savedValue;
};

// Another running copy, served on a thread of this process: it answers the compare and window requests as the
// editor does, over its own data, and can vanish like a copy that was killed.
class FakePartner {
public:
    explicit FakePartner(std::vector<unsigned char> data, uint64_t cursor = 0, int64_t centreX = 100)
        : host(std::move(data), cursor), centreX(centreX) {
        channel.SetTitleSource([] { return std::string("KIVRAN - partner.bin"); });
        channel.SetHandler([this](uint32_t message, int64_t arg1, int64_t arg2) -> int64_t {
            std::lock_guard<std::mutex> lock(mutex);
            if (message == kCompare) {
                codes.push_back(arg1);
                return CCompareRequestHandler::Answer(host, arg1, arg2, CCompareController::BlockName());
            }
            if (message == kWindow && arg1 == kWindowCentreX) {
                return this->centreX;
            }
            if (message == kWindow && arg1 == kPlaceWindow) {
                placed.push_back(CCompareController::UnpackRect(arg2));
                return 1;
            }
            return 0;
        });
        listening = channel.Listen();
        thread = std::thread([this] { Serve(); });
    }
    ~FakePartner() { Vanish(); }

    // Ends like a killed copy: it stops answering and its endpoint is gone.
    void Vanish() {
        stop = true;
        if (thread.joinable()) {
            thread.join();
        }
    }
    // Sends a request to another copy from the partner's thread while the caller keeps its own window
    // answering.
    std::optional<int64_t> SendFromPartner(const std::string& endpoint, uint32_t message, int64_t a1,
                                           int64_t a2) {
        auto answer = std::async(std::launch::async, [&] {
            CInstanceChannel sender(CInstanceChannel::DefaultDirectory());
            return sender.Send(endpoint, message, a1, a2);
        });
        while (answer.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return answer.get();
    }

    FakeCompareHost host;
    int64_t centreX;
    std::vector<int64_t> codes;
    std::vector<QRect> placed;
    std::mutex mutex;
    bool listening = false;

private:
    void Serve() {
        while (!stop) {
            pollfd entry{channel.Descriptor(), POLLIN, 0};
            if (::poll(&entry, 1, 20) > 0) {
                channel.ServePending();
            }
        }
        channel.Close();
    }

    CInstanceChannel channel;
    std::atomic<bool> stop{false};
    std::thread thread;
};

class CompareControllerTest : public FrameFixture {
protected:
    void SetUp() override {
        FrameFixture::SetUp();
        Compare().SetOptionsDialog([this](const QStringList& titles, CCompareController::Choice& chosen) {
            shownTitles = titles;
            chosen = choice;
            return optionsAccepted;
        });
        Compare().SetStepDialog([this] {
            ++steps;
            if (duringStep) {
                duringStep();
            }
            return stepAnswer;
        });
    }
    CCompareController& Compare() { return frame->Compare(); }
    std::vector<uint64_t> OurDifferences() {
        const auto& list = frame->DiffOffsets();
        return std::vector<uint64_t>(list.begin(), list.end());
    }
    QColor SurfaceColour(uint64_t offset) {
        const QRect cell = CDataPainter::CellRect(View()->Inputs(), View()->View(0), 0, offset);
        return View()->Surface().pixelColor(cell.left() + 1, cell.top() + 1);
    }

    PrivateRuntime runtime;
    CCompareController::Choice choice;
    bool optionsAccepted = true;
    QStringList shownTitles;
    int steps = 0;
    int stepAnswer = ICompareSteps::kNext;
    std::function<void()> duringStep;
};

TEST_F(CompareControllerTest, OneDifferenceMovesBothCursorsAndColoursBothLists) {
    Open({0x00, 0x01, 0x02});
    FakePartner partner({0x00, 0xFF, 0x02, 0xFF});
    ASSERT_TRUE(partner.listening);
    frame->OnCommand(ID_COMPARE);
    partner.Vanish();

    EXPECT_EQ(shownTitles, QStringList{"KIVRAN - partner.bin"});
    EXPECT_TRUE(prompt.messages.isEmpty()) << prompt.messages.join("|").toStdString();
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(Cursor(), 1u);
    EXPECT_EQ(OurDifferences(), Offsets{1});
    EXPECT_EQ(partner.host.cursor, 1u);
    EXPECT_EQ(partner.host.differences, Offsets{1});
    // Painted in the Different data colours.
    EXPECT_EQ(SurfaceColour(1), CDataPainter::Color(frame->Settings().bkColor[5]));
    EXPECT_EQ(SurfaceColour(2), CDataPainter::Color(frame->Settings().bkColor[0]));
    // The block is gone again.
    CCompareBlock block(CCompareController::BlockName());
    EXPECT_TRUE(block.Create(1));
}

TEST_F(CompareControllerTest, FromTheCursorsBothStartWhereTheirCursorsAre) {
    std::vector<unsigned char> ours(16);
    for (int i = 0; i < 16; ++i) {
        ours[static_cast<size_t>(i)] = static_cast<unsigned char>(i);
    }
    Open(ours);
    frame->MoveCursorTo(10);
    FakePartner partner({0, 0, 0, 0, 0x0A, 0x0B, 0xEE, 0x0D}, 4);
    choice.startPosition = 1;
    frame->OnCommand(ID_COMPARE);
    partner.Vanish();
    EXPECT_EQ(Cursor(), 12u);
    EXPECT_EQ(partner.host.cursor, 6u);
    EXPECT_EQ(OurDifferences(), Offsets{12});
    EXPECT_EQ(partner.host.differences, Offsets{6});
}

TEST_F(CompareControllerTest, MessagesForNoDifferenceAndForFailure) {
    struct Case {
        std::vector<unsigned char> partnerData;
        const char* message;
    };
    const Case cases[] = {
        {{1, 2, 3}, "Found no difference"},
        {{1, 2, 3, 4}, "Found no difference"},
        {{}, "Fail to compare"},
    };
    Open({1, 2, 3});
    for (const Case& c : cases) {
        prompt.messages.clear();
        FakePartner partner(c.partnerData);
        frame->OnCommand(ID_COMPARE);
        partner.Vanish();
        EXPECT_EQ(prompt.messages, QStringList{c.message});
        EXPECT_EQ(steps, 0);
        EXPECT_TRUE(frame->DiffOffsets().empty());
    }
}

TEST_F(CompareControllerTest, APartnerKilledMidWayEndsWithFailToCompare) {
    Open(std::vector<unsigned char>(8, 0));
    FakePartner partner(std::vector<unsigned char>(8, 1));
    duringStep = [&partner] { partner.Vanish(); };
    frame->OnCommand(ID_COMPARE);
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(prompt.messages, QStringList{"Fail to compare"});
    EXPECT_EQ(OurDifferences(), Offsets{0});
    // The window answers again and the next comparison can have the block.
    EXPECT_FALSE(Compare().IsRunning());
    CCompareBlock block(CCompareController::BlockName());
    EXPECT_TRUE(block.Create(1));
}

TEST_F(CompareControllerTest, CancelInTheOptionsChangesNothing) {
    Open({1, 2, 3});
    frame->Differences().Add(2);
    FakePartner partner({9, 9, 9}, 1);
    optionsAccepted = false;
    frame->OnCommand(ID_COMPARE);
    partner.Vanish();
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_EQ(OurDifferences(), Offsets{2});
    EXPECT_TRUE(partner.codes.empty());
    EXPECT_EQ(partner.host.cursor, 1u);
}

TEST_F(CompareControllerTest, WithoutPartnerNothingHappensAndTheCommandIsDisabled) {
    Open({1, 2, 3});
    frame->OnCommand(ID_COMPARE);
    EXPECT_TRUE(shownTitles.isEmpty());
    EXPECT_TRUE(prompt.messages.isEmpty());

    QMenu* jump = frame->Menus()->TopMenu(2);
    QAction* compare = frame->Menus()->Action(ID_COMPARE);
    jump->popup(QPoint(0, 0));
    EXPECT_FALSE(compare->isEnabled());
    jump->close();
    {
        FakePartner partner({1});
        jump->popup(QPoint(0, 0));
        EXPECT_TRUE(compare->isEnabled());
        jump->close();
    }
    jump->popup(QPoint(0, 0));
    EXPECT_FALSE(compare->isEnabled());
    jump->close();
}

TEST_F(CompareControllerTest, ResetAndJumpToNextDifferentData) {
    Open(32);
    QAction* reset = frame->Menus()->Action(ID_COMPARE_RESET);
    QAction* next = frame->Menus()->Action(ID_COMPARE_NEXT);
    QMenu* jump = frame->Menus()->TopMenu(2);
    jump->popup(QPoint(0, 0));
    EXPECT_FALSE(reset->isEnabled());
    EXPECT_FALSE(next->isEnabled());
    jump->close();

    for (uint64_t at : {7, 3, 12}) {
        frame->Differences().Add(at);
    }
    View()->RepaintAll();
    jump->popup(QPoint(0, 0));
    EXPECT_TRUE(reset->isEnabled());
    EXPECT_TRUE(next->isEnabled());
    jump->close();
    // The first entry in the order found that lies after the cursor.
    frame->OnCommand(ID_COMPARE_NEXT);
    EXPECT_EQ(Cursor(), 7u);
    frame->OnCommand(ID_COMPARE_NEXT);
    EXPECT_EQ(Cursor(), 12u);
    frame->OnCommand(ID_COMPARE_NEXT);
    EXPECT_EQ(Cursor(), 12u);
    frame->MoveCursorTo(4);
    frame->OnCommand(ID_COMPARE_NEXT);
    EXPECT_EQ(Cursor(), 7u);

    EXPECT_EQ(SurfaceColour(3), CDataPainter::Color(frame->Settings().bkColor[5]));
    frame->OnCommand(ID_COMPARE_RESET);
    EXPECT_TRUE(frame->DiffOffsets().empty());
    EXPECT_EQ(SurfaceColour(3), CDataPainter::Color(frame->Settings().bkColor[0]));
}

TEST_F(CompareControllerTest, TheWindowsStandSideBySide) {
    Open({1, 2});
    // Half of this small screen is narrower than the bars would ask for.
    frame->setMinimumSize(200, 200);
    const QRect area = frame->screen()->availableGeometry();
    QRect left;
    QRect right;
    CCompareController::SideBySide(area, true, left, right);
    ASSERT_EQ(left.width(), area.width() / 2);
    ASSERT_EQ(right.left(), area.left() + area.width() / 2);
    ASSERT_EQ(left.height(), area.height());
    {
        // The partner is further right: ours takes the left half.
        FakePartner partner({1, 3}, 0, 100000);
        frame->OnCommand(ID_COMPARE);
        partner.Vanish();
        ASSERT_EQ(partner.placed.size(), 1u);
        EXPECT_EQ(partner.placed[0], right);
        EXPECT_EQ(frame->frameGeometry(), left);
    }
    {
        // On a tie the partner takes the left half.
        FakePartner partner({1, 3}, 0, frame->frameGeometry().center().x());
        frame->OnCommand(ID_COMPARE);
        partner.Vanish();
        ASSERT_EQ(partner.placed.size(), 1u);
        EXPECT_EQ(partner.placed[0], left);
        EXPECT_EQ(frame->frameGeometry(), right);
    }
}

TEST_F(CompareControllerTest, TheWindowAnswersOtherCopiesRequests) {
    Open({0x10, 0x20, 0x30, 0x40});
    frame->Differences().Add(3);
    FakePartner other({});
    const std::string endpoint = frame->Channel().Endpoint();
    ASSERT_FALSE(endpoint.empty());
    EXPECT_EQ(other.SendFromPartner(endpoint, kCompare, kIdentify, 0), kIdentifyAnswer);
    EXPECT_EQ(other.SendFromPartner(endpoint, kCompare, kDataSize, 0), 4);
    EXPECT_EQ(other.SendFromPartner(endpoint, kCompare, kMoveCursor, 2), 1);
    EXPECT_EQ(Cursor(), 2u);
    EXPECT_EQ(other.SendFromPartner(endpoint, kCompare, kCursor, 0), 2);
    EXPECT_EQ(other.SendFromPartner(endpoint, kCompare, kClearDifferences, 0), 1);
    EXPECT_TRUE(frame->DiffOffsets().empty());
    EXPECT_EQ(other.SendFromPartner(endpoint, kCompare, kAddDifference, 1), 1);
    EXPECT_EQ(OurDifferences(), Offsets{1});
    // Drawn once the requests stop coming.
    const QColor different = CDataPainter::Color(frame->Settings().bkColor[5]);
    EXPECT_TRUE(QTest::qWaitFor([&] { return SurfaceColour(1) == different; }, 2000));
    EXPECT_FALSE(View()->IsDeferred());
    EXPECT_EQ(other.SendFromPartner(endpoint, kCompare, 9, 0), 0);

    const QRect target(30, 40, 700, 500);
    EXPECT_EQ(other.SendFromPartner(endpoint, kWindow, kPlaceWindow, CCompareController::PackRect(target)),
              1);
    EXPECT_EQ(frame->frameGeometry(), target);
    EXPECT_EQ(other.SendFromPartner(endpoint, kWindow, kWindowCentreX, 0), target.center().x());
}

TEST_F(CompareControllerTest, RectanglesSurviveTheirPacking) {
    for (const QRect& r : {QRect(0, 0, 640, 800), QRect(-1920, -5, 1920, 1080), QRect(32767, 1, 1, 32767)}) {
        EXPECT_EQ(CCompareController::UnpackRect(CCompareController::PackRect(r)), r);
    }
}

class CompareDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        savedLanguage = CTextTable::Language();
        CTextTable::SetLanguage(1);
    }
    void TearDown() override { CTextTable::SetLanguage(savedLanguage); }
    static void Show(QDialog& dialog) {
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }
    int savedLanguage = 0;
};

TEST_F(CompareDialogsTest, OptionsDefaultsAndKeyboard) {
    const QString longTitle = "KIVRAN - " + QString(300, 'x');
    CCompareOptDlg dialog({"KIVRAN - a.bin", longTitle});
    EXPECT_EQ(dialog.windowTitle(), "Compare another KIVRAN");
    auto* list = dialog.findChild<QListWidget*>("partners");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text().size(), 255);
    EXPECT_EQ(dialog.findChild<QRadioButton*>("fromTop")->text(), "From top");
    EXPECT_EQ(dialog.findChild<QRadioButton*>("fromCursor")->text(), "From cursor");
    EXPECT_EQ(dialog.findChild<QCheckBox*>("putColor")->text(), "Put color");
    EXPECT_EQ(dialog.Partner(), 0);
    EXPECT_EQ(dialog.StartPosition(), 0);
    EXPECT_TRUE(dialog.PutColor());

    Show(dialog);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(dialog.Partner(), 1);
    // Tab reaches the start position, Down chooses From cursor, Tab and Space take the colours off.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(dialog.StartPosition(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_FALSE(dialog.PutColor());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(CompareDialogsTest, OptionsInJapaneseKeepTheirOwnTexts) {
    CTextTable::SetLanguage(0);
    CCompareOptDlg dialog({"KIVRAN"});
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("他のKIVRANと比較"));
    EXPECT_EQ(dialog.findChild<QCheckBox*>("putColor")->text(),
              QString::fromUtf8("不一致データに色をつける"));
}

TEST_F(CompareDialogsTest, StepDialogButtons) {
    struct Case {
        const char* button; // null: a key instead
        Qt::Key key;
        int result;
    };
    const Case cases[] = {
        {nullptr, Qt::Key_Return, CCompareNextDlg::kNext},
        {nullptr, Qt::Key_Escape, CCompareNextDlg::kCancel},
        {"next", Qt::Key_unknown, CCompareNextDlg::kNext},
        {"nonStop", Qt::Key_unknown, CCompareNextDlg::kNonStop},
        {"cancel", Qt::Key_unknown, CCompareNextDlg::kCancel},
    };
    for (const Case& c : cases) {
        CCompareNextDlg dialog;
        EXPECT_EQ(dialog.windowTitle(), "Comparing another KIVRAN");
        EXPECT_EQ(dialog.ResultCode(), CCompareNextDlg::kCancel);
        Show(dialog);
        if (c.button) {
            QTest::mouseClick(dialog.findChild<QPushButton*>(c.button), Qt::LeftButton);
        } else {
            QTest::keyClick(QApplication::focusWidget(), c.key);
        }
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.ResultCode(), c.result) << (c.button ? c.button : "key");
    }
    CCompareNextDlg dialog;
    EXPECT_EQ(dialog.findChild<QPushButton*>("nonStop")->text(), "Non stop");
}

} // namespace

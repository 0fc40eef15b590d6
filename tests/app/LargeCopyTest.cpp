#include "FrameFixture.h"

#include "view/CEditActions.h"
#include "view/CLongTaskProgress.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QProgressDialog>
#include <QTimer>

namespace {

class LargeCopyTest : public FrameFixture {
protected:
    void TearDown() override {
        CEditActions::SetCopyTextLimit(CEditActions::kDefaultCopyTextLimit);
        CLongTaskProgress::SetShowDelayMs(500);
        FrameFixture::TearDown();
    }
    void SelectAll() {
        Pane().selAnchor = 0;
        Pane().selEnd = frame->Store().GetDataSize();
    }
};

TEST_F(LargeCopyTest, ASelectionWhoseTextIsTooLongIsRefusedAndNothingIsCopied) {
    Open(4096);
    QGuiApplication::clipboard()->setText("before");
    // 4096 bytes in 1BYTE HEX make 256 rows of 5 + 48 + 2 characters.
    CEditActions::SetCopyTextLimit(256 * 55 - 1);
    SelectAll();
    Key(Qt::Key_C, Qt::ControlModifier);
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages[0], "The selection is too large to copy.");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
    EXPECT_FALSE(frame->CopyBlock().IsOpen()) << "the bytes are not copied either";

    // Cut of such a selection deletes nothing.
    Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(frame->Store().GetDataSize(), 4096u);

    CEditActions::SetCopyTextLimit(256 * 55);
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(prompt.messages.size(), 2) << "the Cut was refused in the same words; the copy says nothing";
    EXPECT_EQ(QGuiApplication::clipboard()->text().size(), 256 * 55);
    EXPECT_TRUE(frame->CopyBlock().IsOpen());
    EXPECT_EQ(frame->CopyBlock().Count(), 4096u);
}

TEST_F(LargeCopyTest, ALongCopyShowsItsProgressAndEscStopsIt) {
    Open(4 << 20);
    QGuiApplication::clipboard()->setText("before");
    CLongTaskProgress::SetShowDelayMs(0);
    SelectAll();
    bool dialogSeen = false;
    // Esc on the progress dialog once it shows, as the user would press it.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (dialog != nullptr && dialog->isVisible() && !dialogSeen) {
            dialogSeen = true;
            QTest::keyClick(dialog, Qt::Key_Escape);
        }
    });
    poll.start(0);
    frame->Edit().Copy();
    poll.stop();
    EXPECT_TRUE(dialogSeen);
    EXPECT_TRUE(prompt.messages.isEmpty()) << "a cancelled copy says nothing";
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
    EXPECT_FALSE(frame->CopyBlock().IsOpen());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the dialog is gone";

    // Uncancelled, the same copy completes.
    dialogSeen = true;
    frame->Edit().Copy();
    const QString text = QGuiApplication::clipboard()->text();
    // 0x400000 bytes: six address digits, a space, sixteen cells and the line break.
    EXPECT_EQ(text.size(), (4 << 20) / 16 * (6 + 1 + 48 + 2));
    EXPECT_TRUE(text.startsWith("000000  00 01 02 03"));
    EXPECT_TRUE(frame->CopyBlock().IsOpen());
    EXPECT_EQ(frame->CopyBlock().Count(), 4u << 20);
}

} // namespace

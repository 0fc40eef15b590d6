#include "FrameFixture.h"

#include "settings/CommandIds.h"
#include "view/CCmdRadioButton.h"
#include "view/CColorStsBar.h"
#include "view/CJumpDlg.h"
#include "view/CLongTaskProgress.h"
#include "view/CMyDialogBar.h"
#include "view/CScrollMapping.h"
#include "view/CStatusPanes.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QProgressDialog>
#include <QScrollBar>
#include <QTimer>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

// Data of any size: files far beyond 4 GiB read from disk on demand, and library memory of any size. Rows,
// scroll bars, jumps, the status panes and the search all work up to the last byte.
namespace {

const uint64_t kGiB = uint64_t{1} << 30;

TEST(ScrollMapping, RowsMapOntoTheBarAndBack) {
    const uint64_t range = static_cast<uint64_t>(CScrollMapping::kBarRange);
    const uint64_t maxRows[] = {0,
                                1,
                                999,
                                range - 1,
                                range,
                                range + 1,
                                3 * range + 7,
                                100 * kGiB / 16 - 30,
                                (uint64_t{1} << 59) + 12345};
    for (uint64_t maxRow : maxRows) {
        SCOPED_TRACE(maxRow);
        const int barMax = CScrollMapping::BarMaximum(maxRow);
        EXPECT_EQ(static_cast<uint64_t>(barMax), std::min(maxRow, range));
        // Both ends are reachable, and only the last row puts the bar at its maximum.
        EXPECT_EQ(CScrollMapping::BarFromRow(0, maxRow), 0);
        EXPECT_EQ(CScrollMapping::BarFromRow(maxRow, maxRow), barMax);
        EXPECT_EQ(CScrollMapping::RowFromBar(0, maxRow), 0u);
        EXPECT_EQ(CScrollMapping::RowFromBar(barMax, maxRow), maxRow);
        if (maxRow > 0) {
            EXPECT_LT(CScrollMapping::BarFromRow(maxRow - 1, maxRow), barMax);
        }
        // A bar position gives a row that shows as that position again; positions keep their order.
        for (int position : {1, barMax / 3, barMax / 2, barMax - 1}) {
            if (position <= 0 || position >= barMax) {
                continue;
            }
            const uint64_t row = CScrollMapping::RowFromBar(position, maxRow);
            EXPECT_EQ(CScrollMapping::BarFromRow(row, maxRow), position);
            EXPECT_LT(row, CScrollMapping::RowFromBar(position + 1, maxRow));
            if (maxRow <= range) {
                EXPECT_EQ(row, static_cast<uint64_t>(position)) << "rows are counted one to one";
            }
        }
    }
}

TEST(StatusPanes, AddressTextsShowEveryDigit) {
    struct Case {
        uint64_t cursor;
        int decimal;
        const char* text;
    };
    const Case cases[] = {
        {0xA, 0, "0x0000000A"},
        {0xFFFFFFFF, 0, "0xFFFFFFFF"},
        {0x100000000, 0, "0x100000000"},
        {0x17FFFFFFB, 0, "0x17FFFFFFB"},
        {UINT64_MAX, 0, "0xFFFFFFFFFFFFFFFF"},
        {16, 1, "16"},
        {0x80000000, 1, "2147483648"},
        {0x17FFFFFFB, 1, "6442450939"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CStatusPanes::AddressText(c.cursor, c.decimal), c.text);
    }
}

class LargeDataViewTest : public FrameFixture {
protected:
    void TearDown() override {
        CLongTaskProgress::SetShowDelayMs(500);
        if (!path.empty()) {
            ::unlink(path.c_str());
        }
        FrameFixture::TearDown();
    }

    // Opens a sparse file of size bytes with some bytes written into it; false when the file system refuses
    // such a size. The memory limit keeps it on disk.
    bool OpenSparse(uint64_t size, const std::vector<std::pair<uint64_t, std::string>>& writes = {}) {
        path = env.exeDir + "/sparse.bin";
        const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
        if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
            if (fd >= 0) {
                ::close(fd);
            }
            return false;
        }
        for (const auto& write : writes) {
            Write(fd, write.first, write.second);
        }
        ::close(fd);
        EXPECT_TRUE(frame->OpenFile(QString::fromStdString(path), false));
        QApplication::processEvents();
        EXPECT_EQ(frame->StatusBarPanes()->PaneText(CMainFrame::kPaneMemory), "DIRECT");
        EXPECT_EQ(frame->Store().GetDataSize(), size);
        return true;
    }
    void Write(uint64_t at, const std::string& bytes) {
        const int fd = ::open(path.c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        Write(fd, at, bytes);
        ::close(fd);
    }
    static void Write(int fd, uint64_t at, const std::string& bytes) {
        ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(at)),
                  static_cast<ssize_t>(bytes.size()));
    }

    QScrollBar* Bar() { return frame->VScroll(0); }
    QString PaneText(int pane) { return frame->StatusBarPanes()->PaneText(pane); }
    // The bytes the view read for the current pane, from offset on.
    std::string Shown(uint64_t offset, size_t length) {
        const PaneView& view = View()->View(0);
        if (offset < view.firstOffset || offset - view.firstOffset + length > view.count) {
            return std::string();
        }
        const auto begin = view.bytes.begin() + static_cast<std::ptrdiff_t>(offset - view.firstOffset);
        return std::string(begin, begin + static_cast<std::ptrdiff_t>(length));
    }
    // Runs a command that opens the jump dialog and fills it in.
    void JumpTo(const QString& address, const QString& offset = "0") {
        QTimer::singleShot(0, [address, offset] {
            auto* dialog = qobject_cast<CJumpDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->AddressField()->setText(address);
            dialog->OffsetField()->setText(offset);
            dialog->accept();
        });
        frame->OnCommand(ID_JUMP_TO);
        QApplication::processEvents();
    }
    // The cursor is on a row of the pane, and the caret is drawn on its cell.
    void ExpectCursorShown() {
        EXPECT_TRUE(View()->IsVisible(0, Cursor()));
        EXPECT_FALSE(View()->CaretRect().isEmpty());
    }

    std::string path;
};

TEST_F(LargeDataViewTest, EndHomePagesAndTheThumbReachEveryRowOfAHugeFile) {
    const uint64_t size = 100 * kGiB;
    if (!OpenSparse(size, {{size - 3, "END"}, {0, "TOP"}})) {
        GTEST_SKIP() << "the file system refuses a sparse file of 100 GiB";
    }
    const int rows = View()->PaneRows(0);
    ASSERT_GT(rows, 4);
    const uint64_t maxTop = size / 16 - static_cast<uint64_t>(rows);
    ASSERT_TRUE(Bar()->isEnabled());

    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(Cursor(), size - 1);
    ExpectCursorShown();
    EXPECT_EQ(View()->TopRow(0), maxTop);
    EXPECT_EQ(Bar()->value(), Bar()->maximum());
    EXPECT_EQ(Shown(size - 3, 3), "END") << "the last row is read and drawn";
    EXPECT_EQ(PaneText(CMainFrame::kPaneAddress), "0x18FFFFFFFF");

    // Pages and lines move exact rows, although a bar position stands for several rows here.
    Key(Qt::Key_PageUp);
    EXPECT_EQ(View()->TopRow(0), maxTop - static_cast<uint64_t>(rows - 1));
    EXPECT_EQ(Cursor(), size - 1 - static_cast<uint64_t>(rows - 1) * 16);
    ExpectCursorShown();
    Bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(View()->TopRow(0), maxTop - static_cast<uint64_t>(rows - 2));
    Bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(View()->TopRow(0), maxTop);
    EXPECT_EQ(Bar()->value(), Bar()->maximum());

    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(Cursor(), 0u);
    ExpectCursorShown();
    EXPECT_EQ(View()->TopRow(0), 0u);
    EXPECT_EQ(Bar()->value(), 0);
    EXPECT_EQ(Shown(0, 3), "TOP");

    // The thumb: to the end, to the middle (a proportional row), back to the start.
    Bar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(View()->TopRow(0), maxTop);
    EXPECT_EQ(Shown(size - 3, 3), "END");
    Bar()->setSliderPosition(Bar()->maximum() / 2);
    const double middle = static_cast<double>(View()->TopRow(0)) / static_cast<double>(maxTop);
    EXPECT_NEAR(middle, 0.5, 0.001);
    EXPECT_EQ(Bar()->value(), Bar()->maximum() / 2);
    Bar()->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(View()->TopRow(0), 0u);
    EXPECT_EQ(Cursor(), 0u) << "the scroll bar alone leaves the cursor";
}

// 1BYTE BIT shows one byte a row: as many rows as bytes.
TEST_F(LargeDataViewTest, OneByteRowsOfAHugeFileReachTheEndToo) {
    const uint64_t size = 100 * kGiB;
    if (!OpenSparse(size, {{size - 1, "Z"}})) {
        GTEST_SKIP() << "the file system refuses a sparse file of 100 GiB";
    }
    QTest::mousePress(frame->SizeTypeBar()->TypeButton(0), Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_EQ(frame->Layout().TotalRows(size), size);
    const uint64_t rows = static_cast<uint64_t>(View()->PaneRows(0));
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(Cursor(), size - 1);
    ExpectCursorShown();
    EXPECT_EQ(View()->TopRow(0), size - rows);
    EXPECT_EQ(Shown(size - 1, 1), "Z");
    Key(Qt::Key_Up);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(View()->TopRow(0), size - rows - (rows - 1));
    EXPECT_EQ(Cursor(), size - 2 - (rows - 1));
    Key(Qt::Key_PageDown);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(View()->TopRow(0), size - rows) << "the last page stops at the last row";
    EXPECT_EQ(Bar()->value(), Bar()->maximum());
}

TEST_F(LargeDataViewTest, JumpsBeyond4GiBLandOnTheirRowAndTheAddressesShowInFull) {
    const uint64_t size = 100 * kGiB;
    const uint64_t target = 0x123456789A;
    if (!OpenSparse(size, {{target, "MARK"}})) {
        GTEST_SKIP() << "the file system refuses a sparse file of 100 GiB";
    }
    // 0x1900000000: ten address digits.
    EXPECT_EQ(View()->Geometry().addressDigits, 10);
    JumpTo("123456789A");
    EXPECT_EQ(Cursor(), target);
    ExpectCursorShown();
    EXPECT_EQ(Shown(target, 4), "MARK");
    EXPECT_EQ(PaneText(CMainFrame::kPaneAddress), "0x123456789A");

    // An address and offset whose sum passes 2^64 go to the last byte, not around to the start.
    JumpTo("FFFFFFFFFFFFFFFF", "2");
    EXPECT_EQ(Cursor(), size - 1);
    ExpectCursorShown();

    frame->OnCommand(ID_ADDRESS_DEC);
    EXPECT_EQ(View()->Geometry().addressDigits, 12) << "107374182400";
    JumpTo("78187493530");
    EXPECT_EQ(Cursor(), target);
    EXPECT_EQ(PaneText(CMainFrame::kPaneAddress), "78187493530");
}

TEST_F(LargeDataViewTest, StatusPanesFitSixGiB) {
    const uint64_t size = 6 * kGiB;
    if (!OpenSparse(size)) {
        GTEST_SKIP() << "the file system refuses a sparse file of 6 GiB";
    }
    JumpTo("17FFFFFFB");
    EXPECT_EQ(Cursor(), 0x17FFFFFFBu);
    EXPECT_EQ(PaneText(CMainFrame::kPaneAddress), "0x17FFFFFFB");
    EXPECT_EQ(PaneText(CMainFrame::kPaneSize), "6,442,450,944 bytes");
    CColorStsBar* bar = frame->StatusBarPanes();
    const QFontMetrics metrics(bar->font());
    for (int pane : {CMainFrame::kPaneSize, CMainFrame::kPaneAddress}) {
        EXPECT_GE(bar->PaneRect(pane).width(), metrics.horizontalAdvance(bar->PaneText(pane))) << pane;
        EXPECT_LT(bar->PaneRect(pane).right(), bar->PaneRect(pane + 1).left()) << "panes do not overlap";
    }
}

TEST_F(LargeDataViewTest, ALongSearchShowsProgressAndEscStopsItWhereTheCursorWas) {
    const uint64_t size = 100 * kGiB;
    if (!OpenSparse(size)) {
        GTEST_SKIP() << "the file system refuses a sparse file of 100 GiB";
    }
    CLongTaskProgress::SetShowDelayMs(0);
    frame->Search().History().Remember("KVRMK", 9);
    const uint64_t cursor = 50 * kGiB;
    frame->MoveCursorTo(cursor);
    for (int command : {ID_SEARCH_FORWARD, ID_SEARCH_BACKWARD}) {
        // Esc on the progress dialog once it shows, as the user would press it.
        bool dialogSeen = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
            if (dialog != nullptr && dialog->isVisible() && !dialogSeen) {
                dialogSeen = true;
                QTest::keyClick(dialog, Qt::Key_Escape);
            }
        });
        poll.start(0);
        frame->OnCommand(command);
        poll.stop();
        EXPECT_TRUE(dialogSeen) << command;
        EXPECT_EQ(Cursor(), cursor) << command;
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the dialog is gone";
    }

    // Not stopped, a search through DIRECT data finds the marker near the end and shows it.
    Write(size - 100, "KVRMK");
    frame->MoveCursorTo(size - 64 * 1024 * 1024);
    frame->OnCommand(ID_SEARCH_FORWARD);
    EXPECT_EQ(Cursor(), size - 100);
    ExpectCursorShown();
    EXPECT_EQ(Shown(size - 100, 5), "KVRMK");
    frame->MoveCursorTo(size - 1);
    Write(size - 30 * 1024 * 1024, "KVRMK");
    frame->OnCommand(ID_SEARCH_BACKWARD);
    EXPECT_EQ(Cursor(), size - 100);
    frame->OnCommand(ID_SEARCH_BACKWARD);
    EXPECT_EQ(Cursor(), size - 30 * 1024 * 1024);
}

// A library's memory of 100 000 000 000 bytes: the example library answers for its first 4096 bytes.
class LargeLibraryViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        const std::string library = std::string(KIVRAN_LIB_DIR) + "/libkvrdll.so";
        ASSERT_EQ(::access(library.c_str(), R_OK), 0) << library << " missing";
        frame = std::make_unique<CMainFrame>(&prompt);
        frame->Settings().optionFlags = 2;
        frame->Settings().language = 1;
        frame->Settings().keyTable = CKeyTable::DefaultTable();
        frame->Settings().mode = 1;
        frame->Settings().dllFileName = library;
        frame->Settings().dllMemorySize = 100000000000LL;
        frame->Settings().dllSymbolFile.clear();
        ASSERT_TRUE(frame->Create());
        frame->BuildAccelerators();
        frame->resize(900, 600);
        frame->show();
        QApplication::setActiveWindow(frame.get());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    }
    void TearDown() override {
        frame->close();
        frame.reset();
    }

    TestEnvironment env;
    FakePrompt prompt;
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(LargeLibraryViewTest, EndAndHomeOfTheLibraryMemoryAreShown) {
    ASSERT_EQ(frame->StatusBarPanes()->PaneText(CMainFrame::kPaneSource), "DLL");
    ASSERT_EQ(frame->Store().GetDataSize(), 100000000000u);
    CDataView* view = frame->DataView();
    QScrollBar* bar = frame->VScroll(0);
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    const PaneSelection& pane = frame->Store().Pane(0);
    EXPECT_EQ(pane.cursor, 100000000000u - 1);
    EXPECT_TRUE(view->IsVisible(0, pane.cursor));
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(view->TopRow(0), 100000000000u / 16 - static_cast<uint64_t>(view->PaneRows(0)));
    EXPECT_EQ(frame->StatusBarPanes()->PaneText(CMainFrame::kPaneAddress), "0x174876E7FF");
    EXPECT_EQ(frame->StatusBarPanes()->PaneText(CMainFrame::kPaneSize), "100,000,000,000 bytes");
    QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(pane.cursor, 0u);
    EXPECT_EQ(view->TopRow(0), 0u);
    EXPECT_EQ(bar->value(), 0);
}

} // namespace

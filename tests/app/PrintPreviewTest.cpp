#include "FrameFixture.h"
#include "PdfText.h"

#include "print/CPrevJumpDlg.h"
#include "print/CPreviewDlg.h"
#include "print/CPreviewFrm.h"
#include "print/CPrintDialogs.h"
#include "print/CPrnLayout.h"
#include "settings/CTextTable.h"
#include "settings/CommandIds.h"
#include "view/CPrintController.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QWheelEvent>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Answers the print, set-up and font dialogs and records what they were asked.
class FakePrintDialogs : public CPrintDialogs {
public:
    bool ChoosePrint(QWidget*, QPrinter& printer, PrintChoice& choice) override {
        ++prints;
        askedMaxPage = choice.maxPage;
        fileAtDialog = printer.outputFileName();
        if (!accept) {
            return false;
        }
        choice.fromPage = fromPage;
        choice.toPage = toPage;
        choice.copies = copies;
        choice.collate = collate;
        return true;
    }
    bool SetupPrinter(QWidget*, QPrinter& printer) override {
        ++setups;
        if (!accept) {
            return false;
        }
        if (setup) {
            setup(printer);
        }
        return true;
    }
    bool ChooseFont(QWidget*, LogFont& chosen) override {
        ++fonts;
        chosen = font;
        return accept;
    }

    bool accept = true;
    int64_t fromPage = 0;
    int64_t toPage = 0;
    int copies = 1;
    bool collate = true;
    std::function<void(QPrinter&)> setup;
    LogFont font;
    int prints = 0;
    int setups = 0;
    int fonts = 0;
    int64_t askedMaxPage = 0;
    QString fileAtDialog;
};

class PrintPreviewTest : public FrameFixture {
protected:
    void SetUp() override {
        FrameFixture::SetUp();
        Printing().SetDialogs(&dialogs);
    }
    void TearDown() override {
        Printing().ClosePreview();
        Printing().SetDialogs(nullptr);
        FrameFixture::TearDown();
    }

    CPrintController& Printing() { return frame->Printing(); }
    CPreviewFrm* Preview() { return Printing().PreviewWindow(); }

    // Opens data that fills exactly `pages` pages, the last one with one row.
    void OpenPages(int64_t pages) {
        Open(16);
        int64_t count = 0;
        ASSERT_TRUE(Printing().CountPages(count));
        rowsPerPage = Printing().Document().RowsPerPage(Printing().PreviewGeometry());
        ASSERT_GT(rowsPerPage, 5);
        Open(static_cast<size_t>(rowsPerPage * 16 * (pages - 1) + 16));
    }
    void OpenPreview() {
        frame->OnCommand(ID_FILE_PRINT_PREVIEW);
        ASSERT_NE(Preview(), nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Preview()));
    }
    QPushButton* Button(CPreviewDlg::Button which) { return Preview()->ButtonBar()->ButtonAt(which); }
    void Click(CPreviewDlg::Button which) {
        QTest::mouseClick(Button(which), Qt::LeftButton);
        QApplication::processEvents();
    }
    // Runs act on the next modal dialog of type T once it is open.
    template <typename T> void WhenModal(std::function<void(T*)> act) {
        auto* timer = new QTimer(frame.get());
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, [timer, act] {
            if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
                timer->stop();
                timer->deleteLater();
                act(dialog);
            }
        });
        timer->start();
    }
    // Grabs the window as it would be shown, painting it.
    QImage Shot() { return Preview()->grab().toImage(); }

    FakePrintDialogs dialogs;
    int64_t rowsPerPage = 0;
};

TEST_F(PrintPreviewTest, OneWindowWithTheMainWindowsRectangleTitleAndIndicator) {
    OpenPages(10);
    OpenPreview();
    CPreviewFrm* preview = Preview();
    EXPECT_EQ(preview->windowTitle(), "Preview");
    EXPECT_EQ(preview->PageCount(), 10);
    EXPECT_EQ(preview->Indicator()->text(), "Page 1/10");
    EXPECT_EQ(preview->geometry(), frame->geometry());
    EXPECT_TRUE(preview->isWindow());
    EXPECT_EQ(Button(CPreviewDlg::kPrint)->text(), "Print");
    EXPECT_EQ(Button(CPreviewDlg::kTwoPages)->text(), "2 Pages");
    EXPECT_EQ(Button(CPreviewDlg::kClose)->text(), "Close");
    // Without a printer the page is an A4 sheet at the screen's resolution.
    EXPECT_NEAR(preview->PageWidth(), 210 / 25.4 * 96, 2);
    EXPECT_NEAR(preview->PageHeight(), 297 / 25.4 * 96, 2);

    frame->OnCommand(ID_FILE_PRINT_PREVIEW);
    EXPECT_EQ(Preview(), preview);
}

TEST_F(PrintPreviewTest, InJapaneseTheWindowKeepsItsOwnTexts) {
    OpenPages(2);
    CTextTable::SetLanguage(0);
    OpenPreview();
    CTextTable::SetLanguage(1);
    EXPECT_EQ(Preview()->windowTitle(), QString::fromUtf8("ﾌﾟﾚﾋﾞｭｰ"));
    EXPECT_EQ(Preview()->Language(), 0);
    const char* const texts[] = {"印刷", "次ページ", "前ページ",   "ジャンプ", "2ページ表示",
                                 "拡大", "縮小",     "レイアウト", "閉じる"};
    for (int i = 0; i < CPreviewDlg::kButtonCount; ++i) {
        EXPECT_EQ(Button(static_cast<CPreviewDlg::Button>(i))->text(), QString::fromUtf8(texts[i])) << i;
    }
    Click(CPreviewDlg::kTwoPages);
    EXPECT_EQ(Button(CPreviewDlg::kTwoPages)->text(), QString::fromUtf8("1ページ表示"));
}

TEST_F(PrintPreviewTest, NextAndPrevStopAtTheEnds) {
    OpenPages(10);
    OpenPreview();
    EXPECT_FALSE(Button(CPreviewDlg::kPrev)->isEnabled());
    EXPECT_TRUE(Button(CPreviewDlg::kNext)->isEnabled());
    Click(CPreviewDlg::kNext);
    EXPECT_EQ(Preview()->CurrentPage(), 1);
    EXPECT_EQ(Preview()->Indicator()->text(), "Page 2/10");
    EXPECT_TRUE(Button(CPreviewDlg::kPrev)->isEnabled());

    Preview()->Jump(CPrevJumpDlg::kJumpToPage, 9);
    EXPECT_EQ(Preview()->Indicator()->text(), "Page 10/10");
    EXPECT_FALSE(Button(CPreviewDlg::kNext)->isEnabled());
    Preview()->Next();
    EXPECT_EQ(Preview()->CurrentPage(), 9);
    // Indexes outside the pages are ignored.
    for (int64_t index : {int64_t{10}, int64_t{-1}, int64_t{1} << 40}) {
        Preview()->Jump(CPrevJumpDlg::kJumpToPage, index);
        EXPECT_EQ(Preview()->CurrentPage(), 9);
    }
    Click(CPreviewDlg::kPrev);
    EXPECT_EQ(Preview()->CurrentPage(), 8);
}

TEST_F(PrintPreviewTest, ZoomStepsAndTwoPages) {
    OpenPages(10);
    OpenPreview();
    CPreviewFrm* preview = Preview();
    const double factors[] = {0.6, 0.8, 1.0};
    EXPECT_FALSE(Button(CPreviewDlg::kZoomOut)->isEnabled());
    for (int level = 0; level < 3; ++level) {
        EXPECT_EQ(preview->ZoomLevel(), level);
        const QRect page = preview->PageRectOfSlot(0);
        EXPECT_EQ(page.width(), static_cast<int>(preview->PageWidth() * factors[level]));
        EXPECT_EQ(page.height(), static_cast<int>(preview->PageHeight() * factors[level]));
        // One page is centred in the area.
        const QRect area = preview->PageArea();
        EXPECT_LE(std::abs(page.center().x() - area.center().x()), 1);
        EXPECT_EQ(page.top(), area.top() + CPreviewFrm::kTopMargin - preview->ScrollBar()->value());
        if (level < 2) {
            Click(CPreviewDlg::kZoomIn);
        }
    }
    EXPECT_FALSE(Button(CPreviewDlg::kZoomIn)->isEnabled());
    EXPECT_TRUE(Button(CPreviewDlg::kZoomOut)->isEnabled());
    preview->ZoomIn();
    EXPECT_EQ(preview->ZoomLevel(), 2);

    Click(CPreviewDlg::kTwoPages);
    EXPECT_TRUE(preview->TwoPages());
    EXPECT_EQ(preview->ZoomLevel(), 0);
    EXPECT_EQ(Button(CPreviewDlg::kTwoPages)->text(), QString::fromUtf8("1　Page"));
    EXPECT_EQ(preview->Indicator()->text(), "Page 1-2/10");
    const QRect left = preview->PageRectOfSlot(0);
    const QRect right = preview->PageRectOfSlot(1);
    const int centre = preview->PageArea().left() + preview->PageArea().width() / 2;
    EXPECT_EQ(left.left() + left.width(), centre - CPreviewFrm::kPageGap / 2);
    EXPECT_EQ(right.left(), centre + CPreviewFrm::kPageGap / 2);
    // Paging moves by one page; on the last page the right slot stays empty.
    Click(CPreviewDlg::kNext);
    EXPECT_EQ(preview->Indicator()->text(), "Page 2-3/10");
    preview->Jump(CPrevJumpDlg::kJumpToPage, 9);
    EXPECT_EQ(preview->Indicator()->text(), "Page 10/10");
    EXPECT_TRUE(preview->PageRectOfSlot(1).isEmpty());

    Click(CPreviewDlg::kTwoPages);
    EXPECT_FALSE(preview->TwoPages());
    EXPECT_EQ(Button(CPreviewDlg::kTwoPages)->text(), "2 Pages");
}

TEST_F(PrintPreviewTest, PagesAreRenderedOncePerSlotUntilPaging) {
    OpenPages(4);
    OpenPreview();
    CPreviewFrm* preview = Preview();
    QImage shot = Shot();
    const int first = preview->RenderCount();
    EXPECT_GE(first, 1);
    Shot();
    Click(CPreviewDlg::kZoomIn);
    Shot();
    EXPECT_EQ(preview->RenderCount(), first) << "zoom and repaint use the cached page";
    Click(CPreviewDlg::kNext);
    shot = Shot();
    EXPECT_EQ(preview->RenderCount(), first + 1);

    // Grey around the page, a black frame one pixel outside it, white paper with print inside.
    const QRect page = preview->PageRectOfSlot(0);
    const QRect area = preview->PageArea();
    ASSERT_TRUE(area.contains(page.adjusted(-1, -1, 1, 0).topLeft()));
    EXPECT_EQ(shot.pixelColor(area.left() + 2, area.top() + 2), QColor(128, 128, 128));
    EXPECT_EQ(shot.pixelColor(page.left() - 1, page.top() + 40), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(page.left() + 2, page.top() + 2), QColor(Qt::white));
    int ink = 0;
    for (int y = page.top(); y < std::min(page.bottom(), area.bottom()); ++y) {
        for (int x = page.left(); x < page.left() + page.width(); ++x) {
            ink += shot.pixelColor(x, y).lightness() < 128 ? 1 : 0;
        }
    }
    EXPECT_GT(ink, 100) << "the page's rows are drawn";
    // The bars keep their own background.
    const QRect status = preview->Indicator()->parentWidget()->geometry();
    EXPECT_EQ(shot.pixelColor(status.right() - 2, status.center().y()),
              preview->palette().color(QPalette::Window));

    Click(CPreviewDlg::kTwoPages);
    Shot();
    EXPECT_EQ(preview->RenderCount(), first + 3);
}

TEST_F(PrintPreviewTest, TheScrollBarCoversAPageTallerThanTheWindow) {
    OpenPages(2);
    OpenPreview();
    CPreviewFrm* preview = Preview();
    preview->resize(700, 2000);
    QApplication::processEvents();
    EXPECT_TRUE(preview->ScrollBar()->isHidden());
    EXPECT_EQ(preview->ScrollBar()->value(), 0);

    preview->resize(700, 500);
    Click(CPreviewDlg::kZoomIn);
    Click(CPreviewDlg::kZoomIn);
    QScrollBar* bar = preview->ScrollBar();
    ASSERT_FALSE(bar->isHidden());
    const int visible = preview->PageArea().height();
    EXPECT_EQ(bar->maximum(), preview->PageHeight() + 2 * CPreviewFrm::kTopMargin - visible);
    EXPECT_EQ(bar->singleStep(), 1);
    EXPECT_EQ(bar->pageStep(), visible / 2);
    EXPECT_EQ(bar->geometry().right(), preview->width() - 1);

    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(bar->value(), visible / 2);
    EXPECT_EQ(preview->PageRectOfSlot(0).top(),
              preview->PageArea().top() + CPreviewFrm::kTopMargin - visible / 2);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(bar->value(), visible / 2 - 1);
    bar->setValue(1 << 20);
    EXPECT_EQ(bar->value(), bar->maximum());

    // No wheel scrolling.
    const int before = bar->value();
    QWheelEvent wheel(QPointF(5, 5), bar->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(bar, &wheel);
    EXPECT_EQ(bar->value(), before);

    // Zooming out far enough hides it again.
    preview->resize(700, 900);
    Click(CPreviewDlg::kZoomOut);
    Click(CPreviewDlg::kZoomOut);
    EXPECT_TRUE(bar->isHidden());
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(PrintPreviewTest, TheJumpDialogJumpsAndStaysOpen) {
    OpenPages(10);
    OpenPreview();
    const uint64_t lastRow = frame->Store().GetDataSize() - 1;
    std::vector<int64_t> seen;
    bool stayedOpen = true;
    WhenModal<CPrevJumpDlg>([&](CPrevJumpDlg* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Page Jump");
        EXPECT_EQ(dialog->PageField()->value(), 1);
        EXPECT_EQ(dialog->PageField()->maximum(), 10);
        EXPECT_EQ(dialog->AddressField()->text(), "0");
        auto jumpTo = [&](const QString& address) {
            dialog->AddressField()->setText(address);
            QTest::mouseClick(dialog->AddressJumpButton(), Qt::LeftButton);
            seen.push_back(Preview()->CurrentPage());
        };
        const QString fourthPage = QString::number(rowsPerPage * 16 * 3, 16);
        jumpTo(fourthPage);
        jumpTo(QString::number(lastRow, 16)); // the last row: the last page
        jumpTo(fourthPage);
        jumpTo(QString::number(rowsPerPage * 16 * 10, 16)); // the page after the last: ignored
        jumpTo("zz");                                       // not hexadecimal: ignored
        jumpTo("123456789");                                // more than 4 bytes: ignored
        dialog->PageField()->setValue(7);
        QTest::mouseClick(dialog->PageJumpButton(), Qt::LeftButton);
        seen.push_back(Preview()->CurrentPage());
        QTest::mouseClick(dialog->LastPageButton(), Qt::LeftButton);
        seen.push_back(Preview()->CurrentPage());
        QTest::mouseClick(dialog->TopPageButton(), Qt::LeftButton);
        seen.push_back(Preview()->CurrentPage());
        stayedOpen = dialog->isVisible();
        QTest::mouseClick(dialog->CloseButton(), Qt::LeftButton);
    });
    Click(CPreviewDlg::kJump);
    EXPECT_EQ(seen, (std::vector<int64_t>{3, 9, 3, 3, 3, 3, 6, 9, 0}));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(PrintPreviewTest, LayoutChangesRecountThePagesAndRestartAtTheFirst) {
    OpenPages(6);
    OpenPreview();
    CPreviewFrm* preview = Preview();
    Click(CPreviewDlg::kTwoPages);
    preview->Jump(CPrevJumpDlg::kJumpToPage, 3);
    Shot();
    const int renders = preview->RenderCount();
    WhenModal<CPrnLayout>([&](CPrnLayout* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Layout");
        EXPECT_EQ(dialog->MarginField(1)->value(), 10);
        EXPECT_EQ(dialog->BetweenLineField()->value(), 5);
        EXPECT_EQ(dialog->MarginField(1)->maximum(), 9999);
        dialog->MarginField(1)->setValue(60);
        dialog->MarginField(3)->setValue(60);
        dialog->BetweenLineField()->setValue(20);
        dialog->accept();
    });
    Click(CPreviewDlg::kLayout);
    QApplication::processEvents();
    EXPECT_EQ(frame->Settings().margin[1], 60);
    EXPECT_EQ(frame->Settings().margin[3], 60);
    EXPECT_EQ(frame->Settings().betweenLine, 20);
    EXPECT_GT(preview->PageCount(), 6);
    EXPECT_EQ(preview->CurrentPage(), 0);
    EXPECT_EQ(preview->Indicator()->text(), QString("Page 1-2/%1").arg(preview->PageCount()));
    Shot();
    EXPECT_EQ(preview->RenderCount(), renders + 2);

    // Cancel changes nothing.
    const int64_t pages = preview->PageCount();
    WhenModal<CPrnLayout>([](CPrnLayout* dialog) {
        dialog->MarginField(1)->setValue(0);
        dialog->reject();
    });
    Click(CPreviewDlg::kLayout);
    QApplication::processEvents();
    EXPECT_EQ(frame->Settings().margin[1], 60);
    EXPECT_EQ(preview->PageCount(), pages);
}

TEST_F(PrintPreviewTest, TheLayoutFontButtonChangesThePrintFont) {
    OpenPages(3);
    OpenPreview();
    const int64_t pages = Preview()->PageCount();
    dialogs.font = frame->Settings().printFont;
    dialogs.font.height = -40;
    WhenModal<CPrnLayout>([](CPrnLayout* dialog) {
        QTest::mouseClick(dialog->FontButton(), Qt::LeftButton);
        dialog->accept();
    });
    Click(CPreviewDlg::kLayout);
    QApplication::processEvents();
    EXPECT_EQ(dialogs.fonts, 1);
    EXPECT_EQ(frame->Settings().printFont.height, -40);
    EXPECT_GT(Preview()->PageCount(), pages);
}

TEST_F(PrintPreviewTest, ClosingThePreviewRestoresTheMainWindow) {
    OpenPages(2);
    OpenPreview();
    frame->showMinimized();
    QApplication::processEvents();
    ASSERT_TRUE(frame->isMinimized());
    Click(CPreviewDlg::kClose);
    EXPECT_EQ(Preview(), nullptr);
    EXPECT_FALSE(frame->isMinimized());
    EXPECT_TRUE(frame->isVisible());
    // A later command opens a new preview.
    OpenPreview();
    EXPECT_EQ(Preview()->CurrentPage(), 0);
}

TEST_F(PrintPreviewTest, PrintFromThePreviewWritesThePdfChosenInTheSaveDialog) {
    OpenPages(3);
    OpenPreview();
    const std::string pdf = env.dir.path().toStdString() + "/printout.pdf";
    prompt.saveName = QString::fromStdString(pdf);
    dialogs.fromPage = 2;
    dialogs.toPage = 3;
    Click(CPreviewDlg::kPrint);
    QApplication::processEvents();
    EXPECT_EQ(Preview(), nullptr);
    EXPECT_EQ(dialogs.prints, 1);
    EXPECT_EQ(dialogs.askedMaxPage, 3);
    EXPECT_EQ(dialogs.fileAtDialog.toStdString(), pdf);
    const std::vector<std::string> pages = PdfText::Pages(pdf);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_NE(pages[0].find("- 2 / 3 -"), std::string::npos) << pages[0];
    EXPECT_NE(pages[1].find("- 3 / 3 -"), std::string::npos) << pages[1];
    EXPECT_NE(pages[0].find("data.bin"), std::string::npos);
}

TEST_F(PrintPreviewTest, CancelInTheSaveOrPrintDialogPrintsNothing) {
    OpenPages(2);
    const std::string pdf = env.dir.path().toStdString() + "/never.pdf";
    prompt.saveName.clear();
    frame->OnCommand(ID_FILE_PRINT);
    EXPECT_EQ(dialogs.prints, 0);

    prompt.saveName = QString::fromStdString(pdf);
    dialogs.accept = false;
    frame->OnCommand(ID_FILE_PRINT);
    EXPECT_EQ(dialogs.prints, 1);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(pdf)));
    EXPECT_TRUE(prompt.messages.isEmpty());

    // An unwritable file is reported.
    dialogs.accept = true;
    prompt.saveName = QString::fromStdString(env.dir.path().toStdString() + "/missing/dir/x.pdf");
    frame->OnCommand(ID_FILE_PRINT);
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages[0], "cannot write");
}

TEST_F(PrintPreviewTest, ThePrinterSettingIsKeptForLaterPreviewsAndJobs) {
    OpenPages(2);
    dialogs.accept = false;
    frame->OnCommand(ID_FILE_PRINT_SETUP);
    EXPECT_EQ(dialogs.setups, 1);
    EXPECT_EQ(Printing().KeptPrinter(), nullptr);

    dialogs.accept = true;
    dialogs.setup = [](QPrinter& printer) {
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A5), QPageLayout::Landscape,
                                          QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    };
    frame->OnCommand(ID_FILE_PRINT_SETUP);
    ASSERT_NE(Printing().KeptPrinter(), nullptr);
    OpenPreview();
    EXPECT_NEAR(Preview()->PageWidth(), 210 / 25.4 * 96, 2);
    EXPECT_NEAR(Preview()->PageHeight(), 148 / 25.4 * 96, 2);
    EXPECT_GT(Preview()->PageCount(), 2) << "a smaller sheet holds fewer rows";

    const std::string pdf = env.dir.path().toStdString() + "/a5.pdf";
    prompt.saveName = QString::fromStdString(pdf);
    frame->OnCommand(ID_FILE_PRINT);
    EXPECT_EQ(PdfText::Info(pdf, "Page size").substr(0, 9), "595 x 420") << "A5 landscape";
    EXPECT_EQ(PdfText::Info(pdf, "Pages"), std::to_string(Preview()->PageCount()));
}

} // namespace

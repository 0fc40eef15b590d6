#include "FrameFixture.h"

#include "settings/CommandIds.h"
#include "view/CCmdRadioButton.h"
#include "view/CColorStsBar.h"
#include "view/CDataPainter.h"
#include "view/CEditActions.h"
#include "view/CMyDialogBar.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class SymbolViewTest : public FrameFixture {
protected:
    struct Declaration {
        const char* type;
        const char* name;
        int64_t count;
    };
    // Lays declarations over the data as a symbol file's "$" declarations do, then lets the window follow as
    // it does after a script run.
    void Declare(std::initializer_list<Declaration> declarations) {
        CKvrVMan& symbols = frame->Symbols();
        symbols.SetBindNext(1);
        for (const Declaration& d : declarations) {
            ASSERT_EQ(symbols.RegisterVariable(d.type, d.name, d.count, 0, 0), 1) << d.name;
        }
        symbols.SetBindNext(0);
        frame->UpdateSymbolButton();
        frame->SymbolsChanged();
        QApplication::processEvents();
    }
    // $char a; $short b[3];  -> rows a (offset 0), b[0] (offsets 1, 3, 5), then 16 bytes a row from 7.
    void DeclareCharAndShorts() { Declare({{"char", "a", 0}, {"short", "b", 3}}); }
    void ClearSymbols() {
        frame->Symbols().Reset();
        frame->UpdateSymbolButton();
        frame->SymbolsChanged();
        QApplication::processEvents();
    }
    void ClickSize(int index) {
        QTest::mousePress(frame->SizeTypeBar()->SizeButton(index), Qt::LeftButton);
        QApplication::processEvents();
    }
    void ClickType(int index) {
        QTest::mousePress(frame->SizeTypeBar()->TypeButton(index), Qt::LeftButton);
        QApplication::processEvents();
    }
    QRect Cell(uint64_t offset) {
        return CDataPainter::CellRect(View()->Inputs(), View()->View(0), 0, offset);
    }
    const CViewGeometry& G() { return View()->Geometry(); }
    // Whether anything but the background colour was drawn inside a rectangle of the off-screen picture.
    bool HasInk(const QRect& rect, const QColor& background) {
        const QImage& image = View()->Surface();
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            for (int x = rect.left(); x <= rect.right(); ++x) {
                if (image.pixelColor(x, y) != background) {
                    return true;
                }
            }
        }
        return false;
    }
    QColor DataBackground() { return CDataPainter::Color(frame->Settings().bkColor[0]); }
    // Character cell k of the name column on a visible row of pane 0.
    QRect NameCell(int row, int k) {
        return QRect(G().DataStartX() + k * G().maxCharWidth, G().RowY(0, row), G().maxCharWidth,
                     G().RowHeight());
    }
    bool SymbolButtonChecked() { return frame->SizeTypeBar()->SizeButton(4)->Check(); }
};

TEST_F(SymbolViewTest, TheButtonFollowsTheSymbols) {
    Open(1000);
    CMyDialogBar* bar = frame->SizeTypeBar();
    EXPECT_TRUE(bar->SizeButton(4)->isHidden()) << "hidden while no symbols are loaded";
    ClickSize(1); // 2BYTES, to see that the symbols switch from any unit

    DeclareCharAndShorts();
    EXPECT_FALSE(bar->SizeButton(4)->isHidden());
    EXPECT_EQ(bar->SizeIndex(), 4);
    EXPECT_EQ(frame->Layout().SizeIndex(), 4);
    const int rows = View()->PaneRows(0);
    EXPECT_EQ(frame->VScroll(0)->maximum(), 65 - rows) << "2 symbol rows and 63 rows of 16 bytes";

    ClearSymbols();
    EXPECT_TRUE(bar->SizeButton(4)->isHidden());
    EXPECT_FALSE(SymbolButtonChecked());
    EXPECT_EQ(bar->SizeIndex(), 0) << "back to 1BYTE";
    EXPECT_EQ(frame->Layout().SizeIndex(), 0);
    EXPECT_EQ(frame->VScroll(0)->maximum(), 63 - rows);

    // Symbols that go while another unit is shown leave that unit alone.
    DeclareCharAndShorts();
    ClickSize(2);
    ClearSymbols();
    EXPECT_EQ(bar->SizeIndex(), 2);
    EXPECT_TRUE(bar->SizeButton(4)->isHidden());

    // A new buffer has no symbols.
    DeclareCharAndShorts();
    frame->OnCommand(ID_FILE_NEW);
    QApplication::processEvents();
    EXPECT_EQ(frame->Symbols().GetSymbolRows(), 0u);
    EXPECT_TRUE(bar->SizeButton(4)->isHidden());
    EXPECT_EQ(frame->Layout().SizeIndex(), 0);
}

TEST_F(SymbolViewTest, RowsShowTheirNamesAndElementCells) {
    Open(1000);
    const RowInfo plainRow = frame->Layout().Row(0);
    const int plainFirstCell = G().CellX(0, plainRow.cellChars);
    DeclareCharAndShorts();
    ASSERT_GE(View()->PaneRows(0), 4);
    const QColor data = DataBackground();

    // The name column is 4 wide characters: "a" on row 0, "b[0]" on row 1, nothing after the symbols.
    EXPECT_TRUE(HasInk(NameCell(0, 0), data));
    for (int k = 1; k < 4; ++k) {
        EXPECT_FALSE(HasInk(NameCell(0, k), data)) << "padding " << k;
    }
    for (int k = 0; k < 4; ++k) {
        EXPECT_TRUE(HasInk(NameCell(1, k), data)) << "b[0] character " << k;
        EXPECT_FALSE(HasInk(NameCell(2, k), data)) << "no name after the symbols " << k;
    }

    // Cells start after the name column; row 1 has three 4-digit cells, row 2 sixteen 2-digit cells.
    EXPECT_EQ(G().CellsStartX(), G().DataStartX() + 4 * G().maxCharWidth + G().hexCharWidth);
    EXPECT_GT(Cell(0).left(), plainFirstCell);
    const QRect second = Cell(3);
    EXPECT_EQ(second.left(), G().CellX(1, 4));
    EXPECT_EQ(second.width(), 4 * G().hexCharWidth);
    EXPECT_EQ(second.top(), G().RowY(0, 1));
    EXPECT_TRUE(HasInk(second, data));
    EXPECT_FALSE(HasInk(QRect(G().CellX(3, 4), G().RowY(0, 1), 4 * G().hexCharWidth, G().RowHeight()), data))
        << "b has three elements";
    EXPECT_EQ(Cell(7 + 15).left(), G().CellX(15, 2));
    EXPECT_EQ(Cell(7 + 15).top(), G().RowY(0, 2));
    EXPECT_TRUE(HasInk(Cell(7 + 15), data));

    // The header follows the cursor's row: over a row of shorts the labels stand at each 4-digit cell's end.
    View()->MoveCursorTo(0, 3);
    const QColor header = CDataPainter::Color(frame->Settings().bkColor[2]);
    const QColor inverted = CDataPainter::Inverted(frame->Settings().bkColor[2]);
    const QImage& image = View()->Surface();
    const int labelX = G().CellX(1, 4) + 3 * G().hexCharWidth;
    EXPECT_EQ(image.pixelColor(labelX + 1, 0), inverted) << "the cursor's label";
    EXPECT_EQ(image.pixelColor(G().CellX(2, 4) + 3 * G().hexCharWidth + 1, 0), header);
    EXPECT_EQ(image.pixelColor(G().CellX(3, 4) + 3 * G().hexCharWidth + 1, 0), header) << "no fourth label";
    EXPECT_FALSE(HasInk(QRect(G().CellX(3, 4), 0, 4 * G().hexCharWidth, G().RowHeight()), header));
}

TEST_F(SymbolViewTest, SymbolsPastTheDataEndWithTheLastByte) {
    Open(40);
    Declare({{"char", "d", 100}}); // 7 rows; the data ends inside row 2
    EXPECT_EQ(frame->Layout().TotalRows(40), 3u);
    EXPECT_FALSE(frame->VScroll(0)->isEnabled());
    const QColor address = CDataPainter::Color(frame->Settings().bkColor[1]);
    const QRect addressRow3(0, G().RowY(0, 3), G().AddressColumnWidth() + 2 * G().leftMargin,
                            G().RowHeight());
    EXPECT_FALSE(HasInk(addressRow3, address)) << "no row after the last byte";
    EXPECT_FALSE(HasInk(NameCell(3, 0), DataBackground()));
    // Row 2 holds offsets 32 .. 47: the cells stop at the last byte, 39.
    EXPECT_TRUE(HasInk(Cell(39), DataBackground()));
    EXPECT_FALSE(HasInk(QRect(G().CellX(8, 2), G().RowY(0, 2), 2 * G().hexCharWidth, G().RowHeight()),
                        DataBackground()));
}

TEST_F(SymbolViewTest, CursorKeysFollowRowsOfDifferentLengths) {
    Open(1000);
    DeclareCharAndShorts();
    struct Step {
        Qt::Key key;
        uint64_t expected;
    };
    const Step steps[] = {
        {Qt::Key_Right, 1},                                         // from the single char to the first short
        {Qt::Key_Right, 3}, {Qt::Key_Right, 5}, {Qt::Key_Right, 7}, // the next row starts after b
        {Qt::Key_Right, 8}, {Qt::Key_Up, 1}, // position 1 of row 2 lies in the short at 1
        {Qt::Key_End, 5},   {Qt::Key_Home, 1},  {Qt::Key_Down, 7},
        {Qt::Key_End, 22},  {Qt::Key_Up, 5}, // position 15 is past b's last short: its last unit
        {Qt::Key_Up, 0},    {Qt::Key_Down, 1},  {Qt::Key_Left, 0},
        {Qt::Key_Down, 1},  {Qt::Key_Right, 3}, {Qt::Key_Down, 9}, // position 2 of row 2
    };
    for (const Step& s : steps) {
        Key(s.key);
        EXPECT_EQ(Cursor(), s.expected) << "key " << s.key;
    }

    // Shift+Right selects a whole element.
    View()->MoveCursorTo(0, 3);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(Pane().selAnchor, 3u);
    EXPECT_EQ(Pane().selEnd, 5u);
    Key(Qt::Key_Escape);

    // A click on the third short's cell puts the cursor on it.
    const QRect third = Cell(5);
    QTest::mouseClick(View(), Qt::LeftButton, Qt::NoModifier, third.center());
    EXPECT_EQ(Cursor(), 5u);
    // The name column is no cell.
    QTest::mouseClick(View(), Qt::LeftButton, Qt::NoModifier, NameCell(2, 0).center());
    EXPECT_EQ(Cursor(), 5u);
}

TEST_F(SymbolViewTest, PageKeysKeepTheRowDistance) {
    Open(100000);
    DeclareCharAndShorts();
    const int rows = View()->PaneRows(0);
    ASSERT_GT(rows, 4);
    Key(Qt::Key_Down); // row 1, the first short
    Key(Qt::Key_Right);
    ASSERT_EQ(Cursor(), 3u);
    Key(Qt::Key_PageDown);
    const uint64_t top = View()->TopRow(0);
    EXPECT_EQ(top, static_cast<uint64_t>(rows - 1));
    // Row 1 + rows - 1 lies after the symbols: 7 + (rows - 2) x 16; position 2 within it.
    EXPECT_EQ(Cursor(), 7u + static_cast<uint64_t>(rows - 2) * 16 + 2);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(View()->TopRow(0), 0u);
    EXPECT_EQ(Cursor(), 3u) << "back on the short at position 2 of row 1";
}

TEST_F(SymbolViewTest, SwitchingUnitsKeepsTheTopRowOnTheSameData) {
    Open(100000);
    View()->ScrollToRow(0, 100); // offset 1600 at the top in 1BYTE
    DeclareCharAndShorts();
    // Offset 1600 lies in the row starting at 7 + 99 x 16 = 1591, row 2 + 99.
    EXPECT_EQ(View()->TopRow(0), 101u);
    EXPECT_EQ(frame->Layout().Row(View()->TopRow(0)).start, 1591u);
    ClickSize(0);
    EXPECT_EQ(View()->TopRow(0), 99u) << "the 1BYTE row holding 1591";
}

TEST_F(SymbolViewTest, TheWidestRowCanBeScrolledIntoView) {
    Open(64);
    Declare({{"char", "sixteenSignedBytes", 16}});
    ClickType(2); // SIGN: 16 cells of 4 characters after a long name
    frame->resize(420, 400);
    QApplication::processEvents();
    QScrollBar* bar = frame->HScroll();
    ASSERT_TRUE(bar->isEnabled());
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    QApplication::processEvents();
    const QRect last = Cell(15);
    ASSERT_FALSE(last.isEmpty());
    EXPECT_LE(last.right(), View()->width()) << "the last cell of the row fits at the right end";
    EXPECT_TRUE(HasInk(last, DataBackground()));
}

TEST_F(SymbolViewTest, CopiedRowsCarryTheNames) {
    Open(0x22);
    DeclareCharAndShorts();
    ClickType(3); // UNSIGN
    View()->MoveCursorTo(0, 0);
    Pane().selAnchor = 0;
    Pane().selEnd = 9;
    frame->Edit().Copy();
    const QString text = QGuiApplication::clipboard()->text();
    EXPECT_EQ(text.toStdString(), "00  a      0\r\n"
                                  "01  b[0]   513  1027  1541\r\n"
                                  "07         7   8\r\n");
}

TEST_F(SymbolViewTest, NumericBarShowsTheValuesAtTheCursor) {
    Open(1000);
    DeclareCharAndShorts();
    View()->MoveCursorTo(0, 1);
    // Bytes 01 02 03 04 at the cursor.
    EXPECT_EQ(frame->NumericBar()->PaneText(0).toStdString(), "S :    513");
    EXPECT_EQ(frame->NumericBar()->PaneText(2).toStdString(), "L :    67305985");
}

} // namespace

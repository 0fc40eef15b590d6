#include "data/CDataStore.h"
#include "data/CEditCommands.h"
#include "data/CRowLayout.h"
#include "data/ValueParse.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <numeric>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Counting(size_t count) {
    Bytes bytes(count);
    std::iota(bytes.begin(), bytes.end(), 0);
    return bytes;
}

class EditCommandsTest : public ::testing::Test {
protected:
    void Fill(const Bytes& bytes) {
        ASSERT_EQ(store.InsertData(0, bytes.data(), bytes.size(), 0, 0), 1);
        store.SetModified(0);
    }
    Bytes Contents() const {
        Bytes bytes(store.GetDataSize());
        store.ReadData(0, bytes.data(), bytes.size());
        return bytes;
    }
    PaneSelection& Pane() { return store.Pane(store.CurrentPane()); }
    void SetCursor(uint64_t offset) { Pane() = PaneSelection{offset, offset, offset}; }
    void Select(uint64_t anchor, uint64_t end, uint64_t cursor) {
        Pane() = PaneSelection{cursor, anchor, end};
    }
    void UseLayout(int sizeIndex, int typeIndex) { layout.Set(sizeIndex, typeIndex, 20); }
    void Undo() {
        uint64_t last = 0;
        ASSERT_TRUE(store.Undo(last));
    }

    CDataStore store;
    CRowLayout layout{kSize1Byte, kTypeHex, 20};
    CEditCommands edit{store, layout};
    EditOptions options;
    int nibble = -1;
};

TEST_F(EditCommandsTest, HexDigitsOverwriteOneByteInTwoUndoSteps) {
    Fill({0xFF, 0xFF, 0xFF});
    SetCursor(1);
    EditResult first = edit.TypeHexDigit('4', nibble, options);
    EXPECT_EQ(Contents(), (Bytes{0xFF, 0x04, 0xFF}));
    EXPECT_EQ(nibble, 4);
    EXPECT_EQ(Pane().cursor, 1u);
    EXPECT_TRUE(first.dataChanged);
    EXPECT_FALSE(first.cursorMoved);
    EditResult second = edit.TypeHexDigit('1', nibble, options);
    EXPECT_EQ(Contents(), (Bytes{0xFF, 0x41, 0xFF}));
    EXPECT_EQ(nibble, -1);
    EXPECT_EQ(Pane().cursor, 2u);
    EXPECT_TRUE(second.cursorMoved);
    EXPECT_FALSE(second.sizeChanged);
    Undo();
    EXPECT_EQ(Contents(), (Bytes{0xFF, 0x04, 0xFF}));
    Undo();
    EXPECT_EQ(Contents(), (Bytes{0xFF, 0xFF, 0xFF}));
    EXPECT_FALSE(store.CanUndo());
}

TEST_F(EditCommandsTest, HexDigitsInInsertModeInsertOneByte) {
    Fill(Counting(10));
    SetCursor(5);
    options.insertMode = 1;
    EXPECT_TRUE(edit.TypeHexDigit('D', nibble, options).sizeChanged);
    EXPECT_EQ(store.GetDataSize(), 11u);
    EXPECT_EQ(Contents()[5], 0x0D);
    EXPECT_FALSE(edit.TypeHexDigit('2', nibble, options).sizeChanged);
    Bytes expected = Counting(10);
    expected.insert(expected.begin() + 5, 0xD2);
    EXPECT_EQ(Contents(), expected);
    EXPECT_EQ(Pane().cursor, 6u);
}

TEST_F(EditCommandsTest, TypingAtTheEndAppendsInOverwriteMode) {
    Fill({1, 2, 3});
    SetCursor(3);
    EXPECT_TRUE(edit.EffectiveInsertMode(3, 0));
    EXPECT_FALSE(edit.EffectiveInsertMode(2, 0));
    edit.TypeHexDigit('a', nibble, options);
    edit.TypeHexDigit('B', nibble, options);
    edit.TypeCharacter('Z', options);
    EXPECT_EQ(Contents(), (Bytes{1, 2, 3, 0xAB, 'Z'}));
    EXPECT_EQ(Pane().cursor, 5u);
}

TEST_F(EditCommandsTest, OtherCharactersAreNotHexDigits) {
    Fill({0x11});
    nibble = 3;
    for (char c : {'g', 'G', ' ', 'x', '\r'}) {
        EditResult result = edit.TypeHexDigit(c, nibble, options);
        EXPECT_FALSE(result.dataChanged) << c;
    }
    EXPECT_EQ(nibble, 3);
    EXPECT_EQ(Contents(), Bytes{0x11});
}

TEST_F(EditCommandsTest, TypedCharactersByCharacterSet) {
    struct Case {
        int charSet;
        uint32_t code;
        Bytes expected;
        uint64_t advance;
    };
    const Case cases[] = {
        {0, 'A', {'A', 0, 0, 0}, 1},        {1, 'A', {0x41, 0x00, 0, 0}, 2},
        {0, 0x82A0, {0x82, 0xA0, 0, 0}, 2}, // HIRAGANA A
        {1, 0x82A0, {0x42, 0x30, 0, 0}, 2}, // U+3042, low byte first
        {0, 0xB1, {0xB1, 0, 0, 0}, 1},      // half-width KATAKANA A
        {1, 0xB1, {0x71, 0xFF, 0, 0}, 2},   // U+FF71
    };
    for (const Case& c : cases) {
        CDataStore fresh;
        CEditCommands commands(fresh, layout);
        Bytes zeros(4, 0);
        ASSERT_EQ(fresh.InsertData(0, zeros.data(), zeros.size(), 0, 0), 1);
        options.format.charSet = c.charSet;
        commands.TypeCharacter(c.code, options);
        Bytes contents(4);
        fresh.ReadData(0, contents.data(), 4);
        EXPECT_EQ(contents, c.expected) << c.charSet << " " << c.code;
        EXPECT_EQ(fresh.Pane(0).cursor, c.advance) << c.code;
        EXPECT_EQ(fresh.GetDataSize(), 4u);
    }
}

TEST_F(EditCommandsTest, ControlCharactersAreIgnored) {
    Fill({7, 7});
    for (uint32_t code : {0x00u, 0x09u, 0x0Du, 0x1Bu, 0x7Fu}) {
        EXPECT_FALSE(edit.TypeCharacter(code, options).dataChanged) << code;
    }
    EXPECT_EQ(Contents(), (Bytes{7, 7}));
    EXPECT_FALSE(store.CanUndo());
}

TEST_F(EditCommandsTest, DoubleByteCharacterOnTheLastByteLengthensTheFileInOneStep) {
    Fill({1, 2});
    SetCursor(1);
    EditResult result = edit.TypeCharacter(0x82A0, options);
    EXPECT_EQ(Contents(), (Bytes{1, 0x82, 0xA0}));
    EXPECT_TRUE(result.sizeChanged);
    EXPECT_EQ(Pane().cursor, 3u);
    Undo();
    EXPECT_EQ(Contents(), (Bytes{1, 2}));
    EXPECT_FALSE(store.CanUndo());
}

TEST_F(EditCommandsTest, ViewOnlyDataRefusesEveryChangeSilently) {
    char path[] = "/tmp/kivran-edit-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "abcdefgh", 8), 8);
    close(fd);
    DataSourceSettings settings;
    settings.maxFileSizeForMemory = 4; // read from disk on demand: view only
    store.SetSettings(settings);
    ASSERT_TRUE(store.OpenFile(path).success);
    ASSERT_NE(store.AccessFlags(), 0);
    SetCursor(8);
    options.insertMode = 1;
    std::vector<EditResult> results;
    results.push_back(edit.TypeHexDigit('4', nibble, options));
    results.push_back(edit.TypeCharacter('A', options));
    results.push_back(edit.ApplyWrite(0, {1, 2}, options));
    SetCursor(2);
    results.push_back(edit.DeleteSelectionOrUnit());
    const unsigned char pasted[] = {9};
    results.push_back(edit.PasteBytes(pasted, 1));
    for (const EditResult& result : results) {
        EXPECT_FALSE(result.dataChanged);
        EXPECT_TRUE(result.notices.empty());
    }
    EXPECT_EQ(nibble, -1);
    EXPECT_FALSE(edit.CanWrite());
    EXPECT_FALSE(edit.CanDelete());
    Bytes contents(8);
    ASSERT_EQ(store.ReadData(0, contents.data(), 8), 8u);
    EXPECT_EQ(std::string(contents.begin(), contents.end()), "abcdefgh");
    EXPECT_FALSE(store.IsModified());
    unlink(path);
}

TEST_F(EditCommandsTest, RefusedInsertAsksToShowCannotWrite) {
    // A library source that failed to load: overwriting is allowed, inserting never.
    DataSourceSettings settings;
    settings.dllFileName = "/nonexistent/libnothing.so";
    store.SetSettings(settings);
    store.AttachSource(CDataStore::kModeDll);
    options.insertMode = 1;
    EditResult result = edit.TypeHexDigit('7', nibble, options);
    ASSERT_EQ(result.notices.size(), 1u);
    EXPECT_EQ(result.notices[0].message, DataMessage::CannotWrite);
    EXPECT_EQ(DataNoticeText(result.notices[0], 1), "cannot write");
    EXPECT_EQ(nibble, -1);
    EXPECT_FALSE(result.dataChanged);
}

TEST_F(EditCommandsTest, BackspaceStepsBackOneUnit) {
    struct Case {
        int sizeIndex;
        uint64_t cursor;
        uint64_t expected;
        bool moved;
    };
    const Case cases[] = {
        {kSize1Byte, 0, 0, false}, {kSize1Byte, 3, 2, true},    {kSize1Byte, 16, 15, true},
        {kSize2Bytes, 4, 2, true}, {kSize2Bytes, 16, 14, true}, {kSize2Bytes, 21, 20, true}, // 21 is the end
    };
    Fill(Counting(21));
    for (const Case& c : cases) {
        UseLayout(c.sizeIndex, kTypeHex);
        Select(c.cursor, c.cursor, c.cursor);
        EXPECT_EQ(edit.StepLeftForBackspace().cursorMoved, c.moved) << c.cursor;
        EXPECT_EQ(Pane().cursor, c.expected) << c.cursor;
        EXPECT_FALSE(Pane().HasSelection());
    }
}

TEST_F(EditCommandsTest, DeleteRemovesTheSelectionOrTheCursorUnitAndPlacesTheCursor) {
    struct Case {
        const char* name;
        int sizeIndex;
        uint64_t size;
        PaneSelection pane;
        Bytes expected;
        uint64_t cursor;
    };
    const Case cases[] = {
        {"2BYTES unit", kSize2Bytes, 5, {0, 0, 0}, {2, 3, 4}, 0},
        {"2BYTES last single byte", kSize2Bytes, 5, {4, 4, 4}, {0, 1, 2, 3}, 4},
        {"last unit, cursor on its first byte", kSize1Byte, 4, {3, 3, 3}, {0, 1, 2}, 3},
        {"last unit, cursor inside it", kSize4Bytes, 8, {5, 5, 5}, {0, 1, 2, 3}, 0},
        {"everything", kSize1Byte, 1, {0, 0, 0}, {}, 0},
        {"selection", kSize1Byte, 10, {6, 2, 6}, {0, 1, 6, 7, 8, 9}, 2},
        {"selection to the end", kSize1Byte, 6, {5, 2, 6}, {0, 1}, 1},
        {"end position deletes nothing", kSize1Byte, 3, {3, 3, 3}, {0, 1, 2}, 3},
    };
    for (const Case& c : cases) {
        CDataStore fresh;
        CRowLayout rows(c.sizeIndex, kTypeHex, 20);
        CEditCommands commands(fresh, rows);
        Bytes bytes = Counting(c.size);
        ASSERT_EQ(fresh.InsertData(0, bytes.data(), bytes.size(), 0, 0), 1);
        fresh.Pane(0) = c.pane;
        ASSERT_TRUE(commands.CanDelete());
        EditResult result = commands.DeleteSelectionOrUnit();
        Bytes contents(fresh.GetDataSize());
        fresh.ReadData(0, contents.data(), contents.size());
        EXPECT_EQ(contents, c.expected) << c.name;
        EXPECT_EQ(fresh.Pane(0).cursor, c.cursor) << c.name;
        EXPECT_FALSE(fresh.Pane(0).HasSelection()) << c.name;
        EXPECT_EQ(fresh.Pane(0).selAnchor, c.cursor) << c.name;
        EXPECT_EQ(result.sizeChanged, c.expected.size() != c.size) << c.name;
    }
}

TEST_F(EditCommandsTest, EmptyDataCannotBeDeletedOrSelected) {
    EXPECT_FALSE(edit.CanDelete());
    EXPECT_FALSE(edit.CanSelectAll());
    EXPECT_FALSE(edit.DeleteSelectionOrUnit().dataChanged);
    EXPECT_FALSE(edit.SelectAll().selectionChanged);
    EXPECT_FALSE(Pane().HasSelection());
}

TEST_F(EditCommandsTest, PasteOverASelectionTakesTwoUndoSteps) {
    Fill(Counting(10));
    Select(2, 7, 7);
    const unsigned char copied[] = {0xAA, 0xBB, 0xCC};
    EditResult result = edit.PasteBytes(copied, 3);
    EXPECT_EQ(Contents(), (Bytes{0, 1, 0xAA, 0xBB, 0xCC, 7, 8, 9}));
    EXPECT_EQ(Pane().cursor, 2u);
    EXPECT_FALSE(Pane().HasSelection());
    EXPECT_TRUE(result.sizeChanged);
    EXPECT_EQ(result.changedOffset, 2u);
    Undo();
    EXPECT_EQ(Contents(), (Bytes{0, 1, 7, 8, 9}));
    Undo();
    EXPECT_EQ(Contents(), Counting(10));
}

TEST_F(EditCommandsTest, PasteInsertsAtTheCursorAndAVanishedCopyOnlyDeletes) {
    Fill(Counting(4));
    SetCursor(4);
    const unsigned char copied[] = {0xEE, 0xFF};
    edit.PasteBytes(copied, 2);
    EXPECT_EQ(Contents(), (Bytes{0, 1, 2, 3, 0xEE, 0xFF}));
    EXPECT_EQ(Pane().cursor, 4u);
    Select(0, 2, 2);
    edit.PasteBytes(nullptr, 0);
    EXPECT_EQ(Contents(), (Bytes{2, 3, 0xEE, 0xFF}));
    EXPECT_EQ(Pane().cursor, 0u);
}

TEST_F(EditCommandsTest, SelectAllKeepsTheCursor) {
    Fill(Counting(10));
    SetCursor(4);
    EXPECT_TRUE(edit.SelectAll().selectionChanged);
    EXPECT_EQ(Pane().selAnchor, 0u);
    EXPECT_EQ(Pane().selEnd, 10u);
    EXPECT_EQ(Pane().cursor, 4u);
    uint64_t start = 1;
    uint64_t end = 1;
    edit.SelectionRange(start, end);
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 10u);
}

TEST_F(EditCommandsTest, PreselectedInputTypes) {
    // Rows: 1BYTE .. 8BYTES; columns BIT, HEX, SIGN, UNSIGN, FLOAT, TEXT.
    const int fixed[4][6] = {
        {10, 0, 1, 2, 0, 9}, {10, 0, 3, 4, 0, 9}, {10, 0, 5, 6, 7, 0}, {10, 0, 0, 0, 8, 0}};
    for (int size = 0; size < 4; ++size) {
        for (int type = 0; type < 6; ++type) {
            EXPECT_EQ(CEditCommands::PreselectedInputType(size, type, 0), fixed[size][type]) << size << type;
        }
    }
    // SYMBOL by class 0..4, columns as above.
    const int symbol[5][6] = {{10, 0, 1, 2, 0, 9},
                              {10, 0, 3, 4, 0, 9},
                              {10, 0, 5, 6, 7, 9},
                              {10, 0, 0, 0, 8, 9},
                              {10, 0, 0, 0, 0, 9}};
    for (int symbolClass = 0; symbolClass < 5; ++symbolClass) {
        for (int type = 0; type < 6; ++type) {
            EXPECT_EQ(CEditCommands::PreselectedInputType(kSizeSymbol, type, symbolClass),
                      symbol[symbolClass][type])
                << symbolClass << type;
        }
    }
}

TEST_F(EditCommandsTest, WriteTargetOfTheUnitAtAnOffset) {
    Fill({0x34, 0x12, 0xFF, 0x00, 0x05});
    struct Case {
        int sizeIndex;
        int typeIndex;
        uint64_t offset;
        uint64_t unitStart;
        int inputType;
        std::string text;
    };
    const Case cases[] = {
        {kSize2Bytes, kTypeHex, 1, 0, kInputHex, "1234"},
        {kSize1Byte, kTypeSign, 2, 2, kInputChar, "-1"},
        {kSize2Bytes, kTypeUnsign, 3, 2, kInputUnsignedShort, "255"},
        {kSize1Byte, kTypeHex, 5, 5, kInputHex, ""},      // the end position
        {kSize2Bytes, kTypeHex, 5, 5, kInputHex, ""},     // the end position is not the half unit before it
        {kSize2Bytes, kTypeHex, 4, 4, kInputHex, "0005"}, // a half unit reads as far as the data goes
    };
    for (const Case& c : cases) {
        UseLayout(c.sizeIndex, c.typeIndex);
        WriteTarget target = edit.PrepareWrite(c.offset, options);
        EXPECT_EQ(target.unitStart, c.unitStart) << c.offset;
        EXPECT_EQ(target.inputType, c.inputType) << c.offset;
        EXPECT_EQ(target.initialText, c.text) << c.offset;
        EXPECT_EQ(target.insert, c.unitStart == 5) << c.offset;
    }
}

TEST_F(EditCommandsTest, WriteDialogBytesOverwriteOrInsertAtTheUnitStart) {
    Fill(Counting(6));
    SetCursor(3);
    EditResult written = edit.ApplyWrite(2, {0xA1, 0xA2, 0xA3}, options);
    EXPECT_EQ(Contents(), (Bytes{0, 1, 0xA1, 0xA2, 0xA3, 5}));
    EXPECT_FALSE(written.sizeChanged);
    options.insertMode = 1;
    EditResult inserted = edit.ApplyWrite(0, {0xB1}, options);
    EXPECT_EQ(Contents(), (Bytes{0xB1, 0, 1, 0xA1, 0xA2, 0xA3, 5}));
    EXPECT_TRUE(inserted.sizeChanged);
    EXPECT_EQ(Pane().cursor, 3u);
    Undo();
    Undo();
    EXPECT_EQ(Contents(), Counting(6));
}

struct CopyCase {
    const char* name;
    int sizeIndex;
    int typeIndex;
    int decimalAddress;
    uint64_t dataSize;
    uint64_t start;
    uint64_t end;
    std::string expected;
};

TEST_F(EditCommandsTest, CopiedRowsAsText) {
    const std::string blank3(3, ' ');
    std::string firstRowTail;
    for (int i = 0; i < 14; ++i) {
        firstRowTail += blank3;
    }
    const CopyCase cases[] = {
        {"1BYTE HEX over two rows, blanks before the start", kSize1Byte, kTypeHex, 0, 0x22, 0x0E, 0x12,
         "00 " + firstRowTail + " 0E 0F\r\n10  10 11\r\n"},
        {"a row starting at the end is not copied", kSize1Byte, kTypeHex, 0, 0x22, 0x0E, 0x10,
         "00 " + firstRowTail + " 0E 0F\r\n"},
        {"decimal addresses padded with spaces", kSize1Byte, kTypeHex, 1, 100, 16, 18, " 16  10 11\r\n"},
        {"hexadecimal address digits from the data size", kSize1Byte, kTypeHex, 0, 0x1000, 0x20, 0x21,
         "0020  20\r\n"},
        {"2BYTES UNSIGN", kSize2Bytes, kTypeUnsign, 0, 0x22, 2, 6,
         "00" + std::string(10, ' ') + "770  1284\r\n"},
        {"4BYTES HEX, a selection ending inside a unit shows that unit", kSize4Bytes, kTypeHex, 0, 0x22, 4, 6,
         "00" + std::string(11, ' ') + "07060504\r\n"},
        {"2BYTES HEX, a half unit at the end is not shown", kSize2Bytes, kTypeHex, 0, 0x13, 0x10, 0x13,
         "10  1110\r\n"},
        {"nothing selected", kSize1Byte, kTypeHex, 0, 0x22, 5, 5, ""},
    };
    for (const CopyCase& c : cases) {
        CDataStore fresh;
        CRowLayout rows(c.sizeIndex, c.typeIndex, 20);
        CEditCommands commands(fresh, rows);
        Bytes bytes = Counting(c.dataSize);
        ASSERT_EQ(fresh.InsertData(0, bytes.data(), bytes.size(), 0, 0), 1);
        options.decimalAddress = c.decimalAddress;
        EXPECT_EQ(commands.CopyText(c.start, c.end, options), c.expected) << c.name;
    }
}

TEST_F(EditCommandsTest, CharacterCodesKeepDoubleBytePairs) {
    const std::string text = "A\x82\xA0\xB1Z\x82";
    EXPECT_EQ(CEditCommands::CharacterCodes(text), (std::vector<uint32_t>{'A', 0x82A0, 0xB1, 'Z', 0x82}));
}

} // namespace

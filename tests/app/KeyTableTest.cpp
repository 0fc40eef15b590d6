#include "settings/CKeyTable.h"
#include "settings/CommandIds.h"
#include "view/CKeyTranslator.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

namespace {

TEST(KeyTable, KeyNames) {
    struct Case {
        uint8_t flags;
        uint16_t key;
        const char* name;
    };
    const Case cases[] = {
        {0x1D, 0x41, "Alt+Ctrl+Shift+A"},
        {0x09, 0x2D, "Ctrl+Ins"},
        {0x05, 0x2D, "Shift+Ins"},
        {0x01, 0x70, "F1"},
        {0x01, 0x87, "F24"},
        {0x01, 0x60, "Num 0"},
        {0x01, 0x69, "Num 9"},
        {0x01, 0x21, "Page Up"},
        {0x01, 0x22, "Page Down"},
        {0x11, 0x2E, "Alt+Del"},
        {0x09, 0x5B, "Ctrl+["},
        {0x09, 0x40, "Ctrl+@"},
        {0x01, 0x90, "Numlock"},
        {0x01, 0x91, "Scroll"},
        {0x0D, '7', "Ctrl+Shift+7"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CKeyTable::KeyName(c.flags, c.key), c.name);
    }
}

TEST(KeyTable, DefaultTableGivesCopyTwoKeysCtrlInsFirst) {
    CKeyTable table(CKeyTable::DefaultTable());
    ASSERT_EQ(table.Records().size(), 16u);
    EXPECT_EQ(table.KeyNamesOfCommand(ID_COPY), "Ctrl+Ins,Ctrl+C");
    EXPECT_EQ(table.KeyNamesOfCommand(ID_HELP), "F1");
    EXPECT_EQ(table.KeyNamesOfCommand(ID_PASTE), "Shift+Ins,Ctrl+V");
    EXPECT_EQ(table.KeyNamesOfCommand(ID_FILE_NEW), "");
    EXPECT_EQ(table.Records()[0].flags, 0x01);
    EXPECT_EQ(table.Records()[3].flags, 0x05);
    EXPECT_EQ(table.Records()[15].flags, 0x09);
    EXPECT_EQ(table.CommandForKey(0x09, 'J'), ID_JUMP_TO);
    EXPECT_EQ(table.CommandForKey(0x09, 'Q'), 0);
}

TEST(KeyTable, AtMostTenKeysOfACommandAreListed) {
    std::vector<KeyRecord> records;
    for (int i = 0; i < 12; ++i) {
        records.push_back({0x09, static_cast<uint16_t>('A' + i), ID_UNDO});
    }
    CKeyTable table(records);
    EXPECT_EQ(table.KeysOfCommand(ID_UNDO, 10).size(), 10u);
    EXPECT_EQ(table.KeyNamesOfCommand(ID_UNDO),
              "Ctrl+A,Ctrl+B,Ctrl+C,Ctrl+D,Ctrl+E,Ctrl+F,Ctrl+G,Ctrl+H,Ctrl+I,Ctrl+J");
    EXPECT_EQ(table.FindByKey(0x09, 'L'), 11);
    EXPECT_EQ(table.FindByKey(0x05, 'L'), -1);
}

TEST(KeyTranslator, QtKeysBecomeVirtualKeys) {
    struct Case {
        int qtKey;
        unsigned int modifiers;
        uint8_t flags;
        uint16_t key;
    };
    const Case cases[] = {
        {Qt::Key_C, Qt::ControlModifier, 0x09, 'C'},
        {Qt::Key_Insert, Qt::ShiftModifier, 0x05, 0x2D},
        {Qt::Key_F1, 0, 0x01, 0x70},
        {Qt::Key_Home, Qt::ControlModifier, 0x09, 0x24},
        {Qt::Key_5, Qt::KeypadModifier, 0x01, 0x65},
        {Qt::Key_A, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier, 0x1D, 'A'},
        {Qt::Key_BracketLeft, Qt::ControlModifier, 0x09, 0x5B},
    };
    for (const Case& c : cases) {
        uint8_t flags = 0;
        uint16_t key = 0;
        ASSERT_TRUE(CKeyTranslator::Translate(c.qtKey, c.modifiers, flags, key)) << c.qtKey;
        EXPECT_EQ(flags, c.flags) << c.qtKey;
        EXPECT_EQ(key, c.key) << c.qtKey;
    }
    uint8_t flags = 0;
    uint16_t key = 0;
    EXPECT_FALSE(CKeyTranslator::Translate(Qt::Key_Shift, Qt::ShiftModifier, flags, key));
}

} // namespace

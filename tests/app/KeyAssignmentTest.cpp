#include "settings/CKeyGroups.h"
#include "settings/CKeyTable.h"
#include "settings/CommandIds.h"
#include "view/CKeyTranslator.h"

#include <QKeyEvent>
#include <gtest/gtest.h>
#include <set>

namespace {

TEST(KeyAssignment, EveryCombinationIsOfferedOnceAndTheCountsPerModifierHold) {
    std::set<std::pair<int, int>> seen;
    std::vector<size_t> counts;
    for (uint8_t flags : CKeyTable::AssignableModifiers()) {
        const std::vector<uint16_t> keys = CKeyTable::AssignableKeys(flags);
        counts.push_back(keys.size());
        for (uint16_t key : keys) {
            EXPECT_TRUE(seen.insert({flags, key}).second) << CKeyTable::KeyName(flags, key);
        }
    }
    EXPECT_EQ(seen.size(), 468u);
    EXPECT_EQ(counts, (std::vector<size_t>{22, 26, 70, 70, 70, 70, 70, 70}));
    // Shift alone offers the editing keys but no letters; Ctrl offers the characters by their codes.
    EXPECT_EQ(CKeyTable::AssignableKeys(0x05)[12], 0x2D);
    EXPECT_EQ(CKeyTable::AssignableKeys(0x05).back(), 0x69);
    const std::vector<uint16_t> ctrl = CKeyTable::AssignableKeys(0x09);
    EXPECT_EQ(std::vector<uint16_t>(ctrl.begin() + 48, ctrl.begin() + 56),
              (std::vector<uint16_t>{0x5B, 0x5C, 0x5D, 0x5E, 0x5F, 0x3C, 0x3E, 0x40}));
    EXPECT_TRUE(CKeyTable::AssignableKeys(0x00).empty());
}

TEST(KeyAssignment, AssignKeepsEachCombinationInOneRecord) {
    struct Case {
        const char* what;
        uint8_t flags;
        uint16_t key;
        uint16_t command;
        bool changed;
        size_t size;
        uint16_t bound; // command found for the key afterwards
    };
    const Case cases[] = {
        {"Ctrl+O to Save replaces in place", 0x09, 'O', ID_FILE_SAVE, true, 16, ID_FILE_SAVE},
        {"the same command again changes nothing", 0x09, 'S', ID_FILE_SAVE, false, 16, ID_FILE_SAVE},
        {"Not specified removes the record", 0x09, 'J', 0, true, 15, 0},
        {"Not specified for a free key changes nothing", 0x09, 'Q', 0, false, 16, 0},
        {"a free key is appended", 0x09, 'E', ID_CURSOR_UP, true, 17, ID_CURSOR_UP},
    };
    for (const Case& c : cases) {
        CKeyTable table(CKeyTable::DefaultTable());
        EXPECT_EQ(table.Assign(c.flags, c.key, c.command), c.changed) << c.what;
        EXPECT_EQ(table.Records().size(), c.size) << c.what;
        EXPECT_EQ(table.CommandForKey(c.flags, c.key), c.bound) << c.what;
    }
    CKeyTable table(CKeyTable::DefaultTable());
    table.Assign(0x09, 'O', ID_FILE_SAVE);
    EXPECT_EQ(table.KeyNamesOfCommand(ID_FILE_OPEN), "");
    EXPECT_EQ(table.KeyNamesOfCommand(ID_FILE_SAVE), "Ctrl+O,Ctrl+S");
    table.Assign(0x09, 'E', ID_CURSOR_UP);
    EXPECT_EQ(table.Records().back(), (KeyRecord{0x09, 'E', ID_CURSOR_UP}));
}

TEST(KeyAssignment, GroupsListEveryMenuCommandAndTheCursorCommands) {
    const std::vector<CKeyGroups::Group>& groups = CKeyGroups::All();
    ASSERT_EQ(groups.size(), 8u);
    std::vector<size_t> sizes;
    for (const CKeyGroups::Group& g : groups) {
        sizes.push_back(g.commands.size());
    }
    EXPECT_EQ(sizes, (std::vector<size_t>{11, 7, 23, 8, 11, 2, 2, 2}));
    EXPECT_EQ(groups[0].commands[0].command, 0);
    EXPECT_EQ(groups[0].commands[0].label, T_NOT_SPECIFIED);
    int group = -1;
    int index = -1;
    ASSERT_TRUE(CKeyGroups::Find(ID_CURSOR_PAGE_DOWN, group, index));
    EXPECT_EQ(group, 3);
    EXPECT_EQ(index, 7);
    EXPECT_FALSE(CKeyGroups::Find(12345, group, index));
    EXPECT_EQ(group, 0);
    EXPECT_EQ(index, -1);
}

TEST(KeyAssignment, EveryAssignableCombinationComesBackFromTheKeyThatTypesIt) {
    for (uint8_t flags : CKeyTable::AssignableModifiers()) {
        for (uint16_t key : CKeyTable::AssignableKeys(flags)) {
            int qtKey = 0;
            unsigned int mods = 0;
            ASSERT_TRUE(CKeyTranslator::ToQtKey(flags, key, qtKey, mods)) << CKeyTable::KeyName(flags, key);
            const std::vector<KeyRecord> found = CKeyTranslator::Candidates(qtKey, mods);
            ASSERT_FALSE(found.empty()) << CKeyTable::KeyName(flags, key);
            EXPECT_EQ(found.front().flags, flags) << CKeyTable::KeyName(flags, key);
            EXPECT_EQ(found.front().key, key) << CKeyTable::KeyName(flags, key);
        }
    }
}

TEST(KeyAssignment, KeyPressesFindTheBindingsATableFromWindowsHolds) {
    struct Case {
        const char* what;
        KeyRecord stored;
        int qtKey;
        unsigned int modifiers;
        unsigned int scanCode;
    };
    const unsigned int ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    const Case cases[] = {
        {"Ctrl+Shift+2 typed on a US keyboard arrives as @", {0x0D, '2', ID_UNDO}, Qt::Key_At, ctrlShift, 11},
        {"Ctrl+Shift+7 arrives as & without a scan code",
         {0x0D, '7', ID_UNDO},
         Qt::Key_Ampersand,
         ctrlShift,
         0},
        {"Ctrl+< needs Shift on a US keyboard", {0x09, 0x3C, ID_UNDO}, Qt::Key_Less, ctrlShift, 0},
        {"the Windows code of [ on a US keyboard",
         {0x09, 0xDB, ID_UNDO},
         Qt::Key_BracketLeft,
         Qt::ControlModifier,
         0},
        {"the keypad's plus",
         {0x09, 0x6B, ID_UNDO},
         Qt::Key_Plus,
         Qt::ControlModifier | Qt::KeypadModifier,
         0},
        {"Print Screen", {0x01, 0x2C, ID_UNDO}, Qt::Key_Print, 0, 0},
    };
    for (const Case& c : cases) {
        CKeyTable table({c.stored});
        QKeyEvent event(QEvent::KeyPress, c.qtKey, Qt::KeyboardModifiers(c.modifiers), c.scanCode, 0, 0);
        EXPECT_EQ(CKeyTranslator::CommandFor(table, event), ID_UNDO) << c.what;
    }
    // The exact combination comes first: Ctrl+Shift+@ bound on its own wins over Ctrl+@.
    CKeyTable both({{0x09, 0x40, ID_UNDO}, {0x0D, 0x40, ID_REDO}});
    QKeyEvent at(QEvent::KeyPress, Qt::Key_At, Qt::KeyboardModifiers(ctrlShift));
    EXPECT_EQ(CKeyTranslator::CommandFor(both, at), ID_REDO);
    // With the digit key's scan code, Shift+2 is the 2 key first.
    CKeyTable digitAndAt({{0x0D, 0x40, ID_UNDO}, {0x0D, '2', ID_REDO}});
    QKeyEvent physical(QEvent::KeyPress, Qt::Key_At, Qt::KeyboardModifiers(ctrlShift), 11, 0, 0);
    EXPECT_EQ(CKeyTranslator::CommandFor(digitAndAt, physical), ID_REDO);
}

} // namespace

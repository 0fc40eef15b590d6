#pragma once

#include "options/COptionPage.h"
#include "settings/CKeyTable.h"

#include <cstdint>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;

// The "Keycode" page: a key combination is picked with the three modifier boxes and the key list, and bound
// to a command picked with the group and command lists ("Not specified" removes the binding). It works on
// a copy of the key table; "Current keycode" shows the keys of the command in question.
class COptionPage4 : public COptionPage {
    Q_OBJECT
public:
    explicit COptionPage4(QWidget* parent = nullptr);

    void Load(const COptionValues& values) override;
    bool Store(COptionValues& values, QWidget*& badField, QString& message) override;

    const CKeyTable& Table() const { return table; }
    bool Changed() const { return changed; }
    // The modifier flags the boxes stand for (with the virtual-key flag).
    uint8_t Flags() const;

    QCheckBox* alt = nullptr;
    QCheckBox* ctrl = nullptr;
    QCheckBox* shift = nullptr;
    QListWidget* keyList = nullptr;
    QComboBox* groupList = nullptr;
    QListWidget* commandList = nullptr;
    QLineEdit* currentKeys = nullptr;

private:
    void FillKeys();
    void FillCommands(int group);
    void KeySelected();
    void GroupSelected(int group);
    void CommandSelected();
    void ShowKeysOf(uint16_t command);
    // The key of the selected key list entry; false when none is selected.
    bool SelectedKey(uint16_t& key) const;
    bool SelectedCommand(uint16_t& command) const;

    CKeyTable table;
    std::vector<uint16_t> keys;
    bool changed = false;
    // Set while the page itself moves the selections, which then must not bind anything.
    bool updating = false;
};

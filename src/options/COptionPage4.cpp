#include "options/COptionPage4.h"

#include "settings/CKeyGroups.h"
#include "settings/CTextTable.h"
#include "view/CDialogTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace {
const int kMaxShownKeys = 10;

QString Text(TextId id) {
    return QString::fromStdString(CTextTable::Text(id));
}
} // namespace

COptionPage4::COptionPage4(QWidget* parent) : COptionPage(parent) {
    auto* layout = new QHBoxLayout(this);

    auto* keySide = new QVBoxLayout;
    alt = new QCheckBox("Alt(&A)", this);
    alt->setObjectName("alt");
    ctrl = new QCheckBox("Ctrl(&C)", this);
    ctrl->setObjectName("ctrl");
    shift = new QCheckBox("Shift(&S)", this);
    shift->setObjectName("shift");
    auto* modifiers = new QHBoxLayout;
    for (QCheckBox* box : {alt, ctrl, shift}) {
        modifiers->addWidget(box);
        connect(box, &QCheckBox::toggled, this, [this] { FillKeys(); });
    }
    keySide->addLayout(modifiers);
    keyList = new QListWidget(this);
    keyList->setObjectName("keyList");
    keyList->setSelectionMode(QAbstractItemView::SingleSelection);
    keySide->addWidget(keyList, 1);
    layout->addLayout(keySide, 1);

    auto* commandSide = new QVBoxLayout;
    groupList = new QComboBox(this);
    groupList->setObjectName("groupList");
    for (const CKeyGroups::Group& g : CKeyGroups::All()) {
        groupList->addItem(Text(g.name));
    }
    commandSide->addWidget(groupList);
    commandList = new QListWidget(this);
    commandList->setObjectName("commandList");
    commandList->setSelectionMode(QAbstractItemView::SingleSelection);
    commandSide->addWidget(commandList, 1);
    auto* current = new QGroupBox(CDialogTexts::Label(T_DLG_CURRENT_KEYCODE, "現在のキー"), this);
    auto* currentRow = new QHBoxLayout(current);
    currentKeys = new QLineEdit(current);
    currentKeys->setObjectName("currentKeys");
    currentKeys->setReadOnly(true);
    currentRow->addWidget(currentKeys);
    commandSide->addWidget(current);
    layout->addLayout(commandSide, 1);

    connect(keyList, &QListWidget::itemSelectionChanged, this, [this] {
        if (!updating) {
            KeySelected();
        }
    });
    connect(groupList, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int group) {
        if (!updating) {
            GroupSelected(group);
        }
    });
    connect(commandList, &QListWidget::itemSelectionChanged, this, [this] {
        if (!updating) {
            CommandSelected();
        }
    });
}

void COptionPage4::Load(const COptionValues& v) {
    table = CKeyTable(v.keyTable);
    changed = false;
    updating = true;
    for (QCheckBox* box : {alt, ctrl, shift}) {
        box->setChecked(false);
    }
    groupList->setCurrentIndex(-1);
    commandList->clear();
    currentKeys->clear();
    updating = false;
    FillKeys();
}

bool COptionPage4::Store(COptionValues& v, QWidget*&, QString&) {
    if (changed) {
        v.keyTable = table.Records();
        v.keyTableChanged = true;
    }
    return true;
}

uint8_t COptionPage4::Flags() const {
    uint8_t flags = KeyRecord::kVirtKey;
    if (ctrl->isChecked()) {
        flags |= KeyRecord::kControl;
    }
    if (alt->isChecked()) {
        flags |= KeyRecord::kAlt;
    }
    if (shift->isChecked()) {
        flags |= KeyRecord::kShift;
    }
    return flags;
}

void COptionPage4::FillKeys() {
    updating = true;
    keyList->clear();
    keys = CKeyTable::AssignableKeys(Flags());
    for (uint16_t key : keys) {
        keyList->addItem(QString::fromStdString(CKeyTable::BaseKeyName(key)));
    }
    updating = false;
}

void COptionPage4::FillCommands(int group) {
    const bool wasUpdating = updating;
    updating = true;
    commandList->clear();
    const std::vector<CKeyGroups::Group>& groups = CKeyGroups::All();
    if (group >= 0 && group < static_cast<int>(groups.size())) {
        for (const CKeyGroups::Command& c : groups[static_cast<size_t>(group)].commands) {
            auto* item = new QListWidgetItem(Text(c.label), commandList);
            item->setData(Qt::UserRole, static_cast<int>(c.command));
        }
    }
    updating = wasUpdating;
}

bool COptionPage4::SelectedKey(uint16_t& key) const {
    const QList<QListWidgetItem*> selected = keyList->selectedItems();
    if (selected.isEmpty()) {
        return false;
    }
    const int row = keyList->row(selected.front());
    if (row < 0 || row >= static_cast<int>(keys.size())) {
        return false;
    }
    key = keys[static_cast<size_t>(row)];
    return true;
}

bool COptionPage4::SelectedCommand(uint16_t& command) const {
    const QList<QListWidgetItem*> selected = commandList->selectedItems();
    if (selected.isEmpty()) {
        return false;
    }
    command = static_cast<uint16_t>(selected.front()->data(Qt::UserRole).toInt());
    return true;
}

void COptionPage4::KeySelected() {
    uint16_t key = 0;
    if (!SelectedKey(key)) {
        return;
    }
    updating = true;
    const int index = table.FindByKey(Flags(), key);
    int group = 0;
    int row = 0; // "Not specified"
    if (index >= 0) {
        const uint16_t command = table.Records()[static_cast<size_t>(index)].command;
        // A command in no group (a hand-edited table) shows the first group with nothing chosen.
        CKeyGroups::Find(command, group, row);
        ShowKeysOf(command);
    } else {
        currentKeys->clear();
    }
    groupList->setCurrentIndex(group);
    FillCommands(group);
    if (row >= 0 && row < commandList->count()) {
        commandList->setCurrentRow(row);
    } else {
        commandList->clearSelection();
    }
    updating = false;
}

void COptionPage4::GroupSelected(int group) {
    FillCommands(group);
}

void COptionPage4::CommandSelected() {
    uint16_t command = 0;
    if (!SelectedCommand(command)) {
        return;
    }
    uint16_t key = 0;
    if (SelectedKey(key)) {
        table.Assign(Flags(), key, command);
        changed = true;
    }
    ShowKeysOf(command);
}

void COptionPage4::ShowKeysOf(uint16_t command) {
    currentKeys->setText(
        command == 0 ? QString() : QString::fromStdString(table.KeyNamesOfCommand(command, kMaxShownKeys)));
}

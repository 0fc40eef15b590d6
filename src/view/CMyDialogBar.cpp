#include "view/CMyDialogBar.h"

#include "settings/CTextTable.h"
#include "settings/CommandIds.h"
#include "view/CCmdRadioButton.h"

#include <QHBoxLayout>

namespace {

struct ButtonDef {
    const char* text;
    int command;
};

const ButtonDef kSizes[] = {{"1BYTE", ID_SIZE_1BYTE},
                            {"2BYTES", ID_SIZE_2BYTES},
                            {"4BYTES", ID_SIZE_4BYTES},
                            {"8BYTES", ID_SIZE_8BYTES},
                            {"SYMBOL", ID_SIZE_SYMBOL}};
const ButtonDef kTypes[] = {{"BIT", ID_TYPE_BIT},       {"HEX", ID_TYPE_HEX},     {"SIGN", ID_TYPE_SIGN},
                            {"UNSIGN", ID_TYPE_UNSIGN}, {"FLOAT", ID_TYPE_FLOAT}, {"TEXT", ID_TYPE_TEXT}};

const QColor kCheckedText(255, 255, 255);
const QColor kCheckedBk(0, 0, 160);

} // namespace

CMyDialogBar::CMyDialogBar(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(12);

    auto makeGroup = [&](QLabel*& caption, QWidget*& group, const ButtonDef* defs, int count,
                         std::vector<CCmdRadioButton*>& buttons) {
        caption = new QLabel(this);
        row->addWidget(caption);
        group = new QWidget(this);
        auto* line = new QHBoxLayout(group);
        line->setContentsMargins(0, 0, 0, 0);
        line->setSpacing(2);
        for (int i = 0; i < count; ++i) {
            auto* b = new CCmdRadioButton(defs[i].text, defs[i].command, i == 0, group);
            b->setObjectName(defs[i].text);
            b->SetCheckedColors(kCheckedText, kCheckedBk);
            b->setMinimumWidth(b->sizeHint().width() + 8);
            line->addWidget(b);
            buttons.push_back(b);
            connect(b, &CCmdRadioButton::CommandPosted, this, &CMyDialogBar::Command);
        }
        row->addWidget(group);
    };
    makeGroup(sizeCaption, sizeGroup, kSizes, 5, sizeButtons);
    makeGroup(typeCaption, typeGroup, kTypes, 6, typeButtons);
    row->addStretch(1);
    sizeButtons[4]->hide();
    ApplyLanguage(CTextTable::Language());
}

int CMyDialogBar::SizeIndex() const {
    return sizeButtons[0]->CheckedIndex();
}
int CMyDialogBar::TypeIndex() const {
    return typeButtons[0]->CheckedIndex();
}

void CMyDialogBar::CheckSize(int index) {
    if (index >= 0 && index < static_cast<int>(sizeButtons.size())) {
        sizeButtons[index]->SetCheck(true);
    }
}

void CMyDialogBar::CheckType(int index) {
    if (index >= 0 && index < static_cast<int>(typeButtons.size())) {
        typeButtons[index]->SetCheck(true);
    }
}

void CMyDialogBar::ShowTypes(int mask) {
    for (size_t i = 0; i < typeButtons.size(); ++i) {
        typeButtons[i]->setVisible((mask >> i) & 1);
    }
}

bool CMyDialogBar::IsTypeVisible(int index) const {
    return !typeButtons[index]->isHidden();
}

void CMyDialogBar::ShowSymbolButton(bool show) {
    sizeButtons[4]->setVisible(show);
}

void CMyDialogBar::ApplyLanguage(int language) {
    sizeCaption->setText(QString::fromStdString(CTextTable::Text(T_GROUP_SIZE, language)));
    typeCaption->setText(QString::fromStdString(CTextTable::Text(T_GROUP_TYPE, language)));
}

int CMyDialogBar::SizeIndexOfCommand(int command) {
    for (int i = 0; i < 5; ++i) {
        if (kSizes[i].command == command) {
            return i;
        }
    }
    return -1;
}

int CMyDialogBar::TypeIndexOfCommand(int command) {
    for (int i = 0; i < 6; ++i) {
        if (kTypes[i].command == command) {
            return i;
        }
    }
    return -1;
}

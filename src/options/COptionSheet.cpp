#include "options/COptionSheet.h"

#include "options/COptionPage1.h"
#include "options/COptionPage2.h"
#include "options/COptionPage3.h"
#include "options/COptionPage4.h"
#include "view/CDialogTexts.h"
#include "view/CUserPrompt.h"

#include <QAbstractSpinBox>
#include <QDialogButtonBox>
#include <QKeySequence>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

COptionSheet::COptionSheet(const COptionValues& initial, CUserPrompt& prompt, QWidget* parent)
    : QDialog(parent), values(initial), prompt(prompt) {
    setObjectName("optionSheet");
    setWindowTitle(CDialogTexts::Label(T_DLG_OPTION, "オプション"));
    auto* layout = new QVBoxLayout(this);
    tabs = new QTabWidget(this);
    tabs->setObjectName("optionTabs");
    general = new COptionPage3(tabs);
    view = new COptionPage1(prompt, tabs);
    important = new COptionPage2(tabs);
    keycode = new COptionPage4(tabs);
    pages = {general, view, important, keycode};
    tabs->addTab(general, CDialogTexts::Label(T_DLG_GENERAL, "全般"));
    tabs->addTab(view, CDialogTexts::Label(T_DLG_VIEW, "表示"));
    tabs->addTab(important, CDialogTexts::Label(T_DLG_IMPORTANT, "重大な設定"));
    tabs->addTab(keycode, CDialogTexts::Label(T_DLG_KEYCODE, "キー割付"));
    layout->addWidget(tabs, 1);

    buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    OkButton()->setText("OK");
    CancelButton()->setText(CDialogTexts::Label(T_CANCEL, "キャンセル"));
    HelpButton()->setText(CDialogTexts::Label(T_HELP, "ヘルプ(&H)"));
    OkButton()->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &COptionSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &COptionSheet::HelpRequested);
    layout->addWidget(buttons);

    // The tabs are reached from any control; a shortcut of the sheet comes before the control's own keys.
    const struct {
        QKeySequence keys;
        int step;
    } steps[] = {{QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
                 {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
                 {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1},
                 {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
                 {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1}};
    for (const auto& s : steps) {
        auto* shortcut = new QShortcut(s.keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        const int step = s.step;
        connect(shortcut, &QShortcut::activated, this, [this, step] { StepTab(step); });
    }

    for (COptionPage* page : pages) {
        page->Load(values);
    }
    tabs->setCurrentIndex(0);
}

QPushButton* COptionSheet::OkButton() const {
    return buttons->button(QDialogButtonBox::Ok);
}

QPushButton* COptionSheet::CancelButton() const {
    return buttons->button(QDialogButtonBox::Cancel);
}

QPushButton* COptionSheet::HelpButton() const {
    return buttons->button(QDialogButtonBox::Help);
}

void COptionSheet::StepTab(int step) {
    const int count = tabs->count();
    const int next = ((tabs->currentIndex() + step) % count + count) % count;
    tabs->setCurrentIndex(next);
    // The focus moves into the page, so that its controls answer the next keys.
    QWidget* page = tabs->currentWidget();
    if (QWidget* first = page->nextInFocusChain(); first && page->isAncestorOf(first)) {
        first->setFocus(Qt::TabFocusReason);
    } else {
        tabs->tabBar()->setFocus(Qt::TabFocusReason);
    }
}

void COptionSheet::accept() {
    COptionValues entered = values;
    entered.keyTableChanged = false;
    for (COptionPage* page : pages) {
        QWidget* badField = nullptr;
        QString message;
        if (!page->Store(entered, badField, message)) {
            tabs->setCurrentWidget(page);
            prompt.Message(this, message);
            if (badField) {
                badField->setFocus(Qt::OtherFocusReason);
                if (auto* edit = qobject_cast<QLineEdit*>(badField)) {
                    edit->selectAll();
                } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(badField)) {
                    spin->selectAll();
                }
            }
            return;
        }
    }
    values = entered;
    QDialog::accept();
}

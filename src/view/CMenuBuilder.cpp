#include "view/CMenuBuilder.h"

#include "settings/CKeyTable.h"
#include "settings/CTextTable.h"
#include "settings/CommandIds.h"
#include "view/CCommandLabels.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <initializer_list>

namespace {

const int kSeparator = 0;
const int kMaxKeyNames = 10;
const TextId kTopLabels[] = {T_MENU_FILE,   T_MENU_EDIT,  T_MENU_JUMP, T_MENU_VIEW,
                             T_MENU_OPTION, T_MENU_MACRO, T_MENU_HELP};
const TextId kSubLabels[] = {T_OFFSET_JUMP, T_BYTE_ORDER, T_ADDRESS_MENU, T_CHARACTER_SET};

} // namespace

CMenuBuilder::CMenuBuilder(QMenuBar* bar, QObject* parent) : QObject(parent), bar(bar) {}

QAction* CMenuBuilder::AddItem(QMenu* menu, int command) {
    if (command == kSeparator) {
        menu->addSeparator();
        return nullptr;
    }
    QAction* action = menu->addAction(QString());
    action->setData(command);
    connect(action, &QAction::triggered, this, [this, command] { emit Command(command); });
    actions[command] = action;
    return action;
}

void CMenuBuilder::Build() {
    for (int i = 0; i < 7; ++i) {
        topMenus.push_back(bar->addMenu(QString()));
    }
    for (int c :
         std::initializer_list<int>{ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_AS, kSeparator,
                                    ID_RELOAD_SYMBOL, ID_LOAD_SYMBOL, kSeparator, ID_FILE_PRINT,
                                    ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP, kSeparator, ID_APP_EXIT}) {
        AddItem(topMenus[0], c);
    }
    for (int c : std::initializer_list<int>{ID_WRITE, kSeparator, ID_CUT, ID_COPY, ID_PASTE, kSeparator,
                                            ID_UNDO, ID_REDO, kSeparator, ID_SELECT_ALL}) {
        AddItem(topMenus[1], c);
    }
    QMenu* jump = topMenus[2];
    for (int c : std::initializer_list<int>{
             ID_JUMP_TO, ID_JUMP_TOP, ID_JUMP_END, kSeparator, ID_MARK_TOGGLE, ID_MARK_NEXT, ID_MARK_PREV,
             ID_MARK_REMOVE_ALL, kSeparator, ID_SEARCH, ID_SEARCH_BACKWARD, ID_SEARCH_FORWARD, ID_REPLACE,
             kSeparator, ID_SYMBOL_SEARCH, ID_SYMBOL_SEARCH_BACKWARD, ID_SYMBOL_SEARCH_FORWARD, kSeparator}) {
        AddItem(jump, c);
    }
    QMenu* offset = jump->addMenu(QString());
    subMenus.push_back(offset);
    for (int c : std::initializer_list<int>{ID_OFFSET_1BYTE_ABS, ID_OFFSET_2BYTE_ABS, ID_OFFSET_4BYTE_ABS,
                                            ID_OFFSET_1BYTE_REL, ID_OFFSET_2BYTE_REL, ID_OFFSET_4BYTE_REL}) {
        AddItem(offset, c);
    }
    for (int c : std::initializer_list<int>{kSeparator, ID_COMPARE, ID_COMPARE_RESET, ID_COMPARE_NEXT}) {
        AddItem(jump, c);
    }
    QMenu* view = topMenus[3];
    const int radioPairs[3][2] = {{ID_LITTLE_ENDIAN, ID_BIG_ENDIAN},
                                  {ID_ADDRESS_HEX, ID_ADDRESS_DEC},
                                  {ID_CHARSET_SJIS, ID_CHARSET_UNICODE}};
    for (const auto& pair : radioPairs) {
        QMenu* sub = view->addMenu(QString());
        subMenus.push_back(sub);
        auto* group = new QActionGroup(sub);
        for (int c : pair) {
            QAction* a = AddItem(sub, c);
            a->setCheckable(true);
            group->addAction(a);
        }
    }
    for (int c :
         std::initializer_list<int>{kSeparator, ID_VIEW_TOOLBAR, ID_VIEW_NUMERICBAR, ID_VIEW_STATUSBAR}) {
        if (QAction* a = AddItem(view, c)) {
            a->setCheckable(true);
            a->setChecked(true);
        }
    }
    for (int c : std::initializer_list<int>{kSeparator, ID_VIEW_2_WINDOW, ID_VIEW_CHANGE_WINDOW}) {
        AddItem(view, c);
    }
    AddItem(topMenus[4], ID_OPTION);
    AddItem(topMenus[4], ID_FAST_INPUT)->setCheckable(true);
    AddItem(topMenus[5], ID_EXECUTE_MACRO);
    AddItem(topMenus[5], ID_MACRO_HELP);
    AddItem(topMenus[6], ID_HELP);
    AddItem(topMenus[6], ID_APP_ABOUT);
}

QString CMenuBuilder::ItemText(int command, int language, const CKeyTable& keys) {
    int label = CCommandLabels::LabelOf(command);
    if (label < 0) {
        return QString();
    }
    QString text = QString::fromStdString(CTextTable::Text(static_cast<TextId>(label), language));
    std::string names = keys.KeyNamesOfCommand(static_cast<uint16_t>(command), kMaxKeyNames);
    if (!names.empty()) {
        text += "\t" + QString::fromStdString(names);
    }
    return text;
}

void CMenuBuilder::Relabel(int language, const CKeyTable& keys) {
    for (size_t i = 0; i < topMenus.size(); ++i) {
        topMenus[i]->setTitle(QString::fromStdString(CTextTable::Text(kTopLabels[i], language)));
    }
    for (size_t i = 0; i < subMenus.size(); ++i) {
        subMenus[i]->setTitle(QString::fromStdString(CTextTable::Text(kSubLabels[i], language)));
    }
    for (auto& [command, action] : actions) {
        action->setText(ItemText(command, language, keys));
    }
    bar->update();
}

void CMenuBuilder::SetRecentFiles(const std::vector<std::string>& paths) {
    QMenu* file = topMenus[0];
    for (QAction* a : recentActions) {
        file->removeAction(a);
        delete a;
    }
    recentActions.clear();
    if (paths.empty()) {
        return;
    }
    if (!recentSeparator) {
        recentSeparator = file->addSeparator();
    }
    for (size_t i = 0; i < paths.size(); ++i) {
        const int command = ID_FILE_MRU_FIRST + static_cast<int>(i);
        QString text = QString::asprintf("&%d %s", static_cast<int>(i + 1), paths[i].c_str());
        QAction* a = file->addAction(text);
        a->setData(command);
        connect(a, &QAction::triggered, this, [this, command] { emit Command(command); });
        recentActions.push_back(a);
    }
}

QAction* CMenuBuilder::Action(int command) const {
    auto it = actions.find(command);
    if (it != actions.end()) {
        return it->second;
    }
    int index = command - ID_FILE_MRU_FIRST;
    if (index >= 0 && index < static_cast<int>(recentActions.size())) {
        return recentActions[index];
    }
    return nullptr;
}

QMenu* CMenuBuilder::TopMenu(int position) const {
    return position >= 0 && position < static_cast<int>(topMenus.size()) ? topMenus[position] : nullptr;
}

QMenu* CMenuBuilder::SubMenu(int position) const {
    return position >= 0 && position < static_cast<int>(subMenus.size()) ? subMenus[position] : nullptr;
}

#pragma once

#include <QObject>
#include <QString>
#include <map>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class CKeyTable;

// Builds the seven menus of the main window and relabels them in the current language, each item followed by
// a tab and the names of up to ten keys assigned to its command.
class CMenuBuilder : public QObject {
    Q_OBJECT
public:
    CMenuBuilder(QMenuBar* bar, QObject* parent = nullptr);

    void Build();
    // Sets every label from the text table; key names come from `keys`.
    void Relabel(int language, const CKeyTable& keys);
    // Rebuilds the recent-files items ("&%d %s", commands from 10000) at the end of the File menu.
    void SetRecentFiles(const std::vector<std::string>& paths);

    QAction* Action(int command) const;
    QMenu* TopMenu(int position) const;
    QMenu* SubMenu(int position) const;
    QMenuBar* Bar() const { return bar; }

    // The label of an item: the table text, a tab and the key names when the command has keys.
    static QString ItemText(int command, int language, const CKeyTable& keys);

signals:
    void Command(int command);

private:
    QAction* AddItem(QMenu* menu, int command);

    QMenuBar* bar;
    std::vector<QMenu*> topMenus;
    std::vector<QMenu*> subMenus; // Offset Jump, Byte Order, Address, Character set
    std::map<int, QAction*> actions;
    QAction* recentSeparator = nullptr;
    std::vector<QAction*> recentActions;
};

#pragma once

#include <QLabel>
#include <QWidget>
#include <vector>

class CCmdRadioButton;

// The size and type bar: the "Size" group (1BYTE, 2BYTES, 4BYTES, 8BYTES, SYMBOL) and the "Type" group (BIT,
// HEX, SIGN, UNSIGN, FLOAT, TEXT). A pressed button's command is passed on to the main window.
class CMyDialogBar : public QWidget {
    Q_OBJECT
public:
    explicit CMyDialogBar(QWidget* parent = nullptr);

    // Checked buttons, as indices in the order above; -1 when none.
    int SizeIndex() const;
    int TypeIndex() const;
    void CheckSize(int index);
    void CheckType(int index);
    // Shows the type buttons whose bit (bit 0 = BIT, in the order above) is set and hides the others.
    void ShowTypes(int mask);
    bool IsTypeVisible(int index) const;
    void ShowSymbolButton(bool show);
    // The group captions in the given language.
    void ApplyLanguage(int language);

    CCmdRadioButton* SizeButton(int index) const { return sizeButtons[index]; }
    CCmdRadioButton* TypeButton(int index) const { return typeButtons[index]; }
    static int SizeIndexOfCommand(int command);
    static int TypeIndexOfCommand(int command);

signals:
    void Command(int commandId);

private:
    QWidget* sizeGroup;
    QWidget* typeGroup;
    QLabel* sizeCaption;
    QLabel* typeCaption;
    std::vector<CCmdRadioButton*> sizeButtons;
    std::vector<CCmdRadioButton*> typeButtons;
};

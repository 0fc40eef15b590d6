#pragma once

#include "data/CEditCommands.h"

#include <QDialog>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class CUserPrompt;

// The data input dialog of the Write command: shows the input mode and the unit's offset, offers the unit's
// current value, and on OK turns the entered text into at most 16 bytes by the chosen input type. A text that
// does not parse is reported and the dialog stays open. The value is edited as Unicode and parsed as code
// page 932 text.
class CInputDlg2 : public QDialog {
    Q_OBJECT
public:
    static constexpr size_t kCapacity = 16;

    CInputDlg2(const WriteTarget& target, int decimalAddress, int littleEndian, int charSet,
               CUserPrompt& prompt, QWidget* parent = nullptr);

    // The parsed bytes and the input type used, valid after OK.
    const std::vector<unsigned char>& Bytes() const { return bytes; }
    int InputType() const;

    QLabel* ModeLabel() const { return modeLabel; }
    QLabel* OffsetLabel() const { return offsetLabel; }
    QComboBox* TypeList() const { return typeList; }
    QLineEdit* ValueField() const { return valueField; }

    void accept() override;

private:
    void BuildTypeList(int charSet, int selectedType);

    CUserPrompt& prompt;
    int littleEndian;
    int charSet;
    std::vector<unsigned char> bytes;
    QLabel* modeLabel = nullptr;
    QLabel* offsetLabel = nullptr;
    QComboBox* typeList = nullptr;
    QLineEdit* valueField = nullptr;
};

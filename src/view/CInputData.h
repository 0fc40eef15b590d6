#pragma once

#include "binding/CInputValue.h"

#include <QDialog>
#include <QString>
#include <string>

class CUserPrompt;
class QLabel;
class QLineEdit;

// The prompt dialog a script opens with InputData(: a title, a prompt line and a one-line edit box with the
// variable's value, right-aligned for numbers and left-aligned for text. OK accepts only a text that is a
// value of the dialog's type; anything else is reported as an illegal character in the run's language and
// the dialog stays open. Values are code page 932 text.
class CInputData : public QDialog {
    Q_OBJECT
public:
    // Value types (CInputValue): 1 char, 2 unsigned char, 3 short, 4 unsigned short, 5 long, 6 unsigned
    // long, 7 float, 8 double, 9 text; any other number is taken as long.
    CInputData(const QString& promptText, const QString& title, int valueType, const std::string& text,
               int language, CUserPrompt& prompt, QWidget* parent = nullptr);

    int ValueType() const { return value_.GetType(); }
    // The accepted text and its value, valid after OK.
    const std::string& Text() const { return text_; }
    const CInputValue& Value() const { return value_; }

    QLabel* PromptLabel() const { return promptLabel_; }
    QLineEdit* ValueField() const { return valueField_; }

    void accept() override;

private:
    CUserPrompt& prompt_;
    CInputValue value_;
    int language_;
    std::string text_;
    QLabel* promptLabel_ = nullptr;
    QLineEdit* valueField_ = nullptr;
};

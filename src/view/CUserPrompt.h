#pragma once

#include <QString>
#include <cstdint>
#include <string>

class QWidget;

// The questions and messages the editor puts to the user. The window asks through this interface so that
// tests can answer without a display; the default shows modal message boxes titled "KIVRAN".
class CUserPrompt {
public:
    enum Answer { Yes, No, Cancel, Ok };

    virtual ~CUserPrompt();

    virtual void Message(QWidget* parent, const QString& text);
    virtual Answer AskYesNoCancel(QWidget* parent, const QString& text);
    virtual Answer AskYesNo(QWidget* parent, const QString& text);
    // OK and Cancel; answers Ok or Cancel.
    virtual Answer AskOkCancel(QWidget* parent, const QString& text);
    // The first-start language dialog; returns the chosen language (0 Japanese, 1 English).
    virtual int ChooseLanguage(QWidget* parent, int current);
    virtual QString OpenFileName(QWidget* parent, const QString& title, const QString& dir,
                                 const QString& filter);
    virtual QString SaveFileName(QWidget* parent, const QString& title, const QString& dir,
                                 const QString& filter);
    virtual void Beep();

    // A script's message box: the button set is style & 0x0F (0 OK; 1 OK, Cancel; 2 Abort, Retry, Ignore;
    // 3 Yes, No, Cancel; 4 Yes, No; 5 Retry, Cancel; any other value OK), the icon style & 0xF0 (0x10 stop,
    // 0x20 question, 0x30 exclamation, 0x40 information). Returns the number of the button pressed: 1 OK,
    // 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No.
    virtual int MessageBox(QWidget* parent, const QString& text, const QString& caption, uint32_t style);
    // A script's prompt dialog (CInputData) for a value type 1 to 9: text is the initial value and, after
    // OK, the value entered (code page 932); the messages are in the given language. False on Cancel.
    virtual bool InputData(QWidget* parent, const QString& promptText, const QString& title, int valueType,
                           int language, std::string& text);
};

#pragma once

#include <QString>

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
};

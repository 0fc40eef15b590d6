#pragma once

#include "view/CUserPrompt.h"

#include <QStringList>

// Answers the window's questions from a script and records what it was asked.
class FakePrompt : public CUserPrompt {
public:
    void Message(QWidget*, const QString& text) override { messages << text; }
    Answer AskYesNoCancel(QWidget*, const QString& text) override {
        questions << text;
        return yesNoCancelAnswer;
    }
    Answer AskYesNo(QWidget*, const QString& text) override {
        questions << text;
        return yesNoCancelAnswer == Yes ? Yes : No;
    }
    Answer AskOkCancel(QWidget*, const QString& text) override {
        questions << text;
        return yesNoCancelAnswer == Yes || yesNoCancelAnswer == Ok ? Ok : Cancel;
    }
    int ChooseLanguage(QWidget*, int current) override {
        languageAskedWith = current;
        return chosenLanguage;
    }
    QString OpenFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return openName;
    }
    QString SaveFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return saveName;
    }
    void Beep() override { ++beeps; }

    QStringList messages;
    QStringList questions;
    Answer yesNoCancelAnswer = Cancel;
    int chosenLanguage = 1;
    int languageAskedWith = -1;
    QString openName;
    QString saveName;
    int beeps = 0;
};

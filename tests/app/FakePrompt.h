#pragma once

#include "view/CUserPrompt.h"

#include <QStringList>
#include <functional>
#include <string>
#include <vector>

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
    int MessageBox(QWidget*, const QString& text, const QString& caption, uint32_t style) override {
        boxes.push_back({text, caption, style});
        if (duringQuestion) {
            duringQuestion();
        }
        return boxAnswer;
    }
    bool InputData(QWidget*, const QString& promptText, const QString& title, int valueType, int language,
                   std::string& text) override {
        inputs.push_back({promptText, title, valueType, language, text});
        if (duringQuestion) {
            duringQuestion();
        }
        if (!inputAccepted) {
            return false;
        }
        text = inputAnswer;
        return true;
    }

    QStringList messages;
    QStringList questions;
    Answer yesNoCancelAnswer = Cancel;
    int chosenLanguage = 1;
    int languageAskedWith = -1;
    QString openName;
    QString saveName;
    int beeps = 0;

    // Script message boxes and prompts, as asked.
    struct Box {
        QString text;
        QString caption;
        uint32_t style;
    };
    struct Input {
        QString prompt;
        QString title;
        int valueType;
        int language;
        std::string initialText;
    };
    std::vector<Box> boxes;
    int boxAnswer = 1;
    std::vector<Input> inputs;
    bool inputAccepted = true;
    std::string inputAnswer;
    // Called while a script's message box or prompt is open, to look at the window meanwhile.
    std::function<void()> duringQuestion;
};

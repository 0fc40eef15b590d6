#pragma once

#include <QDialog>

class QRadioButton;

// The language dialog of the first start. Its texts are bilingual and never relabelled.
class ClangDlg : public QDialog {
    Q_OBJECT
public:
    explicit ClangDlg(int current, QWidget* parent = nullptr);
    // 0 Japanese, 1 English: the checked radio button.
    int SelectedLanguage() const;

    QRadioButton* JapaneseButton() const { return japanese; }
    QRadioButton* EnglishButton() const { return english; }

private:
    QRadioButton* japanese;
    QRadioButton* english;
};

#pragma once

#include <QDialog>

class QPushButton;

// Shown after each difference of a comparison: "Next" goes on to the next difference, "Non stop" runs to the
// end without asking again, "Cancel" (or closing the dialog) stops the comparison.
class CCompareNextDlg : public QDialog {
    Q_OBJECT
public:
    enum Result { kNext = 0, kNonStop = 1, kCancel = 3 };

    explicit CCompareNextDlg(QWidget* parent = nullptr);

    // kCancel until a button sets it.
    int ResultCode() const { return result; }

private:
    void Finish(int code);

    int result = kCancel;
};

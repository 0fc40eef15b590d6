#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QListWidget;
class QRadioButton;

// The options of a comparison: which of the other running copies to compare with (listed by their window
// titles, the first selected), where to start (from the top or from both cursors) and whether the
// differences are coloured.
class CCompareOptDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTitleLength = 255;

    explicit CCompareOptDlg(const QStringList& partnerTitles, QWidget* parent = nullptr);

    // The index of the chosen partner in the list given, -1 when the list was empty.
    int Partner() const;
    // 0 from top, 1 from cursor.
    int StartPosition() const;
    bool PutColor() const;

private:
    QListWidget* partners = nullptr;
    QRadioButton* fromTop = nullptr;
    QRadioButton* fromCursor = nullptr;
    QCheckBox* putColor = nullptr;
};

#pragma once

#include "print/CPrintDocument.h"

#include <QDialog>
#include <array>

class CPrintDialogs;
class QPushButton;
class QSpinBox;

// The Layout dialog: the space between lines, the four margins and the print font. OK takes the values.
class CPrnLayout : public QDialog {
    Q_OBJECT
public:
    CPrnLayout(const PrintOptions& options, CPrintDialogs& dialogs, QWidget* parent = nullptr);

    // The values as edited (after OK, the ones to keep).
    PrintOptions Values() const;

    QSpinBox* BetweenLineField() const { return betweenLine; }
    // Margin fields in the order left, top, right, bottom.
    QSpinBox* MarginField(int index) const { return margins[static_cast<size_t>(index & 3)]; }
    QPushButton* FontButton() const { return fontButton; }

private:
    void ChooseFont();

    PrintOptions values;
    CPrintDialogs& dialogs;
    QSpinBox* betweenLine = nullptr;
    std::array<QSpinBox*, 4> margins{};
    QPushButton* fontButton = nullptr;
};

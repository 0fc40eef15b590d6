#pragma once

#include "settings/ColorValueRecord.h"

#include <QDialog>
#include <array>
#include <cstdint>
#include <functional>

class CUserPrompt;
class QLabel;
class QLineEdit;

// Adds or edits one strong-data pattern: four two-character fields for bytes 0 to 3 (hexadecimal digits, "*"
// for an open digit), the text and background colours, and a sample drawn in them. OK with a field that is
// not empty, one or two digits or "*" selects that field, beeps and keeps the dialog open.
class CColoredValueDlg : public QDialog {
    Q_OBJECT
public:
    // Picks a colour (0x00BBGGRR) starting from initial; false when the choice was abandoned.
    using ColorChooser = std::function<bool(uint32_t initial, uint32_t& chosen)>;

    // record is the pattern shown (for a new one, its colours only); defaultBackground is what the sample
    // shows behind its text while the record has no background of its own. Beeps go through prompt when
    // one is given.
    CColoredValueDlg(const ColorValueRecord& record, uint32_t defaultBackground,
                     CUserPrompt* prompt = nullptr, QWidget* parent = nullptr);

    // The pattern and colours as entered, once the dialog was closed with OK. Its size may be 0 (every
    // field empty); whoever adds records refuses that.
    const ColorValueRecord& Record() const { return record; }

    // Replaces the system colour chooser (tests answer through it).
    void SetColorChooser(ColorChooser chooser) { colorChooser = std::move(chooser); }

    QLineEdit* Field(int index) const { return fields[static_cast<size_t>(index & 3)]; }
    QLabel* Sample() const { return sample; }

    void accept() override;

private:
    void ChooseTextColor();
    void ChooseBackgroundColor();
    void UpdateSample();

    ColorValueRecord record;
    uint32_t defaultBackground;
    CUserPrompt* prompt;
    ColorChooser colorChooser;
    std::array<QLineEdit*, 4> fields{};
    QLabel* sample = nullptr;
};

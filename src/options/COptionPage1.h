#pragma once

#include "options/COptionPage.h"

#include <QFont>
#include <array>
#include <cstdint>
#include <functional>

class CColoredValueDlg;
class COptionSample;
class COptionSpinBox;
class CUserPrompt;
class QListWidget;
class QPushButton;

// The "View" page: the text and background colour of the six colour elements, the display font, the
// precision of floats and the strong-data list.
class COptionPage1 : public COptionPage {
    Q_OBJECT
public:
    static constexpr int kElements = 6;
    static constexpr int kMinPrecision = 1;
    static constexpr int kMaxPrecision = 15;

    // Picks a colour (0x00BBGGRR) starting at initial; false when abandoned.
    using ColorChooser = std::function<bool(uint32_t initial, uint32_t& chosen)>;
    // Picks a font starting at initial; false when abandoned.
    using FontChooser = std::function<bool(const QFont& initial, QFont& chosen)>;
    // Runs the strong-data dialog; true on OK.
    using ValueDialog = std::function<bool(CColoredValueDlg& dialog)>;

    COptionPage1(CUserPrompt& prompt, QWidget* parent = nullptr);

    void Load(const COptionValues& values) override;
    bool Store(COptionValues& values, QWidget*& badField, QString& message) override;

    void SetColorChooser(ColorChooser chooser) { colorChooser = std::move(chooser); }
    void SetFontChooser(FontChooser chooser) { fontChooser = std::move(chooser); }
    void SetValueDialog(ValueDialog dialog) { valueDialog = std::move(dialog); }

    // Strong-data commands.
    void AddStrongData();
    void DeleteStrongData();
    void EditStrongData();

    std::array<COptionSample*, kElements> samples{};
    std::array<QPushButton*, kElements> charButtons{};
    std::array<QPushButton*, kElements> backButtons{};
    QPushButton* fontButton = nullptr;
    COptionSpinBox* precision = nullptr;
    QListWidget* strongList = nullptr;
    COptionSample* strongSample = nullptr;
    QPushButton* addButton = nullptr;
    QPushButton* delButton = nullptr;
    QPushButton* editButton = nullptr;

    const std::array<uint32_t, 6>& TextColors() const { return textColor; }
    const std::array<uint32_t, 6>& BackColors() const { return bkColor; }
    const LogFont& Font() const { return font; }
    const CColorValue& StrongData() const { return strongData; }

private:
    void ChooseColor(int element, bool background);
    void ChooseFont();
    void UpdateSamples();
    void FillStrongList(int select);

    CUserPrompt& prompt;
    ColorChooser colorChooser;
    FontChooser fontChooser;
    ValueDialog valueDialog;
    std::array<uint32_t, 6> textColor{};
    std::array<uint32_t, 6> bkColor{};
    LogFont font;
    QFont sampleFont;
    CColorValue strongData;
};

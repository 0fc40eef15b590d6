#include "options/COptionPage1.h"

#include "options/COptionNumbers.h"
#include "options/COptionSample.h"
#include "options/COptionSpinBox.h"
#include "settings/CTextTable.h"
#include "view/CColoredValueDlg.h"
#include "view/CDialogTexts.h"
#include "view/CMainFrame.h"
#include "view/CUserPrompt.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct ElementText {
    TextId id;
    const char* japanese;
    const char* name;
};
const ElementText kElementTexts[COptionPage1::kElements] = {
    {T_DLG_DATA, "データ", "data"},     {T_DLG_ADDRESS, "アドレス", "address"},
    {T_DLG_HEADER, "ヘッダ", "header"}, {T_DLG_SELECT, "選択中", "select"},
    {T_DLG_MARK, "マーク", "mark"},     {T_DLG_DIFFERENT_DATA, "不一致データ", "different"},
};

QColor ToColor(uint32_t bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

uint32_t FromColor(const QColor& color) {
    return static_cast<uint32_t>(color.red()) | (static_cast<uint32_t>(color.green()) << 8) |
           (static_cast<uint32_t>(color.blue()) << 16);
}

// The description of a chosen font; the fields a font chooser does not give keep their values.
LogFont DescriptionOf(const QFont& chosen, const LogFont& previous) {
    LogFont d = previous;
    d.faceName = LogFont::FitFaceName(chosen.family().toStdString());
    const int pixels = chosen.pixelSize() > 0 ? chosen.pixelSize() : QFontInfo(chosen).pixelSize();
    d.height = -(pixels > 0 ? pixels : 16);
    d.width = 0;
    d.weight = chosen.bold() ? 700 : 400;
    d.italic = chosen.italic() ? 1 : 0;
    return d;
}

QPushButton* Button(const QString& text, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

COptionPage1::COptionPage1(CUserPrompt& prompt, QWidget* parent) : COptionPage(parent), prompt(prompt) {
    colorChooser = [this](uint32_t initial, uint32_t& chosen) {
        const QColor color =
            QColorDialog::getColor(ToColor(initial), this, QString(), QColorDialog::DontUseNativeDialog);
        if (!color.isValid()) {
            return false;
        }
        chosen = FromColor(color);
        return true;
    };
    fontChooser = [this](const QFont& initial, QFont& chosen) {
        bool ok = false;
        const QFont font = QFontDialog::getFont(
            &ok, initial, this, QString(), QFontDialog::DontUseNativeDialog | QFontDialog::MonospacedFonts);
        if (ok) {
            chosen = font;
        }
        return ok;
    };
    valueDialog = [](CColoredValueDlg& dialog) { return dialog.exec() == QDialog::Accepted; };

    auto* layout = new QVBoxLayout(this);
    auto* colours = new QGridLayout;
    const QString charText = CDialogTexts::Label(T_DLG_CHAR, "文字");
    const QString backText = CDialogTexts::Label(T_DLG_BACK, "背景");
    for (int i = 0; i < kElements; ++i) {
        const ElementText& e = kElementTexts[i];
        auto* group = new QGroupBox(CDialogTexts::Label(e.id, e.japanese), this);
        auto* row = new QHBoxLayout(group);
        samples[i] = new COptionSample(Qt::AlignLeft, group);
        samples[i]->setObjectName(QString(e.name) + "Sample");
        charButtons[i] = Button(charText, QString(e.name) + "Char", group);
        backButtons[i] = Button(backText, QString(e.name) + "Back", group);
        connect(charButtons[i], &QPushButton::clicked, this, [this, i] { ChooseColor(i, false); });
        connect(backButtons[i], &QPushButton::clicked, this, [this, i] { ChooseColor(i, true); });
        row->addWidget(samples[i], 1);
        row->addWidget(charButtons[i]);
        row->addWidget(backButtons[i]);
        colours->addWidget(group, i / 2, i % 2);
    }
    layout->addLayout(colours);

    auto* middle = new QHBoxLayout;
    fontButton = Button(CDialogTexts::Label(T_DLG_FONT, "フォント(&F)"), "font", this);
    connect(fontButton, &QPushButton::clicked, this, &COptionPage1::ChooseFont);
    middle->addWidget(fontButton);
    auto* precisionGroup =
        new QGroupBox(CDialogTexts::Label(T_DLG_PRECISION_OF_FLOAT, "実数の表示精度"), this);
    auto* precisionRow = new QHBoxLayout(precisionGroup);
    precision = new COptionSpinBox(kMinPrecision, kMaxPrecision, precisionGroup);
    precision->setObjectName("precision");
    precisionRow->addWidget(precision);
    middle->addWidget(precisionGroup);
    middle->addStretch(1);
    layout->addLayout(middle);

    auto* strong = new QGroupBox(CDialogTexts::Label(T_DLG_STRONG_DATA, "強調データ"), this);
    auto* strongRow = new QHBoxLayout(strong);
    strongList = new QListWidget(strong);
    strongList->setObjectName("strongList");
    strongList->setSelectionMode(QAbstractItemView::SingleSelection);
    strongRow->addWidget(strongList, 1);
    auto* strongSide = new QVBoxLayout;
    strongSample = new COptionSample(Qt::AlignHCenter, strong);
    strongSample->setObjectName("strongSample");
    strongSide->addWidget(strongSample);
    addButton = Button(CDialogTexts::Label(T_DLG_ADD, "追加"), "strongAdd", strong);
    delButton = Button(CDialogTexts::Label(T_DLG_DEL, "削除"), "strongDel", strong);
    editButton = Button(CDialogTexts::Label(T_DLG_EDIT, "変更"), "strongEdit", strong);
    for (QPushButton* b : {addButton, delButton, editButton}) {
        strongSide->addWidget(b);
    }
    strongSide->addStretch(1);
    strongRow->addLayout(strongSide);
    layout->addWidget(strong, 1);
    connect(addButton, &QPushButton::clicked, this, &COptionPage1::AddStrongData);
    connect(delButton, &QPushButton::clicked, this, &COptionPage1::DeleteStrongData);
    connect(editButton, &QPushButton::clicked, this, &COptionPage1::EditStrongData);
    connect(strongList, &QListWidget::currentRowChanged, this, [this] { UpdateSamples(); });
    // A double click on an entry edits it.
    connect(strongList, &QListWidget::itemDoubleClicked, this, [this] { EditStrongData(); });
}

void COptionPage1::Load(const COptionValues& v) {
    textColor = v.textColor;
    bkColor = v.bkColor;
    font = v.font;
    sampleFont = CMainFrame::FontFromDescription(font);
    precision->setValue(v.floatPrecision);
    strongData = v.strongData;
    FillStrongList(0);
}

bool COptionPage1::Store(COptionValues& v, QWidget*& badField, QString& message) {
    int64_t digits = 0;
    const COptionNumbers::Result r =
        COptionNumbers::Parse(precision->text().toStdString(), kMinPrecision, kMaxPrecision, digits);
    if (r != COptionNumbers::kOk) {
        badField = precision;
        message = QString::fromStdString(
            COptionNumbers::Message(r, kMinPrecision, kMaxPrecision, CTextTable::Language()));
        return false;
    }
    v.textColor = textColor;
    v.bkColor = bkColor;
    v.font = font;
    v.floatPrecision = static_cast<int32_t>(digits);
    v.strongData = strongData;
    return true;
}

void COptionPage1::ChooseColor(int element, bool background) {
    uint32_t& colour = background ? bkColor[element] : textColor[element];
    uint32_t chosen = colour;
    if (colorChooser(colour, chosen)) {
        colour = chosen & 0xFFFFFF;
        UpdateSamples();
    }
}

void COptionPage1::ChooseFont() {
    QFont chosen;
    if (fontChooser(sampleFont, chosen)) {
        font = DescriptionOf(chosen, font);
        sampleFont = CMainFrame::FontFromDescription(font);
        UpdateSamples();
    }
}

void COptionPage1::UpdateSamples() {
    for (int i = 0; i < kElements; ++i) {
        samples[i]->Set("1234ABCD", sampleFont, ToColor(textColor[i]), ToColor(bkColor[i]));
    }
    const int row = strongList->currentRow();
    if (row >= 0 && static_cast<size_t>(row) < strongData.size()) {
        const ColorValueRecord& r = strongData[static_cast<size_t>(row)];
        const uint32_t back = r.bkColor == ColorValueRecord::kNoBackground ? bkColor[0] : r.bkColor;
        strongSample->Set(QString::fromStdString(CColorValue::TextForm(r)), sampleFont, ToColor(r.textColor),
                          ToColor(back));
    } else {
        strongSample->Set(QString(), sampleFont, ToColor(textColor[0]), ToColor(bkColor[0]));
    }
}

void COptionPage1::FillStrongList(int select) {
    strongList->blockSignals(true);
    strongList->clear();
    for (const ColorValueRecord& r : strongData) {
        strongList->addItem(QString::fromStdString(CColorValue::TextForm(r)));
    }
    if (select >= 0 && select < strongList->count()) {
        strongList->setCurrentRow(select);
    }
    strongList->blockSignals(false);
    UpdateSamples();
}

void COptionPage1::AddStrongData() {
    ColorValueRecord fresh;
    fresh.textColor = bkColor[0];
    fresh.bkColor = textColor[0];
    CColoredValueDlg dialog(fresh, bkColor[0], &prompt, this);
    if (!valueDialog(dialog) || dialog.Record().size < 1) {
        return;
    }
    strongData.push_back(dialog.Record());
    FillStrongList(static_cast<int>(strongData.size()) - 1);
}

void COptionPage1::DeleteStrongData() {
    const int row = strongList->currentRow();
    if (row < 0 || static_cast<size_t>(row) >= strongData.size()) {
        return;
    }
    const QString question =
        QString::fromStdString(CTextTable::Text(T_MSG_DELETE_STRONG)) +
        QString::fromStdString(CColorValue::TextForm(strongData[static_cast<size_t>(row)]));
    if (prompt.AskOkCancel(this, question) != CUserPrompt::Ok) {
        return;
    }
    strongData.Remove(static_cast<size_t>(row));
    FillStrongList(row < static_cast<int>(strongData.size()) ? row : 0);
}

void COptionPage1::EditStrongData() {
    const int row = strongList->currentRow();
    if (row < 0 || static_cast<size_t>(row) >= strongData.size()) {
        return;
    }
    CColoredValueDlg dialog(strongData[static_cast<size_t>(row)], bkColor[0], &prompt, this);
    if (!valueDialog(dialog)) {
        return;
    }
    strongData.Replace(static_cast<size_t>(row), dialog.Record());
    FillStrongList(row);
}

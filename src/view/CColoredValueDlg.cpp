#include "view/CColoredValueDlg.h"

#include "settings/CColorValue.h"
#include "view/CDialogTexts.h"
#include "view/CUserPrompt.h"

#include <QApplication>
#include <QColorDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QColor ToColor(uint32_t bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

uint32_t FromColor(const QColor& color) {
    return static_cast<uint32_t>(color.red()) | (static_cast<uint32_t>(color.green()) << 8) |
           (static_cast<uint32_t>(color.blue()) << 16);
}

} // namespace

CColoredValueDlg::CColoredValueDlg(const ColorValueRecord& initial, uint32_t defaultBackground,
                                   CUserPrompt* prompt, QWidget* parent)
    : QDialog(parent), record(initial), defaultBackground(defaultBackground), prompt(prompt) {
    colorChooser = [this](uint32_t start, uint32_t& chosen) {
        const QColor color = QColorDialog::getColor(ToColor(start), this);
        if (!color.isValid()) {
            return false;
        }
        chosen = FromColor(color);
        return true;
    };
    setWindowTitle(CDialogTexts::Label(T_DLG_ADD_EDIT_STRONG_DATA, "強調表示データの追加/編集"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(CDialogTexts::Label(T_DLG_LOWER_UPPER, "下位アドレス <--> 上位アドレス"), this));

    auto* row = new QHBoxLayout;
    for (int i = 0; i < CColorValue::kMaxSize; ++i) {
        if (i > 0) {
            row->addWidget(new QLabel("-", this));
        }
        auto* field = new QLineEdit(this);
        field->setObjectName(QString("byte%1").arg(i));
        field->setMaxLength(2);
        field->setMaximumWidth(field->fontMetrics().horizontalAdvance("WWWW"));
        if (i < initial.size) {
            field->setText(QString::fromStdString(CColorValue::ByteText(initial, i)));
        }
        fields[static_cast<size_t>(i)] = field;
        row->addWidget(field);
    }
    row->addStretch(1);
    layout->addLayout(row);

    layout->addWidget(
        new QLabel(CDialogTexts::Label(T_DLG_MAXIMUS_4_BYTES, "最大4バイトまで指定できます"), this));
    layout->addWidget(
        new QLabel(CDialogTexts::Label(T_DLG_WILDCARD, "ワイルドカード '*' でマスク指定できます"), this));

    auto* example = new QHBoxLayout;
    example->addWidget(new QLabel(CDialogTexts::Label(T_DLG_EX, "入力例"), this));
    sample = new QLabel("11-2*-*3-FF", this);
    sample->setObjectName("sample");
    sample->setAlignment(Qt::AlignCenter);
    sample->setFrameStyle(QFrame::Box | QFrame::Plain);
    sample->setAutoFillBackground(true);
    sample->setMinimumSize(sample->fontMetrics().horizontalAdvance("11-2*-*3-FF") * 2,
                           sample->fontMetrics().height() * 2);
    example->addWidget(sample, 1);
    layout->addLayout(example);

    auto* colours = new QHBoxLayout;
    auto* text = new QPushButton(CDialogTexts::Label(T_DLG_TEXT, "文字色"), this);
    text->setObjectName("textColor");
    text->setAutoDefault(false);
    auto* background = new QPushButton(CDialogTexts::Label(T_DLG_BACKGROUND, "背景色"), this);
    background->setObjectName("backgroundColor");
    background->setAutoDefault(false);
    connect(text, &QPushButton::clicked, this, &CColoredValueDlg::ChooseTextColor);
    connect(background, &QPushButton::clicked, this, &CColoredValueDlg::ChooseBackgroundColor);
    colours->addWidget(text);
    colours->addWidget(background);
    colours->addStretch(1);
    layout->addLayout(colours);

    CDialogTexts::AddOkCancel(*this, *layout);
    UpdateSample();
    fields[0]->setFocus();
}

void CColoredValueDlg::UpdateSample() {
    QPalette palette = sample->palette();
    const uint32_t bk =
        record.bkColor == ColorValueRecord::kNoBackground ? defaultBackground : record.bkColor;
    palette.setColor(QPalette::Window, ToColor(bk));
    palette.setColor(QPalette::WindowText, ToColor(record.textColor));
    sample->setPalette(palette);
    sample->update();
}

void CColoredValueDlg::ChooseTextColor() {
    uint32_t chosen = 0;
    if (colorChooser(record.textColor, chosen)) {
        record.textColor = chosen & 0xFFFFFF;
        UpdateSample();
    }
}

void CColoredValueDlg::ChooseBackgroundColor() {
    // A record without a background of its own starts the choice at black.
    const uint32_t start = record.bkColor == ColorValueRecord::kNoBackground ? 0 : record.bkColor;
    uint32_t chosen = 0;
    if (colorChooser(start, chosen)) {
        record.bkColor = chosen & 0xFFFFFF;
        UpdateSample();
    }
}

void CColoredValueDlg::accept() {
    std::array<std::string, CColorValue::kMaxSize> texts;
    for (size_t i = 0; i < texts.size(); ++i) {
        texts[i] = fields[i]->text().toStdString();
    }
    int bad = -1;
    ColorValueRecord parsed = record;
    if (!CColorValue::ParseFields(texts, parsed, bad)) {
        QLineEdit* field = fields[static_cast<size_t>(bad)];
        field->setFocus();
        field->selectAll();
        if (prompt) {
            prompt->Beep();
        } else {
            QApplication::beep();
        }
        return;
    }
    record = parsed;
    QDialog::accept();
}

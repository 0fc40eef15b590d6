#include "print/CPrnLayout.h"

#include "print/CPrintDialogs.h"
#include "view/CDialogTexts.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr int kLargestValue = 9999;

QSpinBox* NewField(int value, QWidget* parent) {
    auto* field = new QSpinBox(parent);
    field->setRange(0, kLargestValue);
    field->setValue(std::clamp(value, 0, kLargestValue));
    return field;
}

} // namespace

CPrnLayout::CPrnLayout(const PrintOptions& options, CPrintDialogs& printDialogs, QWidget* parent)
    : QDialog(parent), values(options), dialogs(printDialogs) {
    setWindowTitle(CDialogTexts::Label(T_DLG_LAYOUT, "レイアウト"));
    auto* layout = new QVBoxLayout(this);

    auto* lineRow = new QHBoxLayout;
    lineRow->addWidget(new QLabel(CDialogTexts::Label(T_DLG_BETWEEN_LINE, "行間"), this));
    betweenLine = NewField(options.margins.betweenLine, this);
    betweenLine->setObjectName("betweenLine");
    lineRow->addWidget(betweenLine);
    lineRow->addWidget(new QLabel("x0.1 mm", this));
    layout->addLayout(lineRow);

    auto* group = new QGroupBox(CDialogTexts::Label(T_DLG_MARGIN, "マージン"), this);
    auto* grid = new QGridLayout(group);
    struct Side {
        int index;
        TextId label;
        const char* japanese;
    };
    const Side sides[] = {
        {1, T_DLG_TOP, "上"}, {3, T_DLG_BOTTOM, "下"}, {0, T_DLG_LEFT, "左"}, {2, T_DLG_RIGHT, "右"}};
    int row = 0;
    for (const Side& side : sides) {
        auto* field = NewField(options.margins.margin[static_cast<size_t>(side.index)], group);
        field->setObjectName(QString("margin%1").arg(side.index));
        margins[static_cast<size_t>(side.index)] = field;
        grid->addWidget(new QLabel(CDialogTexts::Label(side.label, side.japanese), group), row, 0);
        grid->addWidget(field, row, 1);
        grid->addWidget(new QLabel("mm", group), row, 2);
        ++row;
    }
    layout->addWidget(group);

    fontButton = new QPushButton(CDialogTexts::Label(T_DLG_FONT, "フォント"), this);
    fontButton->setObjectName("fontButton");
    fontButton->setAutoDefault(false);
    connect(fontButton, &QPushButton::clicked, this, &CPrnLayout::ChooseFont);
    layout->addWidget(fontButton);

    CDialogTexts::AddOkCancel(*this, *layout);
}

void CPrnLayout::ChooseFont() {
    LogFont font = values.font;
    if (dialogs.ChooseFont(this, font)) {
        values.font = font;
    }
}

PrintOptions CPrnLayout::Values() const {
    PrintOptions out = values;
    out.margins.betweenLine = betweenLine->value();
    for (size_t i = 0; i < margins.size(); ++i) {
        out.margins.margin[i] = margins[i]->value();
    }
    return out;
}

#include "options/COptionPage2.h"

#include "options/COptionNumbers.h"
#include "settings/CTextTable.h"
#include "view/CDialogTexts.h"

#include <QButtonGroup>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <limits>

namespace {

const int64_t kMaxMemorySize = std::numeric_limits<int64_t>::max();
const int64_t kMaxElapse = std::numeric_limits<int32_t>::max();

QLineEdit* Field(QGridLayout* grid, int row, const QString& label, const char* name, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    auto* caption = new QLabel(label, parent);
    caption->setBuddy(field);
    grid->addWidget(caption, row, 0);
    grid->addWidget(field, row, 1);
    return field;
}

QPushButton* BrowseButton(QGridLayout* grid, int row, const char* name, QWidget* parent) {
    auto* button = new QPushButton(CDialogTexts::Label(T_DLG_BROWSE, "参照"), parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    grid->addWidget(button, row, 2);
    return button;
}

} // namespace

COptionPage2::COptionPage2(QWidget* parent) : COptionPage(parent) {
    fileChooser = [](QWidget* owner, const QString& title, const QString& start, const QString& filter) {
        return QFileDialog::getOpenFileName(owner, title, start, filter, nullptr,
                                            QFileDialog::DontUseNativeDialog);
    };
    auto* layout = new QVBoxLayout(this);

    auto* modeGroup = new QGroupBox(CDialogTexts::Label(T_DLG_MAIN_MODE, "動作モード"), this);
    auto* modeRow = new QHBoxLayout(modeGroup);
    fileMode = new QRadioButton(CDialogTexts::Label(T_DLG_FILE, "ファイルモード(&F)"), modeGroup);
    fileMode->setObjectName("fileMode");
    dllMode = new QRadioButton(CDialogTexts::Label(T_DLG_DLL, "DLLモード(&D)"), modeGroup);
    dllMode->setObjectName("dllMode");
    mmfMode = new QRadioButton(
        CDialogTexts::Label(T_DLG_MEMORY_MAPPED_FILE, "メモリーマップドファイルモード(&M)"), modeGroup);
    mmfMode->setObjectName("mmfMode");
    auto* modes = new QButtonGroup(this);
    for (QRadioButton* b : {fileMode, dllMode, mmfMode}) {
        modes->addButton(b);
        modeRow->addWidget(b);
        connect(b, &QRadioButton::toggled, this, [this] { UpdateEnabling(); });
    }
    modeRow->addStretch(1);
    layout->addWidget(modeGroup);

    dllGroup = new QGroupBox(CDialogTexts::Label(T_DLG_DLL_MODE, "DLLモード設定"), this);
    auto* dll = new QGridLayout(dllGroup);
    dllFileName =
        Field(dll, 0, CDialogTexts::Label(T_DLG_DLL_FILENAME, "DLLファイル名"), "dllFileName", dllGroup);
    browseDll = BrowseButton(dll, 0, "browseDll", dllGroup);
    readFuncName =
        Field(dll, 1, CDialogTexts::Label(T_DLG_READ_FUNC_NAME, "READ関数名"), "readFuncName", dllGroup);
    writeFuncName =
        Field(dll, 2, CDialogTexts::Label(T_DLG_WRITE_FUNC_NAME, "WRITE関数名"), "writeFuncName", dllGroup);
    dllMemorySize =
        Field(dll, 3, CDialogTexts::Label(T_DLG_MEMORY_SIZE, "メモリーサイズ"), "dllMemorySize", dllGroup);
    dllSymbolFile = Field(dll, 4, CDialogTexts::Label(T_DLG_SYMBOL_FILE, "シンボルファイル名"),
                          "dllSymbolFile", dllGroup);
    browseDllSymbol = BrowseButton(dll, 4, "browseDllSymbol", dllGroup);
    layout->addWidget(dllGroup);

    mmfGroup =
        new QGroupBox(CDialogTexts::Label(T_DLG_MEMORY_MAPPED_FILE, "メモリーマップドファイル設定"), this);
    auto* mmf = new QGridLayout(mmfGroup);
    mmfName =
        Field(mmf, 0, CDialogTexts::Label(T_DLG_MMF_NAME, "メモリーマップドファイル名"), "mmfName", mmfGroup);
    mutexName =
        Field(mmf, 1, CDialogTexts::Label(T_DLG_MUTEX_NAME, "ミューテックス名"), "mutexName", mmfGroup);
    mmfMemorySize =
        Field(mmf, 2, CDialogTexts::Label(T_DLG_MEMORY_SIZE, "メモリーサイズ"), "mmfMemorySize", mmfGroup);
    mmfSymbolFile = Field(mmf, 3, CDialogTexts::Label(T_DLG_SYMBOL_FILE, "シンボルファイル名"),
                          "mmfSymbolFile", mmfGroup);
    browseMmfSymbol = BrowseButton(mmf, 3, "browseMmfSymbol", mmfGroup);
    layout->addWidget(mmfGroup);

    elapseGroup = new QGroupBox(CDialogTexts::Label(T_DLG_ELAPSE_CYCLE, "更新サイクル"), this);
    auto* elapseRow = new QHBoxLayout(elapseGroup);
    elapse = new QLineEdit(elapseGroup);
    elapse->setObjectName("elapse");
    elapseRow->addWidget(elapse, 1);
    elapseRow->addWidget(new QLabel("ms", elapseGroup));
    layout->addWidget(elapseGroup);
    layout->addStretch(1);

    connect(browseDll, &QPushButton::clicked, this, [this] { Browse(dllFileName, true); });
    connect(browseDllSymbol, &QPushButton::clicked, this, [this] { Browse(dllSymbolFile, false); });
    connect(browseMmfSymbol, &QPushButton::clicked, this, [this] { Browse(mmfSymbolFile, false); });
}

int COptionPage2::Mode() const {
    return dllMode->isChecked() ? 1 : mmfMode->isChecked() ? 2 : 0;
}

void COptionPage2::UpdateEnabling() {
    const int mode = Mode();
    dllGroup->setEnabled(mode == 1);
    mmfGroup->setEnabled(mode == 2);
    elapseGroup->setEnabled(mode != 0);
}

void COptionPage2::Load(const COptionValues& v) {
    (v.mode == 1 ? dllMode : v.mode == 2 ? mmfMode : fileMode)->setChecked(true);
    dllFileName->setText(QString::fromStdString(v.dllFileName));
    readFuncName->setText(QString::fromStdString(v.readFuncName));
    writeFuncName->setText(QString::fromStdString(v.writeFuncName));
    dllMemorySize->setText(QString::number(v.dllMemorySize));
    dllSymbolFile->setText(QString::fromStdString(v.dllSymbolFile));
    mmfName->setText(QString::fromStdString(v.mmfName));
    mutexName->setText(QString::fromStdString(v.mutexName));
    mmfMemorySize->setText(QString::number(v.mmfMemorySize));
    mmfSymbolFile->setText(QString::fromStdString(v.mmfSymbolFile));
    elapse->setText(QString::number(v.elapse));
    UpdateEnabling();
}

bool COptionPage2::Store(COptionValues& v, QWidget*& badField, QString& message) {
    // Sizes and the period must be numbers that make sense: no negative memory size or period.
    struct Number {
        QLineEdit* field;
        int64_t high;
        int64_t value;
    };
    // A field of a mode not chosen cannot take the focus; while it holds no valid value it keeps the one
    // it had.
    Number numbers[] = {{dllMemorySize, kMaxMemorySize, v.dllMemorySize},
                        {mmfMemorySize, kMaxMemorySize, v.mmfMemorySize},
                        {elapse, kMaxElapse, v.elapse}};
    for (Number& n : numbers) {
        int64_t entered = 0;
        const COptionNumbers::Result r =
            COptionNumbers::Parse(n.field->text().toStdString(), 0, n.high, entered);
        if (r == COptionNumbers::kOk) {
            n.value = entered;
        } else if (n.field->isEnabled()) {
            badField = n.field;
            message = QString::fromStdString(COptionNumbers::Message(r, 0, n.high, CTextTable::Language()));
            return false;
        }
    }
    v.mode = Mode();
    v.dllFileName = dllFileName->text().toStdString();
    v.readFuncName = readFuncName->text().toStdString();
    v.writeFuncName = writeFuncName->text().toStdString();
    v.dllMemorySize = numbers[0].value;
    v.dllSymbolFile = dllSymbolFile->text().toStdString();
    v.mmfName = mmfName->text().toStdString();
    v.mutexName = mutexName->text().toStdString();
    v.mmfMemorySize = numbers[1].value;
    v.mmfSymbolFile = mmfSymbolFile->text().toStdString();
    v.elapse = static_cast<int32_t>(numbers[2].value);
    return true;
}

void COptionPage2::Browse(QLineEdit* field, bool library) {
    const QString title = QString::fromUtf8(library ? "DLLファイルの指定" : "シンボルファイルの指定");
    const QString filter = library ? " (*.DLL *.so *.so.*);; (*)" : " (*.SYM);; (*)";
    const QFileInfo current(field->text());
    const QString start = field->text().isEmpty() ? QString() : current.absolutePath();
    const QString chosen = fileChooser(this, title, start, filter);
    if (!chosen.isEmpty()) {
        field->setText(chosen);
    }
}

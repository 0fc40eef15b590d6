#include "options/COptionPage3.h"

#include "options/COptionNumbers.h"
#include "settings/CTextTable.h"
#include "view/CDialogTexts.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <limits>

namespace {

const int64_t kMinUndoSize = 4096;
const int64_t kMaxUndoSize = 4294967295LL;

QLineEdit* NumberRow(QGroupBox* group, const char* name) {
    auto* row = new QHBoxLayout(group);
    auto* field = new QLineEdit(group);
    field->setObjectName(name);
    row->addWidget(field, 1);
    row->addWidget(new QLabel("Bytes", group));
    return field;
}

} // namespace

COptionPage3::COptionPage3(QWidget* parent) : COptionPage(parent) {
    folderChooser = [](QWidget* owner, const QString& title, const QString& start) {
        return QFileDialog::getExistingDirectory(
            owner, title, start, QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    };
    auto* layout = new QVBoxLayout(this);

    messageOnDelete = new QCheckBox(
        CDialogTexts::Label(T_DLG_MESSAGE_ON_DELETE, "削除するとき確認メッセージを出す(&M)"), this);
    messageOnDelete->setObjectName("messageOnDelete");
    layout->addWidget(messageOnDelete);

    auto* fileSize =
        new QGroupBox(CDialogTexts::Label(T_DLG_MAX_FILE_SIZE, "編集可能なファイルサイズ"), this);
    maxFileSize = NumberRow(fileSize, "maxFileSize");
    layout->addWidget(fileSize);

    auto* undoSize =
        new QGroupBox(CDialogTexts::Label(T_DLG_MAX_UNDO_SIZE, "アンドゥのバッファサイズ"), this);
    maxUndoSize = NumberRow(undoSize, "maxUndoSize");
    layout->addWidget(undoSize);

    // The language group speaks both languages and is never relabelled.
    auto* language = new QGroupBox(QString::fromUtf8("言語(Language)"), this);
    auto* languageRow = new QHBoxLayout(language);
    japanese = new QRadioButton(QString::fromUtf8("日本語(&Japanese)"), language);
    japanese->setObjectName("japanese");
    english = new QRadioButton(QString::fromUtf8("英語(&English)"), language);
    english->setObjectName("english");
    languageRow->addWidget(japanese);
    languageRow->addWidget(english);
    languageRow->addStretch(1);
    layout->addWidget(language);

    useRegistry = new QCheckBox(CDialogTexts::Label(T_DLG_USE_REGISTRY, "レジストリを使用(&R)"), this);
    useRegistry->setObjectName("useRegistry");
    layout->addWidget(useRegistry);

    auto* macro =
        new QGroupBox(CDialogTexts::Label(T_DLG_MACRO_DIRECTORY, "マクロファイルディレクトリ"), this);
    auto* macroRow = new QHBoxLayout(macro);
    macroDir = new QLineEdit(macro);
    macroDir->setObjectName("macroDir");
    auto* browse = new QPushButton(CDialogTexts::Label(T_DLG_BROWSE, "参照"), macro);
    browse->setObjectName("browseMacroDir");
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, &COptionPage3::BrowseMacroDirectory);
    macroRow->addWidget(macroDir, 1);
    macroRow->addWidget(browse);
    layout->addWidget(macro);

    dynamicMark = new QCheckBox(CDialogTexts::Label(T_DLG_DYNAMIC_MARK, "編集連動マーク"), this);
    dynamicMark->setObjectName("dynamicMark");
    layout->addWidget(dynamicMark);
    layout->addStretch(1);
}

void COptionPage3::Load(const COptionValues& v) {
    messageOnDelete->setChecked(v.messageOnDelete);
    maxFileSize->setText(QString::number(v.maxFileSizeForMemory));
    maxUndoSize->setText(QString::number(v.maxUndoSize));
    (v.language == 1 ? english : japanese)->setChecked(true);
    useRegistry->setChecked(v.useRegistry != 0);
    macroDir->setText(QString::fromStdString(v.macroDir));
    dynamicMark->setChecked(v.dynamicMark);
}

bool COptionPage3::Store(COptionValues& v, QWidget*& badField, QString& message) {
    const int language = CTextTable::Language();
    int64_t fileSize = 0;
    // A negative limit would turn every file away.
    const int64_t kMaxFileSize = std::numeric_limits<int64_t>::max();
    COptionNumbers::Result r =
        COptionNumbers::Parse(maxFileSize->text().toStdString(), 0, kMaxFileSize, fileSize);
    if (r != COptionNumbers::kOk) {
        badField = maxFileSize;
        message = QString::fromStdString(COptionNumbers::Message(r, 0, kMaxFileSize, language));
        return false;
    }
    int64_t undoSize = 0;
    r = COptionNumbers::Parse(maxUndoSize->text().toStdString(), kMinUndoSize, kMaxUndoSize, undoSize);
    if (r != COptionNumbers::kOk) {
        badField = maxUndoSize;
        message = QString::fromStdString(COptionNumbers::Message(r, kMinUndoSize, kMaxUndoSize, language));
        return false;
    }
    v.messageOnDelete = messageOnDelete->isChecked();
    v.maxFileSizeForMemory = fileSize;
    v.maxUndoSize = undoSize;
    v.language = english->isChecked() ? 1 : 0;
    v.useRegistry = useRegistry->isChecked() ? 1 : 0;
    v.macroDir = macroDir->text().toStdString();
    v.dynamicMark = dynamicMark->isChecked();
    return true;
}

void COptionPage3::BrowseMacroDirectory() {
    // Starts at the top of the file system; only folders can be chosen.
    const QString title = CTextTable::Language() == 1
                              ? QString::fromStdString(CTextTable::Text(T_DLG_SELECT_MACRO_DIRECTORY, 1))
                              : QString();
    const QString chosen = folderChooser(this, title, "/");
    if (!chosen.isEmpty()) {
        macroDir->setText(chosen);
    }
}

#include "view/CVersionDlg.h"

#include "settings/CTextTable.h"
#include "settings/SettingsLocation.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

QString CVersionDlg::VersionText() {
    return QString::asprintf("%d.%02d", KIVRAN_VERSION_MAJOR, KIVRAN_VERSION_MINOR);
}

CVersionDlg::CVersionDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromStdString(CTextTable::Text(T_DLG_VERSION_TITLE)));
    auto* layout = new QVBoxLayout(this);
    auto* name = new QLabel("KIVRAN " + VersionText(), this);
    name->setObjectName("versionLabel");
    layout->addWidget(name);
    layout->addWidget(new QLabel("Copyright (C) KIVRAN developers", this));
    layout->addWidget(new QLabel(QString::fromStdString(CTextTable::Text(T_MSG_SETTINGS_FILE)), this));
    auto* settings = new QLabel(QString::fromStdString(SettingsLocation::PathInUse()), this);
    settings->setObjectName("settingsFileLabel");
    settings->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(settings);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

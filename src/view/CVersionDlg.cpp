#include "view/CVersionDlg.h"

#include "settings/CTextTable.h"

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
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

#pragma once

#include <QDialog>

// The version box: the product name, the version number "%d.%02d" and the settings file in use.
class CVersionDlg : public QDialog {
    Q_OBJECT
public:
    explicit CVersionDlg(QWidget* parent = nullptr);
    static QString VersionText();
};

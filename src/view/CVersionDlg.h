#pragma once

#include <QDialog>

// The version box: the product name and the version number "%d.%02d".
class CVersionDlg : public QDialog {
    Q_OBJECT
public:
    explicit CVersionDlg(QWidget* parent = nullptr);
    static QString VersionText();
};

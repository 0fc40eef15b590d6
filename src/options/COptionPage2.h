#pragma once

#include "options/COptionPage.h"

#include <QString>
#include <functional>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The "Important" page: the data source (file, library or another program's shared memory) with the
// library's and the shared memory's settings, their symbol files and the refresh period.
class COptionPage2 : public COptionPage {
    Q_OBJECT
public:
    // Picks an existing file; an empty answer changes nothing.
    using FileChooser = std::function<QString(QWidget* parent, const QString& title, const QString& start,
                                              const QString& filter)>;

    explicit COptionPage2(QWidget* parent = nullptr);

    void Load(const COptionValues& values) override;
    bool Store(COptionValues& values, QWidget*& badField, QString& message) override;

    void SetFileChooser(FileChooser chooser) { fileChooser = std::move(chooser); }
    // The mode the radio buttons show.
    int Mode() const;

    QRadioButton* fileMode = nullptr;
    QRadioButton* dllMode = nullptr;
    QRadioButton* mmfMode = nullptr;
    QGroupBox* dllGroup = nullptr;
    QLineEdit* dllFileName = nullptr;
    QPushButton* browseDll = nullptr;
    QLineEdit* readFuncName = nullptr;
    QLineEdit* writeFuncName = nullptr;
    QLineEdit* dllMemorySize = nullptr;
    QLineEdit* dllSymbolFile = nullptr;
    QPushButton* browseDllSymbol = nullptr;
    QGroupBox* mmfGroup = nullptr;
    QLineEdit* mmfName = nullptr;
    QLineEdit* mutexName = nullptr;
    QLineEdit* mmfMemorySize = nullptr;
    QLineEdit* mmfSymbolFile = nullptr;
    QPushButton* browseMmfSymbol = nullptr;
    QGroupBox* elapseGroup = nullptr;
    QLineEdit* elapse = nullptr;

private:
    void UpdateEnabling();
    void Browse(QLineEdit* field, bool library);

    FileChooser fileChooser;
};

#pragma once

#include "settings/TextId.h"

#include <QString>
#include <QWidget>
#include <array>

class QPushButton;

// The button row at the top of the print preview: nine buttons of equal width.
class CPreviewDlg : public QWidget {
    Q_OBJECT
public:
    enum Button { kPrint, kNext, kPrev, kJump, kTwoPages, kZoomIn, kZoomOut, kLayout, kClose, kButtonCount };

    explicit CPreviewDlg(QWidget* parent = nullptr);

    QPushButton* ButtonAt(Button which) const { return buttons[static_cast<size_t>(which)]; }
    // "1 Page" while two pages are shown, "2 Pages" otherwise.
    void ShowTwoPages(bool twoPages);

signals:
    void Clicked(int button);

private:
    QString Label(TextId id, const char* builtInJapanese) const;

    int language;
    std::array<QPushButton*, kButtonCount> buttons{};
};

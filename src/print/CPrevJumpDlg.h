#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>

class QLineEdit;
class QPushButton;
class QSpinBox;

// The page jump dialog of the preview: to the first or last page, to a page number or to the page holding a
// hexadecimal address. Every jump goes to the preview at once and the dialog stays open until Close.
class CPrevJumpDlg : public QDialog {
    Q_OBJECT
public:
    // A jump: kind 1 with a page index, kind 2 with a data offset.
    using JumpFunction = std::function<void(int kind, int64_t value)>;

    CPrevJumpDlg(int64_t pageCount, int64_t currentPageNumber, JumpFunction jump, QWidget* parent = nullptr);

    static constexpr int kJumpToPage = 1;
    static constexpr int kJumpToOffset = 2;

    QPushButton* TopPageButton() const { return topPage; }
    QPushButton* LastPageButton() const { return lastPage; }
    QSpinBox* PageField() const { return pageField; }
    QPushButton* PageJumpButton() const { return pageJump; }
    QLineEdit* AddressField() const { return addressField; }
    QPushButton* AddressJumpButton() const { return addressJump; }
    QPushButton* CloseButton() const { return closeButton; }

private:
    void JumpToAddress();

    int64_t pageCount;
    JumpFunction jump;
    QPushButton* topPage = nullptr;
    QPushButton* lastPage = nullptr;
    QSpinBox* pageField = nullptr;
    QPushButton* pageJump = nullptr;
    QLineEdit* addressField = nullptr;
    QPushButton* addressJump = nullptr;
    QPushButton* closeButton = nullptr;
};

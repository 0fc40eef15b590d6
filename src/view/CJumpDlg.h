#pragma once

#include <QDialog>
#include <cstdint>

class QLineEdit;
class CUserPrompt;

// The jump dialog: an address plus an offset, both in the address radix. On OK both fields must parse as
// unsigned 8-byte values; otherwise the error is reported and the dialog stays open on the bad field.
class CJumpDlg : public QDialog {
    Q_OBJECT
public:
    CJumpDlg(uint64_t cursor, uint64_t dataSize, int decimalAddress, CUserPrompt& prompt,
             QWidget* parent = nullptr);

    // After OK: address + offset, moved back onto the last byte when it lies beyond it.
    uint64_t Target() const { return target; }

    QLineEdit* AddressField() const { return addressField; }
    QLineEdit* OffsetField() const { return offsetField; }

    void accept() override;

private:
    bool ParseField(QLineEdit* field, uint64_t& value);

    CUserPrompt& prompt;
    uint64_t dataSize;
    int decimalAddress;
    uint64_t target = 0;
    QLineEdit* addressField = nullptr;
    QLineEdit* offsetField = nullptr;
};

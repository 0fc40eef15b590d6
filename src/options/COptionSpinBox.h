#pragma once

#include <QSpinBox>

// A number field with up-down arrows whose arrows stay within a range while any number can be typed, so
// that a typed value out of the range reaches the page's check and its message instead of being refused
// silently key by key.
class COptionSpinBox : public QSpinBox {
    Q_OBJECT
public:
    COptionSpinBox(int low, int high, QWidget* parent = nullptr);

    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;

private:
    int low;
    int high;
};

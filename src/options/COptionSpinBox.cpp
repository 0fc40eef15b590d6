#include "options/COptionSpinBox.h"

#include <algorithm>

namespace {
// What can be typed: far enough beyond the arrows' range for any typing mistake to be seen.
const int kTypedLimit = 999999;
} // namespace

COptionSpinBox::COptionSpinBox(int low, int high, QWidget* parent) : QSpinBox(parent), low(low), high(high) {
    setRange(-kTypedLimit, kTypedLimit);
    setValue(low);
}

void COptionSpinBox::stepBy(int steps) {
    setValue(std::clamp(value() + steps, low, high));
    selectAll();
}

QAbstractSpinBox::StepEnabled COptionSpinBox::stepEnabled() const {
    StepEnabled enabled = StepNone;
    if (value() < high) {
        enabled |= StepUpEnabled;
    }
    if (value() > low) {
        enabled |= StepDownEnabled;
    }
    return enabled;
}

#pragma once

#include "options/COptionValues.h"

#include <QString>
#include <QWidget>

// One page of the option sheet: it shows a copy of the values and hands back what was entered.
class COptionPage : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    virtual void Load(const COptionValues& values) = 0;
    // Copies the page's fields into values. When a field holds no valid value, false with the field and the
    // message to show; values may then be partly changed.
    virtual bool Store(COptionValues& values, QWidget*& badField, QString& message) = 0;
};

#include "view/CCmdRadioButton.h"

#include <QMouseEvent>

CCmdRadioButton::CCmdRadioButton(const QString& text, int commandId, bool groupStart, QWidget* parent)
    : CCmdButton(text, parent), commandId(commandId), groupStart(groupStart) {
    SetStyleFlags(kKeepsCheck);
    uncheckedText = checkedText = TextColor();
    uncheckedBk = checkedBk = BackgroundColor();
}

void CCmdRadioButton::SetUncheckedColors(const QColor& text, const QColor& background) {
    uncheckedText = text;
    uncheckedBk = background;
    if (!checkedState) {
        SetColors(text, background);
    }
}

void CCmdRadioButton::SetCheckedColors(const QColor& text, const QColor& background) {
    checkedText = text;
    checkedBk = background;
    if (checkedState) {
        SetColors(text, background);
    }
}

void CCmdRadioButton::SetCheck(bool check) {
    CCmdButton::SetCheck(check);
    if (check) {
        SetColors(checkedText, checkedBk);
        for (CCmdRadioButton* other : Group()) {
            if (other != this) {
                other->RadioQuery(1, 0);
            }
        }
    } else {
        SetColors(uncheckedText, uncheckedBk);
    }
}

int CCmdRadioButton::RadioQuery(int what, int value) {
    switch (what) {
    case 0:
        return kRadioQuery;
    case 1:
        if (value) {
            SetCheck(true);
        } else {
            CCmdButton::SetCheck(false);
            SetColors(uncheckedText, uncheckedBk);
        }
        return 0;
    case 2:
        return checkedState ? 1 : 0;
    default:
        return 0;
    }
}

QList<CCmdRadioButton*> CCmdRadioButton::Group() const {
    QList<CCmdRadioButton*> siblings;
    if (parentWidget()) {
        for (QObject* child : parentWidget()->children()) {
            if (auto* radio = qobject_cast<CCmdRadioButton*>(child)) {
                siblings.append(radio);
            }
        }
    }
    int self = siblings.indexOf(const_cast<CCmdRadioButton*>(this));
    if (self < 0) {
        return {const_cast<CCmdRadioButton*>(this)};
    }
    int first = self;
    while (first > 0 && !siblings[first]->IsGroupStart()) {
        --first;
    }
    QList<CCmdRadioButton*> group;
    for (int i = first; i < siblings.size(); ++i) {
        if (i > first && siblings[i]->IsGroupStart()) {
            break;
        }
        group.append(siblings[i]);
    }
    return group;
}

int CCmdRadioButton::CheckedIndex() const {
    const QList<CCmdRadioButton*> group = Group();
    for (int i = 0; i < group.size(); ++i) {
        if (group[i]->RadioQuery(2, 0)) {
            return i;
        }
    }
    return -1;
}

void CCmdRadioButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        SetCheck(true);
        CCmdButton::mousePressEvent(event);
        emit CommandPosted(commandId);
        return;
    }
    CCmdButton::mousePressEvent(event);
}

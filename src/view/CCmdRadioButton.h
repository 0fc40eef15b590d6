#pragma once

#include "view/CCmdButton.h"

// A CCmdButton that keeps a checked state and belongs to a group of sibling radio buttons: the group starts
// at the nearest preceding sibling radio button with the group style (or this one) and runs up to the next
// one with it. Checking one button unchecks the others of its group.
class CCmdRadioButton : public CCmdButton {
    Q_OBJECT
public:
    // The answer of a radio button to the group query with parameter 0.
    static constexpr int kRadioQuery = 0x8D2;

    CCmdRadioButton(const QString& text, int commandId, bool groupStart, QWidget* parent = nullptr);

    int CommandId() const { return commandId; }
    bool IsGroupStart() const { return groupStart; }

    void SetCheck(bool check) override;
    void SetUncheckedColors(const QColor& text, const QColor& background);
    void SetCheckedColors(const QColor& text, const QColor& background);

    // The group query: 0 answers kRadioQuery, 1 sets the check state to `value`, 2 answers the check state.
    int RadioQuery(int what, int value);
    // Index of the first checked button of this button's group, counting radio buttons only; -1 when none.
    int CheckedIndex() const;
    // The radio buttons of this button's group, in order.
    QList<CCmdRadioButton*> Group() const;

signals:
    // The button was pressed with the left mouse button; its command goes to the bar's owner.
    void CommandPosted(int commandId);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    int commandId;
    bool groupStart;
    QColor uncheckedText, uncheckedBk, checkedText, checkedBk;
};

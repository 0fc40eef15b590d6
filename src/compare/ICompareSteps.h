#pragma once

// What a comparison asks of the window that runs it.
class ICompareSteps {
public:
    // The answers of the step dialog.
    enum Step { kNext = 0, kNonStop = 1, kCancel = 3 };

    virtual ~ICompareSteps() = default;

    // After a difference: how to go on (kNext, kNonStop or kCancel; closing the dialog is kCancel).
    virtual int AskNextStep() = 0;
    virtual void ShowWaitCursor(bool shown) = 0;
    // Places both main windows side by side once the partner's data is at hand.
    virtual void ArrangeWindows() = 0;
};

#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <cstdint>

class QProgressDialog;
class QWidget;

// Progress of a command that may take long on the window's thread. Nothing shows for the first half second;
// then a modal progress dialog with a Cancel button (Esc presses it) appears, and every step lets the pending
// events through so that it paints and hears the user. Other windows take no input meanwhile.
class CLongTaskProgress {
public:
    CLongTaskProgress(QWidget* parent, const QString& label);
    ~CLongTaskProgress();
    CLongTaskProgress(const CLongTaskProgress&) = delete;
    CLongTaskProgress& operator=(const CLongTaskProgress&) = delete;

    // done of total; false once the user has cancelled.
    bool Step(uint64_t done, uint64_t total);
    bool Cancelled() const { return cancelled; }
    // Whether the dialog has appeared.
    bool Shown() const;

    // How long a task runs before the dialog appears; tests shorten it.
    static void SetShowDelayMs(int milliseconds);

private:
    QWidget* parent;
    QString label;
    QElapsedTimer clock;
    QPointer<QProgressDialog> dialog;
    bool cancelled = false;
};

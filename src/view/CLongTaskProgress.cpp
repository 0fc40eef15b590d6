#include "view/CLongTaskProgress.h"

#include "settings/CTextTable.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <algorithm>

namespace {
int g_showDelayMs = 500;
constexpr int kSteps = 1000;
} // namespace

CLongTaskProgress::CLongTaskProgress(QWidget* parent, const QString& label) : parent(parent), label(label) {
    clock.start();
}

CLongTaskProgress::~CLongTaskProgress() {
    delete dialog;
}

bool CLongTaskProgress::Shown() const {
    return dialog != nullptr;
}

void CLongTaskProgress::SetShowDelayMs(int milliseconds) {
    g_showDelayMs = milliseconds < 0 ? 0 : milliseconds;
}

bool CLongTaskProgress::Step(uint64_t done, uint64_t total) {
    if (cancelled) {
        return false;
    }
    if (dialog == nullptr) {
        if (clock.elapsed() < g_showDelayMs) {
            return true;
        }
        dialog =
            new QProgressDialog(label, QString::fromStdString(CTextTable::Text(T_CANCEL)), 0, kSteps, parent);
        dialog->setWindowTitle("KIVRAN");
        dialog->setWindowModality(Qt::ApplicationModal);
        dialog->setMinimumDuration(0);
        dialog->setAutoClose(false);
        dialog->setAutoReset(false);
        // The Cancel button, Esc and closing the dialog all stop the task.
        QObject::connect(dialog, &QProgressDialog::canceled, dialog, [this] { cancelled = true; });
        QObject::connect(dialog, &QDialog::rejected, dialog, [this] { cancelled = true; });
        dialog->show();
    }
    const double part =
        total == 0 ? 0.0 : static_cast<double>(std::min(done, total)) / static_cast<double>(total);
    dialog->setValue(static_cast<int>(part * kSteps));
    // Painting goes on and the Cancel button (or Esc) is heard; the dialog keeps input from other windows.
    QCoreApplication::processEvents();
    return !cancelled;
}

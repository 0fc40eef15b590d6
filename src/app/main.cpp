#include "app/CBatchRunner.h"
#include "app/CCommandLineHelp.h"
#include "app/CKIVRANApp.h"

#include <QApplication>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    int status = 0;
    // Answered without a display: no application object exists yet.
    if (CCommandLineHelp::Answer(args, std::cout, status)) {
        return status;
    }
    if (CBatchRunner::IsBatch(args)) {
        return CBatchRunner::Run(args, std::cout, std::cerr);
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName("KIVRAN");
    CKIVRANApp kivran;
    kivran.WatchSignals();
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    if (!kivran.InitInstance(arguments)) {
        return 1;
    }
    // A signal that came during start-up has ended the loops it found; the main loop is not entered then.
    status = kivran.EndingSignal() != 0 ? 0 : QApplication::exec();
    kivran.ExitInstance();
    return status;
}

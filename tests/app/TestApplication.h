#pragma once

#include <QApplication>

// The one application object of the test program, made by whichever test needs it first and kept to the end.
inline QApplication* EnsureApplication() {
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) {
        new QApplication(argc, argv);
    }
    return qApp;
}

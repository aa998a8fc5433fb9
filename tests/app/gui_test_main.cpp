// gtest main for the window tests: a QApplication (offscreen by default), the process state
// the window's creation handler expects, and the service endpoints at their defaults.
#include "runtime/state.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Offscreen unless the run names a platform (the windows one under Wine).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    runtime::initProcessState();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

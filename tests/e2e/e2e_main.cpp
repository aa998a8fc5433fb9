// The end-to-end tests' main: one QApplication on the offscreen platform unless the run names
// one (the windows one under Wine), the process state, and an exit that does not wait for the
// statistics watch a sign-in started against a window.
#include "runtime/state.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    runtime::initProcessState();
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::fflush(stdout);
    std::_Exit(result);
}

// The end-to-end tests' main: one QApplication on the offscreen platform unless the run names
// one (the windows one under Wine) and the process state. Each test's window stops the workers
// it started when it goes, so the program ends normally.
#include "runtime/state.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    runtime::initProcessState();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

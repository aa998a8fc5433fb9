#pragma once
// The Qt benchmarks draw offscreen unless the run names a platform (the windows one under Wine).

#include <QByteArray>
#include <QtGlobal>

namespace benchsupport {

// Call before the QApplication is made.
inline void offscreenUnlessNamed() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

} // namespace benchsupport

#pragma once
// pooldesk --demo: the simulator shipped beside the client (pooldesk-sim, pooldesk-sim.exe on
// Windows) started on free loopback ports, the client pointed at it with the demo key in the
// key box, and the simulator stopped when the client ends. The demo keeps its settings in a
// folder of its own, so the operator's pz.ini is never touched.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <string>

namespace app {

inline constexpr auto kDemoOption = "--demo";

// Removes --demo from the arguments; true when it was there.
bool takeDemoOption(QStringList& arguments);

class DemoSimulator final {
public:
    DemoSimulator() = default;
    // Stops the simulator.
    ~DemoSimulator();
    DemoSimulator(const DemoSimulator&) = delete;
    DemoSimulator& operator=(const DemoSimulator&) = delete;

    // The endpoints line it printed (the --endpoints form).
    const std::string& endpoints() const { return m_endpoints; }
    // The demo's own pz.ini (in the platform's code page, as the settings code takes paths),
    // holding the demo key.
    const std::string& settingsFile() const { return m_settingsFile; }

    // Writes the demo's pz.ini, starts the simulator beside the executable and waits for the
    // endpoints it serves; false with error set when it cannot be started or says nothing in
    // time.
    bool start(QString& error);

private:
    // On Windows a job object, on Linux the parent-death signal: the simulator ends with this
    // process even when it crashes or is killed.
    void endWithThisProcess();

    QProcess m_process;
    void* m_job = nullptr; // the Windows job holding the simulator
    QTemporaryDir m_settingsFolder;
    std::string m_endpoints;
    std::string m_settingsFile;
};

} // namespace app

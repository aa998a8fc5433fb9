#include "sim/command_line.h"
#include "sim/simulator.h"
#include "sim/stop_request.h"

#include <cstdio>
#include <iostream>

int main(int argc, char** argv) {
    const auto commandLine = sim::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (commandLine.help) {
        std::cout << sim::helpText();
        return 0;
    }
    if (!commandLine.error.empty()) {
        std::cerr << "pooldesk-sim: " << commandLine.error << "\n";
        return 2;
    }
    sim::catchStopRequests();

    sim::Simulator simulator(commandLine.options);
    if (!simulator.start()) {
        std::cerr << "pooldesk-sim: " << simulator.error() << "\n";
        return 1;
    }
    const auto ports = simulator.servicePorts();
    const char* routes[] = {"netherlands", "hong kong", "malaysia"};
    for (std::size_t i = 0; i < ports.size(); ++i) {
        std::cout << "service (" << routes[i] << " route): http://127.0.0.1:" << ports[i] << "\n";
    }
    std::cout << "statistics files: http://127.0.0.1:" << simulator.statsPort() << "/file/\n";
    std::cout << "POOLDESK_ENDPOINTS=" << simulator.endpointsLine() << std::endl;

    sim::waitForStopRequest();
    simulator.stop();
    return 0;
}

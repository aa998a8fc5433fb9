#include "sim/command_line.h"
#include "sim/simulator.h"

#include <pthread.h>

#include <csignal>
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
    // Block the stop signals before any server thread starts, so only sigwait sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

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

    int signal = 0;
    sigwait(&stopSignals, &signal);
    simulator.stop();
    return 0;
}

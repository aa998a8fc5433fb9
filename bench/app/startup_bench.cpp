// Process start to main window shown, and resident memory once the window is idle.
// The benchmark starts itself as a child that runs the client's own start-up (offscreen) and
// says when the window is shown; the parent times that and reads the child's memory.
#include "app/application.h"
#include "app/main_window.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr const char* kChildVariable = "POOLDESK_BENCH_CHILD";
constexpr int kRuns = 5;

long statusKilobytes(pid_t pid, const char* field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
        }
    }
    return -1;
}

struct Run {
    double shownMs;
    long rssKb;
    long peakKb;
};

Run runOnce(const char* self) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        setenv(kChildVariable, "1", 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(self, self, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    char byte = 0;
    if (read(pipeFds[0], &byte, 1) != 1) {
        std::fprintf(stderr, "child ended before showing its window\n");
        std::exit(1);
    }
    const auto shown = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(3));
    Run run{std::chrono::duration<double, std::milli>(shown - start).count(),
            statusKilobytes(child, "VmRSS:"), statusKilobytes(child, "VmHWM:")};
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(pipeFds[0]);
    return run;
}

} // namespace

int main(int argc, char** argv) {
    if (std::getenv(kChildVariable)) {
        return app::runApplication(argc, argv, [](app::MainWindow&) {
            std::fputs("shown\n", stdout);
            std::fflush(stdout);
        });
    }
    std::vector<Run> runs;
    for (int i = 0; i < kRuns; ++i) {
        runs.push_back(runOnce("/proc/self/exe"));
    }
    std::sort(runs.begin(), runs.end(),
              [](const Run& a, const Run& b) { return a.shownMs < b.shownMs; });
    std::printf("process start to window shown (offscreen), %d runs: min %.1f ms, median %.1f ms, "
                "max %.1f ms\n",
                kRuns, runs.front().shownMs, runs[kRuns / 2].shownMs, runs.back().shownMs);
    long rss = 0;
    long peak = 0;
    for (const Run& run : runs) {
        rss = std::max(rss, run.rssKb);
        peak = std::max(peak, run.peakKb);
    }
    std::printf("resident memory 3 s after shown, idle: %.1f MiB (largest of the runs), "
                "peak %.1f MiB\n",
                rss / 1024.0, peak / 1024.0);
    return 0;
}

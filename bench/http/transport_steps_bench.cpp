// Prints where a request's time goes: the engine's GETs against a running service
// (pooldesk-sim), each call the engine makes on its transport timed through the transport
// seam, and the time outside the transport (building the request, the event passes between
// stages, decoding). Built for every platform: libcurl on Linux, WinHTTP on Windows (or under
// Wine). Also what the C++ heap costs here (the text work outside the transport allocates), and on
// Windows what one wake-up of a waiting thread costs with each primitive at hand.
//
//   http_transport_steps_bench <url> [requests]   (default 2000)

#include "http/engine.h"
#include "http/transport.h"
#include "url_bench_args.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include <stop_token>
#endif

namespace {

using Clock = std::chrono::steady_clock;

std::map<std::string, double>& microsecondsByStep() {
    static std::map<std::string, double> steps;
    return steps;
}

class StepTimer final {
public:
    explicit StepTimer(const char* step) : m_step(step) {}
    ~StepTimer() {
        microsecondsByStep()[m_step] +=
            std::chrono::duration<double, std::micro>(Clock::now() - m_start).count();
    }
    StepTimer(const StepTimer&) = delete;
    StepTimer& operator=(const StepTimer&) = delete;

private:
    const char* m_step;
    Clock::time_point m_start = Clock::now();
};

template <typename Call> auto timed(const char* step, const Call& call) {
    const StepTimer timer(step);
    return call();
}

// The platform transport with every call timed.
class TimedTransport final : public http::Transport {
public:
    explicit TimedTransport(std::unique_ptr<http::Transport> inner) : m_inner(std::move(inner)) {}
    ~TimedTransport() override {
        const StepTimer timer("(transport destroyed)");
        m_inner.reset();
    }
    TimedTransport(const TimedTransport&) = delete;
    TimedTransport& operator=(const TimedTransport&) = delete;

    bool checkPlatform() override {
        return timed("checkPlatform", [&] { return m_inner->checkPlatform(); });
    }
    std::optional<http::UrlParts> crackUrl(std::string_view url) override {
        return timed("crackUrl", [&] { return m_inner->crackUrl(url); });
    }
    bool openSession(std::string_view proxy) override {
        return timed("openSession", [&] { return m_inner->openSession(proxy); });
    }
    bool setTimeouts(const http::Timeouts& timeouts) override {
        return timed("setTimeouts", [&] { return m_inner->setTimeouts(timeouts); });
    }
    void setDeadline(Clock::time_point deadline) override {
        timed("setDeadline", [&] { return (m_inner->setDeadline(deadline), true); });
    }
    void setStopToken(std::stop_token stop) override {
        timed("setStopToken", [&] { return (m_inner->setStopToken(stop), true); });
    }
    bool connect(std::string_view host, std::uint16_t port) override {
        return timed("connect", [&] { return m_inner->connect(host, port); });
    }
    bool openRequest(std::string_view method, std::string_view object, bool secure) override {
        return timed("openRequest", [&] { return m_inner->openRequest(method, object, secure); });
    }
    bool setCredentials(http::AuthTarget target, std::string_view user,
                        std::string_view password) override {
        return timed("setCredentials",
                     [&] { return m_inner->setCredentials(target, user, password); });
    }
    bool setOption(http::RequestOption option, std::uint32_t value) override {
        return timed("setOption", [&] { return m_inner->setOption(option, value); });
    }
    bool addHeaders(std::string_view headers) override {
        return timed("addHeaders", [&] { return m_inner->addHeaders(headers); });
    }
    bool sendRequest(std::uint64_t totalLength) override {
        return timed("sendRequest", [&] { return m_inner->sendRequest(totalLength); });
    }
    bool writeData(std::span<const std::uint8_t> piece) override {
        return timed("writeData", [&] { return m_inner->writeData(piece); });
    }
    bool receiveResponse() override {
        return timed("receiveResponse", [&] { return m_inner->receiveResponse(); });
    }
    bool queryDataAvailable(std::size_t& available) override {
        return timed("queryDataAvailable", [&] { return m_inner->queryDataAvailable(available); });
    }
    bool readData(std::span<std::uint8_t> buffer, std::size_t& bytesRead) override {
        return timed("readData", [&] { return m_inner->readData(buffer, bytesRead); });
    }
    std::optional<http::Text> queryRawHeaders() override {
        return timed("queryRawHeaders", [&] { return m_inner->queryRawHeaders(); });
    }
    void close() override {
        timed("close", [&] { return (m_inner->close(), true); });
    }

private:
    std::unique_ptr<http::Transport> m_inner;
};

// A million strings too long to live inside their object, made and freed: the heap's speed,
// which text-heavy code follows.
void printHeapCost() {
    constexpr int kStrings = 1'000'000;
    const auto start = Clock::now();
    std::vector<std::string> strings;
    strings.reserve(kStrings);
    for (int i = 0; i < kStrings; ++i) {
        strings.emplace_back("a port name of 24 bytes!");
    }
    strings.clear();
    std::printf("a million 24-byte strings made and freed: %.1f ms\n",
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
}

#ifdef _WIN32
// Mean time of `work` over `count` runs, in microseconds.
template <typename Work> double microsecondsEach(int count, const Work& work) {
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        work();
    }
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / count;
}

// Two threads handing a turn back and forth: the round trip of two wake-ups.
void printWakeUpCosts() {
    constexpr int kRounds = 20000;
    std::printf("what waiting costs here (mean of %d):\n", kRounds);
    std::printf("  an event created and closed               %7.2f us\n",
                microsecondsEach(
                    kRounds, [] { CloseHandle(CreateEventW(nullptr, FALSE, FALSE, nullptr)); }));
    std::printf("  a stop callback registered and removed    %7.2f us\n",
                microsecondsEach(kRounds, [] {
                    const std::stop_source source;
                    const std::stop_callback callback(source.get_token(), [] {});
                }));

    HANDLE ping = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE pong = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::thread echo([&] {
        for (int i = 0; i < kRounds; ++i) {
            WaitForSingleObject(ping, INFINITE);
            SetEvent(pong);
        }
    });
    std::printf("  two threads, events: a round trip         %7.2f us\n",
                microsecondsEach(kRounds, [&] {
                    SetEvent(ping);
                    WaitForSingleObject(pong, INFINITE);
                }));
    echo.join();
    CloseHandle(ping);
    CloseHandle(pong);

    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;
    int turn = 0;
    const auto handOver = [&](int mine, int theirs) {
        AcquireSRWLockExclusive(&lock);
        while (turn != mine) {
            SleepConditionVariableSRW(&changed, &lock, INFINITE, 0);
        }
        turn = theirs;
        ReleaseSRWLockExclusive(&lock);
        WakeAllConditionVariable(&changed);
    };
    std::thread partner([&] {
        for (int i = 0; i < kRounds; ++i) {
            handOver(1, 0);
        }
    });
    std::printf("  two threads, slim lock and condition      %7.2f us\n",
                microsecondsEach(kRounds, [&] {
                    handOver(0, 1);
                    AcquireSRWLockExclusive(&lock);
                    while (turn != 0) {
                        SleepConditionVariableSRW(&changed, &lock, INFINITE, 0);
                    }
                    ReleaseSRWLockExclusive(&lock);
                }));
    partner.join();
}
#endif

} // namespace

int main(int argc, char** argv) {
    const std::optional<bench::UrlBenchArgs> args = bench::urlBenchArgs(argc, argv, 2000);
    if (!args) {
        return 2;
    }
    const std::string& url = args->url;
    const int requests = args->requests;
    http::setTransportFactory(
        [] { return std::make_unique<TimedTransport>(http::makePlatformTransport()); });
    http::HttpRequestEngine(url); // warm-up
    microsecondsByStep().clear();
    int answered = 0;
    const auto start = Clock::now();
    for (int i = 0; i < requests; ++i) {
        answered += http::HttpRequestEngine(url).empty() ? 0 : 1;
    }
    const double total =
        std::chrono::duration<double, std::micro>(Clock::now() - start).count() / requests;
    std::printf("%d GETs (%d answered): %.1f us a request; transport calls, us a request:\n",
                requests, answered, total);
    double inTransport = 0;
    for (const auto& [step, microseconds] : microsecondsByStep()) {
        std::printf("  %-22s %8.1f\n", step.c_str(), microseconds / requests);
        inTransport += microseconds / requests;
    }
    std::printf("  %-22s %8.1f\n", "outside the transport", total - inTransport);
    printHeapCost();
#ifdef _WIN32
    printWakeUpCosts();
#endif
    return answered == requests ? 0 : 1;
}

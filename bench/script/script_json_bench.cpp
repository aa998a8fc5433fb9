// Reading the pool-list reply: ScriptJson against QJsonDocument on the same text, and the cost
// of the fresh engine every load starts from. Prints median times of repeated runs.
#include "script/script_json.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Timing {
    double medianMs;
    double fastestMs;
};

// The machine is shared, so the fastest run is printed next to the median.
Timing measure(int runs, const std::function<void()>& body) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        body();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.front()};
}

void print(const char* what, Timing t) {
    std::printf("  %-42s median %8.2f ms, fastest %8.2f ms\n", what, t.medianMs, t.fastestMs);
}

// {"ret":0,"data":["name1","name2",...]} of at least `bytes` bytes.
std::string poolListReply(std::size_t bytes) {
    std::string text = R"({"ret":0,"data":[)";
    for (int i = 1; text.size() < bytes; ++i) {
        text += i == 1 ? "" : ",";
        text += "\"name" + std::to_string(i) + '"';
    }
    return text + "]}";
}

// The largest reply the engine still compiles itself: an object that JSON.parse refuses
// because of a number beyond double range.
std::string compiledReply() {
    std::string text = R"({"big":1e400)";
    for (int i = 0; text.size() < 60 * 1024; ++i) {
        text += ",\"k" + std::to_string(i) + "\":" + std::to_string(i);
    }
    return text + "}";
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = 15;

    const std::string reply = poolListReply(1024 * 1024);
    script::ScriptJson json;
    std::string ret;
    bool loaded = false;
    const Timing script = measure(runs, [&] {
        loaded = json.load(reply);
        ret = json.getJsonText("ret");
    });
    const QByteArray bytes = QByteArray::fromStdString(reply);
    bool parsed = false;
    const Timing qt = measure(runs, [&] {
        const QJsonDocument doc = QJsonDocument::fromJson(bytes);
        parsed = doc.isObject() && doc.object().value(QStringLiteral("ret")).toInt(-1) == 0;
    });
    std::printf("pool-list reply of %zu bytes (loaded %d, ret %s, QJsonDocument parsed %d)\n",
                reply.size(), loaded, ret.c_str(), parsed);
    print("ScriptJson load + getJsonText(\"ret\")", script);
    print("QJsonDocument::fromJson + ret", qt);
    std::printf("  ratio: median %.1f, fastest %.1f\n", script.medianMs / qt.medianMs,
                script.fastestMs / qt.fastestMs);

    std::printf("engine creation\n");
    print("load of {} (fresh engine)", measure(runs * 4, [&] { json.load("{}"); }));
    print("construction + destruction", measure(runs * 4, [] { script::ScriptJson fresh; }));

    const std::string compiled = compiledReply();
    std::printf("reply the engine compiles (%zu bytes, out-of-range number)\n", compiled.size());
    print("load", measure(runs, [&] { loaded = json.load(compiled); }));
    std::printf("  loaded %d\n", loaded);
    return 0;
}

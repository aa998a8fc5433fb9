// Figures for the runtime facilities on the sizes the client meets: a 20,000-port reply, a
// 1 MiB page to decode, the settings file, and how long a 100 ms delay really takes.
#include "runtime/codepage.h"
#include "runtime/delay.h"
#include "runtime/profile.h"
#include "runtime/text.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

runtime::Text portReply(int ports) {
    runtime::Text reply;
    const runtime::Text status = runtime::gbk("有号码");
    for (int i = 0; i < ports; ++i) {
        reply += runtime::concat(
            {"P", std::to_string(i), "|", status, "|", std::to_string(i % 97), "-"});
    }
    return reply;
}

runtime::Text mebibyteOfGbk() {
    const runtime::Text piece = runtime::gbk("卡池状态 pool-status ");
    runtime::Text text;
    while (text.size() < (1U << 20U)) {
        text += piece;
    }
    return text;
}

void splitPortReply(benchmark::State& state) {
    const runtime::Text reply = portReply(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(runtime::splitText(reply, "-"));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reply.size()));
}
BENCHMARK(splitPortReply)->Arg(20000)->Unit(benchmark::kMillisecond);

void findAtTheEndOfAMebibyte(benchmark::State& state) {
    const runtime::Text text = mebibyteOfGbk() + "\"status\":0";
    for (auto _ : state) {
        benchmark::DoNotOptimize(runtime::findText(text, "\"status\":0"));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(findAtTheEndOfAMebibyte)->Unit(benchmark::kMillisecond);

void gbkMebibyteToUtf16(benchmark::State& state) {
    const runtime::Text text = mebibyteOfGbk();
    for (auto _ : state) {
        benchmark::DoNotOptimize(runtime::gbkToUtf16(text));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(gbkMebibyteToUtf16)->Unit(benchmark::kMillisecond);

void utf8MebibyteToGbk(benchmark::State& state) {
    const std::string page = runtime::gbkToUtf8(mebibyteOfGbk());
    for (auto _ : state) {
        benchmark::DoNotOptimize(runtime::charsetToGbk(page, "utf-8"));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(utf8MebibyteToGbk)->Unit(benchmark::kMillisecond);

std::string settingsFile() {
    return (std::filesystem::temp_directory_path() / "pooldesk-bench-pz.ini").string();
}

void readSettingsItem(benchmark::State& state) {
    const std::string file = settingsFile();
    runtime::writeSetting(file, "1", "n", runtime::gbk("一号池"));
    runtime::writeSetting(file, "key", "key", "0123456789abcdef");
    for (auto _ : state) {
        benchmark::DoNotOptimize(runtime::readSetting(file, "key", "key"));
    }
    std::filesystem::remove(file);
}
BENCHMARK(readSettingsItem)->Unit(benchmark::kMicrosecond);

// Each write is a full temporary-file write, fsync and rename.
void writeSettingsItem(benchmark::State& state) {
    const std::string file = settingsFile();
    runtime::writeSetting(file, "key", "key", "0123456789abcdef");
    int round = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(runtime::writeSetting(file, "1", "n", std::to_string(++round)));
    }
    std::filesystem::remove(file);
}
BENCHMARK(writeSettingsItem)->Unit(benchmark::kMicrosecond);

void delayOfOneHundredMilliseconds(benchmark::State& state) {
    for (auto _ : state) {
        runtime::responsiveDelay(100);
    }
}
BENCHMARK(delayOfOneHundredMilliseconds)
    ->Iterations(10)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

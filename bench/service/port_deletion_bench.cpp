// Deletion of 10,000 listed ports, and the same requests and bodies sent by a bare loop over the
// platform's HTTP library (libcurl; WinHTTP on Windows). Both talk to a loopback sink that reads
// each request in full and answers "ok": the simulator's HTTP library turns away form-encoded
// bodies above 8 KB, and a server that does almost nothing shows the client's own cost most
// plainly.
//
//   pooldesk_bench_service_port_deletion [--ports 10000] [--rounds 5]

#include "bench_args.h"
#include "loopback_bench.h"
#include "sink_server.h"

#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "service/operations.h"
#include "service/requests.h"

#include <cstdio>

namespace {

int g_ports = 10000;
int g_rounds = 5;

void listPorts(runtime::Window& window) {
    const auto status = runtime::gbk("未做TG");
    for (int i = 0; i < g_ports; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "P%03d.%02d", i / 100, i % 100);
        const int row = window.appendRow(controls::kPortList, name);
        window.setCellText(controls::kPortList, row, 1, status);
        window.setCellText(controls::kPortList, row, 2, "2024-05-01 12:00");
    }
}

} // namespace

int main(int argc, char** argv) {
    g_ports = benchargs::sizeOption(argc, argv, "ports", g_ports);
    g_rounds = benchargs::sizeOption(argc, argv, "rounds", g_rounds);
    bench::Bench bench(argc, argv);
    bench::SinkServer sink;
    const std::string host = "127.0.0.1:" + std::to_string(sink.port());
    const auto session = service::Session::start(bench.window(), host, bench::kKey);
    const std::string url = "http://" + host + "/sinterface/port/deleteBatch?ukey=" + bench::kKey;

    std::vector<double> client;
    std::vector<double> bare;
    std::vector<double> engine;
    std::vector<double> bareAsync;
    std::vector<std::string> bodies;
    for (int round = 0; round < g_rounds; ++round) {
        listPorts(bench.window());
        bench.processEvents();
        client.push_back(bench::secondsOf([&] { service::deletePortsInBatches(*session); }));
        if (bench.window().rowCount(controls::kPortList) != 0) {
            std::fprintf(stderr, "the list was not emptied\n");
            return 1;
        }
        bodies = sink.takeBodies();
        bare.push_back(bench::secondsOf([&] {
            for (const auto& body : bodies) {
                bench.bare().request(url, &body);
            }
        }));
        engine.push_back(bench::secondsOf([&] {
            for (const auto& body : bodies) {
                service::postText(url, body, service::ReplySize::Short);
            }
        }));
#ifdef _WIN32
        bareAsync.push_back(bench::secondsOf([&] {
            for (const auto& body : bodies) {
                bench.bareAsync().request(url, &body);
            }
        }));
#endif
        sink.takeBodies();
    }
    std::size_t bytes = 0;
    for (const auto& body : bodies) {
        bytes += body.size();
    }
    const double clientSeconds = bench::median(client);
    const double bareSeconds = bench::median(bare);
    std::printf("batch deletion of %d listed ports through the %s\n", g_ports, bench.windowName());
    std::printf("  requests %zu, body bytes %zu, median of %d rounds\n", bodies.size(), bytes,
                g_rounds);
    std::printf("  client: %.1f ms\n", clientSeconds * 1000);
    std::printf("  %s, same requests and bodies: %.1f ms\n", bench::kFloorName, bareSeconds * 1000);
    std::printf("  request engine alone, same requests and bodies: %.1f ms\n",
                bench::median(engine) * 1000);
    std::printf("  ratio client / bare: %.2f (target <= 1.5; under Wine, WinHTTP: <= 1.3)\n",
                clientSeconds / bareSeconds);
#ifdef _WIN32
    const double asyncSeconds = bench::median(bareAsync);
    std::printf("  %s, same requests and bodies: %.1f ms; ratio client / this floor: %.2f\n",
                bench::kAsyncFloorName, asyncSeconds * 1000, clientSeconds / asyncSeconds);
#endif
    return 0;
}

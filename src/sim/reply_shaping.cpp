#include "sim/reply_shaping.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

namespace sim {

void sendShaped(httplib::Response& res, Reply reply, const Fault& fault) {
    auto pattern = std::make_shared<std::string>(std::move(reply.body));
    std::size_t total = pattern->size();
    if (fault.hugeReplyMegabytes > 0) {
        total = static_cast<std::size_t>(fault.hugeReplyMegabytes) * 1024 * 1024;
        if (pattern->empty()) {
            pattern->assign(4096, 'x');
        }
    }
    const std::size_t stopAt = fault.cutAfterHeaders ? total / 2 : total;
    res.set_content_provider(
        total, reply.contentType,
        [pattern, stopAt](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            if (offset >= stopAt) {
                return false;
            }
            length = std::min({length, stopAt - offset, std::size_t{64 * 1024}});
            std::string piece;
            piece.reserve(length);
            while (piece.size() < length) {
                const auto at = (offset + piece.size()) % pattern->size();
                piece.append(*pattern, at, std::min(length - piece.size(), pattern->size() - at));
            }
            return sink.write(piece.data(), piece.size());
        });
}

bool sleepWhileRunning(int milliseconds, const std::atomic<bool>& running) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < until) {
        if (!running) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(milliseconds, 20)));
    }
    return true;
}

void sendTrickling(httplib::Response& res, Reply reply, int intervalMs,
                   const std::atomic<bool>& running) {
    auto body = std::make_shared<std::string>(std::move(reply.body));
    res.set_content_provider(
        body->size(), reply.contentType,
        [&running, body, intervalMs](std::size_t offset, std::size_t, httplib::DataSink& sink) {
            return sleepWhileRunning(intervalMs, running) && sink.write(body->data() + offset, 1);
        });
}

} // namespace sim

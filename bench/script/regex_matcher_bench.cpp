// The response decoder's charset pattern over subjects of 1 KiB, 1 MiB and 50 MiB, with the
// meta tag at the end (the whole subject is searched) and without one. Prints the median time
// and the time per MiB.
#include "script/regex_matcher.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr std::string_view kMetaPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";

// Lines of page-like text, `bytes` long, optionally ending in a meta tag.
std::string page(std::size_t bytes, bool withMeta) {
    const std::string line = "<div class=\"port\">A1.01 has number, signal 5</div>\r\n";
    const std::string meta = "<meta http-equiv=Content-Type content=\"text/html; charset=utf-8\">";
    std::string text;
    text.reserve(bytes + line.size());
    while (text.size() + meta.size() < bytes) {
        text += line;
    }
    text.resize(bytes - meta.size(), ' ');
    return text + (withMeta ? meta : std::string(meta.size(), ' '));
}

} // namespace

int main() {
    using Clock = std::chrono::steady_clock;
    for (const std::size_t bytes :
         {std::size_t{1024}, std::size_t{1024 * 1024}, std::size_t{50 * 1024 * 1024}}) {
        for (const bool withMeta : {true, false}) {
            const std::string subject = page(bytes, withMeta);
            const int runs = bytes > 1024 * 1024 ? 3 : 15;
            std::vector<double> times;
            std::string charset;
            for (int i = 0; i < runs; ++i) {
                script::RegexMatcher matcher;
                const auto start = Clock::now();
                matcher.search(kMetaPattern, subject);
                charset = matcher.subMatchText(1, 1);
                times.push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            }
            std::sort(times.begin(), times.end());
            const double median = times[times.size() / 2];
            std::printf(
                "%9zu bytes, meta tag %-3s: median %9.3f ms, %8.2f ms per MiB (found '%s')\n",
                bytes, withMeta ? "yes" : "no", median,
                median / (static_cast<double>(bytes) / (1024 * 1024)), charset.c_str());
        }
    }
    return 0;
}

// Request headers and cookies: no CR or LF of a caller's line or a received cookie reaches a
// header line on its own, and cookie merging keeps names unique per exact item.
#include "http/cookies.h"
#include "http/request_headers.h"
#include "runtime/text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

namespace {

bool hasLoneLineBreak(std::string_view block) {
    for (std::size_t i = 0; i < block.size(); ++i) {
        const bool crlf = block[i] == '\r' && i + 1 < block.size() && block[i + 1] == '\n';
        if (crlf) {
            ++i;
        } else if (block[i] == '\r' || block[i] == '\n') {
            return true;
        }
    }
    return false;
}

std::string withoutLineBreaks(std::string text) {
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string extra = withoutLineBreaks(input.ConsumeRandomLengthString(64));
    std::string sent = withoutLineBreaks(input.ConsumeRandomLengthString(64));
    const int method = input.ConsumeIntegralInRange(0, 2);
    const bool complete = input.ConsumeBool();
    const bool normalize = input.ConsumeBool();
    const std::string responseHeaders = input.ConsumeRemainingBytesAsString();

    const runtime::TextList lines = runtime::splitText(responseHeaders, "\r\n");
    const runtime::Text received = http::extractSetCookies(lines);
    http::mergeCookieStrings(sent, received);
    (void)http::lastLocation(lines);
    http::trimSpaces(responseHeaders);

    const runtime::Text block =
        http::buildRequestHeaders(extra, withoutLineBreaks(sent), method, complete, normalize);
    if (hasLoneLineBreak(block)) {
        std::abort();
    }
    return 0;
}

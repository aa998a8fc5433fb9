// Response decoding: a body that declares no charset comes back byte for byte up to its first
// zero byte; any declared charset, known or not, is decoded or left alone without harm.
#include "http/response_decoding.h"
#include "runtime/codepage.h"
#include "runtime/text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string charset = input.ConsumeRandomLengthString(16);
    const std::string body = input.ConsumeRemainingBytesAsString();

    runtime::charsetToGbk(body, charset);
    runtime::gbkToUtf16(body);
    const runtime::Text decoded = http::decodeResponseText(body);
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    const std::string_view tag = "<meta";
    const bool mayDeclare =
        std::search(body.begin(), body.end(), tag.begin(), tag.end(),
                    [&](char a, char b) { return lower(a) == b; }) != body.end();
    if (!mayDeclare && decoded != body.substr(0, runtime::textLength(body))) {
        std::abort();
    }
    return 0;
}

// Marker scanning: what lies between two markers is a piece of the text, and every piece
// gathered is one too.
#include "service/text_between.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string left = input.ConsumeRandomLengthString(6);
    const std::string right = input.ConsumeRandomLengthString(6);
    const int start = input.ConsumeIntegralInRange(-2, 64);
    const bool ignoreCase = input.ConsumeBool();
    const int maxLength = input.ConsumeIntegralInRange(-1, 32);
    const std::string text = input.ConsumeRemainingBytesAsString();

    const runtime::Text between = service::textBetween(text, left, right, start, ignoreCase);
    // "#引号" stands for a quote in a marker, so only plain markers are checked for pieces.
    const bool plainMarkers =
        left.find('#') == std::string::npos && right.find('#') == std::string::npos;
    if (plainMarkers && text.find(between) == std::string::npos) {
        std::abort();
    }
    runtime::TextList pieces;
    const int count = service::allTextsBetween(text, left, right, pieces, ignoreCase, maxLength);
    if (count != static_cast<int>(pieces.size())) {
        std::abort();
    }
    for (const runtime::Text& piece : pieces) {
        if (plainMarkers && text.find(piece) == std::string::npos) {
            std::abort();
        }
    }
    return 0;
}

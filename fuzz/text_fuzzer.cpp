// Text helpers: splitting and joining again gives the text back (a separator at the very end
// leaves no empty last piece); a found part is where it was said to be.
#include "runtime/text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string separator = input.ConsumeRandomLengthString(4);
    const std::string part = input.ConsumeRandomLengthString(8);
    const int start = input.ConsumeIntegralInRange(-2, 40);
    const bool ignoreCase = input.ConsumeBool();
    const std::string text = input.ConsumeRemainingBytesAsString();

    if (!separator.empty() && separator.find('\0') == std::string::npos) {
        const runtime::TextList pieces = runtime::splitText(text, separator);
        std::string joined;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            joined += (i == 0 ? "" : separator) + pieces[i];
        }
        if (joined != text && joined + separator != text) {
            std::abort();
        }
    }
    const int found = runtime::findText(text, part, start, ignoreCase);
    if (found != -1) {
        const std::string_view at =
            std::string_view(text).substr(static_cast<std::size_t>(found) - 1);
        const std::string_view candidate = at.substr(0, part.size());
        if (candidate.size() != part.size() ||
            (ignoreCase ? !runtime::equalsIgnoreAsciiCase(candidate, part) : candidate != part)) {
            std::abort();
        }
    }
    runtime::middleText(text, start, static_cast<int>(part.size()) - 2);
    runtime::replaceText(text, part, separator);
    return 0;
}

// Settings file bytes: an entry that can be stored is found again after it was written, with
// the value it was given, whatever the file held before.
#include "runtime/profile_document.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(8);
    const std::string item = input.ConsumeRandomLengthString(8);
    const std::string value = input.ConsumeRandomLengthString(16);
    const std::string content = input.ConsumeRemainingBytesAsString();

    runtime::findProfileValue(content, section, item);
    if (!runtime::isStorableProfileEntry(section, item, value)) {
        return 0;
    }
    const std::string written = runtime::withProfileValue(content, section, item, value);
    const auto found = runtime::findProfileValue(written, section, item);
    if (!found || runtime::profileValueForReading(*found, 65536) !=
                      runtime::profileValueForReading(value, 65536)) {
        std::abort();
    }
    return 0;
}

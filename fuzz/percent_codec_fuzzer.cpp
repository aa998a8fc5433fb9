// Percent codes: decoding what was encoded gives the text back, up to its first zero byte.
#include "service/codec.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    service::percentDecode(text);
    const std::string encoded = service::percentEncode(text);
    if (encoded.find_first_of(" \r\n") != std::string::npos) {
        std::abort();
    }
    if (service::percentDecode(encoded) != text.substr(0, text.find('\0'))) {
        std::abort();
    }
    return 0;
}

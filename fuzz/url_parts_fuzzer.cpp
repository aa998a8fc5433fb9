// URL splitting: a URL that is accepted has a host, a port in range and no control character
// in any part, and its parts put back together give the URL again, up to the default port.
#include "http/url_parts.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string url(reinterpret_cast<const char*>(data), size);
    const auto parts = http::splitUrl(url);
    if (!parts) {
        return 0;
    }
    if (parts->host.empty() || parts->port == 0 || http::hasControlCharacter(parts->host) ||
        http::hasControlCharacter(parts->path) || http::hasControlCharacter(parts->extraInfo)) {
        std::abort();
    }
    if (url.find(parts->host) == std::string::npos ||
        !url.ends_with(parts->path + parts->extraInfo)) {
        std::abort();
    }
    return 0;
}

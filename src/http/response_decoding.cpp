#include "http/response_decoding.h"

#include "runtime/codepage.h"
#include "script/regex_matcher.h"

#include <algorithm>
#include <string_view>

namespace http {
namespace {

constexpr std::string_view kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";
constexpr std::size_t kSearchedPrefix = 1024;

runtime::Text upToFirstZero(std::string_view bytes) {
    return runtime::Text(bytes.substr(0, std::min(bytes.find('\0'), bytes.size())));
}

} // namespace

runtime::Text decodeResponseText(std::span<const std::uint8_t> body) {
    const std::string_view bytes(reinterpret_cast<const char*>(body.data()), body.size());
    runtime::Text text = upToFirstZero(bytes);

    script::RegexMatcher matcher;
    runtime::Text charset;
    if (matcher.search(kCharsetPattern, std::string_view(text).substr(0, kSearchedPrefix))) {
        charset = matcher.subMatchText(1, 1);
    }
    matcher.destroy();
    if (charset.empty() || charset == "gbk" || charset == "gb2312") {
        return text;
    }
    // A charset the converter does not know leaves the page as it came.
    if (auto converted = runtime::charsetToGbk(bytes, charset)) {
        return upToFirstZero(*converted);
    }
    return text;
}

} // namespace http

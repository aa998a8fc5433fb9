#include "http/response_decoding.h"

#include "runtime/codepage.h"
#include "script/regex_matcher.h"

#include <string_view>

namespace http {
namespace {

constexpr std::string_view kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";
constexpr std::size_t kSearchedPrefix = 1024;

void cutAtFirstZero(runtime::Text& text) {
    text.resize(runtime::textLength(text));
}

} // namespace

runtime::Text decodeResponseText(runtime::Text body) {
    const std::string_view text(body.data(), runtime::textLength(body));

    script::RegexMatcher matcher;
    runtime::Text charset;
    if (matcher.search(kCharsetPattern, text.substr(0, kSearchedPrefix))) {
        charset = matcher.subMatchText(1, 1);
    }
    matcher.destroy();
    if (!charset.empty() && charset != "gbk" && charset != "gb2312") {
        // A charset the converter does not know leaves the page as it came.
        if (std::optional<runtime::Text> converted = runtime::charsetToGbk(body, charset)) {
            cutAtFirstZero(*converted);
            return std::move(*converted);
        }
    }
    cutAtFirstZero(body);
    return body;
}

} // namespace http

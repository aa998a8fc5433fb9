#include "http/response_decoding.h"

#include "runtime/codepage.h"
#include "script/regex_matcher.h"

#include <algorithm>
#include <string_view>

namespace http {
namespace {

constexpr std::string_view kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";
constexpr std::size_t kSearchedPrefix = 1024;

// The charset pattern cannot match without "<meta" (in any case), and the regex engine costs
// far more than this scan on every reply.
bool mayDeclareCharset(std::string_view text) {
    constexpr std::string_view kTag = "<meta";
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return std::search(text.begin(), text.end(), kTag.begin(), kTag.end(),
                       [&](char a, char b) { return lower(a) == b; }) != text.end();
}

void cutAtFirstZero(runtime::Text& text) {
    text.resize(runtime::textLength(text));
}

} // namespace

runtime::Text decodeResponseText(runtime::Text body) {
    const std::string_view text(body.data(), runtime::textLength(body));
    const std::string_view searched = text.substr(0, kSearchedPrefix);

    runtime::Text charset;
    if (mayDeclareCharset(searched)) {
        script::RegexMatcher matcher;
        if (matcher.search(kCharsetPattern, searched)) {
            charset = matcher.subMatchText(1, 1);
        }
        matcher.destroy();
    }
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

#include "http/request_headers.h"

#include <array>

namespace http {
namespace {

struct DefaultHeader {
    std::string_view probe;
    std::string_view line;
    bool postOnly;
};

constexpr std::array kDefaultHeaders{
    DefaultHeader{"User-Agent: ",
                  "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; "
                  "Trident/5.0)\r\n",
                  false},
    DefaultHeader{"Accept: ", "Accept: text/html, application/xhtml+xml, */*\r\n", false},
    DefaultHeader{"Accept-Encoding: ", "Accept-Encoding: identity\r\n", false},
    DefaultHeader{"Accept-Language: ", "Accept-Language: zh-cn\r\n", false},
    DefaultHeader{"Content-Type:", "Content-Type: application/x-www-form-urlencoded\r\n", true},
    DefaultHeader{"Cache-Control: ", "Cache-Control: no-cache\r\n", false},
};

constexpr int kPostMethod = 1;

} // namespace

Text capitalizeFirst(std::string_view text) {
    Text result(text);
    if (!result.empty() && result.front() >= 'a' && result.front() <= 'z') {
        result.front() = static_cast<char>(result.front() - 'a' + 'A');
    }
    return result;
}

Text normalizeHeaderNames(std::string_view headers) {
    Text result;
    for (const Text& line : runtime::splitText(headers, "\r\n")) {
        const int colon = runtime::findText(line, ":");
        if (colon < 1) {
            continue;
        }
        const Text name = runtime::leftText(line, colon - 1);
        Text newName;
        if (runtime::findText(name, "-") < 1) {
            newName = capitalizeFirst(name);
        } else {
            const runtime::TextList pieces = runtime::splitText(name, "-");
            for (std::size_t i = 0; i < pieces.size(); ++i) {
                if (i > 0) {
                    newName += '-';
                }
                newName += capitalizeFirst(pieces[i]);
            }
            // A trailing dash yields no last piece; keep the name's length unchanged.
            newName.resize(name.size(), '-');
        }
        result += newName;
        result.append(line, newName.size());
        result += "\r\n";
    }
    if (result.size() >= 2) {
        result.resize(result.size() - 2);
    }
    return result;
}

Text headerValue(std::string_view headers, std::string_view name) {
    for (const Text& line : runtime::splitText(headers, "\r\n")) {
        if (std::string_view(line).substr(0, name.size()) != name) {
            continue;
        }
        const Text probe = runtime::concat({name, ": "});
        const std::size_t at = line.rfind(probe);
        return at == Text::npos ? Text() : line.substr(at + probe.size());
    }
    return {};
}

namespace {

Text assembleHeaders(std::string_view extraHeaders, std::string_view sendCookies, int method,
                     bool completeHeaders, bool normalizeHeaderCase) {
    Text headers;
    if (!extraHeaders.empty()) {
        headers = runtime::concat({extraHeaders, "\r\n"});
    }
    if (completeHeaders) {
        for (const DefaultHeader& row : kDefaultHeaders) {
            if (row.postOnly && method != kPostMethod) {
                continue;
            }
            if (runtime::findText(headers, row.probe, 1, true) < 1) {
                headers += row.line;
            }
        }
    }
    if (normalizeHeaderCase) {
        headers = normalizeHeaderNames(headers);
    }
    if (runtime::findText(headers, "Connection") > 0 &&
        headerValue(headers, "Connection") == "keep-alive") {
        headers = runtime::replaceText(headers, "Connection: keep-alive\r\n", "");
    }
    if (!sendCookies.empty() && runtime::findText(headers, "Cookie:", 1, true) < 1) {
        if (runtime::findText(sendCookies, "Cookie:", 1, true) > 0) {
            headers = runtime::concat({headers, "\r\n", sendCookies, "\r\n"});
        } else {
            headers = runtime::concat({headers, "\r\nCookie: ", sendCookies, "\r\n"});
        }
    }
    return headers;
}

} // namespace

Text buildRequestHeaders(std::string_view extraHeaders, std::string_view sendCookies, int method,
                         bool completeHeaders, bool normalizeHeaderCase) {
    if (!extraHeaders.empty() || !sendCookies.empty()) {
        return assembleHeaders(extraHeaders, sendCookies, method, completeHeaders,
                               normalizeHeaderCase);
    }
    // Most requests add nothing of their own; their block depends only on the three flags, so
    // it is built once per combination.
    static const std::array<Text, 8> kPlain = [] {
        std::array<Text, 8> blocks;
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            blocks[i] = assembleHeaders({}, {}, (i & 1U) != 0 ? kPostMethod : 0, (i & 2U) != 0,
                                        (i & 4U) != 0);
        }
        return blocks;
    }();
    const std::size_t index = (method == kPostMethod ? 1U : 0U) | (completeHeaders ? 2U : 0U) |
                              (normalizeHeaderCase ? 4U : 0U);
    return kPlain[index];
}

} // namespace http

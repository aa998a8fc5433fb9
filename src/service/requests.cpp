#include "service/requests.h"

#include "http/engine.h"
#include "runtime/codepage.h"
#include "runtime/state.h"
#include "service/endpoints.h"

namespace service {

Text serviceUrl(std::string_view pathAndQuery) {
    const Text host = runtime::routeHost();
    return runtime::concat({"http://", host, pathAndQuery});
}

Text statsUrl(std::string_view path) {
    const Text server = endpoints().statsServer;
    return runtime::concat({"http://", server, path});
}

Reply getText(std::string_view url) {
    Reply reply;
    reply.body = http::HttpRequestEngine(url, 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {},
                                         {}, {}, {}, 0, nullptr, &reply.status);
    return reply;
}

Reply postText(std::string_view url, std::string_view bodyText) {
    Reply reply;
    reply.body = http::HttpRequestEngine(url, 1, bodyText, nullptr, nullptr, {}, nullptr, false, {},
                                         {}, {}, {}, {}, 0, nullptr, &reply.status);
    return reply;
}

Text requestFailedLine(std::string_view what, std::string_view status) {
    const Text prefix = runtime::concat({runtime::gbk("请求失败（"), what, runtime::gbk("）：")});
    // The engine's own failure messages are numbered from 700; anything else is the status line
    // of a reply that arrived with an empty body.
    if (status.size() >= 3 && status.substr(0, 3) >= "700" && status.substr(0, 3) <= "799") {
        return runtime::concat({prefix, status});
    }
    const Text empty = runtime::gbk("服务器没有返回内容");
    if (status.empty()) {
        return runtime::concat({prefix, empty});
    }
    return runtime::concat({prefix, empty, " (HTTP ", status, ")"});
}

} // namespace service

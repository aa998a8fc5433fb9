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
    // A request can also fail with an empty body and no engine message (an empty 200 reply).
    const Text reason = status.empty() ? runtime::gbk("服务器没有返回内容") : Text(status);
    return runtime::concat({runtime::gbk("请求失败（"), what, runtime::gbk("）："), reason});
}

} // namespace service

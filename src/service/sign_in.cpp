#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "runtime/delay.h"
#include "service/endpoints.h"
#include "service/operations.h"
#include "service/requests.h"

namespace service {

namespace {

// Where the sign-in panel sits while it covers the window.
constexpr int kSignInPanelLeft = 3;
// The success message stays in view this long before the panel leaves.
constexpr std::chrono::milliseconds kBeforePanelLeaves{1000};

// The route the operator chose; the Netherlands one, as at start-up, when none is checked.
Text chosenRouteHost(runtime::Window& window) {
    const Endpoints routes = endpoints();
    Text host = routes.netherlands;
    if (window.isChecked(controls::kRouteMalaysia)) {
        host = routes.malaysia;
    }
    if (window.isChecked(controls::kRouteNetherlands)) {
        host = routes.netherlands;
    }
    if (window.isChecked(controls::kRouteHongKong)) {
        host = routes.hongKong;
    }
    return host;
}

} // namespace

std::shared_ptr<Session> signIn(runtime::Window& window, const SessionEstablished& established) {
    const Text routeHost = chosenRouteHost(window);
    const Text key = window.text(controls::kKeyBox);
    const Reply reply = getText(
        serviceUrl(routeHost, runtime::concat({"/sinterface/getUserInfo?ukey=", urlValue(key)})),
        ReplySize::Short);
    // A failed request is read as no reply at all: an error page must not pass for a verdict.
    const Text answer = reply.succeeded() ? reply.body : Text();

    if (runtime::findText(answer, "\"status\":0") >= 0) {
        auto session = Session::start(window, routeHost, window.text(controls::kKeyBox));
        if (established) {
            established(session);
        }
        runtime::Window& sessionWindow = session->window();
        sessionWindow.setText(controls::kSignInMessage, runtime::gbk("验证成功！准备初始化中..."));
        session->startWorker([](Session& started) { refreshPools(started); });
        runtime::responsiveDelay(kBeforePanelLeaves);
        // Ended meanwhile (重新登录): the panel stays where the operator brought it back.
        sessionWindow.setLeft(controls::kSignInPanel, 1999);
        return session;
    }
    if (answer.empty()) {
        window.setText(controls::kSignInMessage, runtime::gbk("网络有问题，请检查网络环境！"));
        window.writeLine(controls::kLogPanel, requestFailedLine(runtime::gbk("登录验证"), reply));
    } else {
        window.setText(controls::kSignInMessage, runtime::gbk("key以封禁！请联系管理员！"));
    }
    return nullptr;
}

void prepareSignInAgain(runtime::Window& window) {
    for (const std::string_view list :
         {controls::kDeviceList, controls::kPortList, controls::kPoolSummaryList}) {
        window.deleteAllRows(list);
    }
    window.setText(controls::kPortCountLabel, "");
    window.setText(controls::kSignInMessage, "");
    window.setLeft(controls::kSignInPanel, kSignInPanelLeft);
}

} // namespace service

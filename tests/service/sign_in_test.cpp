#include "service/operations.h"
#include "test_support/service_sim_fixture.h"

namespace servicetest {
namespace {

class SignInTest : public ServiceSimTest {};

TEST_F(SignInTest, AcceptedKeySignsInAndRefreshesThePools) {
    m_sim->addPool(Text(kKey), "A1");
    m_sim->addPool(Text(kKey), "B2");
    m_window.setText(controls::kKeyBox, kKey);

    const std::shared_ptr<service::Session> session = service::signIn(m_window);

    ASSERT_NE(session, nullptr);
    EXPECT_EQ(session->key(), kKey);
    EXPECT_EQ(session->routeHost(), service::endpoints().netherlands);
    EXPECT_EQ(m_window.text(controls::kSignInMessage), gbk("验证成功！准备初始化中..."));
    EXPECT_EQ(m_window.left(controls::kSignInPanel), 1999);
    ASSERT_TRUE(waitForLine(gbk("刷新完成")));
    EXPECT_THAT(column(controls::kDeviceList, 0), testing::ElementsAre("A1", "B2"));
    EXPECT_EQ(requests(sim::Endpoint::SignIn).at(0).query, "ukey=key-7");
    EXPECT_EQ(requests(sim::Endpoint::PoolList).at(0).query, "uKey=key-7");
}

struct ReplyCase {
    const char* name;
    std::optional<std::string> reply; // nullopt: nothing listens on the route
    const char* caption;
};

class SignInReplyTest : public ServiceSimTest, public testing::WithParamInterface<ReplyCase> {};

TEST_P(SignInReplyTest, CaptionFollowsTheMarker) {
    const auto& param = GetParam();
    if (param.reply) {
        answerRaw(sim::Endpoint::SignIn, *param.reply);
    } else {
        service::Endpoints nowhere = service::endpoints();
        nowhere.netherlands = "127.0.0.1:1";
        service::setEndpoints(nowhere);
    }
    m_window.setText(controls::kKeyBox, "new-key");

    const std::shared_ptr<service::Session> session = service::signIn(m_window);

    const bool signedIn = m_window.left(controls::kSignInPanel) == 1999;
    EXPECT_EQ(m_window.text(controls::kSignInMessage), gbk(param.caption));
    EXPECT_EQ(session != nullptr, signedIn);
    if (session) {
        EXPECT_EQ(session->key(), "new-key");
    }
    if (signedIn) {
        EXPECT_TRUE(waitForLine(gbk("刷新完成")));
    } else if (param.reply && !param.reply->empty()) {
        EXPECT_THAT(m_window.lines(controls::kLogPanel), testing::IsEmpty());
    } else {
        const auto lines = m_window.lines(controls::kLogPanel);
        ASSERT_THAT(lines, testing::ElementsAre(FailureLineFor("登录验证")));
        // The engine's send failure, or the status of a reply without a body.
        EXPECT_THAT(lines[0], testing::HasSubstr(param.reply ? "(HTTP 200 OK)" : "711"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Replies, SignInReplyTest,
    testing::Values(ReplyCase{"FurtherDigits", R"({"a":1,"status":0123})",
                              "验证成功！准备初始化中..."},
                    ReplyCase{"SpaceAfterColon", R"({"status": 0})", "key以封禁！请联系管理员！"},
                    ReplyCase{"ErrorPage", "<html>403</html>", "key以封禁！请联系管理员！"},
                    ReplyCase{"EmptyReply", "", "网络有问题，请检查网络环境！"},
                    ReplyCase{"ClosedPort", std::nullopt, "网络有问题，请检查网络环境！"}),
    [](const auto& info) { return std::string(info.param.name); });

struct RouteCase {
    const char* name;
    bool malaysia, netherlands, hongKong;
    std::size_t port; // index into servicePorts(): 0 Netherlands, 1 Hong Kong, 2 Malaysia
};

class SignInRouteTest : public ServiceSimTest, public testing::WithParamInterface<RouteCase> {};

TEST_P(SignInRouteTest, RequestGoesToTheChosenRoute) {
    const auto& param = GetParam();
    const auto ports = m_sim->servicePorts();
    m_window.setChecked(controls::kRouteMalaysia, param.malaysia);
    m_window.setChecked(controls::kRouteNetherlands, param.netherlands);
    m_window.setChecked(controls::kRouteHongKong, param.hongKong);
    answerRaw(sim::Endpoint::SignIn, "refused");

    service::signIn(m_window);

    const auto signIns = requests(sim::Endpoint::SignIn);
    ASSERT_EQ(signIns.size(), 1u);
    EXPECT_EQ(signIns[0].localPort, ports.at(param.port));
    EXPECT_EQ(signIns[0].query, "ukey="); // the empty key is sent as it is
}

// With no route checked the host set at start-up (Netherlands) is kept.
INSTANTIATE_TEST_SUITE_P(Routes, SignInRouteTest,
                         testing::Values(RouteCase{"HongKong", false, false, true, 1},
                                         RouteCase{"Malaysia", true, false, false, 2},
                                         RouteCase{"LastCheckedWins", true, true, true, 1},
                                         RouteCase{"NoneKeepsHost", false, false, false, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace servicetest

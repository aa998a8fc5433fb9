#include "service/operations.h"
#include "service_sim_fixture.h"

#include <gmock/gmock.h>

namespace servicetest {
namespace {

using testing::ElementsAre;

class SignInTest : public ServiceSimTest {};

TEST_F(SignInTest, AcceptedKeySignsInAndRefreshesThePools) {
    m_sim->addPool(Text(kKey), "A1");
    m_sim->addPool(Text(kKey), "B2");
    runtime::setUserKey("old-key");
    m_window.setChecked(controls::kRouteNetherlands, true);
    m_window.setText(controls::kKeyBox, kKey);

    service::signIn(m_window);

    EXPECT_EQ(runtime::userKey(), kKey);
    EXPECT_EQ(m_window.text(controls::kSignInMessage), gbk("验证成功！准备初始化中..."));
    EXPECT_EQ(m_window.left(controls::kSignInPanel), 1999);
    ASSERT_TRUE(waitForLine(gbk("刷新完成")));
    EXPECT_THAT(column(controls::kDeviceList, 0), ElementsAre("A1", "B2"));
    EXPECT_THAT(column(controls::kPoolSummaryList, 0), testing::IsSupersetOf({"A1", "B2"}));
    const auto signIns = requests(sim::Endpoint::SignIn);
    ASSERT_EQ(signIns.size(), 1u);
    EXPECT_EQ(signIns[0].path, "/sinterface/getUserInfo");
    EXPECT_EQ(signIns[0].query, "ukey=key-7");
    const auto poolLists = requests(sim::Endpoint::PoolList);
    ASSERT_EQ(poolLists.size(), 1u);
    EXPECT_EQ(poolLists[0].query, "uKey=key-7");
}

struct MarkerCase {
    const char* name;
    const char* reply;
    bool signsIn;
};

class SignInMarkerTest : public ServiceSimTest, public testing::WithParamInterface<MarkerCase> {};

TEST_P(SignInMarkerTest, OnlyTheExactMarkerSignsIn) {
    answerRaw(sim::Endpoint::SignIn, GetParam().reply);
    m_window.setText(controls::kKeyBox, "new-key");

    service::signIn(m_window);

    if (GetParam().signsIn) {
        EXPECT_EQ(runtime::userKey(), "new-key");
        EXPECT_EQ(m_window.text(controls::kSignInMessage), gbk("验证成功！准备初始化中..."));
        EXPECT_EQ(m_window.left(controls::kSignInPanel), 1999);
        EXPECT_TRUE(waitForLine(gbk("刷新完成")));
    } else {
        EXPECT_EQ(runtime::userKey(), kKey);
        EXPECT_EQ(m_window.text(controls::kSignInMessage), gbk("key以封禁！请联系管理员！"));
        EXPECT_EQ(m_window.left(controls::kSignInPanel), 0);
        EXPECT_TRUE(m_window.lines(controls::kLogPanel).empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Replies, SignInMarkerTest,
                         testing::Values(MarkerCase{"MarkerInsideObject",
                                                    R"({"code":1,"status":0,"x":2})", true},
                                         MarkerCase{"FurtherDigits", R"({"status":0123})", true},
                                         MarkerCase{"SpaceAfterColon", R"({"status": 0})", false},
                                         MarkerCase{"OtherStatus", R"({"status":1})", false},
                                         MarkerCase{"ErrorPage", "<html>forbidden</html>", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SignInTest, FailedRequestShowsTheNetworkMessageAndLogsWhy) {
    runtime::setRouteHost("127.0.0.1:1"); // nothing listens there
    m_window.setChecked(controls::kRouteMalaysia, false);
    m_window.setText(controls::kKeyBox, "new-key");

    service::signIn(m_window);

    EXPECT_EQ(m_window.text(controls::kSignInMessage), gbk("网络有问题，请检查网络环境！"));
    EXPECT_EQ(runtime::userKey(), kKey);
    EXPECT_EQ(m_window.left(controls::kSignInPanel), 0);
    const auto lines = m_window.lines(controls::kLogPanel);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_THAT(lines[0], FailureLineFor("登录验证"));
    EXPECT_THAT(lines[0], testing::HasSubstr("711"));
}

TEST_F(SignInTest, EmptyReplyCountsAsNetworkFailure) {
    answerRaw(sim::Endpoint::SignIn, "");
    service::signIn(m_window);
    EXPECT_EQ(m_window.text(controls::kSignInMessage), gbk("网络有问题，请检查网络环境！"));
    EXPECT_THAT(m_window.lines(controls::kLogPanel), ElementsAre(FailureLineFor("登录验证")));
}

struct RouteCase {
    const char* name;
    bool malaysia, netherlands, hongKong;
    int expectedPortIndex; // index into servicePorts(); -1: the route host is kept
};

class SignInRouteTest : public ServiceSimTest, public testing::WithParamInterface<RouteCase> {};

TEST_P(SignInRouteTest, RequestGoesToTheChosenRoute) {
    const auto& param = GetParam();
    const auto ports = m_sim->servicePorts();
    ASSERT_EQ(ports.size(), 3u);
    // Distinguishable routes: endpointsLine gives netherlands = ports[0], hongkong = ports[1],
    // malaysia = ports[2].
    runtime::setRouteHost("127.0.0.1:" + std::to_string(ports[0]));
    m_window.setChecked(controls::kRouteMalaysia, param.malaysia);
    m_window.setChecked(controls::kRouteNetherlands, param.netherlands);
    m_window.setChecked(controls::kRouteHongKong, param.hongKong);
    m_window.setText(controls::kKeyBox, "");
    answerRaw(sim::Endpoint::SignIn, "refused");

    service::signIn(m_window);

    const auto signIns = requests(sim::Endpoint::SignIn);
    ASSERT_EQ(signIns.size(), 1u);
    const int expected =
        ports[static_cast<std::size_t>(param.expectedPortIndex < 0 ? 0 : param.expectedPortIndex)];
    EXPECT_EQ(signIns[0].localPort, expected);
    EXPECT_EQ(runtime::routeHost(), "127.0.0.1:" + std::to_string(expected));
    // The empty key is sent as a bare "ukey=".
    EXPECT_EQ(signIns[0].query, "ukey=");
}

INSTANTIATE_TEST_SUITE_P(Routes, SignInRouteTest,
                         testing::Values(RouteCase{"HongKong", false, false, true, 1},
                                         RouteCase{"Malaysia", true, false, false, 2},
                                         RouteCase{"Netherlands", false, true, false, 0},
                                         RouteCase{"LastCheckedWins", true, false, true, 1},
                                         RouteCase{"NoneKeepsHost", false, false, false, -1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SignInTest, KeyIsSentAsTyped) {
    answerRaw(sim::Endpoint::SignIn, "no");
    m_window.setText(controls::kKeyBox, "k%41&x=1");
    service::signIn(m_window);
    const auto signIns = requests(sim::Endpoint::SignIn);
    ASSERT_EQ(signIns.size(), 1u);
    EXPECT_EQ(signIns[0].query, "ukey=k%41&x=1");
}

} // namespace
} // namespace servicetest

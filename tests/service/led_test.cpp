#include "http/messages.h"
#include "runtime/threads.h"
#include "service/operations.h"
#include "service/requests.h"

#include <gmock/gmock.h>

#include "test_support/service_sim_fixture.h"

#include <chrono>
#include <thread>

namespace servicetest {
namespace {

using testing::ElementsAre;
using testing::SizeIs;

class LedTest : public ServiceSimTest {
protected:
    void SetUp() override {
        ServiceSimTest::SetUp();
        if (runtime::ledLock.load() == 0) {
            runtime::ledLock = runtime::createLock();
        }
        m_sim->addPool(Text(kKey), "A1", 2);
        m_window.appendRow(controls::kPortList, "A1.01");
        runtime::ledMode = 2;
    }

    std::vector<Text> log() { return m_window.lines(controls::kLogPanel); }
};

TEST_F(LedTest, LightsOnTheFirstOkWithTheModesDuration) {
    for (const auto& [mode, total] : {std::pair{2, "600000"}, std::pair{1, "1200000"}}) {
        m_sim->clearRequestLog();
        runtime::ledMode = mode;
        service::lightPortLed(*m_session, 0);
        const auto sent = requests(sim::Endpoint::LedLight);
        ASSERT_THAT(sent, SizeIs(1)) << "mode " << mode;
        EXPECT_EQ(sent[0].path, "/sinterface/ledLight");
        EXPECT_EQ(sent[0].query, std::string("ukey=key-7&slot=A1.01&on_duration=59000"
                                             "&off_duration=1000&total_duration=") +
                                     total);
    }
    const auto lightings = m_sim->ledLightings();
    ASSERT_THAT(lightings, SizeIs(2));
    EXPECT_TRUE(lightings[0].accepted);
    EXPECT_EQ(lightings[0].port, "A1.01");
    EXPECT_EQ(lightings[1].totalDuration, "1200000");
    EXPECT_THAT(log(), ElementsAre(gbk("A1.01点亮成功"), gbk("A1.01点亮成功")));
}

TEST_F(LedTest, OkMustAppearInUpperCase) {
    answerRaw(sim::Endpoint::LedLight, "NOT OK");
    service::lightPortLed(*m_session, 0);
    EXPECT_THAT(requests(sim::Endpoint::LedLight), SizeIs(1));
    EXPECT_THAT(log(), ElementsAre(gbk("A1.01点亮成功")));

    m_sim->clearRequestLog();
    answerRaw(sim::Endpoint::LedLight, "ok");
    service::lightPortLed(*m_session, 0);
    EXPECT_THAT(requests(sim::Endpoint::LedLight), SizeIs(3));
    EXPECT_THAT(log(), ElementsAre(gbk("A1.01点亮成功"), FailureLineFor("A1.01点亮")));
}

// Every try lights the port the row showed when the lighting started, even when the list is
// replaced in between.
TEST_F(LedTest, GivesUpAfterThreeTriesHalfASecondApartAndSaysWhy) {
    answerRaw(sim::Endpoint::LedLight, "FAIL\r\nsecond line");
    const auto start = std::chrono::steady_clock::now();
    std::thread lighting([this] { service::lightPortLed(*m_session, 0); });
    ASSERT_TRUE(eventually([&] { return requests(sim::Endpoint::LedLight).size() == 1; }));
    m_window.setCellText(controls::kPortList, 0, 0, "B2.09");
    lighting.join();
    const auto elapsed = std::chrono::steady_clock::now() - start;

    const auto sent = requests(sim::Endpoint::LedLight);
    ASSERT_THAT(sent, SizeIs(3));
    for (const auto& request : sent) {
        EXPECT_THAT(request.query, testing::HasSubstr("&slot=A1.01&"));
    }
    EXPECT_GE(elapsed, std::chrono::milliseconds(1450)) << "three waits of 500 ms";
    EXPECT_THAT(log(), ElementsAre(gbk("请求失败（A1.01点亮）：服务未确认 (HTTP 200 OK)，回复："
                                       "FAIL second line")));
}

// The give-up line in the operator's words: the engine's message when nothing answered,
// otherwise the status line and the reply's text without tags, at most 60 characters.
TEST_F(LedTest, GiveUpLineSaysWhatHappenedInOneLine) {
    const std::string sixtyOne = "<p>" + std::string(58, 'x') + gbk("点亮") + "</p>";
    struct Case {
        sim::Fault fault;
        Text line;
    };
    const Text prefix = gbk("请求失败（A1.01点亮）：");
    for (const Case& c :
         {Case{{.error500Share = 1.0},
               prefix + gbk("服务未确认 (HTTP 500 Internal Server Error)，回复：500 Internal "
                            "Server Error Internal Server Error")},
          Case{{.rawBody = sixtyOne},
               prefix + gbk("服务未确认 (HTTP 200 OK)，回复：") + std::string(58, 'x') +
                   gbk("点亮")},
          Case{{.rawBody = "<b>NO</b>" + sixtyOne},
               prefix + gbk("服务未确认 (HTTP 200 OK)，回复：NO ") + std::string(57, 'x')},
          Case{{.refuseShare = 1.0}, prefix + http::failureMessage(http::Failure::NoResponse)}}) {
        const std::size_t before = log().size();
        m_sim->setFault(sim::Endpoint::LedLight, c.fault);
        service::lightPortLed(*m_session, 0);
        ASSERT_THAT(log(), SizeIs(before + 1));
        EXPECT_EQ(log().back(), c.line);
    }
}

TEST_F(LedTest, SendsThePortNameOfItsOwnRow) {
    m_window.appendRow(controls::kPortList, "A1.02");
    service::lightPortLed(*m_session, 1);
    answerRaw(sim::Endpoint::LedLight, "OK");
    service::lightPortLed(*m_session, 7); // no such row: an empty slot, judged by the reply

    const auto sent = requests(sim::Endpoint::LedLight);
    ASSERT_THAT(sent, SizeIs(2));
    EXPECT_THAT(sent[0].query, testing::HasSubstr("&slot=A1.02&"));
    EXPECT_THAT(sent[1].query, testing::HasSubstr("&slot=&"));
    EXPECT_THAT(log(), ElementsAre(gbk("A1.02点亮成功"), gbk("点亮成功")));
}

} // namespace
} // namespace servicetest

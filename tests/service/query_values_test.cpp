// Keys, pool and port names travel in queries: every byte as it is, except those that would
// change the request's meaning.
#include "runtime/threads.h"
#include "service/operations.h"
#include "service/requests.h"

#include <gmock/gmock.h>

#include "test_support/service_sim_fixture.h"

namespace servicetest {
namespace {

using testing::ElementsAre;

TEST(UrlValueTest, EscapesOnlyTheBytesThatChangeAQuery) {
    EXPECT_EQ(service::urlValue("key-7_a.b~"), "key-7_a.b~");
    EXPECT_EQ(service::urlValue(gbk("深圳.01")), gbk("深圳.01"));
    EXPECT_EQ(service::urlValue(std::string("a \"#%&+\x01\x1F\x7F/?=:;", 15)),
              "a%20%22%23%25%26%2B%01%1F%7F/?=:;");
}

class QueryValuesTest : public ServiceSimTest {};

TEST_F(QueryValuesTest, EveryOperationSendsTheKeyAndNamesIntact) {
    const Text key = "k y&z#1%+";
    const Text sentKey = "k%20y%26z%231%25%2B";
    const Text pool = gbk("池") + " #&";
    // The transport sends characters outside ASCII as escaped UTF-8.
    const Text sentPool = "%E6%B1%A0%20%23%26";
    const Text port = pool + ".01";
    const Text sentPort = sentPool + ".01";
    m_sim->addUser(key);
    m_sim->addPool(key, pool, 1);
    m_sim->addPendingPort(key, port, gbk("未做TG"), "12:00");
    m_sim->setSlots(key, pool, {{port, ""}});
    if (runtime::ledLock.load() == 0) {
        runtime::ledLock = runtime::createLock();
    }

    m_window.setText(controls::kKeyBox, key);
    const std::shared_ptr<service::Session> session = service::signIn(m_window);
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(session->key(), key);
    ASSERT_TRUE(waitForLine(gbk("刷新完成")));
    EXPECT_THAT(column(controls::kDeviceList, 0), ElementsAre(pool));
    m_window.setSelectedRow(controls::kDeviceList, 0);

    service::listUnseatedSlots(*session);
    EXPECT_THAT(column(controls::kPortList, 0), ElementsAre(port));
    service::listPorts(*session);
    EXPECT_THAT(column(controls::kPortList, 0), ElementsAre(port));
    service::lightPortLed(*session, 0);
    service::deletePortsInBatches(*session);
    EXPECT_THAT(m_sim->pendingPorts(key), testing::IsEmpty());

    const auto onlyQuery = [this](sim::Endpoint endpoint) {
        const auto sent = requests(endpoint);
        return sent.empty() ? std::string() : sent.front().query;
    };
    EXPECT_EQ(onlyQuery(sim::Endpoint::SignIn), "ukey=" + sentKey);
    EXPECT_EQ(onlyQuery(sim::Endpoint::PoolList), "uKey=" + sentKey);
    EXPECT_EQ(onlyQuery(sim::Endpoint::SlotInfo), "uKey=" + sentKey + "&slot=" + sentPool);
    EXPECT_EQ(onlyQuery(sim::Endpoint::Ports), "ukey=" + sentKey);
    EXPECT_EQ(onlyQuery(sim::Endpoint::LedLight),
              "ukey=" + sentKey + "&slot=" + sentPort +
                  "&on_duration=59000&off_duration=1000&total_duration=600000");
    EXPECT_EQ(onlyQuery(sim::Endpoint::DeleteBatch), "ukey=" + sentKey);
    ASSERT_THAT(m_sim->ledLightings(), testing::SizeIs(1));
    EXPECT_TRUE(m_sim->ledLightings()[0].accepted);
    EXPECT_EQ(m_sim->ledLightings()[0].port, port);
    EXPECT_THAT(m_window.lines(controls::kLogPanel), testing::Contains(port + gbk("点亮成功")));
}

} // namespace
} // namespace servicetest

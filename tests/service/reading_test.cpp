// The reading halves over reply texts: what each makes of what the service answers, with no
// window at all.
#include "service/reading.h"
#include "test_support/service_sim_fixture.h"

namespace servicetest {
namespace {

using service::PortRow;
using service::SlotRow;
using testing::ElementsAre;
using testing::IsEmpty;

class ReadingTest : public ServiceSimTest {};

TEST_F(ReadingTest, PendingPortsAreTheLinesWithAName) {
    const struct {
        const char* reply;
        std::vector<PortRow> ports;
    } rows[] = {
        {"A1.01|%CE%B4%D7%F6TG-12:00\r\nA1.02|x\r\n",
         {{"A1.01", gbk("未做TG"), "12:00"}, {"A1.02", "x", ""}}},
        {"no pipe\r\nB2.01||more\r\n\r\nB2.02|-\r\n", {{"B2.01", "", ""}, {"B2.02", "", ""}}},
        {"", {}},
    };
    for (const auto& row : rows) {
        answerRaw(sim::Endpoint::Ports, row.reply);
        const auto ports = service::readPendingPorts(*m_session);
        ASSERT_TRUE(ports.has_value()) << row.reply;
        EXPECT_EQ(ports->toVector(), row.ports) << row.reply;
    }
}

TEST_F(ReadingTest, UnseatedSlotsAreTheRecordsWithoutACard) {
    answerRaw(sim::Endpoint::SlotInfo,
              R"([{"slot":"A1.01","iccid":""},{"slot":"A1.02","iccid":"8986"},)"
              R"({"slot":"","iccid":""},{"slot":"A1.04"}])");
    const auto slots = service::readUnseatedSlots(*m_session, "A1");
    ASSERT_TRUE(slots.has_value());
    EXPECT_THAT(*slots, ElementsAre(SlotRow{"A1.01"}, SlotRow{"A1.04"}));
}

TEST_F(ReadingTest, PoolNamesNeedJsonAndRetZero) {
    answerRaw(sim::Endpoint::PoolList, R"({"ret":0,"data":["A1","B2"]})");
    EXPECT_THAT(service::readPoolNames(*m_session).value(), ElementsAre("A1", "B2"));
    answerRaw(sim::Endpoint::PoolList, R"({"ret":1,"data":["A1"]})");
    EXPECT_THAT(service::readPoolNames(*m_session).value(), IsEmpty());
    answerRaw(sim::Endpoint::PoolList, "<html>busy</html>");
    const auto unreadable = service::readPoolNames(*m_session);
    ASSERT_FALSE(unreadable.has_value());
    EXPECT_TRUE(unreadable.error().succeeded()) << "a reply that came but cannot be read";
    refuse(sim::Endpoint::PoolList);
    EXPECT_FALSE(service::readPoolNames(*m_session).error().succeeded());
}

} // namespace
} // namespace servicetest

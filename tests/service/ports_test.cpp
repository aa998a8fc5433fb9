#include "service/operations.h"
#include "test_support/service_sim_fixture.h"

namespace servicetest {
namespace {

using testing::ElementsAre;

using Row = std::vector<Text>;

class PortsTest : public ServiceSimTest {
protected:
    void selectPool(std::string_view pool) {
        m_window.setSelectedRow(controls::kDeviceList,
                                m_window.appendRow(controls::kDeviceList, pool));
    }
    std::vector<Row> portRows() {
        std::vector<Row> rows;
        for (int row = 0; row < m_window.rowCount(controls::kPortList); ++row) {
            rows.push_back({m_window.cellText(controls::kPortList, row, 0),
                            m_window.cellText(controls::kPortList, row, 1),
                            m_window.cellText(controls::kPortList, row, 2)});
        }
        return rows;
    }
};

TEST_F(PortsTest, ListsThePendingPortsOfTheSelectedPool) {
    m_sim->addPendingPort(Text(kKey), "A1.01", gbk("未做TG"), "12:00");
    m_sim->addPendingPort(Text(kKey), "B2.01", gbk("已做TG"), "13:00");
    m_sim->addPendingPort(Text(kKey), "A1.02", gbk("有号码"), "14:00");
    selectPool("A1");
    m_window.appendRow(controls::kPortList, "stale");

    service::listPorts(*m_session);

    EXPECT_THAT(portRows(), ElementsAre(Row{"A1.01", gbk("未做TG"), "12:00"},
                                        Row{"A1.02", gbk("有号码"), "14:00"}));
    EXPECT_EQ(m_window.text(controls::kPortCountLabel), gbk("端口数量：2"));
    EXPECT_FALSE(m_window.isDisabled(controls::kPortList));
    EXPECT_EQ(m_window.disableCount(controls::kPortList), 1);
    EXPECT_EQ(requests(sim::Endpoint::Ports).at(0).query, "ukey=key-7");
    const auto shown = m_session->snapshot().portQuery("A1");
    ASSERT_TRUE(shown.has_value());
    EXPECT_THAT(shown->rows.toVector(),
                ElementsAre(service::PortRow{"A1.01", gbk("未做TG"), "12:00"},
                            service::PortRow{"A1.02", gbk("有号码"), "14:00"}));
}

TEST_F(PortsTest, ReadsLinesFieldsAndCodesAsBytes) {
    answerRaw(sim::Endpoint::Ports, "A1.01|%CE%B4%D7%F6TG-12%3A00\r\n"
                                    "B2.01|x-y\r\n"
                                    "A10.01|s-t|extra\r\n"
                                    "A1.09\r\n"
                                    "A1.03|%CE%B4%D7%F6TG-2024-05-01\r\n"
                                    "A1.04|t-%E6%9C%AA\r\n"
                                    "A1.05|%4G-%G1\r\n"
                                    "A1.06|a+b-%\r\n"
                                    "A1.07|only\r\n"
                                    "A1.08|s-%4\r\n"
                                    "xA1y|n-m\r\n" +
                                        gbk("亅A1.10|u-v\r\n") + // "亅" ends in the byte "|"
                                        gbk("亅A1|w-z"));
    selectPool("A1");

    service::listPorts(*m_session);

    // A10's port and "亅A1.10" are another pool's; names without "." are found by search.
    EXPECT_THAT(portRows(),
                ElementsAre(Row{"A1.01", gbk("未做TG"), "12:00"},
                            Row{"A1.03", gbk("未做TG"), "2024"}, Row{"A1.04", "t", "\xE6\x9C\xAA"},
                            Row{"A1.05", "\x04", "%G1"}, Row{"A1.06", "a b", "%"},
                            Row{"A1.07", "only", ""}, Row{"A1.08", "s", "\x04"},
                            Row{"xA1y", "n", "m"}, Row{gbk("亅A1"), "w", "z"}));
    EXPECT_EQ(m_window.text(controls::kPortCountLabel), gbk("端口数量：9"));
}

TEST_F(PortsTest, APoolOwnsThePortsNamedAfterItOnly) {
    for (const Text& port : {Text("A1.01"), Text("A10.01"), gbk("深圳.01"), gbk("深圳南.01")}) {
        m_sim->addPendingPort(Text(kKey), port, "s", "t");
    }
    for (const auto& [pool, expected] :
         {std::pair{Text("A1"), Text("A1.01")}, std::pair{Text("A10"), Text("A10.01")},
          std::pair{gbk("深圳"), gbk("深圳.01")}}) {
        m_window.deleteAllRows(controls::kDeviceList);
        selectPool(pool);
        service::listPorts(*m_session);
        EXPECT_THAT(portRows(), ElementsAre(Row{expected, "s", "t"}));
    }
}

TEST_F(PortsTest, WithoutSelectionListsEveryNamedPort) {
    answerRaw(sim::Endpoint::Ports, "A1.01|a-1\r\n|b-2\r\nB2.01|c-3");
    m_window.appendRow(controls::kDeviceList, "A1");

    service::listPorts(*m_session);

    EXPECT_THAT(portRows(), ElementsAre(Row{"A1.01", "a", "1"}, Row{"B2.01", "c", "3"}));
}

// A failed 查看最新任务 or 查看没插好端口 leaves the listed ports, their check marks and their
// count as they were, and says why in one line.
enum class Listing { Ports, Slots };
enum class Broken { Refused, Error500, Cut };

class FailedListingTest : public PortsTest,
                          public testing::WithParamInterface<std::tuple<Listing, Broken>> {};

TEST_P(FailedListingTest, KeepsTheListedPortsChecksAndCount) {
    const auto [listing, broken] = GetParam();
    const sim::Endpoint endpoint =
        listing == Listing::Ports ? sim::Endpoint::Ports : sim::Endpoint::SlotInfo;
    m_sim->setFault(endpoint, broken == Broken::Refused    ? sim::Fault{.refuseShare = 1.0}
                              : broken == Broken::Error500 ? sim::Fault{.error500Share = 1.0}
                                                           : sim::Fault{.cutAfterHeaders = true});
    m_sim->addPendingPort(Text(kKey), "A1.09", gbk("未做TG"), "09:00");
    selectPool("A1");
    for (const char* port : {"A1.01", "A1.02"}) {
        const int row = m_window.appendRow(controls::kPortList, port);
        m_window.setCellText(controls::kPortList, row, 1, gbk("未做TG"));
        m_window.setCellText(controls::kPortList, row, 2, "12:00");
    }
    m_window.setCheckState(controls::kPortList, 1, 1);
    m_window.setText(controls::kPortCountLabel, gbk("端口数量：2"));

    listing == Listing::Ports ? service::listPorts(*m_session)
                              : service::listUnseatedSlots(*m_session);

    EXPECT_THAT(portRows(), ElementsAre(Row{"A1.01", gbk("未做TG"), "12:00"},
                                        Row{"A1.02", gbk("未做TG"), "12:00"}));
    EXPECT_EQ(m_window.checkState(controls::kPortList, 1), 1);
    EXPECT_EQ(m_window.text(controls::kPortCountLabel), gbk("端口数量：2"));
    EXPECT_FALSE(m_window.isDisabled(controls::kPortList));
    EXPECT_THAT(
        m_window.lines(controls::kLogPanel),
        ElementsAre(FailureLineFor(listing == Listing::Ports ? "查看最新任务" : "查看没插好端口")));
}

std::string listingName(const testing::TestParamInfo<std::tuple<Listing, Broken>>& info) {
    const Listing listing = std::get<0>(info.param);
    const Broken broken = std::get<1>(info.param);
    return std::string(listing == Listing::Ports ? "Ports" : "Slots") +
           (broken == Broken::Refused    ? "Refused"
            : broken == Broken::Error500 ? "Error500"
                                         : "Cut");
}

INSTANTIATE_TEST_SUITE_P(Faults, FailedListingTest,
                         testing::Combine(testing::Values(Listing::Ports, Listing::Slots),
                                          testing::Values(Broken::Refused, Broken::Error500,
                                                          Broken::Cut)),
                         listingName);

TEST_F(PortsTest, QueryPortsEscapesOnlyWhatWouldChangeTheQuery) {
    m_sim->addPendingPort("k%41", "A1.01", "s", "t");
    EXPECT_THAT(service::queryPorts(service::endpoints().netherlands, "k%41").body,
                testing::StartsWith("A1.01|"));
    EXPECT_EQ(requests(sim::Endpoint::Ports).at(0).query, "ukey=k%2541");
}

TEST_F(PortsTest, KeywordChecksMatchingStatusesOnly) {
    for (const char* status : {"未做TG", "已做TG", "有号码", "未做tg"}) {
        const int row = m_window.appendRow(controls::kPortList, "P");
        m_window.setCellText(controls::kPortList, row, 1, gbk(status));
    }
    m_window.setCheckState(controls::kPortList, 2, 1);
    const auto checks = [this] {
        std::vector<int> states;
        for (int row = 0; row < m_window.rowCount(controls::kPortList); ++row) {
            states.push_back(m_window.checkState(controls::kPortList, row));
        }
        return states;
    };

    service::checkPortsByKeyword(m_window); // no answer queued: cancelled
    EXPECT_THAT(checks(), ElementsAre(0, 0, 1, 0));
    m_window.queueInputBoxAnswer("tg");
    service::checkPortsByKeyword(m_window);
    EXPECT_THAT(checks(), ElementsAre(0, 0, 1, 1));
    m_window.queueInputBoxAnswer("TG");
    service::checkPortsByKeyword(m_window);
    EXPECT_THAT(checks(), ElementsAre(1, 1, 1, 1));
    EXPECT_EQ(m_window.inputBoxPrompts().at(0), gbk("输入状态关键词，例如未做TG"));
}

} // namespace
} // namespace servicetest

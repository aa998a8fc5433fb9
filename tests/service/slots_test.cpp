#include "service/operations.h"
#include "test_support/service_sim_fixture.h"

namespace servicetest {
namespace {

using Row = std::vector<Text>;

class SlotsTest : public ServiceSimTest {
protected:
    std::vector<Row> portRows() {
        std::vector<Row> rows;
        for (int row = 0; row < m_window.rowCount(controls::kPortList); ++row) {
            rows.push_back({m_window.cellText(controls::kPortList, row, 0),
                            m_window.cellText(controls::kPortList, row, 1),
                            m_window.cellText(controls::kPortList, row, 2)});
        }
        return rows;
    }
    const Text m_hint = gbk("未检测到卡，请检查此端口插卡状态！");
};

TEST_F(SlotsTest, ListsTheSlotsOfTheSelectedPoolWithoutACard) {
    m_sim->setSlots(Text(kKey), "A1",
                    {{"A1.01", ""}, {"A1.02", "8986001"}, {"A1.03", std::nullopt}});
    m_sim->setSlots(Text(kKey), "B2", {{"B2.01", ""}});
    m_window.setSelectedRow(controls::kDeviceList, m_window.appendRow(controls::kDeviceList, "A1"));
    m_window.appendRow(controls::kPortList, "stale");

    service::listUnseatedSlots(*m_session);

    EXPECT_THAT(portRows(),
                testing::ElementsAre(Row{"A1.01", m_hint, ""}, Row{"A1.03", m_hint, ""}));
    EXPECT_EQ(requests(sim::Endpoint::SlotInfo).at(0).query, "uKey=key-7&slot=A1");
}

TEST_F(SlotsTest, ReadsRecordsByTheirMarkers) {
    answerRaw(sim::Endpoint::SlotInfo, R"({"ret":0,"data":[{"slot":"3","iccid":""},)"
                                       R"({"slot":"4","iccid":"8986"},{"slot":5,"iccid":""},)"
                                       R"({"slot":"","iccid":""},)" +
                                           gbk(R"({"slot":"亇7","iccid":""})") + "]}");

    service::listUnseatedSlots(*m_session); // no pool selected

    EXPECT_THAT(portRows(),
                testing::ElementsAre(Row{"3", m_hint, ""}, Row{gbk("亇7"), m_hint, ""}));
    EXPECT_EQ(requests(sim::Endpoint::SlotInfo).at(0).query, "uKey=key-7&slot=");
}

} // namespace
} // namespace servicetest

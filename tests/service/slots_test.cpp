#include "service/operations.h"
#include "service_sim_fixture.h"

#include <gmock/gmock.h>

namespace servicetest {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

class SlotsTest : public ServiceSimTest {
protected:
    void selectPool(std::string_view pool) {
        m_window.setSelectedRow(controls::kDeviceList,
                                m_window.appendRow(controls::kDeviceList, pool));
    }
    std::vector<std::pair<Text, Text>> portRows() {
        std::vector<std::pair<Text, Text>> rows;
        for (int row = 0; row < m_window.rowCount(controls::kPortList); ++row) {
            rows.emplace_back(m_window.cellText(controls::kPortList, row, 0),
                              m_window.cellText(controls::kPortList, row, 1));
            EXPECT_EQ(m_window.cellText(controls::kPortList, row, 2), "");
        }
        return rows;
    }
    const Text m_hint = gbk("未检测到卡，请检查此端口插卡状态！");
};

TEST_F(SlotsTest, ListsTheSlotsOfTheSelectedPoolWithoutACard) {
    m_sim->setSlots(Text(kKey), "A1",
                    {{"A1.01", ""}, {"A1.02", "8986001"}, {"A1.03", std::nullopt}});
    m_sim->setSlots(Text(kKey), "B2", {{"B2.01", ""}});
    selectPool("A1");
    m_window.appendRow(controls::kPortList, "stale");

    service::listUnseatedSlots(m_window);

    EXPECT_THAT(portRows(),
                ElementsAre(std::pair{Text("A1.01"), m_hint}, std::pair{Text("A1.03"), m_hint}));
    const auto queries = requests(sim::Endpoint::SlotInfo);
    ASSERT_EQ(queries.size(), 1u);
    EXPECT_EQ(queries[0].path, "/sinterface/getSlotInfo");
    EXPECT_EQ(queries[0].query, "uKey=key-7&slot=A1");
}

TEST_F(SlotsTest, ReadsRecordsByTheirMarkers) {
    answerRaw(sim::Endpoint::SlotInfo, R"({"ret":0,"data":[)"
                                       R"({"slot":"3","iccid":""},)"
                                       R"({"slot":"4","iccid":"8986"},)"
                                       R"({"slot":5,"iccid":""},)"
                                       R"({"slot":"6","state":1},)"
                                       R"({"slot":"","iccid":""},)" +
                                           gbk(R"({"slot":"亇7","iccid":""})") + "]}");

    service::listUnseatedSlots(m_window);

    EXPECT_THAT(portRows(), ElementsAre(std::pair{Text("3"), m_hint}, std::pair{Text("6"), m_hint},
                                        std::pair{gbk("亇7"), m_hint}));
    EXPECT_EQ(requests(sim::Endpoint::SlotInfo).at(0).query, "uKey=key-7&slot=");
    EXPECT_EQ(m_window.text(controls::kPortCountLabel), "");
    EXPECT_EQ(m_window.disableCount(controls::kPortList), 0);
}

TEST_F(SlotsTest, FailedRequestEmptiesTheListAndLogsWhy) {
    selectPool("A1");
    m_window.appendRow(controls::kPortList, "stale");
    refuse(sim::Endpoint::SlotInfo);

    service::listUnseatedSlots(m_window);

    EXPECT_THAT(portRows(), IsEmpty());
    EXPECT_THAT(m_window.lines(controls::kLogPanel), ElementsAre(FailureLineFor("查看没插好端口")));
}

} // namespace
} // namespace servicetest

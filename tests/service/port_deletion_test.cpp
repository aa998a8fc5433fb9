#include "http/messages.h"
#include "service/codec.h"
#include "service/operations.h"
#include "service/port_search_view.h"

#include <gmock/gmock.h>

#include "test_support/service_sim_fixture.h"

namespace servicetest {
namespace {

using testing::Each;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::SizeIs;

class PortDeletionTest : public ServiceSimTest {
protected:
    // Rows "A1.0", "A1.1", ...; with a status they look like listed ports, without one their
    // lines stay short (pool.n|%2D).
    void listPorts(int count, std::string_view pool = "A1", bool withStatus = true) {
        for (int i = 0; i < count; ++i) {
            const int row = m_window.appendRow(controls::kPortList,
                                               runtime::concat({pool, ".", runtime::toText(i)}));
            if (withStatus) {
                m_window.setCellText(controls::kPortList, row, 1, gbk("未做TG"));
                m_window.setCellText(controls::kPortList, row, 2, "12:00");
            }
        }
    }

    // Number of port lines in each deletion request, in order.
    std::vector<int> linesPerRequest() {
        std::vector<int> counts;
        for (const auto& request : requests(sim::Endpoint::DeleteBatch)) {
            int lines = 0;
            for (auto at = request.body.find("\r\n"); at != std::string::npos;
                 at = request.body.find("\r\n", at + 2)) {
                ++lines;
            }
            counts.push_back(lines);
        }
        return counts;
    }

    // The simulator's HTTP library turns away form-encoded bodies above 8 KB with a 413.
    bool simRefusedALargeBody() {
        for (const auto& line : m_window.lines(controls::kLogPanel)) {
            if (line.find("413") != std::string::npos) {
                return true;
            }
        }
        return false;
    }
};

TEST_F(PortDeletionTest, PostsEachRowAsNamePipeEncodedStatusAndTime) {
    m_window.appendRow(controls::kPortList, "A1.01");
    m_window.setCellText(controls::kPortList, 0, 1, gbk("未做TG"));
    m_window.setCellText(controls::kPortList, 0, 2, "12:00");
    m_window.appendRow(controls::kPortList, "A1.02");
    m_window.setCellText(controls::kPortList, 1, 1, "a b");

    service::deletePortsInBatches(*m_session);

    const auto sent = requests(sim::Endpoint::DeleteBatch);
    ASSERT_THAT(sent, SizeIs(2));
    for (const auto& request : sent) {
        EXPECT_EQ(request.method, "POST");
        EXPECT_EQ(request.path, "/sinterface/port/deleteBatch");
        EXPECT_EQ(request.query, "ukey=key-7");
        EXPECT_EQ(request.body, "A1.01|%CE%B4%D7%F6%54%47%2D%31%32%3A%30%30\r\n"
                                "A1.02|%61+%62%2D\r\n");
    }
    EXPECT_EQ(m_window.rowCount(controls::kPortList), 0);
}

TEST_F(PortDeletionTest, RequestSequenceFollowsTheBatchesOfFiveHundred) {
    const std::vector<std::pair<int, std::vector<int>>> cases{
        {0, {0, 0}}, {1, {1, 1}}, {499, {499, 499}}, {500, {500, 500, 500}}};
    for (const auto& [rows, expected] : cases) {
        m_sim->clearRequestLog();
        listPorts(rows, "A1", false);
        service::deletePortsInBatches(*m_session);
        EXPECT_EQ(linesPerRequest(), expected) << rows << " rows";
        EXPECT_EQ(m_window.rowCount(controls::kPortList), 0);
        EXPECT_FALSE(m_window.isDisabled(controls::kPortList));
    }
    EXPECT_THAT(m_window.lines(controls::kLogPanel), IsEmpty());
}

TEST_F(PortDeletionTest, BodiesAccumulateOverTheBatches) {
    listPorts(1200, "A1", false);
    service::deletePortsInBatches(*m_session);
    if (simRefusedALargeBody()) {
        GTEST_SKIP() << "the simulator refuses form-encoded bodies above 8 KB";
    }
    EXPECT_EQ(linesPerRequest(), (std::vector<int>{500, 1000, 1200, 1200}));
    EXPECT_EQ(m_window.rowCount(controls::kPortList), 0);
    const auto sent = requests(sim::Endpoint::DeleteBatch);
    ASSERT_THAT(sent, SizeIs(4));
    EXPECT_EQ(sent[3].body.rfind("A1.0|%2D\r\n", 0), 0U);
    EXPECT_NE(sent[3].body.find("\r\nA1.1199|%2D\r\n"), std::string::npos);
}

TEST_F(PortDeletionTest, ARowWithoutPortNameEndsTheListAndStays) {
    listPorts(2);
    m_window.appendRow(controls::kPortList, "");
    m_window.setCellText(controls::kPortList, 2, 1, "kept");
    listPorts(1, "B2");

    service::deletePortsInBatches(*m_session);

    EXPECT_EQ(linesPerRequest(), (std::vector<int>{2, 2}));
    EXPECT_THAT(column(controls::kPortList, 0), ElementsAre("", "B2.0"));
    EXPECT_THAT(column(controls::kPortList, 1), ElementsAre("kept", gbk("未做TG")));
}

TEST_F(PortDeletionTest, ClearsTheMarkOfTheFirstPortsPool) {
    const Text mark = gbk("有新任务，请处理");
    for (const auto* pool : {"B2", "A1", "A1.0"}) {
        m_window.setCellText(controls::kDeviceList, m_window.appendRow(controls::kDeviceList, pool),
                             1, mark);
    }
    listPorts(1, "a1");
    service::deletePortsInBatches(*m_session);
    EXPECT_THAT(column(controls::kDeviceList, 1), ElementsAre(mark, "", mark));

    // A first port name without "." names no pool.
    m_window.setCellText(controls::kDeviceList, 1, 1, mark);
    m_window.appendRow(controls::kPortList, "A1");
    service::deletePortsInBatches(*m_session);
    EXPECT_THAT(column(controls::kDeviceList, 1), Each(mark));
}

TEST_F(PortDeletionTest, AFailedRequestKeepsTheUnconfirmedRowsAndSaysSo) {
    const Text mark = gbk("有新任务，请处理");
    m_window.setCellText(controls::kDeviceList, m_window.appendRow(controls::kDeviceList, "A1"), 1,
                         mark);
    listPorts(600, "A1", false);
    for (const int row : {0, 499, 500, 555, 599}) {
        m_window.setCheckState(controls::kPortList, row, 1);
        m_window.setCellText(controls::kPortList, row, 2, "t");
    }
    // The network goes away once the service has confirmed the first batch.
    refuse(sim::Endpoint::DeleteBatch, 1);

    service::deletePortsInBatches(*m_session);

    const auto lines = linesPerRequest();
    ASSERT_THAT(lines, SizeIs(2)); // the refused second request leaves no body in the log
    EXPECT_EQ(lines[0], 500);
    const auto ports = column(controls::kPortList, 0);
    ASSERT_THAT(ports, SizeIs(100));
    for (int row = 0; row < 100; ++row) {
        const bool marked = row == 0 || row == 55 || row == 99;
        ASSERT_EQ(ports[row], runtime::concat({"A1.", runtime::toText(row + 500)}));
        ASSERT_EQ(m_window.cellText(controls::kPortList, row, 2), marked ? "t" : "");
        ASSERT_EQ(m_window.checkState(controls::kPortList, row), marked ? 1 : 0) << "row " << row;
    }
    EXPECT_FALSE(m_window.isDisabled(controls::kPortList));
    EXPECT_THAT(m_window.lines(controls::kLogPanel), ElementsAre(FailureLineFor("已拔出清除")));
    EXPECT_THAT(column(controls::kDeviceList, 1), ElementsAre(mark)) << "ports are left";
}

// 500 rows go in three requests with the same lines; when a repeat fails after the first was
// answered, every row was reported: the rows and the pool's mark go, and the line says that only
// the repeat failed.
TEST_F(PortDeletionTest, AFailedRepeatAfterEveryRowWasConfirmedClearsRowsAndMark) {
    m_window.setCellText(controls::kDeviceList, m_window.appendRow(controls::kDeviceList, "A1"), 1,
                         gbk("有新任务，请处理"));
    listPorts(500, "A1", false);
    refuse(sim::Endpoint::DeleteBatch, 1);

    service::deletePortsInBatches(*m_session);

    EXPECT_EQ(linesPerRequest(), (std::vector<int>{500, 0})); // a refused one leaves no body
    EXPECT_EQ(m_window.rowCount(controls::kPortList), 0);
    EXPECT_THAT(column(controls::kDeviceList, 1), ElementsAre(""));
    EXPECT_FALSE(m_window.isDisabled(controls::kPortList));
    EXPECT_THAT(m_window.lines(controls::kLogPanel),
                ElementsAre(gbk("已拔出清除：500 个端口均已上报，之后重复的上报请求失败：") +
                            http::failureMessage(http::Failure::NoResponse)));
}

// Search results span pools: the wire is a pool list's, and each pool goes by its own rows. The
// service confirms the first 500 rows (every A1 port) and then goes away before the B2 ones.
TEST_F(PortDeletionTest, SearchResultsOverTwoPoolsClearWhatEachPoolHadConfirmed) {
    const Text mark = gbk("有新任务，请处理");
    service::Snapshot& snapshot = m_session->snapshot();
    snapshot.addPools({"A1", "B2", "C3"});
    service::PortRows pending;
    for (int i = 0; i < 500; ++i) {
        pending.add(runtime::concat({"A1.", runtime::toText(i)}), "", "");
    }
    for (int i = 0; i < 100; ++i) {
        pending.add(runtime::concat({"B2.", runtime::toText(i)}), "", "");
    }
    pending.add("C3-1", "", ""); // no "." in its name: not found by the search below
    service::rememberEveryPoolsPorts(snapshot, pending);
    for (const auto* pool : {"A1", "B2", "C3"}) {
        m_window.setCellText(controls::kDeviceList, m_window.appendRow(controls::kDeviceList, pool),
                             1, mark);
    }
    service::showSearchResults(m_window, snapshot, ".");
    ASSERT_EQ(m_window.rowCount(controls::kPortList), 600);
    refuse(sim::Endpoint::DeleteBatch, 1);

    service::deletePortsInBatches(*m_session);

    ASSERT_EQ(linesPerRequest(), (std::vector<int>{500, 0})) << "a refused one leaves no body";
    EXPECT_EQ(requests(sim::Endpoint::DeleteBatch)[0].body.rfind("A1.0|%2D\r\nA1.1|%2D\r\n", 0),
              0U);
    EXPECT_THAT(column(controls::kDeviceList, 1), ElementsAre("", mark, mark));
    const std::vector<Text> left = column(controls::kPortList, 0);
    ASSERT_THAT(left, SizeIs(100));
    EXPECT_EQ(left.front(), "B2.0");

    // The reported ports are no longer pending: searching again finds the B2 ones only.
    service::showSearchResults(m_window, snapshot, ".");
    EXPECT_EQ(column(controls::kPortList, 0), left);
    EXPECT_THAT(snapshot.portQuery("A1")->rows.toVector(), IsEmpty());
    EXPECT_THAT(snapshot.portQuery("C3")->rows.toVector(), SizeIs(1));
}

TEST_F(PortDeletionTest, AFailedFirstRequestRemovesNothing) {
    listPorts(3);
    refuse(sim::Endpoint::DeleteBatch);
    service::deletePortsInBatches(*m_session);
    EXPECT_THAT(column(controls::kPortList, 0), ElementsAre("A1.0", "A1.1", "A1.2"));
    EXPECT_THAT(requests(sim::Endpoint::DeleteBatch), SizeIs(1));
    EXPECT_THAT(m_window.lines(controls::kLogPanel), ElementsAre(FailureLineFor("已拔出清除")));
}

} // namespace
} // namespace servicetest

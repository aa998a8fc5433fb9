#include "service/operations.h"
#include "service_sim_fixture.h"

#include <gmock/gmock.h>

namespace servicetest {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

class PortsTest : public ServiceSimTest {
protected:
    void selectPool(std::string_view pool) {
        m_window.setSelectedRow(controls::kDeviceList,
                                m_window.appendRow(controls::kDeviceList, pool));
    }
    struct Row {
        Text port, status, time;
        bool operator==(const Row&) const = default;
    };
    std::vector<Row> portRows() {
        std::vector<Row> rows;
        for (int row = 0; row < m_window.rowCount(controls::kPortList); ++row) {
            rows.push_back({m_window.cellText(controls::kPortList, row, 0),
                            m_window.cellText(controls::kPortList, row, 1),
                            m_window.cellText(controls::kPortList, row, 2)});
        }
        return rows;
    }
    Text countLabel() { return m_window.text(controls::kPortCountLabel); }
};

TEST_F(PortsTest, ListsThePendingPortsOfTheSelectedPool) {
    m_sim->addPendingPort(Text(kKey), "A1.01", gbk("未做TG"), "12:00");
    m_sim->addPendingPort(Text(kKey), "B2.01", gbk("已做TG"), "13:00");
    m_sim->addPendingPort(Text(kKey), "A1.02", gbk("有号码"), "14:00");
    selectPool("A1");
    m_window.appendRow(controls::kPortList, "stale");

    service::listPorts(m_window);

    EXPECT_THAT(portRows(), ElementsAre(Row{"A1.01", gbk("未做TG"), "12:00"},
                                        Row{"A1.02", gbk("有号码"), "14:00"}));
    EXPECT_EQ(countLabel(), gbk("端口数量：2"));
    EXPECT_FALSE(m_window.isDisabled(controls::kPortList));
    EXPECT_EQ(m_window.disableCount(controls::kPortList), 1);
    const auto queries = requests(sim::Endpoint::Ports);
    ASSERT_EQ(queries.size(), 1u);
    EXPECT_EQ(queries[0].path, "/sinterface/port/get");
    EXPECT_EQ(queries[0].query, "ukey=key-7");
}

TEST_F(PortsTest, ReadsLinesFieldsAndPoolNamesAsBytes) {
    answerRaw(sim::Endpoint::Ports, "A1.01|%CE%B4%D7%F6TG-12%3A00\r\n"
                                    "B2.01|x-y\r\n"
                                    "A10.01|s-t|extra\r\n"
                                    "A1.09\r\n"
                                    "A1.03|%CE%B4%D7%F6TG-2024-05-01\r\n" +
                                        gbk("亅A1.04|u-v") + // "亅" ends in the byte "|"
                                        "\r\n");
    selectPool("A1");

    service::listPorts(m_window);

    EXPECT_THAT(portRows(),
                ElementsAre(Row{"A1.01", gbk("未做TG"), "12:00"}, Row{"A10.01", "s", "t"},
                            Row{"A1.03", gbk("未做TG"), "2024"}, Row{gbk("亅A1.04"), "u", "v"}));
    EXPECT_EQ(countLabel(), gbk("端口数量：4"));
}

TEST_F(PortsTest, WithoutSelectionListsEveryNamedPort) {
    answerRaw(sim::Endpoint::Ports, "A1.01|a-1\r\n|b-2\r\nB2.01|c-3");
    m_window.appendRow(controls::kDeviceList, "A1");

    service::listPorts(m_window);

    EXPECT_THAT(portRows(), ElementsAre(Row{"A1.01", "a", "1"}, Row{"B2.01", "c", "3"}));
}

struct DecodeCase {
    const char* name;
    const char* encoded;
    std::string status;
    std::string time;
};

class PortStatusDecodeTest : public PortsTest, public testing::WithParamInterface<DecodeCase> {};

TEST_P(PortStatusDecodeTest, DecodesStatusAndTime) {
    answerRaw(sim::Endpoint::Ports, std::string("P.01|") + GetParam().encoded + "\r\n");

    service::listPorts(m_window);

    ASSERT_EQ(m_window.rowCount(controls::kPortList), 1);
    EXPECT_EQ(m_window.cellText(controls::kPortList, 0, 1), GetParam().status);
    EXPECT_EQ(m_window.cellText(controls::kPortList, 0, 2), GetParam().time);
}

INSTANTIATE_TEST_SUITE_P(Codes, PortStatusDecodeTest,
                         testing::Values(DecodeCase{"Utf8BytesKept", "t-%E6%9C%AA", "t",
                                                    "\xE6\x9C\xAA"},
                                         DecodeCase{"HexDigitThenLetter", "%4G-t", "\x04", "t"},
                                         DecodeCase{"NoHexDigit", "%G1-t", "%G1", "t"},
                                         DecodeCase{"PlusIsSpace", "a+b-t", "a b", "t"},
                                         DecodeCase{"TrailingPercent", "s-%", "s", "%"},
                                         DecodeCase{"TrailingPercentDigit", "s-%4", "s", "\x04"},
                                         DecodeCase{"NoDash", "only", "only", ""},
                                         DecodeCase{"EmptyStatus", "-t", "", "t"},
                                         DecodeCase{"EmptyField", "|x", "", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PortsTest, FailedRequestEmptiesTheListCountsZeroAndLogsWhy) {
    m_window.appendRow(controls::kPortList, "stale");
    refuse(sim::Endpoint::Ports);

    service::listPorts(m_window);

    EXPECT_THAT(portRows(), IsEmpty());
    EXPECT_EQ(countLabel(), gbk("端口数量：0"));
    EXPECT_FALSE(m_window.isDisabled(controls::kPortList));
    EXPECT_THAT(m_window.lines(controls::kLogPanel), ElementsAre(FailureLineFor("查看最新任务")));
}

TEST_F(PortsTest, QueryPortsSendsTheGivenKeyAsIs) {
    m_sim->addPendingPort("k%41", "A1.01", "s", "t");
    EXPECT_THAT(service::queryPorts("k%41"), testing::StartsWith("A1.01|"));
    EXPECT_EQ(requests(sim::Endpoint::Ports).at(0).query, "ukey=k%41");
}

class KeywordTest : public PortsTest {
protected:
    void SetUp() override {
        PortsTest::SetUp();
        for (const char* status : {"未做TG", "已做TG", "有号码", "未做tg"}) {
            const int row = m_window.appendRow(controls::kPortList, "P");
            m_window.setCellText(controls::kPortList, row, 1, gbk(status));
        }
        m_window.setCheckState(controls::kPortList, 2, 1);
    }
    std::vector<int> checks() {
        std::vector<int> states;
        for (int row = 0; row < m_window.rowCount(controls::kPortList); ++row) {
            states.push_back(m_window.checkState(controls::kPortList, row));
        }
        return states;
    }
};

TEST_F(KeywordTest, ChecksMatchingRowsAndKeepsTheOthers) {
    m_window.queueInputBoxAnswer("TG");
    service::checkPortsByKeyword(m_window);
    EXPECT_THAT(checks(), ElementsAre(1, 1, 1, 0));
    EXPECT_THAT(m_window.inputBoxPrompts(), ElementsAre(gbk("输入状态关键词，例如未做TG")));
}

TEST_F(KeywordTest, KeywordIsCaseSensitiveAndMayBeChinese) {
    m_window.queueInputBoxAnswer("tg");
    m_window.queueInputBoxAnswer(gbk("已做"));
    service::checkPortsByKeyword(m_window);
    EXPECT_THAT(checks(), ElementsAre(0, 0, 1, 1));
    service::checkPortsByKeyword(m_window);
    EXPECT_THAT(checks(), ElementsAre(0, 1, 1, 1));
}

TEST_F(KeywordTest, CancelledPromptChangesNothing) {
    service::checkPortsByKeyword(m_window); // no queued answer: cancelled
    EXPECT_THAT(checks(), ElementsAre(0, 0, 1, 0));
}

} // namespace
} // namespace servicetest

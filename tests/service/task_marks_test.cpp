#include "service/operations.h"

#include <gmock/gmock.h>

#include "test_support/service_sim_fixture.h"

namespace servicetest {
namespace {

using testing::ElementsAre;
using testing::SizeIs;

class TaskMarksTest : public ServiceSimTest {
protected:
    void SetUp() override {
        ServiceSimTest::SetUp();
        for (const Text& pool :
             {Text("A1"), Text("a1"), Text("B2"), Text(), Text("A10"), gbk("深圳"), Text("C3")}) {
            const int row = m_window.appendRow(controls::kDeviceList, pool);
            m_window.setCellText(controls::kDeviceList, row, 1, "before");
        }
    }
    const Text m_mark = gbk("有新任务，请处理");
};

TEST_F(TaskMarksTest, MarksThePoolsThatOwnAPendingPort) {
    // A10's port is not A1's; a name without "." belongs to the pools it contains.
    for (const Text& port : {Text("A10.01"), gbk("深圳.03"), Text("xB2")}) {
        m_sim->addPendingPort(Text(kKey), port, gbk("未做TG"), "12:00");
    }

    service::markPoolsWithNewTasks(*m_session);

    // Case-sensitive; an empty pool name owns every port.
    EXPECT_THAT(column(controls::kDeviceList, 1),
                ElementsAre("before", "before", m_mark, m_mark, m_mark, m_mark, "before"));
    const auto sent = requests(sim::Endpoint::Ports);
    ASSERT_THAT(sent, SizeIs(1));
    EXPECT_EQ(sent[0].query, "ukey=key-7");
}

TEST_F(TaskMarksTest, AFailedQueryMarksNothing) {
    m_sim->addPendingPort(Text(kKey), "A1.01", gbk("未做TG"), "12:00");
    refuse(sim::Endpoint::Ports);

    service::markPoolsWithNewTasks(*m_session);

    EXPECT_THAT(column(controls::kDeviceList, 1), testing::Each(Text("before")));
    EXPECT_THAT(m_window.lines(controls::kLogPanel), ElementsAre(FailureLineFor("标记新任务")));
}

} // namespace
} // namespace servicetest

#include "service/operations.h"

#include <gmock/gmock.h>

#include "service_sim_fixture.h"

namespace servicetest {
namespace {

using testing::ElementsAre;
using testing::SizeIs;

class TaskMarksTest : public ServiceSimTest {
protected:
    void SetUp() override {
        ServiceSimTest::SetUp();
        for (const auto* pool : {"A1", "a1", "B2", ""}) {
            const int row = m_window.appendRow(controls::kDeviceList, pool);
            m_window.setCellText(controls::kDeviceList, row, 1, "before");
        }
    }
    const Text m_mark = gbk("有新任务，请处理");
};

TEST_F(TaskMarksTest, MarksPoolsNamedInThePendingPortReply) {
    m_sim->addPendingPort(Text(kKey), "A1.01", gbk("未做TG"), "12:00");

    service::markPoolsWithNewTasks(m_window);

    // Case-sensitive search; an empty pool name is found in any non-empty reply.
    EXPECT_THAT(column(controls::kDeviceList, 1), ElementsAre(m_mark, "before", "before", m_mark));
    const auto sent = requests(sim::Endpoint::Ports);
    ASSERT_THAT(sent, SizeIs(1));
    EXPECT_EQ(sent[0].query, "ukey=key-7");
}

TEST_F(TaskMarksTest, AFailedQueryMarksNothing) {
    m_sim->addPendingPort(Text(kKey), "A1.01", gbk("未做TG"), "12:00");
    refuse(sim::Endpoint::Ports);

    service::markPoolsWithNewTasks(m_window);

    EXPECT_THAT(column(controls::kDeviceList, 1),
                ElementsAre("before", "before", "before", "before"));
}

} // namespace
} // namespace servicetest

#include "service/operations.h"
#include "service/task_alerts.h"

#include <gmock/gmock.h>

#include "test_support/service_sim_fixture.h"

namespace servicetest {
namespace {

using service::NewTaskComparison;
using service::PendingByPool;
using service::PoolGain;
using testing::ElementsAre;
using testing::SizeIs;

struct ComparisonCase {
    const char* name;
    // The checks in order; nullopt is a failed check.
    std::vector<std::optional<PendingByPool>> checks;
    // What the last check reports.
    std::vector<PoolGain> gains;
};

TEST(NewTaskComparisonTest, ComparesEachCheckWithTheLastGoodOne) {
    const PendingByPool a1Two{{"A1", {"A1.01", "A1.02"}}};
    const ComparisonCase cases[] = {
        {"first check is the base", {a1Two}, {}},
        {"same ports", {a1Two, a1Two}, {}},
        {"gained",
         {a1Two, PendingByPool{{"A1", {"A1.01", "A1.02", "A1.03", "A1.04"}}}},
         {{"A1", 2}}},
        {"lost", {a1Two, PendingByPool{{"A1", {"A1.02"}}}}, {}},
        {"one lost, one gained", {a1Two, PendingByPool{{"A1", {"A1.02", "A1.09"}}}}, {{"A1", 1}}},
        {"pool appearing",
         {a1Two, PendingByPool{{"A1", {"A1.01", "A1.02"}}, {gbk("深圳"), {gbk("深圳.1")}}}},
         {{gbk("深圳"), 1}}},
        {"pool disappearing", {a1Two, PendingByPool{}}, {}},
        {"pool gone and back", {a1Two, PendingByPool{}, a1Two}, {{"A1", 2}}},
        {"failed check compares nothing", {a1Two, std::nullopt}, {}},
        {"failed check between two good ones",
         {a1Two, std::nullopt, PendingByPool{{"A1", {"A1.01", "A1.02", "A1.05"}}}},
         {{"A1", 1}}},
        {"failed first check leaves no base", {std::nullopt, a1Two}, {}},
        {"several pools, in order",
         {PendingByPool{{"A1", {"A1.01"}}},
          PendingByPool{{"A1", {"A1.01", "A1.02", "A1.03", "A1.04"}}, {"B2", {"B2.01"}}}},
         {{"A1", 3}, {"B2", 1}}},
    };
    for (const ComparisonCase& c : cases) {
        NewTaskComparison comparison;
        std::vector<PoolGain> last;
        for (const auto& check : c.checks) {
            last = comparison.next(check);
        }
        EXPECT_EQ(last, c.gains) << c.name;
    }
    EXPECT_EQ(service::gainsText({{"A1", 3}, {"B2", 1}}),
              gbk("A1 新增 3 个端口，B2 新增 1 个端口"));
}

class TaskCheckTest : public ServiceSimTest {
protected:
    void SetUp() override {
        ServiceSimTest::SetUp();
        m_session->snapshot().addPools({"A1", "A10", "B2"});
        for (const char* pool : {"A1", "A10", "B2"}) {
            m_window.appendRow(controls::kDeviceList, pool);
        }
        m_sim->addPendingPort(Text(kKey), "A1.01", gbk("未做TG"), "12:00");
    }
    void addPort(const char* port) {
        m_sim->addPendingPort(Text(kKey), port, gbk("未做TG"), "12:00");
    }
    NewTaskComparison m_comparison;
};

TEST_F(TaskCheckTest, OneQueryPerCheckMarksAndNamesThePoolsThatGainedPorts) {
    EXPECT_THAT(service::checkForNewTasks(*m_session, m_comparison), testing::IsEmpty());
    addPort("A1.02");
    addPort("A10.01");
    addPort("A10.02");

    // A10's ports are not A1's.
    EXPECT_THAT(service::checkForNewTasks(*m_session, m_comparison),
                ElementsAre(PoolGain{"A1", 1}, PoolGain{"A10", 2}));
    EXPECT_THAT(requests(sim::Endpoint::Ports), SizeIs(2));
    const Text mark = gbk("有新任务，请处理");
    EXPECT_THAT(column(controls::kDeviceList, 1), ElementsAre(mark, mark, Text()));
    EXPECT_THAT(m_window.lines(controls::kLogPanel),
                ElementsAre(gbk("A1 新增 1 个端口，A10 新增 2 个端口")));

    // A failed check writes its line and compares nothing; the next compares with the last good.
    refuse(sim::Endpoint::Ports);
    EXPECT_THAT(service::checkForNewTasks(*m_session, m_comparison), testing::IsEmpty());
    m_sim->clearFaults();
    addPort("B2.07");
    EXPECT_THAT(service::checkForNewTasks(*m_session, m_comparison),
                ElementsAre(PoolGain{"B2", 1}));
    EXPECT_THAT(requests(sim::Endpoint::Ports), SizeIs(4));
    const auto lines = m_window.lines(controls::kLogPanel);
    ASSERT_THAT(lines, SizeIs(3));
    EXPECT_THAT(lines[1], FailureLineFor("自动检查新任务"));
    EXPECT_EQ(lines[2], gbk("B2 新增 1 个端口"));
}

} // namespace
} // namespace servicetest

#include "app/history_settings.h"
#include "runtime/profile.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(HistorySettings, DaysKeptFromPzIniWithinOneToAYearAndTheFileBesideIt) {
    const auto folder = std::filesystem::temp_directory_path() / "pooldesk-history-settings";
    std::filesystem::create_directories(folder);
    const std::string file = (folder / "pz.ini").string();
    std::filesystem::remove(file);
    EXPECT_EQ(app::readHistoryDays(file), 30) << "no file";
    const struct {
        const char* stored;
        int days;
    } cases[] = {{"7", 7},  {"365", 365}, {"0", 1},    {"400", 365},
                 {"-3", 1}, {"", 30},     {"abc", 30}, {"12d", 30}};
    for (const auto& item : cases) {
        ASSERT_TRUE(runtime::writeSetting(file, "history", "days", item.stored));
        EXPECT_EQ(app::readHistoryDays(file), item.days) << '"' << item.stored << '"';
    }
    std::filesystem::remove_all(folder);
#ifdef _WIN32
    EXPECT_EQ(app::historyFileBeside("C:\\PoolDesk\\pz.ini"),
              "C:\\PoolDesk\\pooldesk-history.sqlite");
#else
    EXPECT_EQ(app::historyFileBeside("/opt/pooldesk/pz.ini"),
              "/opt/pooldesk/pooldesk-history.sqlite");
#endif
    EXPECT_EQ(app::historyFileBeside("pz.ini"), "pooldesk-history.sqlite");
}

} // namespace

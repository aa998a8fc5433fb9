#include "runtime/codepage.h"
#include "runtime/profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using runtime::readSetting;
using runtime::Text;
using runtime::writeSetting;

class ProfileFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        for (int attempt = 0; attempt < 100 && m_folder.empty(); ++attempt) {
            const fs::path candidate =
                fs::temp_directory_path() / ("pooldesk-profile-" + std::to_string(random()));
            if (fs::create_directory(candidate)) {
                m_folder = candidate;
            }
        }
        ASSERT_FALSE(m_folder.empty());
        m_path = (m_folder / "pz.ini").string();
    }
    void TearDown() override { fs::remove_all(m_folder); }

    void store(const std::string& content) const {
        std::ofstream(m_path, std::ios::binary) << content;
    }
    std::string stored() const {
        std::ifstream in(m_path, std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        return content.str();
    }
    std::vector<std::string> folderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_folder)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    fs::path m_folder;
    std::string m_path;
};

// As a Windows install leaves it: GBK values, CR LF, a comment, odd spacing and case.
const std::string kWindowsFile = "; PoolDesk settings\r\n"
                                 "[1]\r\n"
                                 "n=\xD2\xBB\xBA\xC5\xB3\xD8\r\n" // 一号池
                                 "\r\n"
                                 "[Key]\r\n"
                                 "KEY = abc-123  \r\n"
                                 "[other]\r\n"
                                 "x=1\r\n";

TEST_F(ProfileFile, ReadsAFileWrittenOnWindows) {
    store(kWindowsFile);
    EXPECT_EQ(readSetting(m_path, "1", "n"), runtime::gbk("一号池"));
    EXPECT_EQ(readSetting(m_path, "key", "key"), "abc-123");
    EXPECT_EQ(readSetting(m_path, "OTHER", "X"), "1");
    EXPECT_EQ(readSetting(m_path, "other", "missing", "dflt"), "dflt");
    EXPECT_EQ(readSetting(m_path, "nosection", "n", "dflt  "), "dflt");
    // The comment is not an item, and items of one section are not seen from another.
    EXPECT_EQ(readSetting(m_path, "1", "; PoolDesk settings", "none"), "none");
    EXPECT_EQ(readSetting(m_path, "1", "x", "none"), "none");
}

TEST_F(ProfileFile, WritingChangesOnlyTheItemsLine) {
    store(kWindowsFile);
    ASSERT_TRUE(writeSetting(m_path, "key", "key", "new key"));
    std::string expected = kWindowsFile;
    expected.replace(expected.find("KEY = abc-123  "), 15, "KEY=new key");
    EXPECT_EQ(stored(), expected);
    EXPECT_EQ(readSetting(m_path, "Key", "Key"), "new key");
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"pz.ini"});
}

TEST_F(ProfileFile, NewItemsJoinTheirSectionAndNewSectionsGoLast) {
    store(kWindowsFile);
    ASSERT_TRUE(writeSetting(m_path, "1", "m", runtime::gbk("二")));
    ASSERT_TRUE(writeSetting(m_path, "new", "k", "v"));
    EXPECT_EQ(stored(), "; PoolDesk settings\r\n"
                        "[1]\r\n"
                        "n=\xD2\xBB\xBA\xC5\xB3\xD8\r\n"
                        "m=\xB6\xFE\r\n"
                        "\r\n"
                        "[Key]\r\n"
                        "KEY = abc-123  \r\n"
                        "[other]\r\n"
                        "x=1\r\n"
                        "[new]\r\n"
                        "k=v\r\n");
}

TEST_F(ProfileFile, MissingFileGivesDefaultsAndIsCreatedOnWrite) {
    EXPECT_EQ(readSetting(m_path, "1", "n"), "");
    EXPECT_EQ(readSetting(m_path, "1", "n", "d"), "d");
    ASSERT_TRUE(writeSetting(m_path, "key", "key", ""));
    EXPECT_EQ(stored(), "[key]\r\nkey=\r\n");
    EXPECT_EQ(readSetting(m_path, "key", "key", "d"), "");
    ASSERT_TRUE(writeSetting(m_path, "1", "n", runtime::gbk("筛选")));
    EXPECT_EQ(readSetting(m_path, "1", "n"), runtime::gbk("筛选"));
    EXPECT_EQ(readSetting(m_path, "key", "key", "d"), "");
}

TEST_F(ProfileFile, LastLineWithoutLineEndIsExtendedCleanly) {
    store("[1]\r\nn=a");
    ASSERT_TRUE(writeSetting(m_path, "1", "z", "b"));
    ASSERT_TRUE(writeSetting(m_path, "2", "y", "c"));
    EXPECT_EQ(stored(), "[1]\r\nn=a\r\nz=b\r\n[2]\r\ny=c\r\n");
}

TEST_F(ProfileFile, FileEndingInALoneCrKeepsEveryWrittenEntry) {
    for (const std::string& content :
         {std::string("[key]\r\nn=1\r"), std::string("[key]\r"), std::string("[key]\r\nkey=k\r")}) {
        store(content);
        ASSERT_TRUE(writeSetting(m_path, "key", "new", "v")) << content;
        ASSERT_TRUE(writeSetting(m_path, "1", "n", "f")) << content;
        EXPECT_EQ(readSetting(m_path, "key", "new"), "v") << content;
        EXPECT_EQ(readSetting(m_path, "1", "n"), "f") << content;
        if (content.find("key=") != std::string::npos) {
            EXPECT_EQ(readSetting(m_path, "key", "key"), "k") << content;
        }
    }
}

TEST_F(ProfileFile, ValuesAreTrimmedUnquotedAndCappedLikeTheProfileFunctions) {
    const std::string huge(20000, 'v');
    store("[s]\nquoted=\"  a b \"\nsingle='x'\nhalf=\"x\nbare\nhuge=" + huge + "\n");
    EXPECT_EQ(readSetting(m_path, "s", "quoted"), "  a b ");
    EXPECT_EQ(readSetting(m_path, "s", "single"), "x");
    EXPECT_EQ(readSetting(m_path, "s", "half"), "\"x");
    EXPECT_EQ(readSetting(m_path, "s", "bare", "d"), "");
    EXPECT_EQ(readSetting(m_path, "s", "huge"), huge.substr(0, 10239));
    EXPECT_EQ(readSetting(m_path, "s", "nothing", huge).size(), 10239U);
}

TEST_F(ProfileFile, DamagedFilesReadWithoutHarm) {
    store("");
    EXPECT_EQ(readSetting(m_path, "1", "n", "d"), "d");
    store(std::string("[1]\0\r\nn=ab\0cd\r\n\0\0\xFF\xFE", 19));
    EXPECT_EQ(readSetting(m_path, "1", "n"), "ab");
    ASSERT_TRUE(writeSetting(m_path, "1", "n", "ok"));
    EXPECT_EQ(readSetting(m_path, "1", "n"), "ok");
    EXPECT_NE(stored().find(std::string("\0\0\xFF\xFE", 4)), std::string::npos);

    std::string big;
    for (int i = 0; i < 200000; ++i) {
        big += "[s" + std::to_string(i) + "]\r\nk=" + std::to_string(i) + "\r\n";
    }
    store(big); // several MB
    EXPECT_EQ(readSetting(m_path, "s199999", "k"), "199999");
    ASSERT_TRUE(writeSetting(m_path, "s5", "k", "five"));
    EXPECT_EQ(readSetting(m_path, "s5", "k"), "five");
    EXPECT_EQ(stored().size(), big.size() + 3);
}

TEST_F(ProfileFile, NamesWithGbkOrSpecialCharacters) {
    const Text section = runtime::gbk("设置");
    const Text item = runtime::gbk("卡池名");
    ASSERT_TRUE(writeSetting(m_path, section, item, "v"));
    EXPECT_EQ(readSetting(m_path, section, item), "v");
    // 0x81 0x41 and 0x81 0x61 differ only in a trail byte: not the same name.
    ASSERT_TRUE(writeSetting(m_path, "s", "\x81\x41", "upper"));
    EXPECT_EQ(readSetting(m_path, "s", "\x81\x61", "d"), "d");
    // A GBK file name: the same file whatever the system's ANSI code page is.
    const std::string gbkPath = m_folder.string() + "/" + runtime::gbk("卡池设置") + ".ini";
    ASSERT_TRUE(writeSetting(gbkPath, section, item, "w"));
    EXPECT_EQ(readSetting(gbkPath, section, item), "w");
#ifdef _WIN32
    EXPECT_TRUE(fs::exists(m_folder / fs::path(u"卡池设置.ini")));
#endif
    ASSERT_TRUE(writeSetting(m_path, "s", "k", "a=b;[c]"));
    EXPECT_EQ(readSetting(m_path, "s", "k"), "a=b;[c]");

    const std::string before = stored();
    EXPECT_FALSE(writeSetting(m_path, "s", "a=b", "v"));
    EXPECT_FALSE(writeSetting(m_path, "s", ";k", "v"));
    EXPECT_FALSE(writeSetting(m_path, "s", "[k]", "v"));
    EXPECT_FALSE(writeSetting(m_path, "s]x", "k", "v"));
    EXPECT_FALSE(writeSetting(m_path, "s", "", "v"));
    EXPECT_FALSE(writeSetting(m_path, "1", "n", "x\r\n[key]\r\nkey=stolen"));
    EXPECT_FALSE(writeSetting(m_path, "s", std::string("k\0x", 3), "v"));
    EXPECT_EQ(stored(), before);
    EXPECT_EQ(readSetting(m_path, "s", "a", "d"), "d");
    EXPECT_EQ(readSetting(m_path, "key", "key", "d"), "d");
}

TEST_F(ProfileFile, FailedWriteLeavesTheOldFile) {
    // A name so long that no temporary file can be made beside it.
    const std::string longPath = (m_folder / std::string(250, 'p')).string();
    std::ofstream(longPath, std::ios::binary) << "[1]\r\nn=old\r\n";
    EXPECT_FALSE(writeSetting(longPath, "1", "n", "new"));
    EXPECT_EQ(readSetting(longPath, "1", "n"), "old");
    EXPECT_EQ(folderEntries().size(), 1U);

    EXPECT_FALSE(writeSetting((m_folder / "no-such-folder" / "pz.ini").string(), "1", "n", "v"));
    EXPECT_FALSE(writeSetting(m_folder.string(), "1", "n", "v")); // a folder, not a file
    EXPECT_EQ(readSetting(m_folder.string(), "1", "n", "d"), "d");
    EXPECT_FALSE(writeSetting("", "1", "n", "v"));
}

TEST_F(ProfileFile, ConcurrentWritersLoseNoItem) {
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([this, t] {
            for (int i = 0; i < 10; ++i) {
                writeSetting(m_path, "s", "k" + std::to_string(t * 10 + i), std::to_string(i));
            }
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    for (int t = 0; t < 4; ++t) {
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(readSetting(m_path, "s", "k" + std::to_string(t * 10 + i)),
                      std::to_string(i));
        }
    }
}

} // namespace

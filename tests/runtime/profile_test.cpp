#include "runtime/codepage.h"
#include "runtime/profile.h"
#include "runtime/profile_location.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

namespace fs = std::filesystem;
using runtime::ProfileWrite;
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
    // A Chinese file name: the same file whatever the system's ANSI code page is.
    const fs::path chinesePath = m_folder / fs::path(u8"卡池设置.ini");
    ASSERT_TRUE(writeSetting(chinesePath, section, item, "w"));
    EXPECT_EQ(readSetting(chinesePath, section, item), "w");
    EXPECT_TRUE(fs::exists(chinesePath));
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
    EXPECT_FALSE(writeSetting((m_folder / "no-such-folder" / "pz.ini").string(), "1", "n", "v"));
    EXPECT_FALSE(writeSetting(m_folder.string(), "1", "n", "v")); // a folder, not a file
    EXPECT_EQ(readSetting(m_folder.string(), "1", "n", "d"), "d");
    EXPECT_EQ(runtime::readStoredSetting(m_folder, "1", "n", "d"), std::nullopt);
    EXPECT_EQ(runtime::storeSetting("", "1", "n", "v"), ProfileWrite::NotStorable);
#ifndef _WIN32
    // A name so long that no temporary file can be made beside it.
    const fs::path longName = m_folder / std::string(250, 'p');
    std::ofstream(longName, std::ios::binary) << "[1]\r\nn=old\r\n";
    EXPECT_EQ(runtime::storeSetting(longName, "1", "n", "new"), ProfileWrite::Failed);
    EXPECT_EQ(readSetting(longName, "1", "n"), "old");
    EXPECT_EQ(folderEntries().size(), 1U);
#endif
}

// A read-only pz.ini (the attribute on Windows, no write permission elsewhere) is left alone.
TEST_F(ProfileFile, ReadOnlyFileIsNotOverwritten) {
    store("[1]\r\nn=old\r\n");
    fs::permissions(m_path,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ(runtime::storeSetting(m_path, "1", "n", "new"), ProfileWrite::ReadOnly);
    EXPECT_EQ(readSetting(m_path, "1", "n"), "old");
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"pz.ini"});
    fs::permissions(m_path, fs::perms::owner_write, fs::perm_options::add);
}

// ö, a Korean syllable and a character outside the Basic Multilingual Plane: none is GBK.
TEST_F(ProfileFile, FolderNamesOutsideGbk) {
    const fs::path folder = m_folder / fs::path(u8"Bj\u00f6rn-\ud55c-\U0001F600");
    ASSERT_TRUE(fs::create_directory(folder));
    const fs::path file = folder / "pz.ini";
    ASSERT_EQ(runtime::storeSetting(file, "key", "key", "k1"), ProfileWrite::Written);
    ASSERT_EQ(runtime::storeSetting(file, "key", "key", "k2"), ProfileWrite::Written);
    EXPECT_EQ(readSetting(file, "key", "key"), "k2");
    std::vector<fs::path> entries;
    for (const auto& entry : fs::directory_iterator(folder)) {
        entries.push_back(entry.path().filename());
    }
    EXPECT_EQ(entries, std::vector<fs::path>{"pz.ini"});
}

#ifdef _WIN32
// The path of a pz.ini that reads at 259 characters; its temporary neighbour is longer.
TEST_F(ProfileFile, PathsNearMaxPathAreWritten) {
    const std::size_t used = fs::absolute(m_folder).native().size() + 1;
    ASSERT_LT(used, 250U);
    const fs::path file = m_folder / std::wstring(MAX_PATH - 1 - used, L'p');
    ASSERT_EQ(fs::absolute(file).native().size(), MAX_PATH - 1U);
    ASSERT_EQ(runtime::storeSetting(file, "1", "n", "first"), ProfileWrite::Written);
    ASSERT_EQ(runtime::storeSetting(file, "1", "n", "second"), ProfileWrite::Written);
    EXPECT_EQ(readSetting(file, "1", "n"), "second");
    EXPECT_EQ(folderEntries().size(), 1U);
}

TEST_F(ProfileFile, ReplacingKeepsTheHiddenAttribute) {
    store("[1]\r\nn=old\r\n");
    const std::wstring file = fs::path(m_path).native();
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_EQ(runtime::storeSetting(m_path, "1", "n", "new"), ProfileWrite::Written);
    EXPECT_EQ(readSetting(m_path, "1", "n"), "new");
    EXPECT_NE(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0U);
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"pz.ini"});
}

// A sync client or an editor that opened pz.ini without delete sharing: the replacement is
// tried again for a short while, then reported.
TEST_F(ProfileFile, FileHeldByAnotherProgramIsTriedAgain) {
    using std::chrono::milliseconds;
    runtime::setProfileRetryPauses({milliseconds(50), milliseconds(100), milliseconds(200)});
    store("[1]\r\nn=old\r\n");
    const std::wstring file = fs::path(m_path).native();
    const auto hold = [&file] {
        return CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE held = hold();
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(runtime::storeSetting(m_path, "1", "n", "new"), ProfileWrite::Busy);
    EXPECT_EQ(readSetting(m_path, "1", "n"), "old");
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"pz.ini"});

    std::thread release([held] {
        std::this_thread::sleep_for(milliseconds(120));
        CloseHandle(held);
    });
    EXPECT_EQ(runtime::storeSetting(m_path, "1", "n", "new"), ProfileWrite::Written);
    release.join();
    EXPECT_EQ(readSetting(m_path, "1", "n"), "new");
    runtime::setProfileRetryPauses({milliseconds(20), milliseconds(40), milliseconds(80),
                                    milliseconds(120), milliseconds(240)});
}
#endif

// When the executable's folder cannot be written, the user folder takes over, starting from a
// copy of the file beside the executable, made once.
TEST_F(ProfileFile, UnwritableExecutableFolderMovesTheSettingsToTheUserFolder) {
    const fs::path program = m_folder / "program";
    const fs::path user = m_folder / "user" / "PoolDesk";
    fs::create_directory(program);
    std::ofstream(program / "pz.ini", std::ios::binary) << "[key]\r\nkey=stored\r\n";
    const auto allButProgram = [&program](const fs::path& folder) {
        return folder != program && runtime::canCreateFilesIn(folder);
    };
    using Where = runtime::ProfileLocation::Where;

    const auto writable = runtime::chooseProfileLocation(program, user, "pz.ini");
    EXPECT_EQ(writable.where, Where::BesideExecutable);
    EXPECT_EQ(writable.file, program / "pz.ini");

    const auto first = runtime::chooseProfileLocation(program, user, "pz.ini", allButProgram);
    EXPECT_EQ(first.where, Where::UserFolder);
    EXPECT_EQ(first.file, user / "pz.ini");
    EXPECT_TRUE(first.copiedFromBesideExecutable);
    EXPECT_EQ(readSetting(first.file, "key", "key"), "stored");
    ASSERT_TRUE(writeSetting(first.file, "key", "key", "newer"));

    const auto second = runtime::chooseProfileLocation(program, user, "pz.ini", allButProgram);
    EXPECT_EQ(second.file, user / "pz.ini");
    EXPECT_FALSE(second.copiedFromBesideExecutable);
    EXPECT_EQ(readSetting(second.file, "key", "key"), "newer");
    EXPECT_EQ(readSetting(program / "pz.ini", "key", "key"), "stored");

    // A "folder" that is a file cannot hold new files on any platform.
    const fs::path aFile = program / "pz.ini";
    const auto nowhere = runtime::chooseProfileLocation(aFile, aFile / "PoolDesk", "pz.ini");
    EXPECT_EQ(nowhere.where, Where::NowhereWritable);
    EXPECT_EQ(nowhere.file, aFile / "pz.ini");
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

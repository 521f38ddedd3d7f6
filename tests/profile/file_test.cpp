// The file functions: defaults for missing files, whole-file results of writes, and writes that
// fail without touching what is already on disk.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "profile.h"

namespace zc::profile {
namespace {

namespace fs = std::filesystem;

class ProfileFile : public testing::Test {
 protected:
  void SetUp() override {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("zc_profile_" + std::to_string(::getpid()) + "_" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    file_ = dir_ / "zc4100.ini";
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }

  void Put(const std::string& text) const { std::ofstream(file_, std::ios::binary) << text; }
  std::string Content() const {
    std::ifstream in(file_, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  std::vector<std::string> FolderContents() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename());
    return names;
  }

  fs::path dir_;
  fs::path file_;
};

TEST_F(ProfileFile, MissingFileGivesDefaultsAndNothingToList) {
  EXPECT_EQ(GetString(file_, "Main", "Rate", "dflt"), "dflt");
  EXPECT_EQ(GetString(file_, "Main", "Rate", std::string(300, 'd')), std::string(255, 'd'));
  EXPECT_TRUE(SectionNames(file_).empty());
  EXPECT_TRUE(SectionEntries(file_, "Main").empty());
  EXPECT_EQ(GetString(dir_ / "no" / "such.ini", "Main", "Rate", "dflt"), "dflt");
  EXPECT_EQ(GetString(dir_, "Main", "Rate", "dflt"), "dflt");  // a folder, not a file
}

TEST_F(ProfileFile, ReadsThroughTheFreeFunctions) {
  Put("\xEF\xBB\xBF[Main]\r\nRate = 10 \r\n[Other]\r\nA=1\r\n");
  EXPECT_EQ(GetString(file_, "main", "RATE", ""), "10");
  EXPECT_EQ(GetString(file_, "Main", "Rate", "", 2), "1");
  EXPECT_EQ(SectionNames(file_), (std::vector<std::string>{"Main", "Other"}));
  EXPECT_EQ(SectionEntries(file_, "OTHER"),
            (std::vector<std::pair<std::string, std::string>>{{"A", "1"}}));
}

TEST_F(ProfileFile, WriteCreatesMissingFile) {
  ASSERT_TRUE(WriteString(file_, "Main", "Rate", "10"));
  EXPECT_EQ(Content(), "[Main]\nRate=10\n");
  EXPECT_EQ(FolderContents(), std::vector<std::string>{"zc4100.ini"});  // no temporary left
}

TEST_F(ProfileFile, WritesChangeOnlyTheirOwnBytes) {
  const std::string before =
      "\xEF\xBB\xBF; settings written by hand\r\n"
      "[Main]\r\n"
      "Rate = 10\r\n"
      "  ; indented comment\r\n"
      "junk line\r\n"
      "Name=\"Zarnith, counter\"\r\n"
      "\r\n"
      "[Gate]\r\n"
      "Time=1s\r\n";
  Put(before);
  ASSERT_TRUE(WriteString(file_, "MAIN", "rate", "20"));
  ASSERT_TRUE(WriteString(file_, "Main", "Mode", "Period"));
  ASSERT_TRUE(WriteString(file_, "Input", "Coupling", "AC"));
  EXPECT_EQ(Content(),
            "\xEF\xBB\xBF; settings written by hand\r\n"
            "[Main]\r\n"
            "Rate = 20\r\n"
            "  ; indented comment\r\n"
            "junk line\r\n"
            "Name=\"Zarnith, counter\"\r\n"
            "Mode=Period\r\n"
            "\r\n"
            "[Gate]\r\n"
            "Time=1s\r\n"
            "\r\n"
            "[Input]\r\n"
            "Coupling=AC\r\n");
  // The quotes stay in the file; a read gives the text inside them.
  EXPECT_EQ(GetString(file_, "Main", "Name", ""), "Zarnith, counter");
}

TEST_F(ProfileFile, RefusedNamesAndValuesLeaveTheFileAlone) {
  const std::string before = "[Main]\nRate=10\n";
  Put(before);
  const struct {
    const char* section;
    const char* key;
    const char* value;
  } cases[] = {
      {"Ma\nin", "Rate", "1"}, {"Ma]in", "Rate", "1"},   {"Main", "Ra\rte", "1"},
      {"Main", "Ra=te", "1"},  {"Main", "", "1"},        {"Main", "[Rate]", "1"},
      {"Main", "Rate", "1\n"}, {"Main", "Rate", "1\r2"},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(WriteString(file_, c.section, c.key, c.value)) << c.section << "/" << c.key;
  }
  EXPECT_EQ(Content(), before);
  EXPECT_FALSE(WriteString(dir_ / "fresh.ini", "Main", "A\nB", "1"));
  EXPECT_FALSE(fs::exists(dir_ / "fresh.ini"));
}

TEST_F(ProfileFile, UnwritablePlacesReturnFalse) {
  EXPECT_FALSE(WriteString(dir_ / "missing" / "zc4100.ini", "Main", "Rate", "1"));
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
  fs::create_directory(dir_ / "folder.ini");
  EXPECT_FALSE(WriteString(dir_ / "folder.ini", "Main", "Rate", "1"));
  EXPECT_TRUE(fs::is_directory(dir_ / "folder.ini"));
}

TEST_F(ProfileFile, ReadOnlyFolderKeepsExistingFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "folder rights do not bind the superuser";
  const std::string before = "[Main]\nRate=10\n";
  Put(before);
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(WriteString(file_, "Main", "Rate", "20"));
  fs::permissions(dir_, fs::perms::owner_all);
  EXPECT_EQ(Content(), before);
  EXPECT_EQ(FolderContents(), std::vector<std::string>{"zc4100.ini"});
}

TEST_F(ProfileFile, WriteThroughSymlinkUpdatesTargetAndKeepsLink) {
  Put("[Main]\nRate=10\n");
  const fs::path link = dir_ / "link.ini";
  fs::create_symlink(file_.filename(), link);
  ASSERT_TRUE(WriteString(link, "Main", "Rate", "20"));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Content(), "[Main]\nRate=20\n");
}

TEST_F(ProfileFile, WriteKeepsFileRights) {
  Put("[Main]\nRate=10\n");
  fs::permissions(file_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(WriteString(file_, "Main", "Rate", "20"));
  EXPECT_EQ(fs::status(file_).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(ProfileFile, ConcurrentWritersLoseNoKeys) {
  constexpr int kThreads = 4;
  constexpr int kKeys = 25;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([this, t] {
      for (int k = 0; k < kKeys; ++k) {
        WriteString(file_, "S" + std::to_string(t), "K" + std::to_string(k), std::to_string(k));
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(SectionEntries(file_, "S" + std::to_string(t)).size(), std::size_t{kKeys});
  }
}

}  // namespace
}  // namespace zc::profile

// Where the settings file is found, which language a locale starts in, and text lookups.
#include "texts/settings_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace zc::fp {
namespace {

TEST(SettingsFile, LanguageFromLocale) {
  struct Case {
    const char* locale;
    int lcid;
    const char* language;
  };
  for (Case c : {Case{"zh_TW.UTF-8", 1028, kChineseTraditional},
                 Case{"zh_CN.UTF-8", 2052, kChineseSimplified},
                 Case{"zh_HK.UTF-8", 3076, kEnglish}, Case{"en_US.UTF-8", 1033, kEnglish},
                 Case{"C", 1033, kEnglish}, Case{"", 1033, kEnglish}}) {
    EXPECT_EQ(LocaleIdentifier(c.locale), c.lcid) << c.locale;
    EXPECT_EQ(LanguageForLocale(LocaleIdentifier(c.locale)), c.language) << c.locale;
  }
}

TEST(SettingsFile, FolderFromEnvironmentOrBesideTheProgram) {
  setenv(kSystemDirEnvVar, "/opt/zc/share", 1);
  EXPECT_EQ(SettingsFilePath(), std::filesystem::path("/opt/zc/share/ZT4100_TOOL.ini"));
  unsetenv(kSystemDirEnvVar);
  EXPECT_EQ(SettingsFilePath().filename(), "ZT4100_TOOL.ini");
  EXPECT_EQ(SettingsFilePath().parent_path().filename(), "zc4100");
}

TEST(SettingsFile, LookupFallsBackToTheDefault) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("zc-texts-" + std::to_string(getpid()) + ".ini");
  std::ofstream(path) << "[Chinese(Traditional)]\n501=裝置與介面\n";
  CTextLookup texts(path);
  texts.languageName = kChineseTraditional;
  EXPECT_EQ(texts.LookupText("501", "Devices and Interfaces"), "裝置與介面");
  // A default is read as Windows reads it: without its trailing blanks.
  EXPECT_EQ(texts.LookupText("503", "Read Speed : "), "Read Speed :");
  texts.languageName = kChineseSimplified;  // no such section
  EXPECT_EQ(texts.LookupText("501", "Devices and Interfaces"), "Devices and Interfaces");
  CTextLookup missing(path.string() + ".gone");
  EXPECT_EQ(missing.LookupText("501", "Devices and Interfaces"), "Devices and Interfaces");
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace zc::fp

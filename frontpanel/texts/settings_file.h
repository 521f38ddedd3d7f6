// Where the front panel's settings file lives, and its translated texts.
#pragma once

#include <filesystem>
#include <string>

#include "profile.h"

namespace zc::fp {

inline constexpr const char* kSettingsFileName = "ZT4100_TOOL.ini";
// Moves the system folder that holds the settings file (tests, unusual installations).
inline constexpr const char* kSystemDirEnvVar = "ZC4100_SYSTEM_DIR";

// The installation's system folder: $ZC4100_SYSTEM_DIR when set, otherwise share/zc4100 beside
// the program's bin folder, so the build tree and an installed copy both find their file.
std::filesystem::path SystemDirectory();
std::filesystem::path SettingsFilePath();

// The language sections of the settings file.
inline constexpr const char* kEnglish = "English(U.S)";
inline constexpr const char* kChineseTraditional = "Chinese(Traditional)";
inline constexpr const char* kChineseSimplified = "Chinese(Simplify)";

// The Windows locale identifier of a POSIX locale name ("zh_TW.UTF-8" gives 1028).
int LocaleIdentifier(const std::string& posixLocale);
// The language a locale identifier starts the program in.
std::string LanguageForLocale(int localeIdentifier);
// The locale of this process's environment (LC_ALL, LC_MESSAGES, LANG).
std::string EnvironmentLocale();

// Texts read once from the settings file; the program never writes it.
class CTextLookup {
 public:
  CTextLookup() = default;
  explicit CTextLookup(const std::filesystem::path& file) : doc_(profile::Document::Load(file)) {}

  std::string languageName = kEnglish;

  // The text of key in the current language's section, or def when the file, the section or
  // the key is missing.
  std::string LookupText(const std::string& key, const std::string& def) const {
    return doc_.Get(languageName, key, def);
  }

 private:
  profile::Document doc_;
};

}  // namespace zc::fp

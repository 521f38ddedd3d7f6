#include "settings_file.h"

#include <cstdlib>
#include <system_error>

namespace zc::fp {

std::filesystem::path SystemDirectory() {
  if (const char* env = std::getenv(kSystemDirEnvVar); env && *env) return env;
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "share/zc4100";
  return exe.parent_path().parent_path() / "share" / "zc4100";
}

std::filesystem::path SettingsFilePath() { return SystemDirectory() / kSettingsFileName; }

int LocaleIdentifier(const std::string& posixLocale) {
  // Only the Chinese regions matter here; every other locale starts in English.
  struct Entry {
    const char* prefix;
    int lcid;
  };
  static const Entry kTable[] = {
      {"zh_TW", 1028}, {"zh_CN", 2052}, {"zh_HK", 3076}, {"zh_SG", 4100}, {"zh_MO", 5124},
  };
  for (const Entry& e : kTable) {
    if (posixLocale.rfind(e.prefix, 0) == 0) return e.lcid;
  }
  return 1033;
}

std::string LanguageForLocale(int localeIdentifier) {
  if (localeIdentifier == 1028) return kChineseTraditional;
  if (localeIdentifier == 2052) return kChineseSimplified;
  return kEnglish;
}

std::string EnvironmentLocale() {
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    if (const char* v = std::getenv(var); v && *v) return v;
  }
  return "C";
}

}  // namespace zc::fp

#include "config.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

#include "profile.h"
#include "zc4100_sim.h"

namespace zc::visa {
namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

Config LoadConfig() {
  Config config;
  const char* env = std::getenv(kConfigEnvVar);
  if (env == nullptr || *env == '\0') return config;
  config.path = env;

  std::error_code ec;
  if (!std::filesystem::is_regular_file(config.path, ec)) {
    config.errors.push_back(config.path + ": configuration file not found");
    return config;
  }
  const profile::Document doc = profile::Document::Load(config.path);
  for (const std::string& section : doc.Sections()) {
    if (section.empty()) continue;  // lines before the first section header
    ParsedResourceName parsed = ParseResourceName(section);
    if (!parsed.name) {
      config.errors.push_back(config.path + ": [" + section + "]: " + parsed.error);
      continue;
    }
    DeclaredResource res;
    res.text = section;
    res.name = *parsed.name;
    for (auto& [key, value] : doc.Entries(section)) {
      if (EqualsNoCase(key, "simulate")) {
        if (!EqualsNoCase(value, "zc4100")) {
          config.errors.push_back(config.path + ": [" + section + "]: unknown simulated model '" +
                                  value + "' (only zc4100 is known)");
          res.text.clear();
          break;
        }
        res.simulated = true;
      } else if (EqualsNoCase(key, "log") && std::filesystem::path(value).is_relative() &&
                 !value.empty()) {
        // Taken from the configuration file's folder, so every program using the file shares it.
        res.options.emplace_back(
            key,
            (std::filesystem::path(config.path).parent_path() / value).lexically_normal().string());
      } else {
        res.options.emplace_back(key, value);
      }
    }
    if (res.text.empty()) continue;
    if (res.simulated) {
      std::string error;
      std::optional<sim::Options> options = sim::Options::FromKeyValues(res.options, &error);
      // A log that cannot be written would leave the instrument unlogged without a word.
      if (options && !options->logFile.empty()) error = sim::CheckLogFile(options->logFile);
      if (!options || !error.empty()) {
        config.errors.push_back(config.path + ": [" + section + "]: " + error);
        continue;
      }
    } else if (!res.options.empty()) {
      config.errors.push_back(config.path + ": [" + section +
                              "]: options are only known for simulated instruments");
      continue;
    }
    // One declaration per resource: the first one wins, as a later duplicate is surely a slip.
    bool duplicate = false;
    for (const DeclaredResource& other : config.resources) {
      if (other.name.Canonical() == res.name.Canonical()) duplicate = true;
    }
    if (duplicate) {
      config.errors.push_back(config.path + ": [" + section + "]: declared twice; first one kept");
      continue;
    }
    config.resources.push_back(std::move(res));
  }
  return config;
}

}  // namespace zc::visa

// Any bytes as a profile: parsing must give the bytes back unchanged, lookups must agree with the
// listings, and one edit must read back while every other entry stays as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "profile.h"

namespace {

using zc::profile::Document;

void Check(bool ok) {
  if (!ok) std::abort();
}

std::string Fold(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string_view Trim(std::string_view s) {
  constexpr std::string_view kBlank = " \t\r\n\v\f";
  const std::size_t first = s.find_first_not_of(kBlank);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kBlank) - first + 1);
}

// What a read gives back for a stored value: one pair of matching quotes around it dropped.
std::string_view Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    return v.substr(1, v.size() - 2);
  }
  return v;
}

bool HasLineBreak(std::string_view s) {
  return s.find_first_of("\r\n") != std::string_view::npos;
}

using Entries = std::vector<std::pair<std::string, std::string>>;

Entries Without(const Entries& entries, std::string_view key) {
  Entries out;
  for (const auto& e : entries) {
    if (Fold(e.first) != Fold(key)) out.push_back(e);
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Document doc = Document::Parse(text);
  Check(doc.Serialize() == text);

  const std::vector<std::string> sections = doc.Sections();
  std::vector<Entries> before;
  for (const std::string& s : sections) {
    Check(doc.HasSection(s));
    before.push_back(doc.Entries(s));
    for (const auto& [key, value] : before.back()) {
      Check(doc.Get(s, key, "", std::string::npos) == value);
      // Cut values are prefixes that lose at most one character's worth of bytes.
      for (std::size_t buffer : {std::size_t{0}, std::size_t{1}, std::size_t{4}, std::size_t{17}}) {
        const std::string cut = doc.Get(s, key, "", buffer);
        Check(buffer == 0 ? cut.empty() : cut.size() <= buffer - 1);
        Check(value.compare(0, cut.size(), cut) == 0);
        if (buffer > 0 && value.size() > buffer - 1) Check(cut.size() + 3 >= buffer - 1);
      }
    }
  }
  Check(doc.Get("no such section", "key", "dflt") == "dflt");

  // Pick what to edit from the input itself, so both existing and new names get exercised.
  std::vector<std::string> sectionChoices = sections;
  sectionChoices.insert(sectionChoices.end(), {"Main", "Fuzz Section"});
  const std::uint8_t pick = size > 0 ? data[0] : 0;
  const std::string section = sectionChoices[pick % sectionChoices.size()];
  std::vector<std::string> keyChoices{"Rate", "New Key"};
  for (const auto& e : doc.Entries(section)) keyChoices.push_back(e.first);
  const std::uint8_t pickKey = size > 1 ? data[1] : 0;
  const std::string key = keyChoices[pickKey % keyChoices.size()];
  std::string value(text.substr(size > 2 ? 2 : size, 40));
  for (char& c : value) {
    if (c == '\r' || c == '\n') c = ' ';
  }

  doc.Set(section, key, value);
  const std::string written = doc.Serialize();
  const Document again = Document::Parse(written);
  Check(again.Serialize() == written);
  // The edited document must answer exactly as a fresh parse of what it would write.
  Check(doc.Sections() == again.Sections());
  for (const std::string& s : again.Sections()) Check(doc.Entries(s) == again.Entries(s));

  if (HasLineBreak(section) || HasLineBreak(key)) {
    Check(written == text);  // refused, so nothing may change
    return 0;
  }
  Check(doc.Get(section, key, "\x01", std::string::npos) == Unquote(Trim(value)));
  Check(again.Get(section, key, "\x01", std::string::npos) == Unquote(Trim(value)));

  std::vector<std::string> expectedSections = sections;
  bool existed = false;
  for (const std::string& s : sections) existed = existed || Fold(s) == Fold(section);
  if (!existed) expectedSections.push_back(section);
  Check(again.Sections() == expectedSections);
  for (std::size_t i = 0; i < sections.size(); ++i) {
    if (Fold(sections[i]) == Fold(section)) {
      Check(Without(again.Entries(sections[i]), key) == Without(before[i], key));
    } else {
      Check(again.Entries(sections[i]) == before[i]);
    }
  }
  return 0;
}

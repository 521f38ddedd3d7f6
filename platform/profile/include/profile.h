// Private-profile (INI) files with the Windows rules: sections and keys compared without letter
// case, values read as written except that one pair of matching quotes around the whole value is
// dropped, missing file, section or key give the caller's default without its trailing blanks,
// and a write replaces one key (stored exactly as given) while keeping the rest of the file.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zc::profile {

// Room for 255 characters and the terminating zero, as the Windows callers size their buffers.
inline constexpr std::size_t kDefaultBufferSize = 256;

// Reads key in section; returns def, its trailing blanks dropped, when the file, section or key
// is missing. A value whose first and last characters are the same quote (" or ') comes back
// without those two; any other value as written. The result is then cut to bufferSize - 1
// characters (bufferSize 0 gives the empty text).
std::string GetString(const std::filesystem::path& file, std::string_view section,
                      std::string_view key, std::string_view def,
                      std::size_t bufferSize = kDefaultBufferSize);

// Writes value under key in section, creating the file or the section when missing. Everything
// else in the file stays as it was. Returns false when the file cannot be written.
bool WriteString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                 std::string_view value);

// The section names in file order; empty for a missing file.
std::vector<std::string> SectionNames(const std::filesystem::path& file);

// The key/value pairs of a section in file order, values read as GetString reads them; empty when
// the file or section is missing.
std::vector<std::pair<std::string, std::string>> SectionEntries(const std::filesystem::path& file,
                                                                std::string_view section);

// A file parsed once, for callers that look up many keys (the front panel's texts).
class Document {
 public:
  Document() = default;
  static Document Parse(std::string_view text);
  static Document Load(const std::filesystem::path& file);  // empty document when missing

  std::string Get(std::string_view section, std::string_view key, std::string_view def,
                  std::size_t bufferSize = kDefaultBufferSize) const;
  bool HasSection(std::string_view section) const;
  std::vector<std::string> Sections() const;
  std::vector<std::pair<std::string, std::string>> Entries(std::string_view section) const;

  void Set(std::string_view section, std::string_view key, std::string_view value);
  std::string Serialize() const;  // the lines as read, changed only where Set touched them

 private:
  struct Line {
    std::string text;     // the line as it stands in the file, without its line end
    std::string section;  // the section the line belongs to ("" before the first header)
    std::string key;      // for key=value lines, the trimmed key; empty otherwise
    std::string value;    // for key=value lines, the trimmed value, quotes still on
    bool isHeader = false;
    std::string end;  // the line's own line end; empty only for a last line without one
  };

  void Reindex();
  const Line* FindKey(std::string_view section, std::string_view key) const;

  std::vector<Line> lines_;
  std::string lineEnd_ = "\n";  // for added lines: the file's first line end
  bool bom_ = false;            // the file started with a UTF-8 byte-order mark
  // First occurrences only, so lookups in large files need not scan every line.
  std::unordered_map<std::string, std::size_t> sectionIndex_;  // folded name -> header line
  std::unordered_map<std::string, std::size_t> keyIndex_;      // folded "section]key" -> line
};

}  // namespace zc::profile

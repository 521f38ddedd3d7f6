#include "profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <system_error>

namespace zc::profile {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// ASCII folding only: the names are UTF-8 and other bytes must compare as they are.
std::string Fold(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// ']' never occurs in a section name (the name ends at the first one), so it separates the
// two halves of a key's index entry unambiguously.
std::string KeyId(std::string_view foldedSection, std::string_view key) {
  std::string id(foldedSection);
  id += ']';
  id += Fold(key);
  return id;
}

bool HasLineBreak(std::string_view s) {
  return s.find_first_of("\r\n") != std::string_view::npos;
}

// Names that would read back as something else (a header, a comment, a different key) or that
// would split the line are refused rather than written.
bool Writable(std::string_view section, std::string_view key, std::string_view value) {
  if (HasLineBreak(section) || section.find(']') != std::string_view::npos) return false;
  if (key.empty() || HasLineBreak(key) || key.find('=') != std::string_view::npos) return false;
  if (key.front() == '[' || key.front() == ';' || key.front() == '#') return false;
  return !HasLineBreak(value);
}

// Cuts to at most max bytes without leaving half of a UTF-8 sequence at the end.
std::string Cut(std::string_view s, std::size_t bufferSize) {
  if (bufferSize == 0) return {};
  const std::size_t max = bufferSize - 1;
  if (s.size() <= max) return std::string(s);
  std::size_t cut = max;
  // A character has at most three continuation bytes; a longer run is not UTF-8 anyway.
  for (int i = 0; i < 3 && cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80; ++i) {
    --cut;
  }
  if ((static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) cut = max;
  return std::string(s.substr(0, cut));
}

// A value wholly inside one pair of matching quotes is read without them, so a text can keep
// leading or trailing blanks; a lone or unbalanced quote is part of the text.
std::string_view Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    return v.substr(1, v.size() - 2);
  }
  return v;
}

// A default is read without its trailing blanks, as Windows reads it.
std::string_view TrimEnd(std::string_view s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

enum class ReadResult { kOk, kMissing, kError };

ReadResult ReadAll(const std::filesystem::path& file, std::string& out) {
  out.clear();
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return (errno == ENOENT || errno == ENOTDIR) ? ReadResult::kMissing : ReadResult::kError;
  }
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return ReadResult::kError;
    }
    if (n == 0) break;
    out.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return ReadResult::kOk;
}

bool WriteAllFd(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Writes a sibling temporary file and renames it over the target, so readers and crashes only
// ever see the old or the new file, never a half-written one.
bool ReplaceFile(const std::filesystem::path& file, std::string_view data) {
  static std::atomic<unsigned> counter{0};
  std::filesystem::path dir = file.parent_path();
  if (dir.empty()) dir = ".";

  struct stat old {};
  const bool hadFile = ::stat(file.c_str(), &old) == 0;

  std::filesystem::path tmp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    tmp = dir / ("." + file.filename().string() + ".tmp." + std::to_string(::getpid()) + "." +
                 std::to_string(counter.fetch_add(1)));
    fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;

  bool ok = WriteAllFd(fd, data);
  if (ok && hadFile) ::fchmod(fd, old.st_mode & 07777);  // best effort: keep the old rights
  if (ok) ok = ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(tmp.c_str(), file.c_str()) == 0;
  if (!ok) {
    ::unlink(tmp.c_str());
    return false;
  }
  // Best effort: make the rename itself survive a power cut.
  const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

// Writing through a symbolic link updates the file it points to and keeps the link.
std::filesystem::path WriteTarget(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::is_symlink(std::filesystem::symlink_status(file, ec))) return file;
  auto target = std::filesystem::weakly_canonical(file, ec);
  return ec ? file : target;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

Document Document::Parse(std::string_view text) {
  Document doc;
  if (text.substr(0, kBom.size()) == kBom) {
    doc.bom_ = true;
    text.remove_prefix(kBom.size());
  }

  bool lineEndSeen = false;
  bool inSection = false;
  std::string section;
  std::size_t pos = 0;
  while (pos < text.size()) {
    Line line;
    const std::size_t nl = text.find('\n', pos);
    std::string_view raw;
    if (nl == std::string_view::npos) {
      raw = text.substr(pos);
      pos = text.size();
    } else {
      raw = text.substr(pos, nl - pos);
      pos = nl + 1;
      line.end = "\n";
      if (!raw.empty() && raw.back() == '\r') {
        raw.remove_suffix(1);
        line.end = "\r\n";
      }
      if (!lineEndSeen) {
        doc.lineEnd_ = line.end;
        lineEndSeen = true;
      }
    }
    line.text = std::string(raw);

    const std::string_view t = Trim(raw);
    if (!t.empty() && t.front() == '[') {
      const std::size_t close = t.find(']');
      if (close != std::string_view::npos) {
        section = std::string(Trim(t.substr(1, close - 1)));
        inSection = true;
        line.isHeader = true;
      }
      // A '[' without ']' is neither header nor key: skipped like any other malformed line.
    } else if (inSection && !t.empty() && t.front() != ';' && t.front() != '#') {
      const std::size_t eq = t.find('=');
      if (eq != std::string_view::npos) {
        line.key = std::string(Trim(t.substr(0, eq)));
        if (!line.key.empty()) line.value = std::string(Trim(t.substr(eq + 1)));
      }
    }
    line.section = section;
    doc.lines_.push_back(std::move(line));
  }
  doc.Reindex();
  return doc;
}

Document Document::Load(const std::filesystem::path& file) {
  std::string text;
  if (ReadAll(file, text) != ReadResult::kOk) return {};
  return Parse(text);
}

void Document::Reindex() {
  sectionIndex_.clear();
  keyIndex_.clear();
  std::string folded;
  bool firstOccurrence = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.isHeader) {
      folded = Fold(line.section);
      firstOccurrence = sectionIndex_.try_emplace(folded, i).second;
    } else if (firstOccurrence && !line.key.empty()) {
      // Only the first block of a repeated section counts, and only the first of a repeated key.
      keyIndex_.try_emplace(KeyId(folded, line.key), i);
    }
  }
}

const Document::Line* Document::FindKey(std::string_view section, std::string_view key) const {
  const auto it = keyIndex_.find(KeyId(Fold(Trim(section)), Trim(key)));
  return it == keyIndex_.end() ? nullptr : &lines_[it->second];
}

std::string Document::Get(std::string_view section, std::string_view key, std::string_view def,
                          std::size_t bufferSize) const {
  const Line* line = FindKey(section, key);
  // Unquoted first, then cut to the buffer; the default goes through the same buffer.
  return Cut(line ? Unquote(line->value) : TrimEnd(def), bufferSize);
}

bool Document::HasSection(std::string_view section) const {
  return sectionIndex_.count(Fold(Trim(section))) != 0;
}

std::vector<std::string> Document::Sections() const {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (!lines_[i].isHeader) continue;
    const auto it = sectionIndex_.find(Fold(lines_[i].section));
    if (it != sectionIndex_.end() && it->second == i) names.push_back(lines_[i].section);
  }
  return names;
}

std::vector<std::pair<std::string, std::string>> Document::Entries(std::string_view section) const {
  std::vector<std::pair<std::string, std::string>> entries;
  const std::string folded = Fold(Trim(section));
  const auto it = sectionIndex_.find(folded);
  if (it == sectionIndex_.end()) return entries;
  for (std::size_t i = it->second + 1; i < lines_.size() && !lines_[i].isHeader; ++i) {
    const Line& line = lines_[i];
    if (line.key.empty()) continue;
    const auto k = keyIndex_.find(KeyId(folded, line.key));
    if (k != keyIndex_.end() && k->second == i) {
      entries.emplace_back(line.key, std::string(Unquote(line.value)));
    }
  }
  return entries;
}

void Document::Set(std::string_view section, std::string_view key, std::string_view value) {
  section = Trim(section);
  key = Trim(key);
  if (!Writable(section, key, value)) return;
  const std::string folded = Fold(section);

  if (const auto k = keyIndex_.find(KeyId(folded, key)); k != keyIndex_.end()) {
    // Keep the key as spelled and the spacing around '='; only the value itself changes.
    Line& line = lines_[k->second];
    std::size_t start = line.text.find('=') + 1;
    while (start < line.text.size() && IsBlank(line.text[start])) ++start;
    line.text.replace(start, std::string::npos, value);
    line.value = std::string(Trim(value));
    return;
  }

  Line added;
  added.text = std::string(key) + "=" + std::string(value);
  added.key = std::string(key);
  added.value = std::string(Trim(value));
  added.end = lineEnd_;

  if (const auto s = sectionIndex_.find(folded); s != sectionIndex_.end()) {
    // After the section's last key, so comments and blank lines that lead into the next section
    // stay in front of it.
    std::size_t last = s->second;
    for (std::size_t i = last + 1; i < lines_.size() && !lines_[i].isHeader; ++i) {
      if (!lines_[i].key.empty()) last = i;
    }
    if (lines_[last].end.empty()) lines_[last].end = lineEnd_;
    added.section = lines_[s->second].section;
    const std::size_t at = last + 1;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(added));
    // Shifting the indices is much cheaper than rebuilding them when many keys are added.
    for (auto* index : {&sectionIndex_, &keyIndex_}) {
      for (auto& [name, line] : *index) {
        if (line >= at) ++line;
      }
    }
    keyIndex_.emplace(KeyId(folded, key), at);
    return;
  }

  if (!lines_.empty()) {
    if (lines_.back().end.empty()) lines_.back().end = lineEnd_;
    if (!Trim(lines_.back().text).empty()) {
      Line blank;
      blank.section = lines_.back().section;
      blank.end = lineEnd_;
      lines_.push_back(std::move(blank));
    }
  }
  Line header;
  header.text = "[" + std::string(section) + "]";
  header.section = std::string(section);
  header.isHeader = true;
  header.end = lineEnd_;
  lines_.push_back(std::move(header));
  added.section = std::string(section);
  sectionIndex_.emplace(folded, lines_.size() - 1);
  keyIndex_.emplace(KeyId(folded, key), lines_.size());
  lines_.push_back(std::move(added));
}

std::string Document::Serialize() const {
  std::size_t size = bom_ ? kBom.size() : 0;
  for (const Line& line : lines_) size += line.text.size() + line.end.size();
  std::string out;
  out.reserve(size);
  if (bom_) out += kBom;
  for (const Line& line : lines_) {
    out += line.text;
    out += line.end;
  }
  return out;
}

// ---------------------------------------------------------------------------------------------

std::string GetString(const std::filesystem::path& file, std::string_view section,
                      std::string_view key, std::string_view def, std::size_t bufferSize) {
  return Document::Load(file).Get(section, key, def, bufferSize);
}

bool WriteString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                 std::string_view value) {
  if (!Writable(Trim(section), Trim(key), value)) return false;

  // Read-modify-write: two threads updating the same file must not lose each other's keys.
  static std::mutex writeMutex;
  std::lock_guard lock(writeMutex);

  const std::filesystem::path target = WriteTarget(file);
  std::string text;
  const ReadResult read = ReadAll(target, text);
  // A file that exists but cannot be read must not be replaced by one holding only this key.
  if (read == ReadResult::kError) return false;
  Document doc = Document::Parse(text);
  doc.Set(section, key, value);
  return ReplaceFile(target, doc.Serialize());
}

std::vector<std::string> SectionNames(const std::filesystem::path& file) {
  return Document::Load(file).Sections();
}

std::vector<std::pair<std::string, std::string>> SectionEntries(const std::filesystem::path& file,
                                                                std::string_view section) {
  return Document::Load(file).Entries(section);
}

}  // namespace zc::profile

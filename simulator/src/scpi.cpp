#include "scpi.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace zc::sim::scpi {

const char* ErrorText(int code) {
  switch (code) {
    case kNoError:
      return "No error";
    case kSyntaxError:
      return "Syntax error";
    case kParameterNotAllowed:
      return "Parameter not allowed";
    case kMissingParameter:
      return "Missing parameter";
    case kUndefinedHeader:
      return "Undefined header";
    case kIllegalParameterValue:
      return "Illegal parameter value";
    case kQueueOverflow:
      return "Queue overflow";
    case kQueryInterrupted:
      return "Query INTERRUPTED";
    case kQueryUnterminated:
      return "Query UNTERMINATED";
    default:
      return "Error";
  }
}

namespace {

bool IsAlpha(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
char ToUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Headers never need more than this; longer suffixes cannot match and must not overflow.
constexpr std::size_t kMaxSuffixDigits = 6;

// Splits a mnemonic's trailing digits off as its numeric suffix.
Mnemonic SplitSuffix(std::string_view word) {
  std::size_t end = word.size();
  while (end > 1 && IsDigit(word[end - 1])) --end;
  Mnemonic m;
  m.name = Upper(word.substr(0, end));
  std::string_view digits = word.substr(end);
  if (digits.empty()) return m;
  if (digits.size() > kMaxSuffixDigits) {
    m.suffix = 1000000000;  // out of every range
    return m;
  }
  int v = 0;
  for (char c : digits) v = v * 10 + (c - '0');
  m.suffix = v;
  return m;
}

// Cuts a parameter list at commas outside quotes and parentheses.
int SplitParams(std::string_view text, std::vector<std::string_view>* pieces) {
  char quote = 0;
  int depth = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quote) {
      if (c == quote) quote = 0;  // a doubled quote reopens at once, which is what it means
      continue;
    }
    if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (--depth < 0) return kSyntaxError;
    } else if (c == ',' && depth == 0) {
      pieces->push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  if (quote || depth != 0) return kSyntaxError;
  pieces->push_back(text.substr(start));
  return kNoError;
}

int ParseParam(std::string_view raw, Param* out) {
  std::string_view p = Trim(raw);
  if (p.empty()) return kSyntaxError;
  char first = p.front();
  if (first == '\'' || first == '"') {
    // The whole parameter must be one string; a doubled quote stands for one quote.
    std::string text;
    std::size_t i = 1;
    for (;;) {
      if (i >= p.size()) return kSyntaxError;
      if (p[i] == first) {
        if (i + 1 < p.size() && p[i + 1] == first) {
          text += first;
          i += 2;
          continue;
        }
        break;
      }
      text += p[i++];
    }
    if (i + 1 != p.size()) return kSyntaxError;
    out->kind = Param::Kind::String;
    out->text = std::move(text);
    return kNoError;
  }
  if (first == '(') {
    if (p.back() != ')') return kSyntaxError;
    std::string_view inner = Trim(p.substr(1, p.size() - 2));
    if (!inner.empty() && inner.front() == '@') {
      out->kind = Param::Kind::ChannelList;
      out->text = std::string(Trim(inner.substr(1)));
      return kNoError;
    }
  }
  out->kind = Param::Kind::Token;
  out->text = std::string(p);
  return kNoError;
}

}  // namespace

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string Upper(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = ToUpper(c);
  return r;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ToUpper(a[i]) != ToUpper(b[i])) return false;
  }
  return true;
}

std::vector<std::string_view> SplitCommands(std::string_view message) {
  std::vector<std::string_view> out;
  char quote = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i < message.size(); ++i) {
    char c = message[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == ';') {
      out.push_back(message.substr(start, i - start));
      start = i + 1;
    }
  }
  out.push_back(message.substr(start));
  return out;
}

int ParseCommand(std::string_view text, Command* out) {
  *out = Command{};
  std::string_view s = Trim(text);
  if (s.empty()) return kNoError;
  std::size_t i = 0;
  if (s[0] == '*') {
    out->common = true;
    i = 1;
    while (i < s.size() && IsAlpha(s[i])) ++i;
    if (i == 1) return kSyntaxError;
    out->commonName = Upper(s.substr(1, i - 1));
  } else {
    if (s[0] == ':') {
      out->absolute = true;
      i = 1;
    }
    for (;;) {
      std::size_t start = i;
      if (i >= s.size() || !IsAlpha(s[i])) return kSyntaxError;
      while (i < s.size() && (IsAlpha(s[i]) || IsDigit(s[i]) || s[i] == '_')) ++i;
      out->path.push_back(SplitSuffix(s.substr(start, i - start)));
      if (i < s.size() && s[i] == ':') {
        ++i;
        continue;
      }
      break;
    }
  }
  if (i < s.size() && s[i] == '?') {
    out->query = true;
    ++i;
  }
  if (i == s.size()) return kNoError;
  if (!IsBlank(s[i])) return kSyntaxError;
  std::string_view rest = Trim(s.substr(i));
  if (rest.empty()) return kNoError;
  std::vector<std::string_view> pieces;
  if (int err = SplitParams(rest, &pieces)) return err;
  for (std::string_view piece : pieces) {
    Param p;
    if (int err = ParseParam(piece, &p)) return err;
    out->params.push_back(std::move(p));
  }
  return kNoError;
}

std::string ShortForm(std::string_view mnemonic) {
  std::string s;
  for (char c : mnemonic) {
    if ((c >= 'A' && c <= 'Z') || IsDigit(c)) s += c;
  }
  return s;
}

bool MatchesMnemonic(std::string_view upperWord, std::string_view mnemonic) {
  if (upperWord.empty()) return false;
  if (EqualsNoCase(upperWord, mnemonic)) return true;
  std::size_t n = 0;
  for (char c : mnemonic) {
    if ((c >= 'A' && c <= 'Z') || IsDigit(c)) {
      if (n >= upperWord.size() || upperWord[n] != c) return false;
      ++n;
    }
  }
  return n == upperWord.size();
}

Pattern::Pattern(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    Node node;
    if (text[i] == '[') {
      node.optional = true;
      ++i;
    }
    if (i < text.size() && text[i] == ':') ++i;
    std::size_t start = i;
    while (i < text.size() && IsAlpha(text[i])) ++i;
    std::string_view word = text.substr(start, i - start);
    if (word.empty()) {  // a malformed pattern: skip the character rather than loop on it
      ++i;
      continue;
    }
    node.longForm = Upper(word);
    node.shortForm = ShortForm(word);
    if (i < text.size() && text[i] == '#') {
      node.fixedSuffix = 0;
      ++i;
      node.maxSuffix = 0;
      while (i < text.size() && IsDigit(text[i]))
        node.maxSuffix = node.maxSuffix * 10 + (text[i++] - '0');
    } else if (i < text.size() && IsDigit(text[i])) {
      node.fixedSuffix = 0;
      while (i < text.size() && IsDigit(text[i]))
        node.fixedSuffix = node.fixedSuffix * 10 + (text[i++] - '0');
    }
    if (i < text.size() && text[i] == ':' && node.optional) ++i;  // "[SENSe:]"
    if (i < text.size() && text[i] == ']') ++i;
    nodes_.push_back(std::move(node));
  }
}

bool Pattern::Match(const std::vector<Mnemonic>& input, std::vector<int>* suffixes) const {
  suffixes->clear();
  return MatchFrom(0, input, 0, suffixes);
}

bool Pattern::MatchFrom(std::size_t n, const std::vector<Mnemonic>& input, std::size_t at,
                        std::vector<int>* suffixes) const {
  if (n == nodes_.size()) return at == input.size();
  const Node& node = nodes_[n];
  if (at < input.size()) {
    const Mnemonic& m = input[at];
    if (m.name == node.longForm || m.name == node.shortForm) {
      int suffix = m.suffix < 0 ? 1 : m.suffix;
      bool captured = node.fixedSuffix == 0;
      bool suffixOk =
          captured ? (suffix >= 1 && suffix <= node.maxSuffix) : suffix == node.fixedSuffix;
      if (suffixOk) {
        if (captured) suffixes->push_back(suffix);
        if (MatchFrom(n + 1, input, at + 1, suffixes)) return true;
        if (captured) suffixes->pop_back();
      }
    }
  }
  return node.optional && MatchFrom(n + 1, input, at, suffixes);
}

namespace {

struct Multiplier {
  const char* prefix;
  double factor;
};
// Two-letter prefixes first so "MA" (mega) wins over "M" (milli).
constexpr std::array<Multiplier, 12> kMultipliers = {{
    {"EX", 1e18},
    {"PE", 1e15},
    {"MA", 1e6},
    {"T", 1e12},
    {"G", 1e9},
    {"K", 1e3},
    {"M", 1e-3},
    {"U", 1e-6},
    {"N", 1e-9},
    {"P", 1e-12},
    {"F", 1e-15},
    {"A", 1e-18},
}};
constexpr std::array<std::string_view, 9> kUnits = {"HZ", "S",   "SEC", "DEG", "RAD",
                                                    "V",  "PCT", "OHM", "%"};

bool IsUnit(std::string_view u) {
  for (std::string_view k : kUnits) {
    if (u == k) return true;
  }
  return false;
}

bool SuffixFactor(std::string_view suffix, double* factor) {
  std::string u = Upper(suffix);
  *factor = 1.0;
  if (u.empty() || IsUnit(u)) return true;
  // SCPI's own exceptions: these spell mega, not milli.
  if (u == "MHZ" || u == "MOHM") {
    *factor = 1e6;
    return true;
  }
  for (const Multiplier& m : kMultipliers) {
    std::string_view p = m.prefix;
    if (u.size() >= p.size() && std::string_view(u).substr(0, p.size()) == p) {
      std::string_view rest = std::string_view(u).substr(p.size());
      if (rest.empty() || IsUnit(rest)) {
        *factor = m.factor;
        return true;
      }
    }
  }
  return false;
}

bool ParseNonDecimal(std::string_view t, double* value) {
  if (t.size() < 3 || t[0] != '#') return false;
  int base = 0;
  switch (ToUpper(t[1])) {
    case 'H':
      base = 16;
      break;
    case 'Q':
      base = 8;
      break;
    case 'B':
      base = 2;
      break;
    default:
      return false;
  }
  std::string_view digits = t.substr(2);
  if (digits.size() > 16) return false;
  std::uint64_t v = 0;
  auto r = std::from_chars(digits.data(), digits.data() + digits.size(), v, base);
  if (r.ec != std::errc() || r.ptr != digits.data() + digits.size()) return false;
  *value = static_cast<double>(v);
  return true;
}

}  // namespace

bool ParseNumber(std::string_view token, double* value) {
  std::string_view t = Trim(token);
  if (!t.empty() && t[0] == '#') return ParseNonDecimal(t, value);
  // Validate the decimal shape ourselves: from_chars alone would take "inf", "nan" and hex.
  std::size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
    negative = t[i] == '-';
    ++i;
  }
  std::size_t numStart = i;
  std::size_t mantissaDigits = 0;
  while (i < t.size() && IsDigit(t[i])) ++i, ++mantissaDigits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && IsDigit(t[i])) ++i, ++mantissaDigits;
  }
  if (mantissaDigits == 0) return false;
  // An exponent: 'E', optional blanks are not allowed here, sign, digits.
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
    std::size_t expDigits = 0;
    while (j < t.size() && IsDigit(t[j])) ++j, ++expDigits;
    if (expDigits > 0) i = j;  // otherwise the 'E' starts a suffix ("5 EXHZ" is silly but legal)
  }
  double v = 0;
  auto r = std::from_chars(t.data() + numStart, t.data() + i, v, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != t.data() + i || !std::isfinite(v)) return false;
  std::string_view suffix = t.substr(i);
  while (!suffix.empty() && IsBlank(suffix.front())) suffix.remove_prefix(1);
  double factor = 1.0;
  if (!SuffixFactor(suffix, &factor)) return false;
  v *= factor;
  if (!std::isfinite(v)) return false;
  *value = negative ? -v : v;
  return true;
}

bool ParseChannelList(std::string_view text, std::vector<int>* channels) {
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = text.find(',', start);
    std::string_view item = Trim(text.substr(
        start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    int ch = 0;
    auto r = std::from_chars(item.data(), item.data() + item.size(), ch);
    if (item.empty() || r.ec != std::errc() || r.ptr != item.data() + item.size()) return false;
    channels->push_back(ch);
    if (comma == std::string_view::npos) return true;
    start = comma + 1;
  }
}

std::string FormatE(double value) {
  // SCPI's "not a number" stands in for anything the model could not measure.
  if (!std::isfinite(value)) value = 9.91e37;
  if (value == 0) value = 0;  // no "-0"
  char buf[64];
  auto r =
      std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 11);
  std::string_view s(buf, static_cast<std::size_t>(r.ptr - buf));  // "1.00000000012e+07"
  std::size_t e = s.find('e');
  std::string_view mantissa = s.substr(0, e);
  char expSign = s[e + 1];
  std::string_view expDigits = s.substr(e + 2);
  std::string out;
  out.reserve(20);
  out += value < 0 ? '-' : '+';
  out += mantissa;
  out += 'E';
  out += expSign;
  for (std::size_t k = expDigits.size(); k < 3; ++k) out += '0';
  out += expDigits;
  return out;
}

}  // namespace zc::sim::scpi

// Options from configuration text: what a profile file or the server's command line says.
#include <charconv>
#include <climits>

#include "scpi.h"
#include "zc4100_sim.h"

namespace zc::sim {

namespace {

// A day is far beyond any delay a test wants, and keeps time arithmetic from overflowing.
constexpr long long kMaxMs = 24LL * 3600 * 1000;
constexpr std::size_t kMaxSerial = 64;

std::string Key(std::string_view k) {
  std::string s = scpi::Upper(scpi::Trim(k));
  for (char& c : s) {
    if (c == '-') c = '_';  // the server's flags spell the same keys with dashes
  }
  return s;
}

bool ParseInt(std::string_view text, long long min, long long max, long long* out) {
  long long v = 0;
  auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size()) return false;
  if (v < min || v > max) return false;
  *out = v;
  return true;
}

bool Fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

bool ApplyFaultList(std::string_view list, Faults* f, bool* wantsDisconnect, bool* wantsSlow,
                    std::string* error) {
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = list.find(',', start);
    std::string name = Key(list.substr(
        start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    if (name == "SILENT") {
      f->silent = true;
    } else if (name == "DISCONNECT") {
      *wantsDisconnect = true;
    } else if (name == "NON_NUMERIC") {
      f->nonNumeric = true;
    } else if (name == "LONG_REPLY") {
      f->longReplies = true;
    } else if (name == "SLOW") {
      *wantsSlow = true;
    } else if (name == "DECIMAL_COMMA") {
      f->decimalComma = true;
    } else if (!name.empty() && name != "NONE") {
      return Fail(error, "unknown fault '" +
                             std::string(scpi::Trim(list.substr(start, comma - start))) +
                             "' (known: silent, disconnect, non_numeric, long_reply, slow, "
                             "decimal_comma)");
    }
    if (comma == std::string_view::npos) return true;
    start = comma + 1;
  }
}

}  // namespace

std::optional<Options> Options::FromKeyValues(
    const std::vector<std::pair<std::string, std::string>>& entries, std::string* error) {
  Options o;
  bool wantsDisconnect = false;
  bool wantsSlow = false;
  bool haveDisconnectAfter = false;
  bool haveReplyDelay = false;
  for (const auto& entry : entries) {
    const std::string& rawKey = entry.first;
    std::string key = Key(rawKey);
    std::string_view value = scpi::Trim(entry.second);
    auto bad = [&](const char* what) {
      return Fail(
          error, "bad value '" + std::string(value) + "' for " + std::string(rawKey) + ": " + what);
    };
    long long n = 0;
    if (key == "SERIAL") {
      if (value.empty() || value.size() > kMaxSerial) {
        bad("want 1 to 64 characters");
        return std::nullopt;
      }
      for (char c : value) {
        // It goes into the *IDN? answer, whose fields are comma-separated.
        if (c == ',' || c == ';' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
          bad("no commas, semicolons or control characters");
          return std::nullopt;
        }
      }
      o.serial = std::string(value);
    } else if (key == "SEED") {
      std::uint64_t seed = 0;
      auto r = std::from_chars(value.data(), value.data() + value.size(), seed);
      if (value.empty() || r.ec != std::errc() || r.ptr != value.data() + value.size()) {
        bad("want an unsigned whole number");
        return std::nullopt;
      }
      o.seed = seed;
    } else if (key == "TRIGGER_DELAY_MS") {
      if (!ParseInt(value, -1, kMaxMs, &n)) {
        bad("want milliseconds, or -1 for never");
        return std::nullopt;
      }
      o.triggerDelayMs = static_cast<int>(n);
    } else if (key == "FAULT" || key == "FAULTS") {
      if (!ApplyFaultList(value, &o.faults, &wantsDisconnect, &wantsSlow, error))
        return std::nullopt;
    } else if (key == "DISCONNECT_AFTER") {
      if (!ParseInt(value, 0, INT_MAX, &n)) {
        bad("want a message count (0 for never)");
        return std::nullopt;
      }
      o.faults.disconnectAfter = static_cast<int>(n);
      haveDisconnectAfter = true;
    } else if (key == "REPLY_DELAY_MS") {
      if (!ParseInt(value, 0, kMaxMs, &n)) {
        bad("want milliseconds");
        return std::nullopt;
      }
      o.faults.replyDelayMs = static_cast<int>(n);
      haveReplyDelay = true;
    } else if (key == "MAX_WAIT_MS") {
      if (!ParseInt(value, 0, kMaxMs, &n)) {
        bad("want milliseconds (0 for no cap)");
        return std::nullopt;
      }
      o.faults.maxWaitMs = static_cast<int>(n);
    } else if (key == "LOG") {
      if (value.empty() || value.find('\0') != std::string_view::npos) {
        bad("want a file name");
        return std::nullopt;
      }
      o.logFile = std::string(value);
    } else {
      Fail(error, "unknown key '" + rawKey +
                      "' (known: serial, seed, trigger_delay_ms, fault, disconnect_after, "
                      "reply_delay_ms, max_wait_ms, log)");
      return std::nullopt;
    }
  }
  // Naming a fault without its number picks a sensible one.
  if (wantsDisconnect && !haveDisconnectAfter) o.faults.disconnectAfter = 1;
  if (wantsSlow && !haveReplyDelay) o.faults.replyDelayMs = 1000;
  return o;
}

}  // namespace zc::sim

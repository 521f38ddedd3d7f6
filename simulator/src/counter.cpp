// The thread-safe face of the model: messages in, reply messages out, with the link faults a
// test can ask for. Replies that are not readable yet (slow link, *OPC? waiting for the arming
// edge) carry the time they become readable; nothing runs in the background, waits sleep on a
// condition variable until that time or until another call changes the picture.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>

#include "device.h"
#include "zc4100_sim.h"

namespace zc::sim {

namespace {

Options Sanitized(Options o) {
  o.triggerDelayMs = std::max(o.triggerDelayMs, -1);
  o.faults.disconnectAfter = std::max(o.faults.disconnectAfter, 0);
  o.faults.replyDelayMs = std::max(o.faults.replyDelayMs, 0);
  o.faults.maxWaitMs = std::max(o.faults.maxWaitMs, 0);
  return o;
}

struct Pending {
  std::string text;
  Clock::time_point readyAt;
};

// O_APPEND makes each write land whole at the end, so counters and processes sharing one file
// never mix their lines; nothing is buffered here, so a reader sees each message at once and a
// killed process loses none.
int OpenLog(const std::string& path, std::string* error) {
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) *error = "cannot open log file '" + path + "': " + std::strerror(errno);
  return fd;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string EscapeLogLine(std::string_view message) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(message.size() + 8);
  for (char ch : message) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\0':
        out += "\\0";
        break;
      default:
        if (c < 0x20 || c >= 0x7f) {
          out += "\\x";
          out += kHex[c >> 4];
          out += kHex[c & 0xf];
        } else {
          out += ch;
        }
    }
  }
  return out;
}

std::optional<std::string> UnescapeLogLine(std::string_view line) {
  std::string out;
  out.reserve(line.size());
  for (std::size_t i = 0; i < line.size(); ++i) {
    const auto c = static_cast<unsigned char>(line[i]);
    if (c < 0x20 || c >= 0x7f) return std::nullopt;  // the log never writes these raw
    if (c != '\\') {
      out += line[i];
      continue;
    }
    if (++i == line.size()) return std::nullopt;
    switch (line[i]) {
      case '\\':
        out += '\\';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case '0':
        out += '\0';
        break;
      case 'x': {
        if (line.size() - i < 3) return std::nullopt;
        const int hi = HexValue(line[i + 1]), lo = HexValue(line[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi << 4 | lo);
        i += 2;
        break;
      }
      default:
        return std::nullopt;
    }
  }
  return out;
}

std::string CheckLogFile(const std::string& path) {
  std::string error;
  int fd = OpenLog(path, &error);
  if (fd >= 0) ::close(fd);
  return error;
}

struct Counter::State {
  explicit State(Options o) : options(Sanitized(std::move(o))), device(options) {
    if (!options.logFile.empty()) logFd = OpenLog(options.logFile, &logError);
  }
  ~State() {
    if (logFd >= 0) ::close(logFd);
  }
  State(const State&) = delete;
  State& operator=(const State&) = delete;

  // One write per line. A log that cannot be written (a full disk) must not stop the instrument.
  void Log(std::string_view message) const {
    if (logFd < 0) return;
    const std::string line = EscapeLogLine(message) + '\n';
    std::size_t done = 0;
    while (done < line.size()) {
      const ssize_t n = ::write(logFd, line.data() + done, line.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      done += static_cast<std::size_t>(n);
    }
  }

  // Lets a scheduled arming edge that is due complete its measurement, and hands out the held
  // *OPC? answer once nothing is waiting any more.
  void Advance(Clock::time_point now) {
    if (std::optional<Clock::time_point> fired = device.FireDueTrigger(now)) Release(*fired);
    if (opcHeld && !device.OpcMustWait()) Release(now);
  }

  void Release(Clock::time_point when) {
    if (!opcHeld) return;
    out.push_back({std::move(opcHeld->text), std::max(when, opcHeld->readyAt)});
    opcHeld.reset();
  }

  // When the next reply becomes readable without any further call, if that is known.
  std::optional<Clock::time_point> NextReady() const {
    std::optional<Clock::time_point> t;
    if (!out.empty()) t = out.front().readyAt;
    if (opcHeld) {
      if (std::optional<Clock::time_point> edge = device.ScheduledTrigger()) {
        Clock::time_point r = std::max(*edge, opcHeld->readyAt);
        t = t ? std::min(*t, r) : r;
      }
    }
    return t;
  }

  bool TakeReady(Clock::time_point now, std::string* message) {
    if (out.empty() || out.front().readyAt > now) return false;
    *message = std::move(out.front().text);
    out.pop_front();
    return true;
  }

  const Options options;
  mutable std::mutex mu;
  std::condition_variable cv;
  Device device;
  std::deque<Pending> out;
  std::optional<Pending> opcHeld;  // one *OPC? answer waiting for the arming edge
  bool disconnected = false;
  int messages = 0;
  std::vector<std::string> received;
  int logFd = -1;
  std::string logError;
};

Counter::Counter(Options options) : state_(std::make_unique<State>(std::move(options))) {}
Counter::~Counter() = default;

bool Counter::Receive(std::string_view message) {
  State& s = *state_;
  std::lock_guard lock(s.mu);
  if (s.disconnected) return false;
  s.received.emplace_back(message);
  s.Log(message);  // under the lock, so the lines keep the order the messages came in
  Clock::time_point now = Clock::now();
  s.Advance(now);
  ++s.messages;
  const Faults& f = s.options.faults;

  // A new message while an answer is still unread interrupts that query, as on the bus.
  if (!s.out.empty()) {
    s.out.clear();
    s.device.PushError(scpi::kQueryInterrupted);
  }

  // A line feed ends a program message; anything after it is the next one.
  std::size_t start = 0;
  while (start <= message.size()) {
    std::size_t lf = message.find('\n', start);
    std::string_view part =
        message.substr(start, lf == std::string_view::npos ? std::string_view::npos : lf - start);
    ExecResult r;
    s.device.Execute(part, now, &r);
    if (r.hasReply && !f.silent) {
      Pending p{r.reply + '\n', now + std::chrono::milliseconds(f.replyDelayMs)};
      if (!r.waitsForTrigger) {
        s.out.push_back(std::move(p));
      } else if (!s.opcHeld) {
        s.opcHeld = std::move(p);  // a second *OPC? meanwhile shares the first one's answer
      }
    }
    if (lf == std::string_view::npos) break;
    start = lf + 1;
  }
  s.Advance(now);

  if (f.disconnectAfter > 0 && s.messages >= f.disconnectAfter) {
    s.disconnected = true;
    s.opcHeld.reset();
  }
  s.cv.notify_all();
  return true;
}

ReadStatus Counter::Reply(std::string* message, Clock::time_point deadline) {
  State& s = *state_;
  std::unique_lock lock(s.mu);
  const Clock::time_point start = Clock::now();
  const int maxWait = s.options.faults.maxWaitMs;
  const Clock::time_point cap =
      maxWait > 0 ? start + std::chrono::milliseconds(maxWait) : Clock::time_point::max();
  for (;;) {
    Clock::time_point now = Clock::now();
    s.Advance(now);
    if (s.TakeReady(now, message)) return ReadStatus::Ok;
    std::optional<Clock::time_point> coming = s.NextReady();
    if (s.disconnected && !coming) return ReadStatus::Disconnected;
    // A reply due before the deadline is worth waiting for; otherwise maxWait cuts the wait.
    Clock::time_point limit = (coming && *coming <= deadline) ? deadline : std::min(deadline, cap);
    if (now >= limit) {
      // Asked to talk with nothing to say.
      if (s.out.empty() && !s.opcHeld && !s.options.faults.silent)
        s.device.PushError(scpi::kQueryUnterminated);
      return ReadStatus::Timeout;
    }
    Clock::time_point wake = coming ? std::min(*coming, limit) : limit;
    wake = std::min(wake, now + std::chrono::hours(1));  // keeps far deadlines from overflowing
    s.cv.wait_until(lock, wake);
  }
}

bool Counter::TryReply(std::string* message, std::optional<Clock::time_point>* nextDue) {
  State& s = *state_;
  std::lock_guard lock(s.mu);
  Clock::time_point now = Clock::now();
  s.Advance(now);
  if (s.TakeReady(now, message)) return true;
  if (nextDue) *nextDue = s.NextReady();
  return false;
}

void Counter::DeviceClear() {
  State& s = *state_;
  std::lock_guard lock(s.mu);
  s.Advance(Clock::now());
  s.out.clear();
  s.opcHeld.reset();
  s.cv.notify_all();
}

void Counter::GoToLocal() {
  std::lock_guard lock(state_->mu);
  state_->device.GoToLocal();
}

void Counter::Trigger() {
  State& s = *state_;
  std::lock_guard lock(s.mu);
  Clock::time_point now = Clock::now();
  s.Advance(now);
  if (s.device.Trigger(now)) s.Release(now);
  s.Advance(now);
  s.cv.notify_all();
}

void Counter::Reconnect() {
  State& s = *state_;
  std::lock_guard lock(s.mu);
  s.disconnected = false;
  s.messages = 0;
  s.out.clear();
  s.opcHeld.reset();
  s.cv.notify_all();
}

bool Counter::Remote() const {
  std::lock_guard lock(state_->mu);
  return state_->device.Remote();
}

bool Counter::Disconnected() const {
  std::lock_guard lock(state_->mu);
  return state_->disconnected;
}

std::string Counter::LogError() const {
  return state_->logError;
}  // set once, at construction

std::vector<std::string> Counter::Received() const {
  std::lock_guard lock(state_->mu);
  return state_->received;
}

void Counter::ClearReceived() {
  std::lock_guard lock(state_->mu);
  state_->received.clear();
}

}  // namespace zc::sim

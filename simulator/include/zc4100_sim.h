// The simulated ZC4100 counter: an SCPI model of the instrument. Used in-process by the VISA
// library's simulated backend and served on TCP by zc4100-sim.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zc::sim {

using Clock = std::chrono::steady_clock;

// Faults a test can ask for.
struct Faults {
  bool silent = false;        // never answers: every read times out
  int disconnectAfter = 0;    // > 0: the link drops after this many messages
  bool nonNumeric = false;    // reading queries answer with text that is not a number
  bool longReplies = false;   // reading queries answer with more than 64 bytes
  int replyDelayMs = 0;       // every reply becomes readable this long after its query
  bool decimalComma = false;  // readings written with a decimal comma
  int maxWaitMs = 0;          // > 0: a wait for a reply that is not coming ends after this long
                              // (still a timeout for the caller), so tests need not wait 15 s
};

struct Options {
  std::string serial = "AB12345678";
  std::optional<std::uint64_t> seed;  // set: readings repeat run after run
  int triggerDelayMs = -1;            // external arming: trigger this long after arming; -1 never
  Faults faults;
  std::string logFile;  // "" none; otherwise every received message is appended there as a line

  // Options from configuration key/value pairs (keys case-insensitive):
  //   serial, seed, trigger_delay_ms, fault (comma-separated: silent, disconnect, non_numeric,
  //   long_reply, slow, decimal_comma), disconnect_after, reply_delay_ms, max_wait_ms, log.
  // Keys may be spelled with '-' for '_'. A fault named without its number takes a default:
  // disconnect after 1 message, slow replies 1000 ms late. The log file is only named here; the
  // counter opens it.
  // Unknown keys or bad values: returns nullopt and explains in *error (which may be null).
  static std::optional<Options> FromKeyValues(
      const std::vector<std::pair<std::string, std::string>>& entries, std::string* error);
};

enum class ReadStatus { Ok, Timeout, Disconnected };

// The received-message log: one line per message, the backslash and every byte outside printable
// ASCII written as an escape, so a line holds exactly one message and reads back byte for byte:
//   backslash \\, line feed \n, carriage return \r, tab \t, NUL \0, any other byte below 0x20,
//   0x7F and every byte from 0x80 as \xHH (two lower-case hex digits).
std::string EscapeLogLine(std::string_view message);
// The message a log line (without its line feed) stands for; nullopt when the line is not one
// EscapeLogLine writes (an unknown or cut-off escape, a raw control or non-ASCII byte).
// Hex digits may be of either case.
std::optional<std::string> UnescapeLogLine(std::string_view line);
// Opens the file for appending, creating it if need be, and closes it again: "" when that works,
// otherwise a sentence saying why not ("cannot open log file 'PATH': reason").
std::string CheckLogFile(const std::string& path);

// One instrument. Thread-safe: a server thread may trigger while another waits for a reply.
class Counter {
 public:
  explicit Counter(Options options);
  ~Counter();
  Counter(const Counter&) = delete;
  Counter& operator=(const Counter&) = delete;

  // One message from the host: one or more commands separated by ';', optional trailing line
  // feed or NUL. Queries queue their answers as one reply message ending in a line feed.
  // Returns false when the link is down (disconnect fault).
  bool Receive(std::string_view message);

  // Waits until the next reply message is readable or the deadline passes. This is a read on
  // the bus: timing out with nothing asked queues -420 "Query UNTERMINATED".
  ReadStatus Reply(std::string* message, Clock::time_point deadline);

  // Takes the next reply if it is readable now, without waiting. Unlike Reply this is not a
  // read on the bus (a server peeking after each message raises no "Query UNTERMINATED").
  // *nextDue, when given, gets the time a reply not yet readable is due without any further
  // call (a slow reply, a scheduled arming edge), or nullopt.
  bool TryReply(std::string* message, std::optional<Clock::time_point>* nextDue = nullptr);

  void DeviceClear();  // discards pending input and output, as a bus device clear does
  void GoToLocal();    // back to front-panel control
  void Trigger();      // an external arming edge arrives now
  void Reconnect();    // the link is up again: a new connection, counted afresh for the faults

  bool Remote() const;
  bool Disconnected() const;

  // "" when the options name no log file or it is open; otherwise why it could not be opened
  // (as CheckLogFile says). A counter without its log still works, unlogged.
  std::string LogError() const;

  // Every message received, byte for byte and in order (trailing NULs included).
  std::vector<std::string> Received() const;
  void ClearReceived();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace zc::sim

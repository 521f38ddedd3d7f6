// zc4100-sim: serves one simulated counter on TCP, one client connection at a time, the way the
// instrument's raw SCPI socket does: a message ends at a line feed and each reply goes back on
// the connection that asked. One thread and poll(): a reply that is ready is written before the
// next message is read, so the normal path has no hand-off between threads.
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zc4100_sim.h"

namespace {

using zc::sim::Clock;

constexpr const char* kUsage =
    "Usage: zc4100-sim [options]\n"
    "Serves a simulated ZC4100 counter over TCP (SCPI, one message per line).\n"
    "\n"
    "  --bind ADDR             address to listen on (default 127.0.0.1)\n"
    "  --port N                TCP port (default 5025; 0 picks a free one)\n"
    "  --port-file PATH        write the port number there once listening\n"
    "  --serial S              serial number in the *IDN? answer\n"
    "  --seed N                repeatable readings\n"
    "  --trigger-delay-ms N    external arming edge this long after arming (-1 never)\n"
    "  --fault LIST            comma-separated: silent, disconnect, non_numeric, long_reply,\n"
    "                          slow, decimal_comma\n"
    "  --disconnect-after N    close the connection after N messages\n"
    "  --reply-delay-ms N      each reply readable this long after its query\n"
    "  --max-wait-ms N         cap on waits for replies that are not coming\n"
    "  --log FILE              append every message received to FILE, one escaped line each\n"
    "  --help                  this text\n"
    "\n"
    "SIGUSR1 delivers an external arming edge; SIGINT or SIGTERM stop the server.\n";

// Beyond this a line is not a command any client would send; hand it over as it stands.
constexpr std::size_t kMaxLine = 1 << 20;
// A client that stops reading while it keeps asking is dropped rather than buffered forever.
constexpr std::size_t kMaxPendingOutput = 16 << 20;

struct Args {
  std::string bind = "127.0.0.1";
  int port = 5025;
  std::string portFile;
  std::vector<std::pair<std::string, std::string>> options;  // handed to Options::FromKeyValues
};

int UsageError(const std::string& what) {
  std::fprintf(stderr, "zc4100-sim: %s\nTry 'zc4100-sim --help'.\n", what.c_str());
  return 2;
}

// Returns an exit code when the program should stop now (help, bad arguments).
std::optional<int> ParseArgs(int argc, char** argv, Args* args) {
  static const char* const kModelFlags[] = {
      "serial",           "seed",           "trigger-delay-ms", "fault",
      "disconnect-after", "reply-delay-ms", "max-wait-ms",      "log"};
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg.substr(0, 2) != "--")
      return UsageError("unexpected argument '" + std::string(arg) + "'");
    std::string name(arg.substr(2));
    std::optional<std::string> value;
    if (std::size_t eq = name.find('='); eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
    } else if (i + 1 < argc) {
      value = argv[++i];
    }
    if (!value) return UsageError("--" + name + " needs a value");
    if (name == "bind") {
      args->bind = *value;
    } else if (name == "port") {
      int port = -1;
      auto r = std::from_chars(value->data(), value->data() + value->size(), port);
      if (value->empty() || r.ec != std::errc() || r.ptr != value->data() + value->size() ||
          port < 0 || port > 65535)
        return UsageError("--port wants 0 to 65535, not '" + *value + "'");
      args->port = port;
    } else if (name == "port-file") {
      args->portFile = *value;
    } else {
      bool known = false;
      for (const char* flag : kModelFlags) known = known || name == flag;
      if (!known) return UsageError("unknown option '--" + name + "'");
      args->options.emplace_back(name, *value);
    }
  }
  return std::nullopt;
}

bool WritePortFile(const std::string& path, int port) {
  // Written whole under another name first, so a test polling for it never reads half a number.
  std::string tmp = path + ".tmp";
  {
    std::ofstream f(tmp, std::ios::trunc);
    f << port << '\n';
    if (!f.flush()) return false;
  }
  std::error_code ec;
  std::filesystem::rename(tmp, path, ec);
  return !ec;
}

int Listen(const Args& args, int* boundPort) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICHOST | AI_NUMERICSERV;
  addrinfo* res = nullptr;
  std::string port = std::to_string(args.port);
  if (int rc = getaddrinfo(args.bind.c_str(), port.c_str(), &hints, &res); rc != 0) {
    std::fprintf(stderr, "zc4100-sim: bad --bind address '%s': %s\n", args.bind.c_str(),
                 gai_strerror(rc));
    return -2;
  }
  int fd = -1;
  int err = 0;
  for (addrinfo* ai = res; ai && fd < 0; ai = ai->ai_next) {
    fd = socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, ai->ai_protocol);
    if (fd < 0) {
      err = errno;
      continue;
    }
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (bind(fd, ai->ai_addr, ai->ai_addrlen) != 0 || listen(fd, 8) != 0) {
      err = errno;
      close(fd);
      fd = -1;
    }
  }
  freeaddrinfo(res);
  if (fd < 0) {
    std::fprintf(stderr, "zc4100-sim: cannot listen on %s port %d: %s\n", args.bind.c_str(),
                 args.port, std::strerror(err));
    return -1;
  }
  sockaddr_storage ss{};
  socklen_t len = sizeof ss;
  getsockname(fd, reinterpret_cast<sockaddr*>(&ss), &len);
  *boundPort = ss.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&ss)->sin6_port)
                                        : ntohs(reinterpret_cast<sockaddr_in*>(&ss)->sin_port);
  return fd;
}

class Server {
 public:
  Server(zc::sim::Counter& counter, int listenFd, int signalFd)
      : counter_(counter), listenFd_(listenFd), signalFd_(signalFd) {}

  void Run() {
    for (;;) {
      std::optional<Clock::time_point> nextDue = Drain();
      Flush();
      // The disconnect fault: the link drops once the last answer is out.
      if (client_ >= 0 && outBuf_.empty() && counter_.Disconnected()) CloseClient();

      pollfd fds[3];
      nfds_t n = 0;
      fds[n++] = {signalFd_, POLLIN, 0};
      int listenAt = -1, clientAt = -1;
      if (client_ < 0) {
        listenAt = static_cast<int>(n);
        fds[n++] = {listenFd_, POLLIN, 0};
      } else {
        clientAt = static_cast<int>(n);
        short ev = POLLIN;
        if (!outBuf_.empty()) ev |= POLLOUT;
        fds[n++] = {client_, ev, 0};
      }
      int rc = poll(fds, n, TimeoutMs(nextDue));
      if (rc < 0) {
        if (errno == EINTR) continue;
        std::perror("zc4100-sim: poll");
        return;
      }
      if (fds[0].revents & POLLIN) {
        if (!HandleSignal()) return;
      }
      if (listenAt >= 0 && (fds[listenAt].revents & POLLIN)) Accept();
      if (clientAt >= 0 && client_ >= 0) {
        short re = fds[clientAt].revents;
        if (re & (POLLIN | POLLHUP | POLLERR)) Read();
        if (client_ >= 0 && (re & POLLOUT)) Flush();
      }
    }
  }

  ~Server() { CloseClient(); }

 private:
  static int TimeoutMs(std::optional<Clock::time_point> due) {
    if (!due) return -1;
    auto left = *due - Clock::now();
    if (left <= Clock::duration::zero()) return 0;
    auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
  }

  // Returns false when the server should stop.
  bool HandleSignal() {
    signalfd_siginfo info{};
    while (read(signalFd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
      if (info.ssi_signo == SIGUSR1) {
        counter_.Trigger();
      } else {
        return false;
      }
    }
    return true;
  }

  void Accept() {
    int fd = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    client_ = fd;
    inBuf_.clear();
    outBuf_.clear();
    // A new connection starts clean: nothing left over from the previous client.
    counter_.Reconnect();
  }

  void Read() {
    char buf[65536];
    for (;;) {
      ssize_t got = recv(client_, buf, sizeof buf, 0);
      if (got == 0) {
        CloseClient();
        return;
      }
      if (got < 0) {
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) CloseClient();
        return;
      }
      inBuf_.append(buf, static_cast<std::size_t>(got));
      HandleLines();
      if (client_ < 0 || static_cast<std::size_t>(got) < sizeof buf) return;
    }
  }

  void HandleLines() {
    std::size_t start = 0;
    for (;;) {
      std::size_t lf = inBuf_.find('\n', start);
      if (lf == std::string::npos) break;
      Deliver(std::string_view(inBuf_).substr(start, lf + 1 - start));
      start = lf + 1;
    }
    inBuf_.erase(0, start);
    if (inBuf_.size() > kMaxLine) {
      Deliver(inBuf_);
      inBuf_.clear();
    }
    Flush();
  }

  void Deliver(std::string_view message) {
    if (!counter_.Receive(message)) return;  // the link is down; the rest goes nowhere
    counter_.ClearReceived();  // that record is for tests in-process; --log is the server's
    // Collect the answer before the next message, which would otherwise interrupt it.
    Drain();
  }

  std::optional<Clock::time_point> Drain() {
    std::string reply;
    std::optional<Clock::time_point> next;
    while (counter_.TryReply(&reply, &next)) outBuf_ += reply;
    return next;
  }

  void Flush() {
    if (client_ < 0) {
      outBuf_.clear();
      return;
    }
    while (!outBuf_.empty()) {
      ssize_t sent = send(client_, outBuf_.data(), outBuf_.size(), MSG_NOSIGNAL);
      if (sent < 0) {
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) CloseClient();
        break;
      }
      outBuf_.erase(0, static_cast<std::size_t>(sent));
    }
    if (outBuf_.size() > kMaxPendingOutput) CloseClient();
  }

  void CloseClient() {
    if (client_ < 0) return;
    close(client_);
    client_ = -1;
    inBuf_.clear();
    outBuf_.clear();
  }

  zc::sim::Counter& counter_;
  int listenFd_;
  int signalFd_;
  int client_ = -1;
  std::string inBuf_;
  std::string outBuf_;
};

}  // namespace

int main(int argc, char** argv) {
  Args args;
  if (std::optional<int> exitCode = ParseArgs(argc, argv, &args)) return *exitCode;
  std::string error;
  std::optional<zc::sim::Options> options = zc::sim::Options::FromKeyValues(args.options, &error);
  if (!options) return UsageError(error);
  // Made first, so a log file that cannot be opened stops the server before it listens.
  zc::sim::Counter counter(std::move(*options));
  if (std::string why = counter.LogError(); !why.empty()) {
    std::fprintf(stderr, "zc4100-sim: %s\n", why.c_str());
    return 2;
  }

  // Signals arrive through a descriptor, so the loop handles them like any other event.
  sigset_t mask;
  sigemptyset(&mask);
  sigaddset(&mask, SIGINT);
  sigaddset(&mask, SIGTERM);
  sigaddset(&mask, SIGUSR1);
  sigprocmask(SIG_BLOCK, &mask, nullptr);
  signal(SIGPIPE, SIG_IGN);
  int signalFd = signalfd(-1, &mask, SFD_NONBLOCK | SFD_CLOEXEC);
  if (signalFd < 0) {
    std::perror("zc4100-sim: signalfd");
    return 1;
  }

  int port = 0;
  int listenFd = Listen(args, &port);
  if (listenFd == -2) return 2;
  if (listenFd < 0) return 1;
  if (!args.portFile.empty() && !WritePortFile(args.portFile, port)) {
    std::fprintf(stderr, "zc4100-sim: cannot write %s\n", args.portFile.c_str());
    return 1;
  }
  std::printf("zc4100-sim: listening on %s port %d\n", args.bind.c_str(), port);
  std::fflush(stdout);

  {
    Server server(counter, listenFd, signalFd);
    server.Run();
  }
  close(listenFd);
  close(signalFd);
  return 0;
}

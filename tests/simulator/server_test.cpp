// The zc4100-sim program itself: started as a process on a free port and talked to over a real
// socket, the way the VISA library's TCP backend and its benchmark reach it.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "zc4100_sim.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

fs::path ServerBinary() {
  if (const char* dir = std::getenv("ZC_BIN_DIR")) return fs::path(dir) / "zc4100-sim";
  return fs::read_symlink("/proc/self/exe").parent_path() / "zc4100-sim";
}

pid_t Spawn(const std::vector<std::string>& args) {
  std::vector<std::string> all = {ServerBinary().string()};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  EXPECT_EQ(rc, 0) << "cannot start " << argv[0];
  return rc == 0 ? pid : -1;
}

// Waits for the process; returns its exit code, or -1 when it did not exit normally in time.
int WaitExit(pid_t pid, std::chrono::seconds limit = 10s) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    int status = 0;
    pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::this_thread::sleep_for(5ms);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

class Server {
 public:
  explicit Server(std::vector<std::string> extra = {}) {
    static std::atomic<int> serial{0};
    portFile_ = fs::path(::testing::TempDir()) /
                ("zc4100-sim-" + std::to_string(getpid()) + "-" + std::to_string(serial++));
    fs::remove(portFile_);
    std::vector<std::string> args = {"--port", "0", "--port-file", portFile_.string()};
    args.insert(args.end(), extra.begin(), extra.end());
    pid_ = Spawn(args);
    auto end = std::chrono::steady_clock::now() + 10s;
    while (pid_ > 0 && port_ == 0 && std::chrono::steady_clock::now() < end) {
      std::ifstream f(portFile_);
      if (!(f >> port_)) std::this_thread::sleep_for(5ms);
    }
    EXPECT_GT(port_, 0) << "the server never wrote its port";
  }
  ~Server() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    fs::remove(portFile_);
  }
  int port() const { return port_; }
  void Signal(int sig) { kill(pid_, sig); }
  int Stop(int sig) {
    kill(pid_, sig);
    int code = WaitExit(pid_);
    pid_ = -1;
    return code;
  }

 private:
  fs::path portFile_;
  pid_t pid_ = -1;
  int port_ = 0;
};

class Client {
 public:
  explicit Client(int port) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  }
  ~Client() { Close(); }
  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }
  void Send(std::string_view s) {
    EXPECT_EQ(send(fd_, s.data(), s.size(), MSG_NOSIGNAL), static_cast<ssize_t>(s.size()));
  }
  // One line, or nullopt when none came within `wait` (or the server closed the connection).
  std::optional<std::string> Line(std::chrono::milliseconds wait = 10s) {
    auto end = std::chrono::steady_clock::now() + wait;
    for (;;) {
      if (std::size_t lf = buf_.find('\n'); lf != std::string::npos) {
        std::string line = buf_.substr(0, lf + 1);
        buf_.erase(0, lf + 1);
        return line;
      }
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          end - std::chrono::steady_clock::now());
      if (left.count() < 0 || closed_) return std::nullopt;
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
      char chunk[4096];
      ssize_t got = recv(fd_, chunk, sizeof chunk, 0);
      if (got <= 0) {
        closed_ = true;
      } else {
        buf_.append(chunk, static_cast<std::size_t>(got));
      }
    }
  }
  bool ClosedByPeer(std::chrono::milliseconds wait = 10s) {
    return !Line(wait).has_value() && closed_;
  }
  std::string Ask(std::string_view message) {
    Send(message);
    return Line().value_or("<no reply>");
  }

 private:
  int fd_ = -1;
  std::string buf_;
  bool closed_ = false;
};

const char* const kIdn = "Zarnith,ZC4100,AB12345678,1.03\n";

TEST(SimServer, AnswersQueriesOverTcp) {
  Server server({"--seed", "3"});
  Client c(server.port());
  EXPECT_EQ(c.Ask("*IDN?\n"), kIdn);
  EXPECT_TRUE(std::regex_match(c.Ask("fetch?\n"), std::regex(R"([+-]\d\.\d{11}E[+-]\d{3}\n)")));
  // Two messages in one packet, and one message split over two.
  c.Send("FUNC?\n*IDN?\n");
  EXPECT_EQ(c.Line(), "\"FREQ\"\n");
  EXPECT_EQ(c.Line(), kIdn);
  c.Send("*ID");
  c.Send("N?\n");
  EXPECT_EQ(c.Line(), kIdn);
  c.Send(std::string("syst:comm:rlst loc\0\n", 20));
  EXPECT_EQ(c.Ask("SYST:ERR?\n"), "+0,\"No error\"\n");
}

TEST(SimServer, SerialFromTheCommandLine) {
  Server server({"--serial", "QQ777"});
  Client c(server.port());
  EXPECT_EQ(c.Ask("*IDN?\n"), "Zarnith,ZC4100,QQ777,1.03\n");
}

TEST(SimServer, SurvivesClientsComingAndGoing) {
  Server server;
  {
    Client first(server.port());
    first.Send("*IDN?\n");  // and leave without reading
  }
  Client second(server.port());
  EXPECT_EQ(second.Ask("*IDN?\n"), kIdn);
  second.Close();
  Client third(server.port());
  EXPECT_EQ(third.Ask("*OPC?\n"), "1\n");
}

TEST(SimServer, Sigusr1IsTheExternalArmingEdge) {
  Server server;
  Client c(server.port());
  c.Send("freq:arm:sour ext\n");
  EXPECT_EQ(c.Ask("freq:arm:sour?\n"), "EXT\n");
  c.Send("init:cont on\ninit:cont off\n*OPC?\n");
  EXPECT_EQ(c.Line(100ms), std::nullopt) << "no edge yet";
  server.Signal(SIGUSR1);
  EXPECT_EQ(c.Line(), "1\n");
}

TEST(SimServer, PendingRepliesAreSentWhenReady) {
  Server server({"--trigger-delay-ms", "30", "--reply-delay-ms", "20"});
  Client c(server.port());
  EXPECT_EQ(c.Ask("*IDN?\n"), kIdn);  // slow reply
  EXPECT_EQ(c.Ask("freq:arm:sour ext\nfreq:arm:sour?\n"), "EXT\n");
  EXPECT_EQ(c.Ask("init:cont on\ninit:cont off\n*OPC?\n"), "1\n");  // after the scheduled edge
}

TEST(SimServer, DisconnectFaultClosesAfterNMessagesPerConnection) {
  Server server({"--disconnect-after", "2"});
  for (int round = 0; round < 2; ++round) {
    Client c(server.port());
    EXPECT_EQ(c.Ask("*IDN?\n"), kIdn);
    EXPECT_EQ(c.Ask("FUNC?\n"), "\"FREQ\"\n");
    EXPECT_TRUE(c.ClosedByPeer());
  }
}

TEST(SimServer, SilentFaultAnswersNothing) {
  Server server({"--fault", "silent"});
  Client c(server.port());
  c.Send("*IDN?\n");
  EXPECT_EQ(c.Line(100ms), std::nullopt);
}

// The log shows each message as the counter got it, whatever the packets were, and it is all on
// disk when the server dies without a chance to flush anything.
TEST(SimServer, LogKeepsEveryMessageEvenWhenKilled) {
  const fs::path log =
      fs::path(::testing::TempDir()) / ("zc4100-sim-" + std::to_string(getpid()) + "-received.log");
  fs::remove(log);
  Server server({"--log", log.string()});
  Client c(server.port());
  EXPECT_EQ(c.Ask("*IDN?\n"), kIdn);
  c.Send(std::string("syst:comm:rlst loc\0\n", 20));
  c.Send("fet");
  c.Send("ch?\n");
  EXPECT_NE(c.Line(), std::nullopt);
  EXPECT_EQ(server.Stop(SIGKILL), -1);

  std::ifstream f(log, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(f, line);) lines.push_back(line);
  EXPECT_EQ(lines,
            (std::vector<std::string>{R"(*IDN?\n)", R"(syst:comm:rlst loc\0\n)", R"(fetch?\n)"}));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(zc::sim::UnescapeLogLine(lines[1]), std::string("syst:comm:rlst loc\0\n", 20));
  fs::remove(log);
}

class SimStopSignal : public ::testing::TestWithParam<int> {};

TEST_P(SimStopSignal, ExitsCleanly) {
  Server server;
  Client c(server.port());
  EXPECT_EQ(c.Ask("*IDN?\n"), kIdn);
  EXPECT_EQ(server.Stop(GetParam()), 0);
}

INSTANTIATE_TEST_SUITE_P(Signals, SimStopSignal, ::testing::Values(SIGTERM, SIGINT));

struct ArgsCase {
  std::vector<std::string> args;
  int exitCode;
};
void PrintTo(const ArgsCase& c, std::ostream* os) {
  for (const std::string& a : c.args) *os << a << ' ';
}

class SimCommandLine : public ::testing::TestWithParam<ArgsCase> {};

TEST_P(SimCommandLine, ExitCode) {
  pid_t pid = Spawn(GetParam().args);
  ASSERT_GT(pid, 0);
  EXPECT_EQ(WaitExit(pid), GetParam().exitCode);
}

INSTANTIATE_TEST_SUITE_P(Arguments, SimCommandLine,
                         ::testing::Values(ArgsCase{{"--help"}, 0}, ArgsCase{{"--bogus", "1"}, 2},
                                           ArgsCase{{"--port"}, 2}, ArgsCase{{"--port", "x"}, 2},
                                           ArgsCase{{"--port", "70000"}, 2},
                                           ArgsCase{{"--fault", "gremlins"}, 2},
                                           ArgsCase{{"--seed", "-3"}, 2},
                                           ArgsCase{{"--max-wait-ms", "soon"}, 2},
                                           ArgsCase{{"--bind", "not-an-address", "--port", "0"}, 2},
                                           ArgsCase{{"stray"}, 2},
                                           ArgsCase{{"--log", "/nonexistent-folder/sim.log"}, 2}));

}  // namespace

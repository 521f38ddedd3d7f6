// Round trips of "*IDN?" and "fetch?": through the VISA library to the in-process simulated
// counter, through the VISA library to zc4100-sim over loopback TCP, and a bare socket on the
// same server as the floor the TCP path is measured against.
//
// The server is the one at ZC_BENCH_PORT when set (bench/run.sh starts one so that pyvisa-py is
// measured against the same process), otherwise one started here.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "visa.h"

namespace {

const std::string kUsb = "USB0::0x1A5B::0x1004::BENCH00001::INSTR";

std::filesystem::path BinDir() {
  std::error_code ec;
  return std::filesystem::read_symlink("/proc/self/exe", ec).parent_path();
}

class Server {
 public:
  static Server& Get() {
    static Server server;
    return server;
  }
  int port() const { return port_; }

 private:
  Server() {
    if (const char* env = std::getenv("ZC_BENCH_PORT")) {
      port_ = std::atoi(env);
      return;
    }
    auto dir = std::filesystem::temp_directory_path() / ("zc-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    auto portFile = (dir / "port").string();
    auto sim = (BinDir() / "zc4100-sim").string();
    pid_ = fork();
    if (pid_ == 0) {
      execl(sim.c_str(), sim.c_str(), "--port", "0", "--port-file", portFile.c_str(), "--seed",
            "1", static_cast<char*>(nullptr));
      _exit(127);
    }
    for (int i = 0; i < 200 && port_ == 0; ++i) {
      std::ifstream in(portFile);
      in >> port_;
      if (port_ == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::filesystem::remove_all(dir);
  }
  ~Server() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  int port_ = 0;
  pid_t pid_ = -1;
};

void WriteConfig() {
  static bool done = false;
  if (done) return;
  auto path = std::filesystem::temp_directory_path() / ("zc-bench-" + std::to_string(getpid()) + ".ini");
  std::ofstream(path) << "[" << kUsb << "]\nsimulate = zc4100\nseed = 1\n";
  setenv("ZC4100_VISA_CONF", path.c_str(), 1);
  done = true;
}

void VisaRoundTrip(benchmark::State& state, const std::string& resource, const std::string& query) {
  WriteConfig();
  ViSession rm = 0, vi = 0;
  if (viOpenDefaultRM(&rm) < VI_SUCCESS || viOpen(rm, resource.c_str(), 0, 0, &vi) < VI_SUCCESS) {
    state.SkipWithError("cannot open the resource");
    return;
  }
  viSetAttribute(vi, VI_ATTR_TMO_VALUE, 5000);
  ViByte buf[256];
  for (auto _ : state) {
    ViUInt32 n = 0;
    viWrite(vi, reinterpret_cast<ViConstBuf>(query.data()), static_cast<ViUInt32>(query.size()), &n);
    if (viRead(vi, buf, sizeof buf, &n) != VI_SUCCESS) {
      state.SkipWithError("read failed");
      break;
    }
    benchmark::DoNotOptimize(buf);
  }
  viClose(rm);
}

void BareSocketRoundTrip(benchmark::State& state, const std::string& query) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(Server::Get().port()));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    state.SkipWithError("cannot connect");
    close(fd);
    return;
  }
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  char buf[256];
  for (auto _ : state) {
    send(fd, query.data(), query.size(), MSG_NOSIGNAL);
    // Read until the reply's line feed; replies are short, one recv nearly always suffices.
    for (;;) {
      ssize_t n = recv(fd, buf, sizeof buf, 0);
      if (n <= 0) {
        state.SkipWithError("connection lost");
        close(fd);
        return;
      }
      if (buf[n - 1] == '\n') break;
    }
  }
  close(fd);
}

std::string TcpResource() {
  return "TCPIP0::127.0.0.1::" + std::to_string(Server::Get().port()) + "::SOCKET";
}

void BM_InProcess_Idn(benchmark::State& s) { VisaRoundTrip(s, kUsb, "*IDN?\n"); }
void BM_InProcess_Fetch(benchmark::State& s) { VisaRoundTrip(s, kUsb, "fetch?\n"); }
void BM_VisaTcp_Idn(benchmark::State& s) { VisaRoundTrip(s, TcpResource(), "*IDN?\n"); }
void BM_VisaTcp_Fetch(benchmark::State& s) { VisaRoundTrip(s, TcpResource(), "fetch?\n"); }
void BM_BareSocket_Idn(benchmark::State& s) { BareSocketRoundTrip(s, "*IDN?\n"); }
void BM_BareSocket_Fetch(benchmark::State& s) { BareSocketRoundTrip(s, "fetch?\n"); }

BENCHMARK(BM_InProcess_Idn)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InProcess_Fetch)->Unit(benchmark::kMicrosecond);
// Repeated, so the spread between runs shows beside the figures.
BENCHMARK(BM_BareSocket_Idn)->Unit(benchmark::kMicrosecond)->Repetitions(3);
BENCHMARK(BM_VisaTcp_Idn)->Unit(benchmark::kMicrosecond)->Repetitions(3);
BENCHMARK(BM_BareSocket_Fetch)->Unit(benchmark::kMicrosecond)->Repetitions(3);
BENCHMARK(BM_VisaTcp_Fetch)->Unit(benchmark::kMicrosecond)->Repetitions(3);

}  // namespace

BENCHMARK_MAIN();

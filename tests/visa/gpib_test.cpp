// The GPIB backend: without linux-gpib, and over a stand-in library that plays a bus.
#include "gpib_transport.h"

#include <cerrno>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace zc::visa {
namespace {

using namespace std::chrono_literals;

constexpr int kCmpl = 0x100;

Deadline Soon() { return Clock::now() + 5s; }

ResourceName GpibName(unsigned board, int pad, int sad = -1) {
  ResourceName name;
  name.interface = InterfaceType::Gpib;
  name.board = board;
  name.primaryAddress = pad;
  name.secondaryAddress = sad;
  return name;
}

TEST(GpibTimeoutCode, PicksTheShortestCodeCoveringTheTimeLeft) {
  struct Case {
    std::chrono::nanoseconds left;
    int code;
  };
  const Case cases[] = {
      {-5s, 1},        {0ns, 1},         {10us, 1},   {10us + 1ns, 2}, {30us, 2},
      {999us, 5},      {1ms, 5},         {1ms + 1ns, 6}, {2500ms, 12},  {3s, 12},
      {3001ms, 13},    {1000s, 17},      {5000s, 17},
  };
  for (const Case& c : cases) EXPECT_EQ(GpibTimeoutCode(c.left), c.code) << c.left.count() << " ns";

  EXPECT_EQ(GpibTimeoutCodeFor(Deadline::max()), 0);  // waits for ever only when asked to
  EXPECT_EQ(GpibTimeoutCodeFor(Clock::now() - 1s), 1);
  EXPECT_EQ(GpibTimeoutCodeFor(Deadline::min()), 1);
}

TEST(GpibWithoutLinuxGpib, ExplainsAndFindsNothing) {
  if (LoadedGpibLibrary() != nullptr) GTEST_SKIP() << "linux-gpib is installed here";
  EXPECT_NE(GpibUnavailableReason().find("libgpib.so.0"), std::string::npos);
  EXPECT_NE(GpibUnavailableReason().find("not found"), std::string::npos);
  EXPECT_TRUE(MakeGpibEnumerator()->List().empty());
  auto t = MakeGpibTransport();
  EXPECT_EQ(t->Open(GpibName(0, 5), Soon()), VI_ERROR_LIBRARY_NFOUND);
  std::vector<std::uint8_t> buf(8);
  std::size_t got = 0;
  EXPECT_EQ(t->Read(buf, &got, Soon()), VI_ERROR_CONN_LOST);  // never opened: no crash
}

TEST(GpibWithoutLinuxGpib, NullLibraryBehavesAsMissing) {
  EXPECT_TRUE(MakeGpibEnumeratorOver(nullptr)->List().empty());
  EXPECT_EQ(MakeGpibTransportOver(nullptr)->Open(GpibName(0, 5), Soon()), VI_ERROR_LIBRARY_NFOUND);
}

// A bus the stand-in library plays: which boards answer, who listens, what the device says.
struct FakeBus {
  std::set<int> boards;
  std::set<std::pair<int, int>> listeners;  // (board, primary address)
  std::string reply;
  std::size_t replyPos = 0;
  int failSta = 0;  // when set, ibrd and ibwrt fail with this status, failErr and failCnt
  int failErr = 0;
  long failCnt = 0;

  std::string written;
  std::vector<int> timeoutCodes;  // ibtmo calls
  std::map<int, int> online;      // ud -> open count
  int ibdevSad = -1, ibdevTimeout = -1, ibdevEoi = -1, ibdevEos = -1;
  int clears = 0, locals = 0;

  int sta = 0, err = 0;
  long cnt = 0;
};

FakeBus* bus = nullptr;

int Done(int sta, int err = 0, long cnt = 0) {
  bus->sta = sta;
  bus->err = err;
  bus->cnt = cnt;
  return sta;
}

int FakeIbdev(int board, int pad, int sad, int timeout, int eoi, int eos) {
  if (!bus->boards.count(board)) {
    Done(kGpibErr, kGpibEneb);
    return -1;
  }
  bus->ibdevSad = sad;
  bus->ibdevTimeout = timeout;
  bus->ibdevEoi = eoi;
  bus->ibdevEos = eos;
  const int ud = 16 + board * 32 + pad;
  ++bus->online[ud];
  Done(kCmpl);
  return ud;
}
int FakeIbonl(int ud, int on) {
  if (on == 0) --bus->online[ud];
  return Done(kCmpl);
}
int FakeIbwrt(int, const void* data, long n) {
  if (bus->failSta != 0) return Done(bus->failSta, bus->failErr, bus->failCnt);
  bus->written.append(static_cast<const char*>(data), static_cast<std::size_t>(n));
  return Done(kCmpl, 0, n);
}
int FakeIbrd(int, void* buf, long n) {
  if (bus->failSta != 0) return Done(bus->failSta, bus->failErr, bus->failCnt);
  std::size_t take = std::min(static_cast<std::size_t>(n), bus->reply.size() - bus->replyPos);
  bus->reply.copy(static_cast<char*>(buf), take, bus->replyPos);
  bus->replyPos += take;
  return Done(kCmpl | (bus->replyPos == bus->reply.size() ? kGpibEnd : 0), 0, static_cast<long>(take));
}
int FakeIbclr(int) {
  ++bus->clears;
  return Done(kCmpl);
}
int FakeIbloc(int) {
  ++bus->locals;
  return Done(kCmpl);
}
int FakeIbtmo(int, int code) {
  bus->timeoutCodes.push_back(code);
  return Done(kCmpl);
}
int FakeIbln(int board, int pad, int, short* found) {
  if (!bus->boards.count(board)) return Done(kGpibErr, kGpibEneb);
  *found = bus->listeners.count({board, pad}) ? 1 : 0;
  return Done(kCmpl);
}
int FakeSta() { return bus->sta; }
int FakeErr() { return bus->err; }
long FakeCnt() { return bus->cnt; }

class GpibOverFakeLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    bus = &bus_;
    lib_.ibdev = FakeIbdev;
    lib_.ibonl = FakeIbonl;
    lib_.ibwrt = FakeIbwrt;
    lib_.ibrd = FakeIbrd;
    lib_.ibclr = FakeIbclr;
    lib_.ibloc = FakeIbloc;
    lib_.ibtmo = FakeIbtmo;
    lib_.ibln = FakeIbln;
    lib_.threadIbsta = FakeSta;
    lib_.threadIberr = FakeErr;
    lib_.threadIbcntl = FakeCnt;
    bus_.boards = {0, 2};
    bus_.listeners = {{0, 5}, {0, 22}, {2, 1}, {1, 7}};
  }
  void TearDown() override { bus = nullptr; }

  // Every descriptor we got from ibdev was given back.
  void ExpectAllOffline() {
    for (const auto& [ud, count] : bus_.online) EXPECT_EQ(count, 0) << "ud " << ud;
  }

  FakeBus bus_;
  GpibLibrary lib_;
};

TEST_F(GpibOverFakeLibrary, ListsListenersOnBoardsThatAnswer) {
  EXPECT_EQ(MakeGpibEnumeratorOver(&lib_)->List(),
            (std::vector<std::string>{"GPIB0::5::INSTR", "GPIB0::22::INSTR", "GPIB2::1::INSTR"}));
}

TEST_F(GpibOverFakeLibrary, ExchangesMessagesWithTheDevice) {
  auto t = MakeGpibTransportOver(&lib_);
  ASSERT_EQ(t->Open(GpibName(0, 5, 3), Clock::now() + 2500ms), VI_SUCCESS);
  EXPECT_EQ(bus_.ibdevSad, 0x63);
  EXPECT_EQ(bus_.ibdevTimeout, 12);  // T3s covers 2.5 s
  EXPECT_EQ(bus_.ibdevEoi, 1);
  EXPECT_EQ(bus_.ibdevEos, 0);

  const std::string cmd = "*IDN?\n";
  std::size_t written = 0;
  ASSERT_EQ(t->Write({reinterpret_cast<const std::uint8_t*>(cmd.data()), cmd.size()}, &written,
                     Deadline::max()),
            VI_SUCCESS);
  EXPECT_EQ(written, cmd.size());
  EXPECT_EQ(bus_.written, cmd);
  EXPECT_EQ(bus_.timeoutCodes, std::vector<int>{0});  // no deadline: TNONE

  bus_.reply = "ZARNITH,ZC4100,1234,1.0\n";  // 24 bytes
  std::string all;
  std::vector<std::uint8_t> buf(10);
  std::size_t got = 0;
  for (ViStatus expected : {VI_SUCCESS_MAX_CNT, VI_SUCCESS_MAX_CNT, VI_SUCCESS}) {
    ASSERT_EQ(t->Read(buf, &got, Clock::now() + 50ms), expected);
    all.append(reinterpret_cast<const char*>(buf.data()), got);
  }
  EXPECT_EQ(all, bus_.reply);
  EXPECT_EQ(bus_.timeoutCodes.back(), 9);  // T30ms is too short for 50 ms; T100ms it is

  EXPECT_EQ(t->Clear(Soon()), VI_SUCCESS);
  EXPECT_EQ(t->GoToLocal(Soon()), VI_SUCCESS);
  EXPECT_EQ(bus_.clears, 1);
  EXPECT_EQ(bus_.locals, 1);
  t->Close();
  ExpectAllOffline();
}

TEST_F(GpibOverFakeLibrary, OpenRefusesWhatIsNotThere) {
  struct Case {
    const char* what;
    ResourceName name;
    ViStatus status;
  };
  ResourceName intfc = GpibName(0, 5);
  intfc.resourceClass = ResourceClass::Intfc;
  const Case cases[] = {
      {"nobody listens", GpibName(0, 6), VI_ERROR_RSRC_NFOUND},
      {"board missing", GpibName(1, 7), VI_ERROR_RSRC_NFOUND},
      {"board far out of range", GpibName(4000000000u, 7), VI_ERROR_RSRC_NFOUND},
      {"primary address too high", GpibName(0, 31), VI_ERROR_INV_RSRC_NAME},
      {"secondary address too high", GpibName(0, 5, 31), VI_ERROR_INV_RSRC_NAME},
      {"interface class", intfc, VI_ERROR_RSRC_NFOUND},
  };
  for (const Case& c : cases) {
    auto t = MakeGpibTransportOver(&lib_);
    EXPECT_EQ(t->Open(c.name, Soon()), c.status) << c.what;
  }
  ExpectAllOffline();
}

struct Failure {
  const char* what;
  int sta, err;
  long cnt;
  ViStatus status;
  std::size_t got;
};
std::ostream& operator<<(std::ostream& os, const Failure& f) { return os << f.what; }

class GpibFailures : public GpibOverFakeLibrary, public ::testing::WithParamInterface<Failure> {};

TEST_P(GpibFailures, MapToVisaStatuses) {
  const Failure& f = GetParam();
  auto t = MakeGpibTransportOver(&lib_);
  ASSERT_EQ(t->Open(GpibName(0, 5), Soon()), VI_SUCCESS);
  bus_.failSta = f.sta;
  bus_.failErr = f.err;
  bus_.failCnt = f.cnt;

  std::vector<std::uint8_t> buf(16);
  std::size_t got = 99;
  EXPECT_EQ(t->Read(buf, &got, Soon()), f.status) << f.what;
  EXPECT_EQ(got, f.got) << f.what;
  std::size_t written = 99;
  EXPECT_EQ(t->Write(buf, &written, Soon()), f.status) << f.what;
  EXPECT_EQ(written, f.got) << f.what;
}

INSTANTIATE_TEST_SUITE_P(
    Gpib, GpibFailures,
    ::testing::Values(
        Failure{"timeout after some bytes", kGpibErr | kGpibTimo, kGpibEabo, 3, VI_ERROR_TMO, 3},
        Failure{"no listeners", kGpibErr, kGpibEnol, 0, VI_ERROR_NLISTENERS, 0},
        Failure{"not controller in charge", kGpibErr, kGpibEcic, 0, VI_ERROR_NCIC, 0},
        // After a system error the count is errno, not bytes.
        Failure{"adapter unplugged", kGpibErr, kGpibEdvr, ENODEV, VI_ERROR_CONN_LOST, 0},
        Failure{"other system error", kGpibErr, kGpibEdvr, EIO, VI_ERROR_IO, 0},
        Failure{"count beyond the buffer", kGpibErr, 14, 1000000, VI_ERROR_IO, 16},
        Failure{"negative count", kGpibErr, 14, -5, VI_ERROR_IO, 0}));

}  // namespace
}  // namespace zc::visa

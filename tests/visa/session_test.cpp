// The C entry points over simulated instruments: status conventions, handles, reads.
#include <string>
#include <vector>

#include "status_text.h"
#include "visa_fixture.h"

namespace zc::visa::testing {
namespace {

const char* kUsb = "USB0::0x1A5B::0x1004::AB12345678::INSTR";
const char* kGpib = "GPIB0::22::INSTR";

const char* kTwoCounters =
    "[USB0::0x1A5B::0x1004::AB12345678::INSTR]\n"
    "simulate = zc4100\n"
    "seed = 1\n"
    "max_wait_ms = 50\n"
    "[GPIB0::22::INSTR]\n"
    "simulate = zc4100\n"
    "serial = GP00000022\n"
    "max_wait_ms = 50\n";

using SessionTest = VisaConfigTest;

TEST_F(SessionTest, QueryAnswersWithSuccessAtTheEndOfTheMessage) {
  Configure(kTwoCounters);
  ViSession vi = Open(OpenRm(), kUsb);
  ASSERT_EQ(Write(vi, "*IDN?\n"), VI_SUCCESS);
  ReadResult r = Read(vi, 100);
  EXPECT_EQ(r.status, VI_SUCCESS);
  EXPECT_EQ(r.text, "Zarnith,ZC4100,AB12345678,1.03\n");
}

// A reply longer than the buffer ends with the "count reached" completion code, and the rest
// of the message is what the next read returns.
TEST_F(SessionTest, FullBufferLeavesTheRestReadable) {
  Configure(kTwoCounters);
  ViSession vi = Open(OpenRm(), kUsb);
  ASSERT_EQ(Write(vi, "*IDN?\n"), VI_SUCCESS);
  ReadResult first = Read(vi, 10);
  EXPECT_EQ(first.status, VI_SUCCESS_MAX_CNT);
  EXPECT_EQ(first.text, "Zarnith,ZC");
  ReadResult rest = Read(vi, 100);
  EXPECT_EQ(rest.status, VI_SUCCESS);
  EXPECT_EQ(rest.text, "4100,AB12345678,1.03\n");
}

// Boundary of the front panel's 64-byte USB read: a 64-byte reply fits exactly, 65 does not.
TEST_F(SessionTest, ReplyOfExactlyTheBufferSizeIsComplete) {
  struct Case {
    std::size_t serialLength;
    ViStatus status;
  };
  // "Zarnith,ZC4100," + serial + ",1.03\n" is 21 characters plus the serial.
  for (Case c : {Case{43, VI_SUCCESS}, Case{44, VI_SUCCESS_MAX_CNT}}) {
    ResetSimulatedInstruments();
    Configure("[" + std::string(kUsb) + "]\nsimulate = zc4100\nserial = " +
              std::string(c.serialLength, 'S') + "\n");
    ViSession vi = Open(OpenRm(), kUsb);
    ASSERT_EQ(Write(vi, "*IDN?\n"), VI_SUCCESS);
    ReadResult r = Read(vi, 64);
    EXPECT_EQ(r.status, c.status) << c.serialLength;
    EXPECT_EQ(r.text.size(), 64u);
  }
}

TEST_F(SessionTest, SilentInstrumentTimesOut) {
  Configure("[GPIB0::7::INSTR]\nsimulate = zc4100\nfault = silent\nmax_wait_ms = 20\n");
  ViSession vi = Open(OpenRm(), "GPIB0::7::INSTR", 15000);
  ASSERT_EQ(Write(vi, "*IDN?\n"), VI_SUCCESS);
  ReadResult r = Read(vi, 1000);
  EXPECT_EQ(r.status, VI_ERROR_TMO);
  EXPECT_EQ(r.text, "");
}

TEST_F(SessionTest, ClearDiscardsThePendingReply) {
  Configure(kTwoCounters);
  ViSession vi = Open(OpenRm(), kUsb);
  ASSERT_EQ(Write(vi, "*IDN?\n"), VI_SUCCESS);
  ReadResult part = Read(vi, 5);
  ASSERT_EQ(part.status, VI_SUCCESS_MAX_CNT);
  EXPECT_EQ(viClear(vi), VI_SUCCESS);
  EXPECT_EQ(Read(vi, 100).status, VI_ERROR_TMO);
  // The instrument works on afterwards.
  ASSERT_EQ(Write(vi, "*IDN?\n"), VI_SUCCESS);
  EXPECT_EQ(Read(vi, 100).text, "Zarnith,ZC4100,AB12345678,1.03\n");
}

TEST_F(SessionTest, WritesReachTheInstrumentByteForByte) {
  Configure(kTwoCounters);
  ViSession vi = Open(OpenRm(), kUsb);
  const std::string withZero("syst:comm:rlst loc\0", 19);
  ASSERT_EQ(Write(vi, "*IDN?\n"), VI_SUCCESS);
  ASSERT_EQ(Write(vi, withZero), VI_SUCCESS);
  auto counter = SimulatedInstrument(kUsb);
  ASSERT_TRUE(counter);
  EXPECT_EQ(counter->Received(), (std::vector<std::string>{"*IDN?\n", withZero}));
  EXPECT_FALSE(counter->Remote());
}

TEST_F(SessionTest, GoToLocalReachesGpibInstrument) {
  Configure(kTwoCounters);
  ViSession vi = Open(OpenRm(), kGpib);
  ASSERT_EQ(Write(vi, "*IDN?\n"), VI_SUCCESS);
  auto counter = SimulatedInstrument(kGpib);
  ASSERT_TRUE(counter);
  EXPECT_TRUE(counter->Remote());
  EXPECT_EQ(viGpibControlREN(vi, VI_GPIB_REN_ADDRESS_GTL), VI_SUCCESS);
  EXPECT_FALSE(counter->Remote());
  EXPECT_EQ(viGpibControlREN(vi, 7), VI_ERROR_INV_MODE);
}

TEST_F(SessionTest, DisconnectedInstrumentReportsLostConnection) {
  Configure("[" + std::string(kUsb) + "]\nsimulate = zc4100\nfault = disconnect\n" +
            "disconnect_after = 1\n");
  ViSession vi = Open(OpenRm(), kUsb);
  EXPECT_EQ(Write(vi, "*IDN?\n"), VI_SUCCESS);
  EXPECT_EQ(Read(vi, 100).status, VI_SUCCESS);
  EXPECT_EQ(Write(vi, "*IDN?\n"), VI_ERROR_CONN_LOST);
  EXPECT_EQ(Read(vi, 100).status, VI_ERROR_CONN_LOST);
}

TEST_F(SessionTest, TimeoutAttributeRoundTrips) {
  Configure(kTwoCounters);
  ViSession rm = OpenRm();
  ViSession vi = 0;
  ASSERT_EQ(viOpen(rm, kGpib, VI_NO_LOCK, 0, &vi), VI_SUCCESS);
  ViUInt32 tmo = 0;
  ASSERT_EQ(viGetAttribute(vi, VI_ATTR_TMO_VALUE, &tmo), VI_SUCCESS);
  EXPECT_EQ(tmo, 2000u);  // the standard's default
  ASSERT_EQ(viSetAttribute(vi, VI_ATTR_TMO_VALUE, 15000), VI_SUCCESS);
  ASSERT_EQ(viGetAttribute(vi, VI_ATTR_TMO_VALUE, &tmo), VI_SUCCESS);
  EXPECT_EQ(tmo, 15000u);

  ViUInt16 intf = 0, primary = 0;
  EXPECT_EQ(viGetAttribute(vi, VI_ATTR_INTF_TYPE, &intf), VI_SUCCESS);
  EXPECT_EQ(intf, VI_INTF_GPIB);
  EXPECT_EQ(viGetAttribute(vi, VI_ATTR_GPIB_PRIMARY_ADDR, &primary), VI_SUCCESS);
  EXPECT_EQ(primary, 22);
  EXPECT_EQ(viSetAttribute(vi, VI_ATTR_INTF_TYPE, 1), VI_ERROR_ATTR_READONLY);
  EXPECT_EQ(viSetAttribute(vi, 0x3FFF0FFFu, 1), VI_ERROR_NSUP_ATTR);
}

// Closing one resource manager takes its sessions and find lists with it, and nothing else.
TEST_F(SessionTest, ClosingAManagerClosesWhatWasOpenedThroughIt) {
  Configure(kTwoCounters);
  ViSession rmA = 0, rmB = 0;
  ASSERT_EQ(viOpenDefaultRM(&rmA), VI_SUCCESS);
  ASSERT_EQ(viOpenDefaultRM(&rmB), VI_SUCCESS);
  rms_.push_back(rmB);
  EXPECT_NE(rmA, rmB);
  ViSession viA = Open(rmA, kUsb), viB = Open(rmB, kUsb);
  ViFindList list = 0;
  ViUInt32 count = 0;
  char name[VI_FIND_BUFLEN];
  ASSERT_EQ(viFindRsrc(rmA, "?*INSTR", &list, &count, name), VI_SUCCESS);
  ASSERT_EQ(count, 2u);

  EXPECT_EQ(viClose(rmA), VI_SUCCESS);
  EXPECT_EQ(Write(viA, "*IDN?\n"), VI_ERROR_INV_OBJECT);
  EXPECT_EQ(viFindNext(list, name), VI_ERROR_INV_OBJECT);
  EXPECT_EQ(viClose(viA), VI_ERROR_INV_OBJECT);
  EXPECT_EQ(viClose(rmA), VI_ERROR_INV_OBJECT);

  ASSERT_EQ(Write(viB, "*IDN?\n"), VI_SUCCESS);
  EXPECT_EQ(Read(viB, 100).status, VI_SUCCESS);
}

// Every operation on a handle that was never issued, or is gone, is refused the same way.
TEST_F(SessionTest, StaleHandlesAreInvalidObjects) {
  Configure(kTwoCounters);
  ViSession rm = OpenRm();
  ViSession vi = Open(rm, kUsb);
  ASSERT_EQ(viClose(vi), VI_SUCCESS);
  ViByte buf[8];
  ViUInt32 n = 0;
  char text[VI_FIND_BUFLEN];
  ViFindList list = 0;
  ViSession out = 0;
  for (ViObject stale : {vi, ViObject{0xDEADBEEF}, ViObject{1}}) {
    EXPECT_EQ(viWrite(stale, buf, 1, &n), VI_ERROR_INV_OBJECT);
    EXPECT_EQ(viRead(stale, buf, sizeof buf, &n), VI_ERROR_INV_OBJECT);
    EXPECT_EQ(viClear(stale), VI_ERROR_INV_OBJECT);
    EXPECT_EQ(viGpibControlREN(stale, 6), VI_ERROR_INV_OBJECT);
    EXPECT_EQ(viSetAttribute(stale, VI_ATTR_TMO_VALUE, 1), VI_ERROR_INV_OBJECT);
    EXPECT_EQ(viGetAttribute(stale, VI_ATTR_TMO_VALUE, &n), VI_ERROR_INV_OBJECT);
    EXPECT_EQ(viFindRsrc(stale, "?*", &list, &n, text), VI_ERROR_INV_OBJECT);
    EXPECT_EQ(viFindNext(stale, text), VI_ERROR_INV_OBJECT);
    EXPECT_EQ(viOpen(stale, kUsb, 0, 0, &out), VI_ERROR_INV_OBJECT);
    EXPECT_EQ(viClose(stale), VI_ERROR_INV_OBJECT);
  }
  // A session is not a manager, and a manager does no I/O.
  ViSession live = Open(rm, kUsb);
  EXPECT_EQ(viOpen(live, kUsb, 0, 0, &out), VI_ERROR_INV_OBJECT);
  EXPECT_EQ(viWrite(rm, buf, 1, &n), VI_ERROR_NSUP_OPER);
}

TEST_F(SessionTest, OpenRefusesBadNamesAndModes) {
  Configure(kTwoCounters);
  ViSession rm = OpenRm();
  ViSession vi = 0;
  for (const char* bad : {"", "GPIB0", "USB0::0x1A5B", "FOO0::1::INSTR", "GPIB0::99::INSTR"}) {
    EXPECT_EQ(viOpen(rm, bad, VI_NO_LOCK, 0, &vi), VI_ERROR_INV_RSRC_NAME) << bad;
  }
  EXPECT_EQ(viOpen(rm, kUsb, 0x100, 0, &vi), VI_ERROR_INV_ACC_MODE);
  // Well formed but not there: the machine's interfaces are out of reach in this test.
  EXPECT_EQ(viOpen(rm, "USB0::0x1A5B::0x1004::NOTHERE::INSTR", 0, 0, &vi), VI_ERROR_RSRC_NFOUND);
}

// Every status the library hands out has a description for the user.
TEST_F(SessionTest, EveryStatusHasADescription) {
  const ViStatus statuses[] = {
      VI_SUCCESS,          VI_SUCCESS_MAX_CNT,     VI_WARN_NULL_OBJECT,     VI_WARN_UNKNOWN_STATUS,
      VI_ERROR_SYSTEM_ERROR, VI_ERROR_INV_OBJECT,  VI_ERROR_INV_EXPR,       VI_ERROR_RSRC_NFOUND,
      VI_ERROR_INV_RSRC_NAME, VI_ERROR_INV_ACC_MODE, VI_ERROR_TMO,          VI_ERROR_CLOSING_FAILED,
      VI_ERROR_NSUP_ATTR,  VI_ERROR_NSUP_ATTR_STATE, VI_ERROR_ATTR_READONLY, VI_ERROR_INV_SETUP,
      VI_ERROR_ALLOC,      VI_ERROR_IO,            VI_ERROR_NSUP_OPER,      VI_ERROR_USER_BUF,
      VI_ERROR_RSRC_BUSY,  VI_ERROR_INV_MODE,      VI_ERROR_NSUP_MODE,      VI_ERROR_LIBRARY_NFOUND,
      VI_ERROR_CONN_LOST};
  for (ViStatus st : statuses) {
    char desc[VI_FIND_BUFLEN];
    EXPECT_EQ(viStatusDesc(VI_NULL, st, desc), VI_SUCCESS) << st;
    EXPECT_GT(std::string(desc).size(), 10u) << st;
  }
  char desc[VI_FIND_BUFLEN];
  EXPECT_EQ(viStatusDesc(VI_NULL, 0x12345, desc), VI_WARN_UNKNOWN_STATUS);
  EXPECT_NE(std::string(desc).find("00012345"), std::string::npos);
  EXPECT_STREQ(StatusDescription(VI_ERROR_TMO).c_str(),
               "VI_ERROR_TMO: Timeout expired before operation completed.");
  EXPECT_LT(VI_ERROR_TMO, 0);
  EXPECT_GT(VI_SUCCESS_MAX_CNT, 0);
}

}  // namespace
}  // namespace zc::visa::testing

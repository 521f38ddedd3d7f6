// The raw-socket backend against the simulated counter's real server.
#include "sim_server.h"
#include "visa_fixture.h"

namespace zc::visa::testing {
namespace {

using TcpTest = VisaConfigTest;

TEST_F(TcpTest, QueriesOverLoopback) {
  SimServer server({"--serial", "TC00000001"});
  ASSERT_GT(server.port(), 0);
  ViSession vi = Open(OpenRm(), server.Resource());
  // With and without the caller's own line feed: the message ends at one line feed either way.
  for (const char* query : {"*IDN?\n", "*IDN?"}) {
    ASSERT_EQ(Write(vi, query), VI_SUCCESS);
    ReadResult r = Read(vi, 256);
    EXPECT_EQ(r.status, VI_SUCCESS);
    EXPECT_EQ(r.text, "Zarnith,ZC4100,TC00000001,1.03\n");
  }
  ASSERT_EQ(Write(vi, "SYST:ERR?"), VI_SUCCESS);
  EXPECT_EQ(Read(vi, 256).text, "+0,\"No error\"\n");
}

TEST_F(TcpTest, SplitReplyAndTimeout) {
  SimServer server;
  ViSession vi = Open(OpenRm(), server.Resource(), 200);
  ASSERT_EQ(Write(vi, "*IDN?\n"), VI_SUCCESS);
  ReadResult head = Read(vi, 7);
  EXPECT_EQ(head.status, VI_SUCCESS_MAX_CNT);
  EXPECT_EQ(head.text, "Zarnith");
  ReadResult tail = Read(vi, 256);
  EXPECT_EQ(tail.status, VI_SUCCESS);
  EXPECT_EQ(tail.text.front(), ',');
  // Nothing asked, nothing comes.
  EXPECT_EQ(Read(vi, 256).status, VI_ERROR_TMO);
}

TEST_F(TcpTest, ServerGoneIsALostConnection) {
  SimServer server;
  ViSession vi = Open(OpenRm(), server.Resource(), 2000);
  EXPECT_EQ(server.Stop(), 0);
  Write(vi, "*IDN?\n");  // may still reach the socket buffer
  EXPECT_EQ(Read(vi, 256).status, VI_ERROR_CONN_LOST);
}

TEST_F(TcpTest, DisconnectFaultDropsTheLink) {
  SimServer server({"--fault", "disconnect", "--disconnect-after", "1"});
  ViSession vi = Open(OpenRm(), server.Resource(), 2000);
  ASSERT_EQ(Write(vi, "*IDN?\n"), VI_SUCCESS);
  EXPECT_EQ(Read(vi, 256).status, VI_SUCCESS);
  Write(vi, "*IDN?\n");
  EXPECT_EQ(Read(vi, 256).status, VI_ERROR_CONN_LOST);
}

TEST_F(TcpTest, NobodyListening) {
  SimServer server;
  const std::string resource = server.Resource();
  server.Stop();
  ViSession vi = 0;
  EXPECT_EQ(viOpen(OpenRm(), resource.c_str(), VI_NO_LOCK, 0, &vi), VI_ERROR_RSRC_NFOUND);
}

TEST_F(TcpTest, SocketsHaveNoRemoteEnable) {
  SimServer server;
  ViSession vi = Open(OpenRm(), server.Resource());
  EXPECT_EQ(viGpibControlREN(vi, VI_GPIB_REN_ADDRESS_GTL), VI_ERROR_NSUP_OPER);
}

}  // namespace
}  // namespace zc::visa::testing

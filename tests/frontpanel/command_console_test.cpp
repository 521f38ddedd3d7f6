// The command console's rules against simulated counters, with the device table filled by the
// front panel's own discovery.
#include "console/command_console.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "instrument/device_manager.h"
#include "recording_ui.h"
#include "sim_config.h"
#include "sim_transport.h"

namespace zc::fp::testing {
namespace {

const std::string kUsbName = "USB0::0x1A5B::0x1004::AB12345678::INSTR";
const std::string kUsbLabel = "ZC4100--USBTMC--AB12345678";
const std::string kGpibName = "GPIB0::22::INSTR";
const std::string kGpib22 = "[GPIB0::22::INSTR]\nsimulate = zc4100\nmax_wait_ms = 50\n";
const std::string kIdn = "Zarnith,ZC4100,AB12345678,1.03\n";

std::string Repeat(const std::string& part, int times, char between) {
  std::string s;
  for (int i = 0; i < times; ++i) s += (i ? std::string(1, between) : "") + part;
  return s;
}

class CommandConsoleTest : public ::testing::Test {
 protected:
  void SetUp() override { zc::visa::ResetSimulatedInstruments(); }

  // Discovery fills the table as the window does, then the console opens on it.
  void Discover() {
    dev.DiscoverDevices();
    console.Open();
  }
  static std::shared_ptr<zc::sim::Counter> Counter(const std::string& name) {
    auto counter = zc::visa::SimulatedInstrument(name);
    if (counter) counter->ClearReceived();
    return counter;
  }

  CRecordingUi ui;
  CConsoleDeviceTable table;
  CDeviceManager dev{ui, table};
  CCommandConsole console{ui, table};
};

TEST_F(CommandConsoleTest, OpensOnTheFirstOfTwoAndQueriesIt) {
  SimConfig config(kGpib22 + SimUsb(kUsbName));
  Discover();
  EXPECT_EQ(console.DeviceNames(), (std::vector<std::string>{"ZC4100--GPIB--22", kUsbLabel}));
  EXPECT_TRUE(console.HasDevice());
  EXPECT_EQ(console.selection(), 0);
  EXPECT_EQ(console.consoleSession(), table.devices[0].session);
  EXPECT_EQ(console.SelectedKind(), kInterfaceGpib);
  EXPECT_EQ(console.sendText, "*IDN?");
  EXPECT_EQ(console.receivedText, "");
  EXPECT_FALSE(console.historyVisible());

  auto gpib = Counter(kGpibName), usb = Counter(kUsbName);
  console.Query();
  EXPECT_EQ(gpib->Received(), std::vector<std::string>{"*IDN?\n"});
  EXPECT_TRUE(usb->Received().empty());
  EXPECT_EQ(console.receivedText, kIdn);
  EXPECT_EQ(console.lastCommand, "*IDN?\n");
  EXPECT_EQ(console.lastReply, kIdn);
  EXPECT_EQ(console.history(), std::vector<std::string>{"*IDN?"});
  EXPECT_TRUE(console.historyVisible());
  // The GPIB read leaves its timeout on the session.
  ViUInt32 timeout = 0;
  viGetAttribute(console.consoleSession(), VI_ATTR_TMO_VALUE, &timeout);
  EXPECT_EQ(timeout, 15000u);

  console.SelectDevice(1);
  EXPECT_EQ(console.consoleSession(), table.devices[1].session);
  console.sendText = "*idn?";
  console.Query();
  EXPECT_EQ(usb->Received(), std::vector<std::string>{"*idn?\n"});
  EXPECT_EQ(console.receivedText, kIdn);
  for (int outside : {-1, 2}) {
    console.SelectDevice(outside);
    EXPECT_EQ(console.selection(), 1);
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CommandConsoleTest, WriteShowsNothingAndReadFetchesTheReply) {
  SimConfig config(SimUsb(kUsbName));
  Discover();
  console.sendText = "*IDN?";
  console.Write();
  EXPECT_EQ(console.receivedText, "");
  EXPECT_EQ(console.lastReply, "");
  EXPECT_EQ(console.history(), std::vector<std::string>{"*IDN?"});
  console.sendText = "typed but not sent";
  console.Read();
  EXPECT_EQ(console.receivedText, kIdn);
  EXPECT_EQ(console.history(), std::vector<std::string>{"*IDN?"});  // Read sends nothing
  // Nothing pending: the read times out, so the session is cleared and the text is empty.
  console.Read();
  EXPECT_EQ(console.receivedText, "");
  EXPECT_TRUE(ui.messages.empty());
}

struct HistoryCase {
  const char* name;
  std::vector<std::string> sent;
  std::vector<std::string> history;
};

std::vector<std::string> Numbered(int from, int to) {
  std::vector<std::string> v;
  for (int i = from; from <= to ? i <= to : i >= to; from <= to ? ++i : --i)
    v.push_back("c" + std::to_string(i));
  return v;
}

TEST_F(CommandConsoleTest, HistoryKeepsTwentyMostRecentFirstWithoutRepeats) {
  const HistoryCase cases[] = {
      {"repeat moves to the top", {"A", "B", "A"}, {"A", "B"}},
      {"case matters", {"a", "A"}, {"A", "a"}},
      {"same twice", {"A", "A"}, {"A"}},
      {"empty command", {"", "A"}, {"A", ""}},
      {"twenty kept", Numbered(1, 20), Numbered(20, 1)},
      {"twenty-first drops the oldest", Numbered(1, 21), Numbered(21, 2)},
      {"repeat when full drops nothing",
       [] {
         auto v = Numbered(1, 20);
         v.push_back("c1");
         return v;
       }(),
       [] {
         auto v = Numbered(20, 2);
         v.insert(v.begin(), "c1");
         return v;
       }()},
  };
  SimConfig config(SimUsb(kUsbName));
  dev.DiscoverDevices();
  for (const HistoryCase& c : cases) {
    console.Open();
    for (const std::string& s : c.sent) {
      console.sendText = s;
      console.Write();
    }
    EXPECT_EQ(console.history(), c.history) << c.name;
    EXPECT_EQ(console.historySelection(), 0) << c.name;
  }
  // Picking an entry makes it the text to send; a position outside the list changes nothing.
  console.ChooseHistory(5);
  EXPECT_EQ(console.sendText, "c16");
  EXPECT_EQ(console.historySelection(), 5);
  console.ChooseHistory(20);
  console.ChooseHistory(-1);
  EXPECT_EQ(console.sendText, "c16");
  // Opening again starts afresh.
  console.Open();
  EXPECT_TRUE(console.history().empty());
  EXPECT_FALSE(console.historyVisible());
  EXPECT_EQ(console.sendText, "*IDN?");
}

// Five identifications in one reply: 5 * 30 + 4 + 1 = 155 bytes, more than a USB read takes.
const std::string kFiveIdn = Repeat("*IDN?", 5, ';');

TEST_F(CommandConsoleTest, UsbReplyBeyondTheBufferGivesNothingAndClearsTheSession) {
  SimConfig config(SimUsb(kUsbName));
  Discover();
  console.sendText = kFiveIdn;
  console.Query();
  EXPECT_EQ(console.receivedText, "");
  EXPECT_EQ(console.lastReply, "");
  EXPECT_TRUE(ui.messages.empty());
  // Without the clear, the rest of the long reply would be taken for this answer.
  console.sendText = "*IDN?";
  console.Query();
  EXPECT_EQ(console.receivedText, kIdn);
}

// 4 * 30 + ";1;1" + 3 separators + line feed: exactly the 128 bytes a USB read takes.
TEST_F(CommandConsoleTest, UsbReplyFillingTheBufferExactlyIsWhole) {
  SimConfig config(SimUsb(kUsbName));
  Discover();
  console.sendText = Repeat("*IDN?", 4, ';') + ";*OPC?;*OPC?";
  console.Query();
  ASSERT_EQ(console.receivedText.size(), 128u);
  EXPECT_EQ(console.receivedText.substr(123), ";1;1\n");
}

TEST_F(CommandConsoleTest, GpibReplyIsShownWhole) {
  SimConfig config(kGpib22);
  Discover();
  console.sendText = kFiveIdn;
  console.Query();
  std::string whole = Repeat(kIdn.substr(0, kIdn.size() - 1), 5, ';') + "\n";
  EXPECT_EQ(console.receivedText, whole);
}

// An answer due only after the timeout: nothing arrives, and the clear stops it on the
// instrument so it cannot come back as the answer to the next command.
TEST_F(CommandConsoleTest, GpibWithoutAnswerGivesNothingAndClearsTheInstrument) {
  SimConfig config(
      "[GPIB0::22::INSTR]\nsimulate = zc4100\nreply_delay_ms = 60000\n"
      "max_wait_ms = 20\n");
  Discover();
  auto counter = Counter(kGpibName);
  ASSERT_TRUE(counter);
  console.Query();
  EXPECT_EQ(console.receivedText, "");
  EXPECT_EQ(console.lastReply, "");
  std::string late;
  std::optional<zc::sim::Clock::time_point> due;
  EXPECT_FALSE(counter->TryReply(&late, &due));
  EXPECT_FALSE(due.has_value()) << "the instrument still holds an answer";
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CommandConsoleTest, SilentInstrumentsGiveEmptyTextsAndNoMessage) {
  SimConfig config("[GPIB0::22::INSTR]\nsimulate = zc4100\nfault = silent\nmax_wait_ms = 20\n" +
                   SimUsb(kUsbName, "fault = silent\n"));
  Discover();
  ASSERT_EQ(console.DeviceNames().size(), 2u);
  for (int position : {0, 1}) {
    console.SelectDevice(position);
    console.lastReply = "earlier";
    console.Query();
    EXPECT_EQ(console.receivedText, "") << position;
  }
  EXPECT_TRUE(ui.messages.empty());
}

// After a Refresh that found nothing the table still holds the old names and sessions; none
// of them may be used.
TEST_F(CommandConsoleTest, NoInstrumentLeavesNothingToSendTo) {
  std::shared_ptr<zc::sim::Counter> counter;
  {
    SimConfig config(SimUsb(kUsbName));
    Discover();
    ASSERT_TRUE(console.HasDevice());
    counter = Counter(kUsbName);
  }
  SimConfig nothing("");
  dev.RefreshDevices();
  console.Open();
  EXPECT_FALSE(console.HasDevice());
  EXPECT_TRUE(console.DeviceNames().empty());
  EXPECT_EQ(console.selection(), -1);
  console.Query();
  console.Read();
  EXPECT_TRUE(counter->Received().empty());
  EXPECT_EQ(console.receivedText, "");
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CommandConsoleTest, ListsAtMostFourAndSkipsUnnamedEntries) {
  std::string text;
  for (int address = 1; address <= 5; ++address)
    text += "[GPIB0::" + std::to_string(address) + "::INSTR]\nsimulate = zc4100\n";
  SimConfig config(text);
  Discover();
  EXPECT_EQ(table.deviceCount, 5);
  EXPECT_EQ(console.DeviceNames().size(), 4u);

  // An instrument without a name is not listed; the list's positions still find their own
  // sessions.
  table.devices[0].name.clear();
  console.Open();
  ASSERT_EQ(console.DeviceNames().size(), 3u);
  EXPECT_EQ(console.DeviceNames()[0], table.devices[1].name);
  EXPECT_EQ(console.consoleSession(), table.devices[1].session);
  console.SelectDevice(2);
  EXPECT_EQ(console.consoleSession(), table.devices[3].session);
}

TEST_F(CommandConsoleTest, UnknownInterfaceWritesAndReadsNothing) {
  SimConfig config(SimUsb(kUsbName));
  dev.DiscoverDevices();
  table.devices[0].kind = -1;
  console.Open();
  auto counter = Counter(kUsbName);
  console.Query();
  EXPECT_TRUE(counter->Received().empty());
  EXPECT_EQ(console.receivedText, "");
  EXPECT_EQ(console.lastCommand, "*IDN?\n");
}

TEST_F(CommandConsoleTest, NoMemoryForBuffers) {
  SimConfig config(SimUsb(kUsbName));
  Discover();
  auto counter = Counter(kUsbName);
  console.Query();
  ASSERT_EQ(console.receivedText, kIdn);

  // "*IDN?\n" and its zero byte: 7 bytes for the write.
  console.SetBufferAllocator([](std::size_t size) { return size != 7; });
  counter->ClearReceived();
  console.Write();
  EXPECT_TRUE(counter->Received().empty());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Insufficient memory available(viWrite).");
  EXPECT_EQ(ui.messages[0].caption, "ZC4100_AP");
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::Stop);

  // The read buffer: the previous reply stays.
  console.SetBufferAllocator(nullptr);
  console.Query();
  ui.messages.clear();
  console.SetBufferAllocator([](std::size_t size) { return size != 128; });
  console.Read();
  EXPECT_EQ(console.receivedText, kIdn);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Insufficient memory available(viRead).");
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::Stop);
}

}  // namespace
}  // namespace zc::fp::testing

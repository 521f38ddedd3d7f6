// Discovery, selection and the exchanges of the front panel, against simulated counters.
#include "instrument/device_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "recording_ui.h"
#include "sim_config.h"
#include "sim_transport.h"

namespace zc::fp::testing {
namespace {

const std::string kUsbName = "USB0::0x1A5B::0x1004::AB12345678::INSTR";
const std::string kUsbLabel = "ZC4100--USBTMC--AB12345678";
const std::string kGpib22 = "[GPIB0::22::INSTR]\nsimulate = zc4100\nmax_wait_ms = 50\n";

struct LabelCase {
  std::string reply, resource, label;
};

TEST(BuildDeviceLabel, ExamplesAndOddReplies) {
  const LabelCase cases[] = {
      {"Zarnith,zc4100,AB12345678,1.03", kUsbName, kUsbLabel},
      {"Zarnith,zc4100,AB12345678,1.03", "GPIB0::22::INSTR", "ZC4100--GPIB--22"},
      {"Zarnith,zc4100,AB12345678,1.03", "GPIB0::22::3::INSTR", "ZC4100--GPIB--22::3"},
      {"Zarnith", kUsbName, "Unknow Manufacture--USBTMC--AB12345678"},
      {"Zarnith,ZC4100", kUsbName, "Unknow Model--USBTMC--AB12345678"},
      {"", "GPIB0::5::INSTR", "Unknow Manufacture--GPIB--5"},
      // The decimal spelling finds the serial after the product code.
      {"Zarnith,ZC4100,X,1", "USB0::6747::4100::AB12345678::0::INSTR",
       "ZC4100--USBTMC--AB12345678"},
      // Short names give what there is, never a read past the end.
      {"a,b,c", "USB0::0x1A5B::0x1004", "B--USBTMC--"},
      {"a,b,c", "USB0::0x1A5B::0x1004::AB", "B--USBTMC--AB"},
      {"a,b,c", "GPIB", "B--GPIB--"},
      {"a,b,c", "GPIB0::", "B--GPIB--"},
      {"a,b,c", "TCPIP0::h::5025::SOCKET", "B"},
      {std::string("\x01\xff,\x80z\x00q,", 8), "GPIB0::1::INSTR",
       std::string("\x80Z\x00Q--GPIB--1", 13)},
  };
  for (const LabelCase& c : cases) {
    EXPECT_EQ(CDeviceManager::BuildDeviceLabel(c.reply, c.resource), c.label) << c.resource;
  }
  const std::string huge(100000, 'x');
  EXPECT_EQ(CDeviceManager::BuildDeviceLabel(huge + "," + huge + ",", kUsbName).size(),
            huge.size() + std::string("--USBTMC--AB12345678").size());
}

class DeviceManagerTest : public ::testing::Test {
 protected:
  void SetUp() override { zc::visa::ResetSimulatedInstruments(); }

  CRecordingUi ui;
  CConsoleDeviceTable console;
  CDeviceManager dev{ui, console};
  int runStops = 0;

  void Discover() {
    dev.SetRunStop([this] { ++runStops; });
    dev.DiscoverDevices();
  }
  static std::string Read(ViSession vi) {
    ViByte buf[256];
    ViUInt32 n = 0;
    viRead(vi, buf, sizeof buf, &n);
    return std::string(reinterpret_cast<char*>(buf), n);
  }
};

TEST_F(DeviceManagerTest, OneUsbCounter) {
  SimConfig config(SimUsb(kUsbName));
  Discover();
  EXPECT_EQ(dev.deviceCount, 1);
  EXPECT_EQ(dev.deviceListBox.lines, std::vector<std::string>{kUsbLabel});
  EXPECT_TRUE(dev.deviceListBox.enabled);
  EXPECT_EQ(dev.deviceListBox.selection, 0);
  EXPECT_EQ(dev.currentKind, kInterfaceUsb);
  EXPECT_EQ(dev.currentSlot, 0);
  EXPECT_EQ(dev.currentResource, kUsbName);
  EXPECT_EQ(dev.currentSession, dev.usbSessions[0]);
  EXPECT_EQ(dev.deviceListBox.horizontalExtent, ui.TextWidth(kUsbLabel));
  ViUInt32 timeout = 0;
  viGetAttribute(dev.currentSession, VI_ATTR_TMO_VALUE, &timeout);
  EXPECT_EQ(timeout, 15000u);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DeviceManagerTest, GpibFirstThenUsbAndSelection) {
  SimConfig config(SimUsb(kUsbName) + kGpib22);
  Discover();
  ASSERT_EQ(dev.deviceCount, 2);
  EXPECT_EQ(dev.deviceListBox.lines, (std::vector<std::string>{"ZC4100--GPIB--22", kUsbLabel}));
  EXPECT_EQ(dev.currentKind, kInterfaceGpib);
  EXPECT_EQ(dev.currentSession, dev.gpibSessions[0]);
  EXPECT_EQ(dev.currentResource, "GPIB0::22::INSTR");

  dev.SelectDevice(1);
  EXPECT_EQ(dev.currentKind, kInterfaceUsb);
  EXPECT_EQ(dev.currentSession, dev.usbSessions[0]);
  dev.SelectDevice(-1);  // no selection: nothing changes
  dev.SelectDevice(2);
  EXPECT_EQ(dev.currentKind, kInterfaceUsb);

  // The console got the same instruments.
  EXPECT_EQ(console.deviceCount, 2);
  EXPECT_EQ(console.devices[0].name, "ZC4100--GPIB--22");
  EXPECT_EQ(console.devices[0].kind, kInterfaceGpib);
  EXPECT_EQ(console.devices[0].session, dev.gpibSessions[0]);
  EXPECT_EQ(console.devices[1].name, kUsbLabel);
  EXPECT_EQ(console.devices[1].kind, kInterfaceUsb);
  EXPECT_EQ(console.devices[2].name, "");
  EXPECT_EQ(console.devices[2].kind, -1);
}

// The first GPIB name found takes the highest slot.
TEST_F(DeviceManagerTest, GpibSlotsCountDown) {
  SimConfig config(kGpib22 + "[GPIB0::5::INSTR]\nsimulate = zc4100\n");
  Discover();
  ASSERT_EQ(dev.deviceList.size(), 2u);
  EXPECT_EQ(dev.deviceList[0].resource, "GPIB0::22::INSTR");
  EXPECT_EQ(dev.deviceList[0].slot, 1);
  EXPECT_EQ(dev.deviceList[1].slot, 0);
  EXPECT_EQ(dev.deviceListBox.lines[1], "ZC4100--GPIB--5");
}

TEST_F(DeviceManagerTest, RefreshListsTheSameAndClosesEarlierSessions) {
  SimConfig config(SimUsb(kUsbName) + kGpib22);
  Discover();
  const auto lines = dev.deviceListBox.lines;
  const ViSession oldGpib = dev.gpibSessions[0], oldUsb = dev.usbSessions[0];
  const ViSession oldRm = dev.gpibResourceManager;

  dev.RefreshDevices();
  EXPECT_EQ(dev.deviceListBox.lines, lines);
  EXPECT_EQ(ui.waitCursorShown, 1);
  EXPECT_EQ(ui.waitDepth, 0);
  // The library itself says the earlier sessions are gone.
  ViUInt32 n = 0;
  for (ViObject old : {oldGpib, oldUsb, oldRm}) {
    EXPECT_EQ(viWrite(old, reinterpret_cast<ViConstBuf>("*IDN?\n"), 6, &n), VI_ERROR_INV_OBJECT);
  }
  EXPECT_NE(dev.gpibSessions[0], oldGpib);
  EXPECT_EQ(dev.currentSession, dev.gpibSessions[0]);
  ASSERT_EQ(viWrite(dev.usbSessions[0], reinterpret_cast<ViConstBuf>("*IDN?\n"), 6, &n),
            VI_SUCCESS);
  EXPECT_EQ(Read(dev.usbSessions[0]), "Zarnith,ZC4100,AB12345678,1.03\n");
}

TEST_F(DeviceManagerTest, DecimalNameIsStoredInHexadecimal) {
  SimConfig config(SimUsb("USB0::6747::4100::AB12345678::0::INSTR"));
  Discover();
  ASSERT_EQ(dev.deviceCount, 1);
  EXPECT_EQ(dev.currentResource, "USB0::0X1A5B::0X1004::AB12345678::INSTR");
  EXPECT_EQ(dev.deviceListBox.lines[0], kUsbLabel);
}

TEST_F(DeviceManagerTest, NothingFound) {
  SimConfig config("");
  Discover();
  for (int pass = 0; pass < 2; ++pass) {
    EXPECT_EQ(dev.deviceCount, 0);
    EXPECT_EQ(dev.deviceListBox.lines, std::vector<std::string>{"Device Not Found"});
    EXPECT_FALSE(dev.deviceListBox.enabled);
    EXPECT_EQ(dev.currentSession, kNoSession);
    EXPECT_EQ(console.deviceCount, 0);
    dev.RefreshDevices();
  }
}

// Replies that are not identifications still make a line each, and never crash discovery.
TEST_F(DeviceManagerTest, OddIdentificationReplies) {
  SimConfig config(kGpib22 +
                   "[GPIB0::23::INSTR]\nsimulate = zc4100\nfault = silent\nmax_wait_ms = 20\n" +
                   SimUsb(kUsbName, "serial = " + std::string(64, 'Q') + "\n"));
  Discover();
  ASSERT_EQ(dev.deviceListBox.lines.size(), 3u);
  EXPECT_EQ(dev.deviceListBox.lines[1], "Unknow Manufacture--GPIB--23");
  // The label takes its serial from the resource name, not from the reply.
  EXPECT_EQ(dev.deviceListBox.lines[2], kUsbLabel);
}

TEST_F(DeviceManagerTest, LongUsbReplyStopsTheRun) {
  SimConfig config(SimUsb(kUsbName, "fault = long_reply\n"));
  Discover();
  dev.SendCommand("fetch?\n");
  const std::string reply = dev.ReadReply();
  EXPECT_EQ(reply.size(), 64u);
  EXPECT_EQ(dev.lastReply, reply);
  EXPECT_EQ(runStops, 1);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].caption, "ZC4100_AP");
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
  EXPECT_NE(ui.messages[0].text.find("VI_SUCCESS_MAX_CNT"), std::string::npos);
  // The clear threw the rest away: the next reading is whole again.
  dev.SendCommand("*IDN?\n");
  EXPECT_EQ(dev.ReadReply(), "Zarnith,ZC4100,AB12345678,1.03\n");
}

TEST_F(DeviceManagerTest, ExactlySixtyFourBytesIsAReading) {
  SimConfig config(SimUsb(kUsbName, "serial = " + std::string(43, 'S') + "\n"));
  Discover();
  dev.SendCommand("*IDN?\n");
  EXPECT_EQ(dev.ReadReply().size(), 64u);
  EXPECT_EQ(runStops, 0);
  EXPECT_TRUE(ui.messages.empty());
}

// An answer that would come only after the 15 s timeout: the read ends empty, and the clear that
// follows throws the late answer away on the instrument.
TEST_F(DeviceManagerTest, GpibInstrumentThatDoesNotAnswerInTimeEndsEmptyAndIsCleared) {
  SimConfig config(
      "[GPIB0::22::INSTR]\nsimulate = zc4100\nreply_delay_ms = 60000\nmax_wait_ms = 20\n");
  Discover();
  ASSERT_EQ(dev.currentKind, kInterfaceGpib);
  auto counter = zc::visa::SimulatedInstrument("GPIB0::22::INSTR");
  ASSERT_TRUE(counter);
  ui.messages.clear();
  dev.SendCommand("fetch?\n");
  EXPECT_EQ(dev.ReadReply(), "");
  EXPECT_EQ(dev.lastReply, "");
  EXPECT_EQ(runStops, 1);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find("VI_ERROR_TMO"), std::string::npos);
  // Without the clear the answer to fetch? would still be on its way.
  std::string late;
  std::optional<zc::sim::Clock::time_point> due;
  EXPECT_FALSE(counter->TryReply(&late, &due));
  EXPECT_FALSE(due.has_value()) << "the instrument still holds an answer";
}

// A silent GPIB instrument behaves the same as far as the front panel can tell.
TEST_F(DeviceManagerTest, SilentGpibInstrumentEndsWithAnEmptyReply) {
  SimConfig config("[GPIB0::22::INSTR]\nsimulate = zc4100\nfault = silent\nmax_wait_ms = 20\n");
  Discover();
  ASSERT_EQ(dev.currentKind, kInterfaceGpib);
  ui.messages.clear();
  dev.SendCommand("fetch?\n");
  EXPECT_EQ(dev.ReadReply(), "");
  EXPECT_EQ(dev.lastReply, "");
  EXPECT_EQ(runStops, 1);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find("VI_ERROR_TMO"), std::string::npos);
}

// With no instrument selected, before any discovery or after one that found nothing, the
// exchanges go nowhere: no write, no failed read, no message.
TEST_F(DeviceManagerTest, WithNoInstrumentNothingIsWrittenOrRead) {
  EXPECT_EQ(dev.currentKind, kInterfaceNone);
  dev.SetRunStop([this] { ++runStops; });
  dev.SendCommand("*IDN?\n");
  EXPECT_EQ(dev.ReadReply(), "");

  std::shared_ptr<zc::sim::Counter> counter;
  {
    SimConfig config(SimUsb(kUsbName));
    Discover();
    counter = zc::visa::SimulatedInstrument(kUsbName);
    ASSERT_TRUE(counter);
  }
  SimConfig nothing("");
  dev.RefreshDevices();
  ASSERT_EQ(dev.deviceCount, 0);
  EXPECT_EQ(dev.currentKind, kInterfaceNone);
  EXPECT_EQ(dev.currentSession, kNoSession);
  counter->ClearReceived();
  dev.SendCommand("*IDN?\n");
  EXPECT_EQ(dev.ReadReply(), "");
  EXPECT_EQ(dev.lastCommand, "*IDN?\n");
  EXPECT_TRUE(counter->Received().empty());
  EXPECT_EQ(runStops, 0);
  EXPECT_TRUE(ui.messages.empty());
}

// Every session a GPIB search opens sits in a slot below gpibCount, so the next search closes
// them all. The table holds 30; a 31st counter is not opened.
TEST_F(DeviceManagerTest, NextGpibSearchClosesEverySessionTheLastOneOpened) {
  std::string text = "[GPIB0::5::3::INSTR]\nsimulate = zc4100\n";
  for (int address = 1; address <= 30; ++address) {
    text += "[GPIB0::" + std::to_string(address) + "::INSTR]\nsimulate = zc4100\n";
  }
  SimConfig config(text);
  for (int search = 0; search < 2; ++search) {
    const std::array<ViSession, CDeviceManager::kGpibSlots> before = dev.gpibSessions;
    dev.deviceList.clear();
    ASSERT_EQ(dev.FindGpibDevices(), CDeviceManager::kGpibSlots);
    ASSERT_EQ(dev.deviceList.size(), static_cast<std::size_t>(CDeviceManager::kGpibSlots));
    std::vector<bool> used(CDeviceManager::kGpibSlots, false);
    for (std::size_t i = 0; i < dev.deviceList.size(); ++i) {
      const DeviceEntry& e = dev.deviceList[i];
      EXPECT_EQ(e.kind, kInterfaceGpib);
      EXPECT_EQ(e.slot, CDeviceManager::kGpibSlots - 1 - static_cast<int>(i));
      ASSERT_TRUE(e.slot >= 0 && e.slot < dev.gpibCount);
      used[static_cast<std::size_t>(e.slot)] = true;
    }
    EXPECT_EQ(std::count(used.begin(), used.end(), true), dev.gpibCount);
    ViUInt32 n = 0;
    for (ViSession old : before) {
      if (old == 0) continue;
      EXPECT_EQ(viWrite(old, reinterpret_cast<ViConstBuf>("*IDN?\n"), 6, &n), VI_ERROR_INV_OBJECT);
    }
  }
}

TEST_F(DeviceManagerTest, EmptyGpibCommandWritesNothingAndSaysNothing) {
  SimConfig config(kGpib22);
  Discover();
  auto counter = zc::visa::SimulatedInstrument("GPIB0::22::INSTR");
  counter->ClearReceived();
  dev.SendCommand("");
  EXPECT_EQ(counter->Received(), std::vector<std::string>{""});
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(dev.lastCommand, "");
}

TEST_F(DeviceManagerTest, ReturnToLocalHandsEveryInstrumentBack) {
  SimConfig config(SimUsb(kUsbName) + kGpib22);
  Discover();
  auto usb = zc::visa::SimulatedInstrument(kUsbName);
  auto gpib = zc::visa::SimulatedInstrument("GPIB0::22::INSTR");
  ASSERT_TRUE(usb && gpib);
  EXPECT_TRUE(gpib->Remote());
  dev.ReturnToLocal();
  EXPECT_EQ(usb->Received().back(), std::string("syst:comm:rlst loc\0", 19));
  EXPECT_FALSE(usb->Remote());
  EXPECT_FALSE(gpib->Remote());
  for (const DeviceEntry& e : dev.deviceList) {
    EXPECT_EQ(e.kind == kInterfaceUsb ? dev.usbSessions[e.slot] : dev.gpibSessions[e.slot],
              kNoSession);
  }
  EXPECT_EQ(console.devices[0].session, kNoSession);
  EXPECT_EQ(console.devices[1].session, kNoSession);
}

TEST_F(DeviceManagerTest, NoMemoryForBuffers) {
  SimConfig config(SimUsb(kUsbName) + kGpib22);
  // The 7-byte identification buffer of the USB counter cannot be had: it gets no line.
  dev.SetBufferAllocator([](std::size_t size) { return size != 7; });
  Discover();
  EXPECT_EQ(dev.deviceListBox.lines, std::vector<std::string>{"ZC4100--GPIB--22"});
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Insufficient memory available(viWrite).");

  ui.messages.clear();
  dev.SetBufferAllocator([](std::size_t) { return false; });
  dev.lastReply = "kept";
  dev.SendCommand("fetch?\n");
  EXPECT_EQ(dev.ReadReply(), "kept");
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].text, "Insufficient memory available(viWrite).");
  EXPECT_EQ(ui.messages[1].text, "Insufficient memory available(viRead).");
}

}  // namespace
}  // namespace zc::fp::testing

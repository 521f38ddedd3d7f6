// The usbtmc backend against a sysfs tree and /dev made by the test. The device node is a pty:
// it is not a usbtmc driver, so the transport waits with poll(), which is what lets the read,
// buffering and deadline logic run here.
#include "usbtmc_transport.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace zc::visa {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr std::uint16_t kVendor = 0x1A5B;
constexpr std::uint16_t kProduct = 0x1004;

ResourceName UsbName(std::uint16_t vendor, std::uint16_t product, std::string serial, int iface = -1) {
  ResourceName name;
  name.interface = InterfaceType::Usb;
  name.vendorId = vendor;
  name.productId = product;
  name.serial = std::move(serial);
  name.usbInterface = iface;
  return name;
}

Deadline Soon() { return Clock::now() + 5s; }

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream(path) << text;
}

// A temporary /sys and /dev, laid out as the kernel does for usbtmc:
//   class/usbmisc/usbtmcN -> devices/.../<port>:1.<i>/usbmisc/usbtmcN, whose "device" link leads
//   back to the interface directory <port>:1.<i>, inside the USB device directory <port>.
class FakeSysfs : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zc-usbtmc-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    root_ = pattern;
    fs::create_directories(Sys() / "class" / "usbmisc");
    fs::create_directories(Dev());
    ::setenv(kSysfsRootEnv, Sys().c_str(), 1);
    ::setenv(kDevRootEnv, Dev().c_str(), 1);
  }

  void TearDown() override {
    ::unsetenv(kSysfsRootEnv);
    ::unsetenv(kDevRootEnv);
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  fs::path Sys() const { return root_ / "sys"; }
  fs::path Dev() const { return root_ / "dev"; }

  // A USB device; an attribute that is nullopt is left out. Values are written as sysfs does,
  // with a trailing newline.
  fs::path AddDevice(const std::string& port, std::optional<std::string> vendor,
                     std::optional<std::string> product, std::optional<std::string> serial) {
    fs::path dir = Sys() / "devices" / "pci0000:00" / "usb1" / port;
    fs::create_directories(dir);
    if (vendor) WriteFile(dir / "idVendor", *vendor + "\n");
    if (product) WriteFile(dir / "idProduct", *product + "\n");
    if (serial) WriteFile(dir / "serial", *serial + "\n");
    return dir;
  }

  void AddInterface(const fs::path& deviceDir, unsigned minor, const std::string& number = "00") {
    const std::string node = "usbtmc" + std::to_string(minor);
    fs::path iface = deviceDir / (deviceDir.filename().string() + ":1." + std::to_string(minor));
    fs::create_directories(iface / "usbmisc" / node);
    WriteFile(iface / "bInterfaceNumber", number + "\n");
    fs::create_directory_symlink("../../../" + iface.filename().string(),
                                 iface / "usbmisc" / node / "device");
    fs::create_directory_symlink(iface / "usbmisc" / node, Sys() / "class" / "usbmisc" / node);
  }

  fs::path root_;
};

TEST_F(FakeSysfs, ListsDevicesWithSerialsInMinorOrder) {
  AddInterface(AddDevice("1-1", "1a5b", "1004", "ZC41000123"), 10);
  AddInterface(AddDevice("1-2", "0957", "1755", "MY5100A"), 2);
  AddInterface(AddDevice("1-3", "1a5b", "1004", "zc41000007"), 0);
  AddInterface(AddDevice("1-4", "1a5b", "1004", std::nullopt), 3);  // no serial: not nameable

  EXPECT_EQ(MakeUsbTmcEnumerator()->List(),
            (std::vector<std::string>{"USB0::0x1A5B::0x1004::zc41000007::INSTR",
                                      "USB0::0x0957::0x1755::MY5100A::INSTR",
                                      "USB0::0x1A5B::0x1004::ZC41000123::INSTR"}));
}

TEST_F(FakeSysfs, DeviceWithTwoUsbTmcInterfacesNamesEach) {
  fs::path dev = AddDevice("1-1", "1a5b", "1004", "ZC1");
  AddInterface(dev, 0, "00");
  AddInterface(dev, 1, "02");

  EXPECT_EQ(MakeUsbTmcEnumerator()->List(),
            (std::vector<std::string>{"USB0::0x1A5B::0x1004::ZC1::0::INSTR",
                                      "USB0::0x1A5B::0x1004::ZC1::2::INSTR"}));
}

struct OddAttributes {
  const char* what;
  std::optional<std::string> vendor, product, serial;
  std::string interfaceNumber;
  std::vector<std::string> listed;
};
std::ostream& operator<<(std::ostream& os, const OddAttributes& c) { return os << c.what; }

class OddSysfsContents : public FakeSysfs, public ::testing::WithParamInterface<OddAttributes> {};

TEST_P(OddSysfsContents, SkipsWhatCannotBeNamedAndNeverCrashes) {
  const OddAttributes& c = GetParam();
  AddInterface(AddDevice("1-1", c.vendor, c.product, c.serial), 0, c.interfaceNumber);
  EXPECT_EQ(MakeUsbTmcEnumerator()->List(), c.listed) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Usbtmc, OddSysfsContents,
    ::testing::Values(
        OddAttributes{"vendor not hex", "zzzz", "1004", "S1", "00", {}},
        OddAttributes{"vendor empty", "", "1004", "S1", "00", {}},
        OddAttributes{"vendor too long", "11a5b", "1004", "S1", "00", {}},
        OddAttributes{"product missing", "1a5b", std::nullopt, "S1", "00", {}},
        OddAttributes{"serial empty", "1a5b", "1004", "", "00", {}},
        OddAttributes{"serial with a space", "1a5b", "1004", "S 1", "00", {}},
        OddAttributes{"serial with a separator", "1a5b", "1004", "S::1", "00", {}},
        OddAttributes{"serial too long to name", "1a5b", "1004", std::string(129, 'S'), "00", {}},
        OddAttributes{"interface number unreadable", "1a5b", "1004", "S1", "zz",
                      {"USB0::0x1A5B::0x1004::S1::INSTR"}},
        OddAttributes{"short lower-case hex", "a5b", "4", "S1", "00",
                      {"USB0::0x0A5B::0x0004::S1::INSTR"}}));

TEST_F(FakeSysfs, OddTreeShapesListNothing) {
  // Not usbtmc<number>, a dangling device link, and a device link to a file.
  fs::create_directories(Sys() / "class" / "usbmisc" / "usbtmcX");
  fs::create_directories(Sys() / "class" / "usbmisc" / "usbtmc1");
  fs::create_directory_symlink(root_ / "nowhere", Sys() / "class" / "usbmisc" / "usbtmc1" / "device");
  fs::create_directories(Sys() / "class" / "usbmisc" / "usbtmc2");
  WriteFile(root_ / "plain", "x");
  fs::create_symlink(root_ / "plain", Sys() / "class" / "usbmisc" / "usbtmc2" / "device");
  EXPECT_TRUE(MakeUsbTmcEnumerator()->List().empty());

  fs::remove_all(Sys() / "class");
  EXPECT_TRUE(MakeUsbTmcEnumerator()->List().empty());
}

TEST_F(FakeSysfs, OpenFindsNothingForNamesNotPresent) {
  AddInterface(AddDevice("1-1", "1a5b", "1004", "ZC41000123"), 0);
  WriteFile(Dev() / "usbtmc0", "");  // the node exists, so only the name decides

  struct Case {
    const char* what;
    ResourceName name;
  };
  ResourceName tcpip = UsbName(kVendor, kProduct, "ZC41000123");
  tcpip.interface = InterfaceType::Tcpip;
  const Case cases[] = {
      {"other vendor", UsbName(0x0957, kProduct, "ZC41000123")},
      {"other product", UsbName(kVendor, 0x1005, "ZC41000123")},
      {"other serial", UsbName(kVendor, kProduct, "ZC41000124")},
      {"serial prefix only", UsbName(kVendor, kProduct, "ZC4100012")},
      {"other interface", UsbName(kVendor, kProduct, "ZC41000123", 1)},
      {"not a USB name", tcpip},
  };
  for (const Case& c : cases) {
    auto t = MakeUsbTmcTransport();
    EXPECT_EQ(t->Open(c.name, Soon()), VI_ERROR_RSRC_NFOUND) << c.what;
  }
  auto t = MakeUsbTmcTransport();
  EXPECT_EQ(t->Open(UsbName(kVendor, kProduct, "zc41000123", 0), Soon()), VI_SUCCESS);
}

TEST_F(FakeSysfs, OpenPicksTheRequestedInterfaceAndNeedsItsNode) {
  fs::path dev = AddDevice("1-1", "1a5b", "1004", "ZC1");
  AddInterface(dev, 0, "00");
  AddInterface(dev, 1, "01");
  WriteFile(Dev() / "usbtmc1", "");  // udev made a node for the second interface only

  auto t = MakeUsbTmcTransport();
  EXPECT_EQ(t->Open(UsbName(kVendor, kProduct, "ZC1", 0), Soon()), VI_ERROR_RSRC_NFOUND);
  EXPECT_EQ(t->Open(UsbName(kVendor, kProduct, "ZC1", 1), Soon()), VI_SUCCESS);
}

// The counter at usbtmc0, its node a pty whose other side the test plays.
class UsbTmcPty : public FakeSysfs {
 protected:
  void SetUp() override {
    FakeSysfs::SetUp();
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master_, 0);
    ASSERT_EQ(::grantpt(master_), 0);
    ASSERT_EQ(::unlockpt(master_), 0);
    std::string slavePath = ::ptsname(master_);
    // Our own handle on the slave keeps it raw and lets us see what is waiting for the reader.
    slave_ = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(slave_, 0);
    termios raw{};
    ASSERT_EQ(::tcgetattr(slave_, &raw), 0);
    ::cfmakeraw(&raw);
    ASSERT_EQ(::tcsetattr(slave_, TCSANOW, &raw), 0);
    AddInterface(AddDevice("1-1", "1a5b", "1004", "ZC41000123"), 0);
    fs::create_symlink(slavePath, Dev() / "usbtmc0");
  }

  void TearDown() override {
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
    FakeSysfs::TearDown();
  }

  std::unique_ptr<Transport> OpenCounter(std::size_t transferSize = kUsbTmcTransferSize) {
    auto t = MakeUsbTmcTransportWithTransferSize(transferSize);
    EXPECT_EQ(t->Open(UsbName(kVendor, kProduct, "ZC41000123"), Soon()), VI_SUCCESS);
    return t;
  }

  // The instrument answers; returns once the whole reply is readable on the transport's side,
  // so a read cannot see half of it.
  void Reply(const std::string& text) {
    ASSERT_EQ(::write(master_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    for (int i = 0; i < 500; ++i) {
      int waiting = 0;
      ASSERT_EQ(::ioctl(slave_, FIONREAD, &waiting), 0);
      if (waiting >= static_cast<int>(text.size())) return;
      std::this_thread::sleep_for(10ms);
    }
    FAIL() << "reply never arrived";
  }

  std::string Received(std::size_t expected) {
    std::string got;
    while (got.size() < expected) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 5000) <= 0) break;
      char buf[256];
      ssize_t n = ::read(master_, buf, sizeof buf);
      if (n <= 0) break;
      got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
  }

  int master_ = -1;
  int slave_ = -1;
};

TEST_F(UsbTmcPty, WriteSendsTheMessage) {
  auto t = OpenCounter();
  const std::string cmd = "MEAS:FREQ? (@1)\n";
  std::size_t written = 0;
  ASSERT_EQ(t->Write({reinterpret_cast<const std::uint8_t*>(cmd.data()), cmd.size()}, &written, Soon()),
            VI_SUCCESS);
  EXPECT_EQ(written, cmd.size());
  EXPECT_EQ(Received(cmd.size()), cmd);
}

struct Chunking {
  std::size_t transferSize;
  std::size_t callerBuffer;
  std::vector<ViStatus> statuses;  // one per Read until the message is complete
};
std::ostream& operator<<(std::ostream& os, const Chunking& c) {
  return os << "transfer " << c.transferSize << ", caller buffer " << c.callerBuffer;
}

class UsbTmcReads : public UsbTmcPty, public ::testing::WithParamInterface<Chunking> {};

TEST_P(UsbTmcReads, HandsOutTheMessageInCallerSizedPieces) {
  const Chunking& c = GetParam();
  const std::string message = "+1.000000012E+07\n";  // 17 bytes
  auto t = OpenCounter(c.transferSize);
  Reply(message);

  std::string all;
  for (std::size_t i = 0; i < c.statuses.size(); ++i) {
    std::vector<std::uint8_t> buf(c.callerBuffer);
    std::size_t got = 0;
    ASSERT_EQ(t->Read(buf, &got, Soon()), c.statuses[i]) << "read " << i;
    all.append(reinterpret_cast<const char*>(buf.data()), got);
  }
  EXPECT_EQ(all, message);
}

constexpr ViStatus kMax = VI_SUCCESS_MAX_CNT;
constexpr ViStatus kDone = VI_SUCCESS;
INSTANTIATE_TEST_SUITE_P(
    Usbtmc, UsbTmcReads,
    ::testing::Values(Chunking{kUsbTmcTransferSize, 64, {kDone}},
                      Chunking{kUsbTmcTransferSize, 17, {kDone}},  // filled exactly at the end
                      Chunking{kUsbTmcTransferSize, 16, {kMax, kDone}},
                      Chunking{kUsbTmcTransferSize, 5, {kMax, kMax, kMax, kDone}},
                      // The message takes several transfers from the device.
                      Chunking{4, 64, {kDone}},
                      Chunking{4, 6, {kMax, kMax, kDone}},
                      Chunking{4, 8, {kMax, kMax, kDone}}));

TEST_F(UsbTmcPty, SilentDeviceTimesOut) {
  auto t = OpenCounter();
  std::vector<std::uint8_t> buf(64);
  std::size_t got = 99;
  EXPECT_EQ(t->Read(buf, &got, Clock::now() + 50ms), VI_ERROR_TMO);
  EXPECT_EQ(got, 0u);
}

TEST_F(UsbTmcPty, TimeoutKeepsWhatArrivedAndNextReadStartsFresh) {
  // Two full transfers of 4 leave the message looking unfinished, and nothing more comes.
  auto t = OpenCounter(4);
  Reply("ABCDEFGH");
  std::vector<std::uint8_t> buf(64);
  std::size_t got = 0;
  EXPECT_EQ(t->Read(buf, &got, Clock::now() + 500ms), VI_ERROR_TMO);
  EXPECT_EQ(std::string(buf.begin(), buf.begin() + static_cast<long>(got)), "ABCDEFGH");

  Reply("OK\n");
  EXPECT_EQ(t->Read(buf, &got, Soon()), VI_SUCCESS);
  EXPECT_EQ(std::string(buf.begin(), buf.begin() + static_cast<long>(got)), "OK\n");
}

TEST_F(UsbTmcPty, ClearDropsHeldAndWaitingBytes) {
  auto t = OpenCounter();
  Reply("0123456789");
  std::vector<std::uint8_t> buf(4);
  std::size_t got = 0;
  ASSERT_EQ(t->Read(buf, &got, Soon()), VI_SUCCESS_MAX_CNT);
  Reply("stale\n");

  EXPECT_EQ(t->Clear(Soon()), VI_SUCCESS);

  Reply("fresh\n");
  std::vector<std::uint8_t> big(64);
  ASSERT_EQ(t->Read(big, &got, Soon()), VI_SUCCESS);
  EXPECT_EQ(std::string(big.begin(), big.begin() + static_cast<long>(got)), "fresh\n");
}

TEST_F(UsbTmcPty, GoToLocalIsNotSupportedWithoutTheDriver) {
  auto t = OpenCounter();
  EXPECT_EQ(t->GoToLocal(Soon()), VI_ERROR_NSUP_OPER);
}

TEST_F(UsbTmcPty, LinkGoneOrClosedReportsErrors) {
  auto t = OpenCounter();
  ::close(master_);
  master_ = -1;
  std::vector<std::uint8_t> buf(64);
  std::size_t got = 0;
  const ViStatus lost = t->Read(buf, &got, Soon());
  EXPECT_TRUE(lost == VI_ERROR_CONN_LOST || lost == VI_ERROR_IO) << lost;

  t->Close();
  EXPECT_EQ(t->Read(buf, &got, Soon()), VI_ERROR_CONN_LOST);
  std::size_t written = 0;
  EXPECT_EQ(t->Write(buf, &written, Soon()), VI_ERROR_CONN_LOST);
  EXPECT_EQ(t->Clear(Soon()), VI_ERROR_CONN_LOST);
  t->Close();
}

}  // namespace
}  // namespace zc::visa

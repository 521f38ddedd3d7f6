#include "resource_name.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <utility>

namespace zc::visa {
namespace {

auto Fields(const ResourceName& n) {
  return std::tie(n.interface, n.board, n.resourceClass, n.primaryAddress, n.secondaryAddress,
                  n.vendorId, n.productId, n.serial, n.usbInterface, n.host, n.port, n.lanDevice);
}

ResourceName Gpib(unsigned board, int primary, int secondary = -1) {
  ResourceName n;
  n.interface = InterfaceType::Gpib;
  n.board = board;
  n.primaryAddress = primary;
  n.secondaryAddress = secondary;
  return n;
}

ResourceName GpibIntfc(unsigned board) {
  ResourceName n;
  n.interface = InterfaceType::Gpib;
  n.board = board;
  n.resourceClass = ResourceClass::Intfc;
  return n;
}

ResourceName Usb(unsigned board, std::uint16_t vendor, std::uint16_t product, std::string serial,
                 int usbInterface = -1) {
  ResourceName n;
  n.interface = InterfaceType::Usb;
  n.board = board;
  n.vendorId = vendor;
  n.productId = product;
  n.serial = std::move(serial);
  n.usbInterface = usbInterface;
  return n;
}

ResourceName TcpipSocket(unsigned board, std::string host, std::uint16_t port) {
  ResourceName n;
  n.interface = InterfaceType::Tcpip;
  n.board = board;
  n.resourceClass = ResourceClass::Socket;
  n.host = std::move(host);
  n.port = port;
  return n;
}

ResourceName TcpipInstr(unsigned board, std::string host, std::string lanDevice) {
  ResourceName n;
  n.interface = InterfaceType::Tcpip;
  n.board = board;
  n.host = std::move(host);
  n.lanDevice = std::move(lanDevice);
  return n;
}

struct ValidCase {
  std::string text;
  ResourceName expected;
  std::string canonical;
};

const ValidCase kValid[] = {
    {"GPIB0::22::INSTR", Gpib(0, 22), "GPIB0::22::INSTR"},
    {"GPIB::22", Gpib(0, 22), "GPIB0::22::INSTR"},
    {"GPIB0::22::3::INSTR", Gpib(0, 22, 3), "GPIB0::22::3::INSTR"},
    {"gpib1::5::instr", Gpib(1, 5), "GPIB1::5::INSTR"},
    {"GPIB2::30::INSTR", Gpib(2, 30), "GPIB2::30::INSTR"},
    {"GPIB0::0::31", Gpib(0, 0, 31), "GPIB0::0::31::INSTR"},
    {"GPIB00::022::INSTR", Gpib(0, 22), "GPIB0::22::INSTR"},
    {"GPIB0::INTFC", GpibIntfc(0), "GPIB0::INTFC"},
    {"gpib3::intfc", GpibIntfc(3), "GPIB3::INTFC"},
    // Hexadecimal and decimal identifiers are the same numbers.
    {"USB0::0x1A5B::0x1004::AB12345678::INSTR", Usb(0, 0x1A5B, 0x1004, "AB12345678"),
     "USB0::0x1A5B::0x1004::AB12345678::INSTR"},
    {"USB0::6747::4100::AB12345678::0::INSTR", Usb(0, 0x1A5B, 0x1004, "AB12345678", 0),
     "USB0::0x1A5B::0x1004::AB12345678::0::INSTR"},
    {"USB::0x1A5B::0x1004::AB12345678", Usb(0, 0x1A5B, 0x1004, "AB12345678"),
     "USB0::0x1A5B::0x1004::AB12345678::INSTR"},
    {"usb1::0X1a5b::0x1004::sn-01_A.b::instr", Usb(1, 0x1A5B, 0x1004, "sn-01_A.b"),
     "USB1::0x1A5B::0x1004::sn-01_A.b::INSTR"},
    {"USB0::0xFFFF::0::S::255", Usb(0, 0xFFFF, 0, "S", 255), "USB0::0xFFFF::0x0000::S::255::INSTR"},
    {"USB0::0x0001A5B::65535::7", Usb(0, 0x1A5B, 0xFFFF, "7"), "USB0::0x1A5B::0xFFFF::7::INSTR"},
    // A serial that spells a class word is still a serial once the class word follows.
    {"USB0::1::2::INSTR::INSTR", Usb(0, 1, 2, "INSTR"), "USB0::0x0001::0x0002::INSTR::INSTR"},
    {"TCPIP0::127.0.0.1::5025::SOCKET", TcpipSocket(0, "127.0.0.1", 5025),
     "TCPIP0::127.0.0.1::5025::SOCKET"},
    {"tcpip::h::65535::socket", TcpipSocket(0, "h", 65535), "TCPIP0::h::65535::SOCKET"},
    {"TCPIP::192.168.0.5::INSTR", TcpipInstr(0, "192.168.0.5", "inst0"),
     "TCPIP0::192.168.0.5::inst0::INSTR"},
    {"TCPIP1::Bench-Counter.lab.local::hislip0::instr",
     TcpipInstr(1, "Bench-Counter.lab.local", "hislip0"),
     "TCPIP1::Bench-Counter.lab.local::hislip0::INSTR"},
    {"TCPIP0::localhost::gpib0,5", TcpipInstr(0, "localhost", "gpib0,5"),
     "TCPIP0::localhost::gpib0,5::INSTR"},
    {"TCPIP0::[::1]::INSTR", TcpipInstr(0, "[::1]", "inst0"), "TCPIP0::[::1]::inst0::INSTR"},
    {"TCPIP0::[fe80::1%eth0]::5025::SOCKET", TcpipSocket(0, "[fe80::1%eth0]", 5025),
     "TCPIP0::[fe80::1%eth0]::5025::SOCKET"},
    {"TCPIP0::[::ffff:10.0.0.1]", TcpipInstr(0, "[::ffff:10.0.0.1]", "inst0"),
     "TCPIP0::[::ffff:10.0.0.1]::inst0::INSTR"},
};

TEST(ResourceName, ParsesFieldsAndPrintsCanonicalText) {
  for (const ValidCase& c : kValid) {
    SCOPED_TRACE(c.text);
    const ParsedResourceName parsed = ParseResourceName(c.text);
    ASSERT_TRUE(parsed.name.has_value()) << parsed.error;
    EXPECT_EQ(Fields(*parsed.name), Fields(c.expected));
    EXPECT_EQ(parsed.name->Canonical(), c.canonical);

    // The canonical text is itself a name, and denotes the same resource.
    const ParsedResourceName again = ParseResourceName(c.canonical);
    ASSERT_TRUE(again.name.has_value()) << again.error;
    EXPECT_EQ(Fields(*again.name), Fields(c.expected));
    EXPECT_EQ(again.name->Canonical(), c.canonical);
  }
}

struct InvalidCase {
  std::string text;
  std::string errorPart;  // the error must say this
};

const InvalidCase kInvalid[] = {
    {"", "empty"},
    {"ASRL1::INSTR", "unknown interface type 'ASRL'"},
    {"GPIB-VXI0::1::INSTR", "unknown interface type 'GPIB-VXI0'"},
    {"::22::INSTR", "interface type is missing"},
    {"GPIB0x::22", "board number '0x' is not a decimal number"},
    {"GPIB0:22", "board number '0:22'"},
    {"GPIB99999999999::22", "board number 99999999999 is too large"},
    // GPIB
    {"GPIB", "primary address is missing"},
    {"GPIB0::INSTR", "primary address is missing"},
    {"GPIB0::31::INSTR", "primary address 31 is out of range 0-30"},
    {"GPIB0::99999999999999999999999::INSTR", "out of range 0-30"},
    {"GPIB0::22::32::INSTR", "secondary address 32 is out of range 0-31"},
    {"GPIB0::2x::INSTR", "primary address '2x' is not a decimal number"},
    {"GPIB0::-1::INSTR", "primary address '-1' is not a decimal number"},
    {"GPIB0::+1::INSTR", "primary address '+1' is not a decimal number"},
    {"GPIB0::22::3::4::INSTR", "too many fields"},
    {"GPIB0::22::SOCKET", "SOCKET is not a GPIB resource class"},
    {"GPIB0::22::INTFC", "INTFC resource takes no address"},
    {"GPIB0::22::", "field 3 is empty"},
    {"GPIB0::::22", "field 2 is empty"},
    // USB
    {"USB0", "manufacturer ID is missing"},
    {"USB0::0x1A5B", "model code is missing"},
    {"USB0::0x1A5B::0x1004::INSTR", "serial number is missing"},
    {"USB0::0x10000::0x1004::S", "manufacturer ID 0x10000 is above 0xFFFF"},
    {"USB0::1::65536::S", "model code 65536 is above 0xFFFF"},
    {"USB0::0x::1::S", "manufacturer ID '0x' is neither a hexadecimal"},
    {"USB0::0x1G5B::1::S", "manufacturer ID '0x1G5B' is neither"},
    {"USB0::1A5B::1::S", "manufacturer ID '1A5B' is neither"},
    {"USB0::1::2::S::256::INSTR", "USB interface number 256 is out of range 0-255"},
    {"USB0::1::2::S::x::INSTR", "USB interface number 'x' is not a decimal number"},
    {"USB0::1::2::S::0::1::INSTR", "too many fields"},
    {"USB0::1::2::S::RAW", "USB RAW resources are not supported"},
    {"USB0::1::2::S::SOCKET", "SOCKET is not a USB resource class"},
    {"USB0::1::2::a:b::INSTR", "serial number 'a:b' contains ':'"},
    {"USB0::1::2::" + std::string(129, 'S'), "serial number is longer than 128"},
    // TCPIP
    {"TCPIP0", "host address is missing"},
    {"TCPIP0::INSTR", "host address is missing"},
    {"TCPIP0::SOCKET", "host address is missing"},
    {"TCPIP0::h::SOCKET", "SOCKET resource needs a port number"},
    {"TCPIP0::h::0::SOCKET", "port 0 is out of range 1-65535"},
    {"TCPIP0::h::65536::SOCKET", "port 65536 is out of range 1-65535"},
    {"TCPIP0::h::50x::SOCKET", "port '50x' is not a decimal number"},
    {"TCPIP0::h::1::2::SOCKET", "too many fields"},
    {"TCPIP0::h::inst0::x::INSTR", "too many fields"},
    {"TCPIP0::h::INTFC", "INTFC is not a TCPIP resource class"},
    {"TCPIP0::h::SOCKET::INSTR", "SOCKET is a resource class and must come last"},
    {"TCPIP0::256.1.1.1::INSTR", "'256.1.1.1' is not an IPv4 address"},
    {"TCPIP0::1.2.3::INSTR", "'1.2.3' is not an IPv4 address"},
    {"TCPIP0::1.2.3.4.5::INSTR", "is not an IPv4 address"},
    {"TCPIP0::bad!host::INSTR", "'bad!host' is not a host name"},
    {"TCPIP0::-h.lab::INSTR", "is not a host name"},
    {"TCPIP0::h..lab::INSTR", "is not a host name"},
    {"TCPIP0::[fe80::1::INSTR", "has no closing ']'"},
    {"TCPIP0::[fe80:::1]::INSTR", "is not a bracketed IPv6 address"},
    {"TCPIP0::[]::INSTR", "is not a bracketed IPv6 address"},
    {"TCPIP0::[::1]x::INSTR", "is not a bracketed IPv6 address"},
    {"TCPIP0::[10.0.0.1]::INSTR", "is not a bracketed IPv6 address"},
    {"TCPIP0::h::in/st0", "LAN device name 'in/st0' may hold only"},
    {"TCPIP0::" + std::string(256, 'h') + "::INSTR", "host address is longer than 255"},
    // Bytes that have no place in a name
    {std::string("GPIB0::22\0::INSTR", 17), "NUL byte at offset 9"},
    {"GPIB0::22::INSTR\n", "control character at offset 16"},
    {" GPIB0::22::INSTR", "space at offset 0"},
    {"GPIB0::22::INSTR\xC3\xA9", "non-ASCII byte at offset 16"},
    {std::string(100000, 'A'), "100000 characters long"},
    {"GPIB0::1" + std::string(600, '0'), "characters long"},
};

TEST(ResourceName, RejectsMalformedNamesSayingWhy) {
  for (const InvalidCase& c : kInvalid) {
    SCOPED_TRACE(c.text.substr(0, 80));
    const ParsedResourceName parsed = ParseResourceName(c.text);
    EXPECT_FALSE(parsed.name.has_value()) << parsed.name->Canonical();
    EXPECT_NE(parsed.error.find(c.errorPart), std::string::npos) << parsed.error;
  }
}

TEST(ResourceName, ErrorsShowTheExpectedSyntaxOfTheInterface) {
  const struct {
    std::string text;
    std::string syntax;
  } cases[] = {
      {"GPIB0::31::INSTR", "expected GPIB[board]::primary address[::secondary address][::INSTR]"},
      {"USB0::0x1A5B", "expected USB[board]::manufacturer ID::model code::serial number"},
      {"TCPIP0::h::SOCKET", "TCPIP[board]::host address::port::SOCKET"},
      {"VXI0::1::INSTR", "expected GPIB[board]::..., USB[board]::... or TCPIP[board]::..."},
  };
  for (const auto& c : cases) {
    const ParsedResourceName parsed = ParseResourceName(c.text);
    EXPECT_NE(parsed.error.find(c.syntax), std::string::npos) << parsed.error;
    // The message quotes what was passed so the caller sees which name failed.
    EXPECT_NE(parsed.error.find("'" + c.text + "'"), std::string::npos) << parsed.error;
  }
}

TEST(ResourceName, ErrorQuotesUnprintableAndLongInputReadably) {
  const ParsedResourceName withNul = ParseResourceName(std::string("GPIB\0", 5));
  EXPECT_NE(withNul.error.find("'GPIB\\x00'"), std::string::npos) << withNul.error;
  EXPECT_EQ(withNul.error.find('\0'), std::string::npos);

  const ParsedResourceName huge = ParseResourceName(std::string(1 << 20, 'x'));
  EXPECT_LT(huge.error.size(), 300u);
}

}  // namespace
}  // namespace zc::visa

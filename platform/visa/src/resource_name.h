// Typed VISA resource names: parsed from text, printed in their canonical form.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zc::visa {

enum class InterfaceType { Gpib, Tcpip, Usb };
enum class ResourceClass { Instr, Socket, Intfc };

struct ResourceName {
  InterfaceType interface = InterfaceType::Gpib;
  unsigned board = 0;  // the number after the interface word; 0 when omitted
  ResourceClass resourceClass = ResourceClass::Instr;

  // GPIB: primary address 0-30, secondary 0-31 or -1 for none.
  int primaryAddress = -1;
  int secondaryAddress = -1;

  // USB: vendor and product as numbers, whichever base the text used; serial as written;
  // USB interface number or -1 when omitted.
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::string serial;
  int usbInterface = -1;

  // TCPIP: host as written; port for SOCKET; LAN device name for INSTR ("inst0" when omitted).
  std::string host;
  std::uint16_t port = 0;
  std::string lanDevice;

  // Canonical text: upper-case interface word, board always written, USB identifiers as 0xXXXX,
  // class word in upper case. Two names that denote one resource print alike.
  std::string Canonical() const;
};

struct ParsedResourceName {
  std::optional<ResourceName> name;
  std::string error;  // why the text is not a resource name, when name is empty
};

// Parses a resource name as the VISA standard spells it, case-insensitively.
ParsedResourceName ParseResourceName(std::string_view text);

}  // namespace zc::visa

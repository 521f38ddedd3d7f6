#include "resource_name.h"

#include <arpa/inet.h>

#include <cstdio>
#include <limits>
#include <vector>

namespace zc::visa {
namespace {

// VISA hands names around in 256-byte buffers; twice that leaves room for what the canonical
// form adds (board, class word, "inst0", 0x prefixes) while still refusing absurd input.
constexpr std::size_t kMaxNameLength = 512;
// Field caps keep every canonical text within kMaxNameLength, so a canonical name always
// parses again.
constexpr std::size_t kMaxTextFieldLength = 128;  // serial number, LAN device name
constexpr std::size_t kMaxHostLength = 255;        // DNS names stop at 253

constexpr std::string_view kGpibSyntax =
    "GPIB[board]::primary address[::secondary address][::INSTR] or GPIB[board]::INTFC";
constexpr std::string_view kUsbSyntax =
    "USB[board]::manufacturer ID::model code::serial number[::USB interface number][::INSTR]";
constexpr std::string_view kTcpipSyntax =
    "TCPIP[board]::host address[::LAN device name][::INSTR] or "
    "TCPIP[board]::host address::port::SOCKET";
constexpr std::string_view kAnySyntax =
    "GPIB[board]::..., USB[board]::... or TCPIP[board]::...";

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAlnum(char c) { return IsDigit(c) || IsAlpha(c); }

// Quotes text for an error message: unprintable bytes escaped, long text shortened, so the
// message stays readable whatever the caller passed.
std::string Quote(std::string_view text) {
  constexpr std::size_t kShown = 60;
  std::string out = "'";
  for (std::size_t i = 0; i < text.size() && i < kShown; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c > 0x7e) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  if (text.size() > kShown) out += "...";
  out += "'";
  return out;
}

// A run of digits in the given base. The value saturates instead of overflowing, so callers
// can still say "out of range" for a hundred-digit number.
struct Number {
  bool wellFormed = false;
  std::uint64_t value = 0;
};

Number ParseDigits(std::string_view text, int base) {
  constexpr std::uint64_t kSaturated = std::uint64_t{1} << 40;
  Number n;
  if (text.empty()) return n;
  for (char c : text) {
    int digit;
    if (IsDigit(c)) {
      digit = c - '0';
    } else if (base == 16 && Lower(c) >= 'a' && Lower(c) <= 'f') {
      digit = Lower(c) - 'a' + 10;
    } else {
      return n;
    }
    if (digit >= base) return n;
    n.value = n.value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    if (n.value > kSaturated) n.value = kSaturated;
  }
  n.wellFormed = true;
  return n;
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  ParsedResourceName Run() {
    ParsedResourceName result;
    ResourceName name;
    if (Parse(name)) {
      result.name = std::move(name);
    } else {
      result.error = std::move(error_);
    }
    return result;
  }

 private:
  bool Fail(std::string_view why, std::string_view syntax) {
    error_ = Quote(text_) + " is not a valid resource name: " + std::string(why);
    if (!syntax.empty()) error_ += "; expected " + std::string(syntax);
    return false;
  }

  bool Parse(ResourceName& name) {
    if (text_.empty()) return Fail("the name is empty", kAnySyntax);
    if (text_.size() > kMaxNameLength) {
      return Fail("it is " + std::to_string(text_.size()) + " characters long, at most " +
                      std::to_string(kMaxNameLength) + " are allowed",
                  "");
    }
    for (std::size_t i = 0; i < text_.size(); ++i) {
      const auto c = static_cast<unsigned char>(text_[i]);
      if (c <= 0x20 || c > 0x7e) {
        const char* what = c == 0 ? "a NUL byte" : c == ' ' ? "a space" : c > 0x7e ? "a non-ASCII byte" : "a control character";
        return Fail(std::string("it contains ") + what + " at offset " + std::to_string(i), "");
      }
    }

    const std::size_t firstSep = text_.find("::");
    const std::string_view head = text_.substr(0, firstSep);
    if (!ParseInterface(head, name)) return false;

    std::vector<std::string_view> fields;
    if (firstSep != std::string_view::npos && !Split(text_.substr(firstSep + 2), fields)) {
      return false;
    }
    switch (name.interface) {
      case InterfaceType::Gpib: return ParseGpib(fields, name);
      case InterfaceType::Usb: return ParseUsb(fields, name);
      case InterfaceType::Tcpip: return ParseTcpip(fields, name);
    }
    return Fail("unknown interface", kAnySyntax);
  }

  bool ParseInterface(std::string_view head, ResourceName& name) {
    std::size_t letters = 0;
    while (letters < head.size() && IsAlpha(head[letters])) ++letters;
    const std::string_view word = head.substr(0, letters);
    const std::string_view board = head.substr(letters);
    std::string_view syntax;
    if (EqualsNoCase(word, "GPIB")) {
      name.interface = InterfaceType::Gpib;
      syntax = kGpibSyntax;
    } else if (EqualsNoCase(word, "USB")) {
      name.interface = InterfaceType::Usb;
      syntax = kUsbSyntax;
    } else if (EqualsNoCase(word, "TCPIP")) {
      name.interface = InterfaceType::Tcpip;
      syntax = kTcpipSyntax;
    } else {
      if (head.empty()) return Fail("the interface type is missing", kAnySyntax);
      return Fail("unknown interface type " + Quote(word.empty() ? head : word) +
                      " (this library knows GPIB, USB and TCPIP)",
                  kAnySyntax);
    }
    if (board.empty()) {
      name.board = 0;
      return true;
    }
    if (!IsDigit(board[0])) {
      return Fail("unknown interface type " + Quote(head) + " (this library knows GPIB, USB and TCPIP)",
                  kAnySyntax);
    }
    const Number n = ParseDigits(board, 10);
    if (!n.wellFormed) return Fail("board number " + Quote(board) + " is not a decimal number", syntax);
    if (n.value > std::numeric_limits<unsigned>::max()) {
      return Fail("board number " + std::string(board) + " is too large", syntax);
    }
    name.board = static_cast<unsigned>(n.value);
    return true;
  }

  // Splits on "::". A field that opens with '[' runs past its ']' first, so a bracketed IPv6
  // host keeps its colons.
  bool Split(std::string_view rest, std::vector<std::string_view>& fields) {
    std::size_t start = 0;
    while (true) {
      std::size_t scanFrom = start;
      if (start < rest.size() && rest[start] == '[') {
        const std::size_t close = rest.find(']', start);
        if (close == std::string_view::npos) {
          return Fail("'[' in field " + std::to_string(fields.size() + 2) + " has no closing ']'", "");
        }
        scanFrom = close;
      }
      const std::size_t sep = rest.find("::", scanFrom);
      const std::string_view field = rest.substr(start, sep == std::string_view::npos ? sep : sep - start);
      if (field.empty()) {
        return Fail("field " + std::to_string(fields.size() + 2) + " is empty", "");
      }
      fields.push_back(field);
      if (sep == std::string_view::npos) return true;
      start = sep + 2;
    }
  }

  // Reads a decimal field into [0, max]; `what` names the field in the error.
  bool Decimal(std::string_view field, std::uint64_t min, std::uint64_t max, std::string_view what,
               std::string_view syntax, std::uint64_t& out) {
    const Number n = ParseDigits(field, 10);
    if (!n.wellFormed) {
      return Fail(std::string(what) + " " + Quote(field) + " is not a decimal number", syntax);
    }
    if (n.value < min || n.value > max) {
      return Fail(std::string(what) + " " + std::string(field) + " is out of range " +
                      std::to_string(min) + "-" + std::to_string(max),
                  syntax);
    }
    out = n.value;
    return true;
  }

  bool ParseGpib(std::vector<std::string_view> fields, ResourceName& name) {
    constexpr auto syntax = kGpibSyntax;
    if (fields.size() == 1 && EqualsNoCase(fields[0], "INTFC")) {
      name.resourceClass = ResourceClass::Intfc;
      return true;
    }
    name.resourceClass = ResourceClass::Instr;
    if (!fields.empty()) {
      const std::string_view last = fields.back();
      if (EqualsNoCase(last, "INSTR")) {
        fields.pop_back();
      } else if (EqualsNoCase(last, "INTFC")) {
        return Fail("a GPIB INTFC resource takes no address", syntax);
      } else if (EqualsNoCase(last, "SOCKET")) {
        return Fail("SOCKET is not a GPIB resource class", syntax);
      }
    }
    if (fields.empty()) return Fail("the primary address is missing", syntax);
    if (fields.size() > 2) return Fail("it has too many fields", syntax);
    std::uint64_t value = 0;
    if (!Decimal(fields[0], 0, 30, "primary address", syntax, value)) return false;
    name.primaryAddress = static_cast<int>(value);
    if (fields.size() == 2) {
      if (!Decimal(fields[1], 0, 31, "secondary address", syntax, value)) return false;
      name.secondaryAddress = static_cast<int>(value);
    }
    return true;
  }

  bool UsbId(std::string_view field, std::string_view what, std::uint16_t& out) {
    constexpr auto syntax = kUsbSyntax;
    const bool hex = field.size() >= 2 && field[0] == '0' && Lower(field[1]) == 'x';
    const Number n = hex ? ParseDigits(field.substr(2), 16) : ParseDigits(field, 10);
    if (!n.wellFormed) {
      return Fail(std::string(what) + " " + Quote(field) +
                      " is neither a hexadecimal (0x1A5B) nor a decimal (6747) number",
                  syntax);
    }
    if (n.value > 0xFFFF) {
      return Fail(std::string(what) + " " + std::string(field) + " is above 0xFFFF", syntax);
    }
    out = static_cast<std::uint16_t>(n.value);
    return true;
  }

  bool ParseUsb(std::vector<std::string_view> fields, ResourceName& name) {
    constexpr auto syntax = kUsbSyntax;
    name.resourceClass = ResourceClass::Instr;
    if (!fields.empty() && EqualsNoCase(fields.back(), "INSTR")) fields.pop_back();
    // With fewer fields the last one is the serial number, whatever it spells.
    if (fields.size() >= 4) {
      const std::string_view last = fields.back();
      if (EqualsNoCase(last, "RAW")) return Fail("USB RAW resources are not supported", syntax);
      if (EqualsNoCase(last, "SOCKET") || EqualsNoCase(last, "INTFC")) {
        return Fail(std::string(last) + " is not a USB resource class", syntax);
      }
    }
    static constexpr std::string_view kMissing[] = {"the manufacturer ID is missing",
                                                    "the model code is missing",
                                                    "the serial number is missing"};
    if (fields.size() < 3) return Fail(kMissing[fields.size()], syntax);
    if (fields.size() > 4) return Fail("it has too many fields", syntax);
    if (!UsbId(fields[0], "manufacturer ID", name.vendorId)) return false;
    if (!UsbId(fields[1], "model code", name.productId)) return false;

    const std::string_view serial = fields[2];
    if (serial.size() > kMaxTextFieldLength) {
      return Fail("the serial number is longer than " + std::to_string(kMaxTextFieldLength) +
                      " characters",
                  syntax);
    }
    // A colon would blur the field boundaries of the printed name.
    if (serial.find(':') != std::string_view::npos) {
      return Fail("serial number " + Quote(serial) + " contains ':'", syntax);
    }
    name.serial = std::string(serial);

    if (fields.size() == 4) {
      std::uint64_t value = 0;
      if (!Decimal(fields[3], 0, 255, "USB interface number", syntax, value)) return false;
      name.usbInterface = static_cast<int>(value);
    }
    return true;
  }

  bool ValidIpv6(std::string_view inner) {
    std::string_view address = inner;
    const std::size_t percent = inner.find('%');
    if (percent != std::string_view::npos) {
      const std::string_view zone = inner.substr(percent + 1);
      address = inner.substr(0, percent);
      if (zone.empty()) return false;
      for (char c : zone) {
        if (!IsAlnum(c) && c != '.' && c != '_' && c != '-') return false;
      }
    }
    if (address.empty() || address.size() > 45) return false;  // INET6_ADDRSTRLEN - 1
    const std::string copy(address);
    in6_addr parsed{};
    return inet_pton(AF_INET6, copy.c_str(), &parsed) == 1;
  }

  bool ValidIpv4(std::string_view host) {
    int parts = 0;
    std::size_t start = 0;
    while (true) {
      const std::size_t dot = host.find('.', start);
      const std::string_view part = host.substr(start, dot == std::string_view::npos ? dot : dot - start);
      const Number n = ParseDigits(part, 10);
      if (!n.wellFormed || part.size() > 3 || n.value > 255) return false;
      if (++parts > 4) return false;
      if (dot == std::string_view::npos) break;
      start = dot + 1;
    }
    return parts == 4;
  }

  bool ValidHostName(std::string_view host) {
    std::size_t start = 0;
    while (true) {
      const std::size_t dot = host.find('.', start);
      const std::string_view label = host.substr(start, dot == std::string_view::npos ? dot : dot - start);
      if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') {
        return false;
      }
      for (char c : label) {
        if (!IsAlnum(c) && c != '-' && c != '_') return false;
      }
      if (dot == std::string_view::npos) return true;
      start = dot + 1;
    }
  }

  bool Host(std::string_view host, ResourceName& name) {
    constexpr auto syntax = kTcpipSyntax;
    if (host.size() > kMaxHostLength) {
      return Fail("the host address is longer than " + std::to_string(kMaxHostLength) +
                      " characters",
                  syntax);
    }
    bool ok;
    std::string_view kind;
    if (host.front() == '[') {
      ok = host.back() == ']' && host.size() > 2 && ValidIpv6(host.substr(1, host.size() - 2));
      kind = "a bracketed IPv6 address";
    } else if (host.find_first_not_of("0123456789.") == std::string_view::npos) {
      ok = ValidIpv4(host);
      kind = "an IPv4 address";
    } else {
      ok = ValidHostName(host);
      kind = "a host name";
    }
    if (!ok) {
      return Fail("host address " + Quote(host) + " is not " + std::string(kind) +
                      " (IPv4 such as 192.168.0.5, a host name, or IPv6 in brackets such as [::1])",
                  syntax);
    }
    name.host = std::string(host);
    return true;
  }

  bool ParseTcpip(std::vector<std::string_view> fields, ResourceName& name) {
    constexpr auto syntax = kTcpipSyntax;
    if (fields.empty()) return Fail("the host address is missing", syntax);
    const std::string_view last = fields.back();

    if (EqualsNoCase(last, "SOCKET")) {
      name.resourceClass = ResourceClass::Socket;
      if (fields.size() == 1) return Fail("the host address is missing", syntax);
      if (fields.size() == 2) return Fail("a SOCKET resource needs a port number", syntax);
      if (fields.size() > 3) return Fail("it has too many fields", syntax);
      if (!Host(fields[0], name)) return false;
      std::uint64_t port = 0;
      if (!Decimal(fields[1], 1, 65535, "port", syntax, port)) return false;
      name.port = static_cast<std::uint16_t>(port);
      return true;
    }
    if (EqualsNoCase(last, "INTFC")) return Fail("INTFC is not a TCPIP resource class", syntax);

    name.resourceClass = ResourceClass::Instr;
    if (EqualsNoCase(last, "INSTR")) fields.pop_back();
    if (fields.empty()) return Fail("the host address is missing", syntax);
    if (fields.size() > 2) return Fail("it has too many fields", syntax);
    if (!Host(fields[0], name)) return false;
    if (fields.size() == 1) {
      name.lanDevice = "inst0";
      return true;
    }
    const std::string_view device = fields[1];
    if (EqualsNoCase(device, "INSTR") || EqualsNoCase(device, "SOCKET") ||
        EqualsNoCase(device, "INTFC")) {
      return Fail(std::string(device) + " is a resource class and must come last", syntax);
    }
    if (device.size() > kMaxTextFieldLength) {
      return Fail("the LAN device name is longer than " + std::to_string(kMaxTextFieldLength) +
                      " characters",
                  syntax);
    }
    for (char c : device) {
      // Device names look like inst0, hislip0, gpib0,5 or COM1.
      if (!IsAlnum(c) && c != '_' && c != '-' && c != '.' && c != ',') {
        return Fail("LAN device name " + Quote(device) + " may hold only letters, digits and _ - . ,",
                    syntax);
      }
    }
    name.lanDevice = std::string(device);
    return true;
  }

  std::string_view text_;
  std::string error_;
};

std::string Hex4(std::uint16_t v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%04X", static_cast<unsigned>(v));
  return buf;
}

}  // namespace

std::string ResourceName::Canonical() const {
  const std::string b = std::to_string(board);
  switch (interface) {
    case InterfaceType::Gpib: {
      if (resourceClass == ResourceClass::Intfc) return "GPIB" + b + "::INTFC";
      std::string out = "GPIB" + b + "::" + std::to_string(primaryAddress);
      if (secondaryAddress >= 0) out += "::" + std::to_string(secondaryAddress);
      return out + "::INSTR";
    }
    case InterfaceType::Usb: {
      std::string out = "USB" + b + "::" + Hex4(vendorId) + "::" + Hex4(productId) + "::" + serial;
      if (usbInterface >= 0) out += "::" + std::to_string(usbInterface);
      return out + "::INSTR";
    }
    case InterfaceType::Tcpip:
      if (resourceClass == ResourceClass::Socket) {
        return "TCPIP" + b + "::" + host + "::" + std::to_string(port) + "::SOCKET";
      }
      return "TCPIP" + b + "::" + host + "::" + (lanDevice.empty() ? "inst0" : lanDevice) +
             "::INSTR";
  }
  return {};
}

ParsedResourceName ParseResourceName(std::string_view text) { return Parser(text).Run(); }

}  // namespace zc::visa

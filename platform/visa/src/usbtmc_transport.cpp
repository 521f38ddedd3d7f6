#include "usbtmc_transport.h"

#include <fcntl.h>
#include <linux/usb/tmc.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <string_view>
#include <system_error>
#include <tuple>

namespace zc::visa {
namespace {

namespace fs = std::filesystem;

// The driver refuses shorter timeouts.
constexpr std::uint32_t kDriverMinTimeoutMs = 100;

std::string RootFromEnv(const char* var, const char* fallback) {
  const char* value = std::getenv(var);
  return (value != nullptr && *value != '\0') ? std::string(value) : std::string(fallback);
}

// Reads a small attribute file. O_NONBLOCK so a FIFO planted in the tree cannot hang us.
bool ReadAttribute(const fs::path& path, std::string* out) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  char buf[256];
  ssize_t n;
  do {
    n = ::read(fd, buf, sizeof buf);
  } while (n < 0 && errno == EINTR);
  ::close(fd);
  if (n < 0) return false;
  std::string_view text(buf, static_cast<std::size_t>(n));
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\t' ||
                           text.back() == '\r' || text.back() == '\0')) {
    text.remove_suffix(1);
  }
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  out->assign(text);
  return true;
}

bool ParseHex(std::string_view text, std::size_t maxDigits, unsigned* value) {
  if (text.empty() || text.size() > maxDigits) return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value, 16);
  return ec == std::errc() && end == text.data() + text.size();
}

// A serial goes into a resource name between "::" separators, so it must be one printable word
// short enough for the name to parse again.
bool UsableSerial(std::string_view serial) {
  if (serial.empty() || serial.size() > 128) return false;
  return std::all_of(serial.begin(), serial.end(),
                     [](char c) { return c > ' ' && c < 0x7F && c != ':'; });
}

bool SameSerial(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string Hex4(std::uint16_t v) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string s = "0x";
  for (int shift = 12; shift >= 0; shift -= 4) s += kDigits[(v >> shift) & 0xF];
  return s;
}

ViStatus StatusFromErrno(int err) {
  switch (err) {
    case ETIMEDOUT:
      return VI_ERROR_TMO;
    case ENODEV:
    case EPIPE:
    case ESHUTDOWN:
      return VI_ERROR_CONN_LOST;
    default:
      return VI_ERROR_IO;
  }
}

// Milliseconds from now to the deadline, rounded up, never negative.
long long MillisecondsLeft(Deadline deadline) {
  auto now = Clock::now();
  if (deadline <= now) return 0;
  auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
  return left;
}

class UsbTmcEnumerator final : public Enumerator {
 public:
  std::vector<std::string> List() override {
    std::vector<UsbTmcNode> nodes = FindUsbTmcNodes();
    // A device with more than one usbtmc interface needs the interface number in its names.
    std::map<std::tuple<std::uint16_t, std::uint16_t, std::string>, int> perDevice;
    for (const auto& n : nodes) {
      if (UsableSerial(n.serial)) ++perDevice[{n.vendorId, n.productId, n.serial}];
    }
    std::vector<std::string> names;
    for (const auto& n : nodes) {
      // Without a serial the name could not tell two such devices apart, so it is not listed.
      if (!UsableSerial(n.serial)) continue;
      std::string name = "USB0::" + Hex4(n.vendorId) + "::" + Hex4(n.productId) + "::" + n.serial;
      if (perDevice[{n.vendorId, n.productId, n.serial}] > 1 && n.interfaceNumber >= 0) {
        name += "::" + std::to_string(n.interfaceNumber);
      }
      name += "::INSTR";
      if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
    return names;
  }
};

class UsbTmcTransport final : public Transport {
 public:
  explicit UsbTmcTransport(std::size_t transferSize) : transferSize_(std::max<std::size_t>(transferSize, 1)) {}
  ~UsbTmcTransport() override { Close(); }

  ViStatus Open(const ResourceName& name, Deadline) override {
    Close();
    // The board number of a USB name only numbers the interface; every node is reachable.
    if (name.interface != InterfaceType::Usb || name.resourceClass != ResourceClass::Instr) {
      return VI_ERROR_RSRC_NFOUND;
    }
    const UsbTmcNode* match = nullptr;
    std::vector<UsbTmcNode> nodes = FindUsbTmcNodes();
    for (const auto& n : nodes) {
      if (n.vendorId != name.vendorId || n.productId != name.productId) continue;
      if (!UsableSerial(n.serial) || !SameSerial(n.serial, name.serial)) continue;
      if (name.usbInterface >= 0 && n.interfaceNumber != name.usbInterface) continue;
      match = &n;
      break;
    }
    if (match == nullptr) return VI_ERROR_RSRC_NFOUND;

    int fd;
    do {
      fd = ::open(match->devicePath.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
      switch (errno) {
        case EACCES:
        case EPERM:
          return VI_ERROR_INV_SETUP;  // see kUsbTmcAccessHelp
        case ENOENT:
        case ENODEV:
        case ENXIO:
          return VI_ERROR_RSRC_NFOUND;  // listed in sysfs but udev has no node (yet / any more)
        case EBUSY:
          return VI_ERROR_RSRC_BUSY;
        default:
          return VI_ERROR_IO;
      }
    }
    fd_ = fd;
    pollMode_ = false;
    DropBuffered();
    return VI_SUCCESS;
  }

  ViStatus Write(std::span<const std::uint8_t> data, std::size_t* written,
                 Deadline deadline) override {
    *written = 0;
    if (fd_ < 0) return VI_ERROR_CONN_LOST;
    bool first = true;
    // The driver sends one write() as one message; the loop only matters for nodes that take
    // part of it (not a usbtmc driver).
    while (first || *written < data.size()) {
      if (!first && Clock::now() >= deadline) return VI_ERROR_TMO;
      first = false;
      if (ViStatus st = PrepareTransfer(deadline, POLLOUT); st != VI_SUCCESS) return st;
      ssize_t n = ::write(fd_, data.data() + *written, data.size() - *written);
      if (n < 0) {
        if (errno == EINTR || (errno == EAGAIN && pollMode_)) continue;
        return StatusFromErrno(errno);
      }
      if (n == 0 && !data.empty()) return VI_ERROR_IO;  // no progress would spin to the deadline
      *written += static_cast<std::size_t>(n);
    }
    return VI_SUCCESS;
  }

  ViStatus Read(std::span<std::uint8_t> buf, std::size_t* got, Deadline deadline) override {
    *got = 0;
    if (fd_ < 0) return VI_ERROR_CONN_LOST;
    bool fetched = false;
    for (;;) {
      std::size_t take = std::min(buf.size() - *got, buffered_.size() - pos_);
      if (take > 0) std::memcpy(buf.data() + *got, buffered_.data() + pos_, take);
      pos_ += take;
      *got += take;
      if (pos_ == buffered_.size() && messageEnds_) {
        DropBuffered();
        return VI_SUCCESS;
      }
      if (*got == buf.size()) return VI_SUCCESS_MAX_CNT;
      // Everything we held is handed out and the message goes on: ask the device for more.
      if (fetched && Clock::now() >= deadline) return VI_ERROR_TMO;
      fetched = true;
      if (ViStatus st = Fetch(deadline); st != VI_SUCCESS) return st;
    }
  }

  ViStatus Clear(Deadline deadline) override {
    if (fd_ < 0) return VI_ERROR_CONN_LOST;
    DropBuffered();
    if (ViStatus st = ArmTimeout(deadline); st != VI_SUCCESS) return st;
    if (pollMode_) {
      DrainPendingInput();
      return VI_SUCCESS;
    }
    if (Ioctl(USBTMC_IOCTL_CLEAR) == 0) return VI_SUCCESS;
    return StatusFromErrno(errno);
  }

  ViStatus GoToLocal(Deadline deadline) override {
    if (fd_ < 0) return VI_ERROR_CONN_LOST;
    if (ViStatus st = ArmTimeout(deadline); st != VI_SUCCESS) return st;
    if (pollMode_) return VI_ERROR_NSUP_OPER;
    if (Ioctl(USBTMC488_IOCTL_GOTO_LOCAL) == 0) return VI_SUCCESS;
    // ENOTTY: a driver without USB488 ioctls; EINVAL: a device without the capability.
    if (errno == ENOTTY || errno == EINVAL) return VI_ERROR_NSUP_OPER;
    return StatusFromErrno(errno);
  }

  void Close() override {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    DropBuffered();
  }

 private:
  int Ioctl(unsigned long request, void* arg = nullptr) {
    int r;
    do {
      r = ::ioctl(fd_, request, arg);
    } while (r < 0 && errno == EINTR);
    return r;
  }

  void DropBuffered() {
    buffered_.clear();
    pos_ = 0;
    messageEnds_ = false;
  }

  // Gives the driver the time left. A node that is not a usbtmc driver (a test's pty or file)
  // rejects the ioctl with ENOTTY; from then on we wait with poll() instead.
  ViStatus ArmTimeout(Deadline deadline) {
    if (pollMode_) return VI_SUCCESS;
    long long ms = MillisecondsLeft(deadline);
    std::uint32_t timeout = static_cast<std::uint32_t>(
        std::clamp<long long>(ms, kDriverMinTimeoutMs, std::numeric_limits<std::uint32_t>::max()));
    if (Ioctl(USBTMC_IOCTL_SET_TIMEOUT, &timeout) == 0) return VI_SUCCESS;
    if (errno == ENOTTY) {
      pollMode_ = true;
      int flags = ::fcntl(fd_, F_GETFL);
      if (flags >= 0) ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK);
      return VI_SUCCESS;
    }
    return StatusFromErrno(errno);
  }

  ViStatus PrepareTransfer(Deadline deadline, short events) {
    if (ViStatus st = ArmTimeout(deadline); st != VI_SUCCESS) return st;
    if (!pollMode_) return VI_SUCCESS;
    for (;;) {
      pollfd p{fd_, events, 0};
      int wait = static_cast<int>(std::min<long long>(MillisecondsLeft(deadline), INT_MAX));
      int r = ::poll(&p, 1, wait);
      if (r < 0) {
        if (errno == EINTR) continue;
        return StatusFromErrno(errno);
      }
      // Errors and hang-ups surface through the read() or write() that follows.
      if (r > 0) return VI_SUCCESS;
      if (Clock::now() >= deadline) return VI_ERROR_TMO;
    }
  }

  // One transfer from the device into our buffer, which is empty when this is called.
  ViStatus Fetch(Deadline deadline) {
    DropBuffered();
    buffered_.resize(transferSize_);
    ssize_t n;
    for (;;) {
      if (ViStatus st = PrepareTransfer(deadline, POLLIN); st != VI_SUCCESS) {
        buffered_.clear();
        return st;
      }
      n = ::read(fd_, buffered_.data(), transferSize_);
      // From the driver, 0 bytes is an empty message; from a pipe or pty it is end of file.
      if (n == 0 && pollMode_) {
        buffered_.clear();
        return VI_ERROR_CONN_LOST;
      }
      if (n >= 0) break;
      if (errno == EINTR || (errno == EAGAIN && pollMode_)) continue;
      int err = errno;
      buffered_.clear();
      return StatusFromErrno(err);
    }
    buffered_.resize(static_cast<std::size_t>(n));
    // The driver stops short only at the end of a message. A full transfer may also have been
    // the last one; newer drivers tell through the EOM bit of the last transfer's header.
    messageEnds_ = static_cast<std::size_t>(n) < transferSize_;
    if (!messageEnds_ && !pollMode_) {
      std::uint8_t attributes = 0;
      if (Ioctl(USBTMC_IOCTL_MSG_IN_ATTR, &attributes) == 0) messageEnds_ = (attributes & 1) != 0;
    }
    return VI_SUCCESS;
  }

  // Without a driver to send a device clear, dropping what is waiting for us is the nearest
  // thing. Bounded, so a node that never runs dry cannot keep us here.
  void DrainPendingInput() {
    std::vector<std::uint8_t> scratch(4096);
    for (int i = 0; i < 256; ++i) {
      ssize_t n = ::read(fd_, scratch.data(), scratch.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
    }
  }

  std::size_t transferSize_;
  int fd_ = -1;
  bool pollMode_ = false;
  std::vector<std::uint8_t> buffered_;
  std::size_t pos_ = 0;
  bool messageEnds_ = false;  // the message ends with the last byte of buffered_
};

}  // namespace

std::vector<UsbTmcNode> FindUsbTmcNodes() {
  const fs::path sysRoot = RootFromEnv(kSysfsRootEnv, "/sys");
  const fs::path devRoot = RootFromEnv(kDevRootEnv, "/dev");
  std::vector<UsbTmcNode> nodes;
  std::error_code ec;
  fs::directory_iterator it(sysRoot / "class" / "usbmisc", ec);
  if (ec) return nodes;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    const std::string entry = it->path().filename().string();
    constexpr std::string_view kPrefix = "usbtmc";
    if (entry.size() <= kPrefix.size() || entry.compare(0, kPrefix.size(), kPrefix) != 0) continue;
    std::string_view digits(entry.data() + kPrefix.size(), entry.size() - kPrefix.size());
    UsbTmcNode node;
    auto [end, perr] = std::from_chars(digits.data(), digits.data() + digits.size(), node.minor);
    if (perr != std::errc() || end != digits.data() + digits.size()) continue;

    // device -> the USB interface directory; its parent is the USB device.
    std::error_code lec;
    fs::path interfaceDir = fs::canonical(it->path() / "device", lec);
    if (lec) continue;
    fs::path deviceDir = interfaceDir.parent_path();

    std::string text;
    unsigned vendor = 0, product = 0;
    if (!ReadAttribute(deviceDir / "idVendor", &text) || !ParseHex(text, 4, &vendor)) continue;
    if (!ReadAttribute(deviceDir / "idProduct", &text) || !ParseHex(text, 4, &product)) continue;
    node.vendorId = static_cast<std::uint16_t>(vendor);
    node.productId = static_cast<std::uint16_t>(product);
    if (!ReadAttribute(deviceDir / "serial", &node.serial)) node.serial.clear();
    unsigned iface = 0;
    if (ReadAttribute(interfaceDir / "bInterfaceNumber", &text) && ParseHex(text, 2, &iface)) {
      node.interfaceNumber = static_cast<int>(iface);
    }
    node.devicePath = (devRoot / entry).string();
    nodes.push_back(std::move(node));
  }
  std::sort(nodes.begin(), nodes.end(),
            [](const UsbTmcNode& a, const UsbTmcNode& b) { return a.minor < b.minor; });
  return nodes;
}

std::unique_ptr<Transport> MakeUsbTmcTransport() {
  return std::make_unique<UsbTmcTransport>(kUsbTmcTransferSize);
}

std::unique_ptr<Transport> MakeUsbTmcTransportWithTransferSize(std::size_t transferSize) {
  return std::make_unique<UsbTmcTransport>(transferSize);
}

std::unique_ptr<Enumerator> MakeUsbTmcEnumerator() { return std::make_unique<UsbTmcEnumerator>(); }

}  // namespace zc::visa

// USB instruments through the Linux kernel's usbtmc driver (/dev/usbtmcN).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "transport.h"

namespace zc::visa {

// Where the backend looks; tests point both at a tree of their own. Read at each List and Open.
inline constexpr const char* kSysfsRootEnv = "ZC_VISA_SYSFS_ROOT";  // default "/sys"
inline constexpr const char* kDevRootEnv = "ZC_VISA_DEV_ROOT";      // default "/dev"

// Bytes asked of the driver per read(); a reply shorter than this is known to be complete.
inline constexpr std::size_t kUsbTmcTransferSize = 64 * 1024;

// Open returns VI_ERROR_INV_SETUP when the node exists but we may not open it; this is the
// explanation to show for it.
inline constexpr const char* kUsbTmcAccessHelp =
    "permission denied on the usbtmc device node; install the udev rule "
    "60-zc4100-usbtmc.rules into /etc/udev/rules.d/, then run "
    "'udevadm control --reload && udevadm trigger' as root";

std::unique_ptr<Transport> MakeUsbTmcTransport();
// As above with a smaller transfer, so a test can spread one message over several reads.
std::unique_ptr<Transport> MakeUsbTmcTransportWithTransferSize(std::size_t transferSize);
std::unique_ptr<Enumerator> MakeUsbTmcEnumerator();

// One usbtmc interface found in sysfs.
struct UsbTmcNode {
  unsigned minor = 0;      // N of usbtmcN
  std::string devicePath;  // <dev root>/usbtmcN
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::string serial;        // empty when the device reports none
  int interfaceNumber = -1;  // -1 when sysfs does not say
};

// The usbtmc interfaces present now, in minor-number order. Entries whose attributes cannot be
// read or make no sense are left out.
std::vector<UsbTmcNode> FindUsbTmcNodes();

}  // namespace zc::visa

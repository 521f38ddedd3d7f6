// The front panel's instruments: the VISA sessions of every counter found, the one selected, the
// exchanges every run uses, discovery, and the hand-back to local control at the end.
//
// Plain C++ over the VISA C interface; the window shows deviceListBox and reports through
// CUserInterface.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/user_interface.h"
#include "console/console_devices.h"
#include "device_types.h"
#include "visa.h"

namespace zc::fp {

// What list box 1000 holds; the window draws it and reports selection changes back.
struct CDeviceListBox {
  std::vector<std::string> lines;
  bool enabled = false;
  int selection = -1;
  int horizontalExtent = 0;
};

// Buffers for the exchanges come from here, so a test can make them fail as memory would.
using BufferAllocator = std::function<bool(std::size_t size)>;

class CDeviceManager {
 public:
  static constexpr int kGpibSlots = 30;
  static constexpr int kUsbSlots = 128;
  static constexpr std::size_t kUsbReplySize = 64;
  static constexpr std::size_t kGpibReplySize = 0xFFFFF;
  static constexpr std::size_t kUsbIdnReplySize = 100;
  static constexpr std::size_t kGpibIdnReplySize = 65536;

  CDeviceManager(CUserInterface& ui, CConsoleDeviceTable& console);

  // Stops the run when a read fails; the run itself belongs to the window.
  void SetRunStop(std::function<void()> runStop) { runStop_ = std::move(runStop); }
  void SetBufferAllocator(BufferAllocator allocator) { allocate_ = std::move(allocator); }

  // Session layer.
  void SendCommand(std::string text);
  std::string ReadReply();
  void GpibSend(const std::string& text);
  void GpibReceive(std::string& output);
  void ReturnToLocal();

  // Discovery.
  void DiscoverDevices();
  int FindGpibDevices();
  int FindUsbDevices();
  static std::string BuildDeviceLabel(std::string reply, std::string resource);
  void SelectDevice(std::int16_t position);
  void RefreshDevices();

  // Sessions.
  std::uint32_t visaTimeoutMs = 15000;
  std::array<ViSession, kGpibSlots> gpibSessions{};
  ViSession gpibResourceManager = 0;
  ViFindList gpibFindList = 0;
  std::int32_t gpibCount = 0;
  std::array<ViSession, kUsbSlots> usbSessions{};
  ViSession currentSession = kNoSession;
  InterfaceKind currentKind = kInterfaceNone;
  std::int32_t currentSlot = 0;
  std::string currentResource;
  std::string lastCommand;
  std::string lastReply;

  // Device list.
  std::vector<DeviceEntry> deviceList;
  std::int32_t deviceCount = 0;
  CDeviceListBox deviceListBox;

 private:
  bool Allocate(std::size_t size) { return allocate_ ? allocate_(size) : true; }
  void FailedRead(ViStatus status);
  std::string Identify(const DeviceEntry& entry, bool* ok);

  CUserInterface& ui_;
  CConsoleDeviceTable& console_;
  std::function<void()> runStop_;
  BufferAllocator allocate_;
};

}  // namespace zc::fp

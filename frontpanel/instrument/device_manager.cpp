#include "device_manager.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <new>
#include <thread>
#include <utility>

namespace zc::fp {
namespace {

const char* kGpibExpression = "GPIB[0-9]*::?*INSTR";
const char* kUsbHexExpression = "USB[0-9]*::0x1A5B::0x1004::?*INSTR";
const char* kUsbDecimalExpression = "USB[0-9]*::6747::4100::?*INSTR";
const char* kNoDevice = "Device Not Found";
const char* kNoMemoryWrite = "Insufficient memory available(viWrite).";
const char* kNoMemoryRead = "Insufficient memory available(viRead).";

// A reply is text up to its first zero byte, whatever the instrument sent after it.
std::string TextOf(const std::vector<ViByte>& buf, ViUInt32 count) {
  const auto* begin = reinterpret_cast<const char*>(buf.data());
  const std::size_t n = std::min<std::size_t>(count, buf.size());
  const auto* end = std::find(begin, begin + n, '\0');
  return std::string(begin, end);
}

std::string Describe(ViSession vi, ViStatus status) {
  ViChar desc[VI_FIND_BUFLEN] = {};
  viStatusDesc(vi, status, desc);
  desc[VI_FIND_BUFLEN - 1] = '\0';
  return desc;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// Up to n characters from pos; fewer when the text ends sooner, none past its end.
std::string Slice(const std::string& s, std::size_t pos, std::size_t n) {
  return pos >= s.size() ? std::string() : s.substr(pos, n);
}

ViStatus WriteText(ViSession vi, const std::string& bytes) {
  ViUInt32 written = 0;
  return viWrite(vi, reinterpret_cast<ViConstBuf>(bytes.data()),
                 static_cast<ViUInt32>(bytes.size()), &written);
}

}  // namespace

CDeviceManager::CDeviceManager(CUserInterface& ui, CConsoleDeviceTable& console)
    : ui_(ui), console_(console) {}

// ---- Session layer ------------------------------------------------------------------------

void CDeviceManager::SendCommand(std::string text) {
  lastCommand = text;
  if (!Allocate(text.size() + 1)) {
    ui_.ShowMessage(kNoMemoryWrite, messageCaption, MessageIcon::Error);
    return;
  }
  lastReply.clear();
  if (currentKind == kInterfaceUsb) {
    WriteText(currentSession, text);  // a failed write shows up as a failed read
  } else if (currentKind == kInterfaceGpib) {
    GpibSend(text);
  }
}

void CDeviceManager::GpibSend(const std::string& text) {
  if (!Allocate(text.size() + 1)) return;
  WriteText(currentSession, text);
}

std::string CDeviceManager::ReadReply() {
  if (!Allocate(kUsbReplySize)) {
    ui_.ShowMessage(kNoMemoryRead, messageCaption, MessageIcon::Error);
    return lastReply;
  }
  if (currentKind == kInterfaceUsb) {
    std::vector<ViByte> buf(kUsbReplySize, 0);
    ViUInt32 count = 0;
    const ViStatus status =
        viRead(currentSession, buf.data(), static_cast<ViUInt32>(buf.size()), &count);
    const std::string reply = TextOf(buf, count);
    lastReply = reply;
    // Anything but plain success is a failed read here: a full buffer means the reply was not
    // a reading, and the rest of it would spoil the next one.
    if (status != VI_SUCCESS) {
      FailedRead(status);
      lastReply = reply;  // stopping the run wrote a command; the tick still shows what came
    }
  } else if (currentKind == kInterfaceGpib) {
    std::string reply;
    GpibReceive(reply);
    lastReply = reply;
  }
  return lastReply;
}

void CDeviceManager::GpibReceive(std::string& output) {
  output.clear();
  if (!Allocate(kGpibReplySize)) return;
  std::vector<ViByte> buf;
  try {
    buf.assign(kGpibReplySize, 0);
  } catch (const std::bad_alloc&) {
    return;
  }
  viSetAttribute(currentSession, VI_ATTR_TMO_VALUE, visaTimeoutMs);
  ViUInt32 count = 0;
  const ViStatus status =
      viRead(currentSession, buf.data(), static_cast<ViUInt32>(buf.size()), &count);
  if (count >= 1) {
    output = TextOf(buf, count);
    return;
  }
  FailedRead(status);
}

void CDeviceManager::FailedRead(ViStatus status) {
  const std::string description = Describe(currentSession, status);
  viClear(currentSession);
  if (runStop_) runStop_();
  ui_.ShowMessage(description, messageCaption, MessageIcon::Error);
}

void CDeviceManager::ReturnToLocal() {
  static const std::string kLocal("syst:comm:rlst loc\0", 19);
  for (std::size_t p = 0; p < deviceList.size(); ++p) {
    const DeviceEntry& e = deviceList[p];
    if (e.kind == kInterfaceUsb && e.slot >= 0 && e.slot < kUsbSlots) {
      WriteText(usbSessions[e.slot], kLocal);
      usbSessions[e.slot] = kNoSession;
    } else if (e.kind == kInterfaceGpib && e.slot >= 0 && e.slot < kGpibSlots) {
      viGpibControlREN(gpibSessions[e.slot], VI_GPIB_REN_ADDRESS_GTL);
      gpibSessions[e.slot] = kNoSession;
    }
    if (p < CConsoleDeviceTable::kPositions) console_.devices[p].session = kNoSession;
  }
}

// ---- Discovery ----------------------------------------------------------------------------

void CDeviceManager::DiscoverDevices() {
  deviceCount = 0;
  deviceCount = FindGpibDevices();
  deviceCount += FindUsbDevices();
  console_.deviceCount = deviceCount;

  if (deviceCount < 1) {
    currentSession = kNoSession;
    currentKind = kInterfaceNone;  // SendCommand and ReadReply then have nowhere to go
    currentSlot = 0;
    currentResource.clear();
    deviceListBox.enabled = false;
    deviceListBox.lines.push_back(kNoDevice);
    return;
  }

  for (std::size_t p = 0; p < deviceList.size(); ++p) {
    const DeviceEntry& entry = deviceList[p];
    bool ok = true;
    const std::string reply = Identify(entry, &ok);
    if (!ok) continue;
    deviceListBox.lines.push_back(BuildDeviceLabel(reply, entry.resource));
    if (p < CConsoleDeviceTable::kPositions) {
      console_.devices[p].session =
          entry.kind == kInterfaceUsb ? usbSessions[entry.slot] : gpibSessions[entry.slot];
      console_.devices[p].kind = static_cast<std::int16_t>(entry.kind);
    }
  }

  deviceListBox.enabled = true;
  deviceListBox.selection = 0;
  SelectDevice(0);

  for (CConsoleDevice& d : console_.devices) d.name.clear();
  for (int p = 0; p < deviceCount && p < CConsoleDeviceTable::kPositions &&
                  p < static_cast<int>(deviceListBox.lines.size());
       ++p) {
    console_.devices[p].name = deviceListBox.lines[p];
  }

  int widest = 0;
  for (const std::string& line : deviceListBox.lines)
    widest = std::max(widest, ui_.TextWidth(line));
  deviceListBox.horizontalExtent = widest;
}

std::string CDeviceManager::Identify(const DeviceEntry& entry, bool* ok) {
  static const std::string kIdn = "*IDN?\n";
  *ok = true;
  if (entry.kind == kInterfaceUsb) {
    if (!Allocate(kIdn.size() + 1)) {
      ui_.ShowMessage(kNoMemoryWrite, messageCaption, MessageIcon::Error);
      *ok = false;
      return {};
    }
    const ViSession vi = usbSessions[entry.slot];
    WriteText(vi, kIdn);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    if (!Allocate(kUsbIdnReplySize)) {
      ui_.ShowMessage(kNoMemoryRead, messageCaption, MessageIcon::Error);
      *ok = false;
      return {};
    }
    std::vector<ViByte> buf(kUsbIdnReplySize, 0);
    ViUInt32 count = 0;
    viRead(vi, buf.data(), static_cast<ViUInt32>(buf.size()), &count);
    return TextOf(buf, count);
  }
  const ViSession vi = gpibSessions[entry.slot];
  WriteText(vi, kIdn);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  viSetAttribute(vi, VI_ATTR_TMO_VALUE, visaTimeoutMs);
  std::vector<ViByte> buf(kGpibIdnReplySize, 0);
  ViUInt32 count = 0;
  viRead(vi, buf.data(), static_cast<ViUInt32>(buf.size()), &count);
  return TextOf(buf, count);
}

int CDeviceManager::FindGpibDevices() {
  for (int slot = 0; slot < gpibCount && slot < kGpibSlots; ++slot) {
    if (gpibSessions[slot] != 0) {
      viClose(gpibSessions[slot]);
      gpibSessions[slot] = 0;
    }
  }
  if (gpibResourceManager != 0) {
    viClose(gpibResourceManager);
    gpibResourceManager = 0;
    gpibFindList = 0;
  }
  gpibCount = 0;

  if (viOpenDefaultRM(&gpibResourceManager) < VI_SUCCESS) {
    gpibResourceManager = 0;
    return 0;
  }
  ViUInt32 found = 0;
  ViChar name[VI_FIND_BUFLEN] = {};
  if (viFindRsrc(gpibResourceManager, kGpibExpression, &gpibFindList, &found, name) < VI_SUCCESS) {
    viClose(gpibResourceManager);
    gpibResourceManager = 0;
    return 0;
  }
  // The session table holds 30; further instruments are not listed.
  const int n = static_cast<int>(std::min<ViUInt32>(found, kGpibSlots));
  std::vector<std::pair<ViSession, std::string>> opened;
  for (int i = 0; i < n; ++i) {
    ViSession vi = 0;
    viOpen(gpibResourceManager, name, VI_NO_LOCK, 0, &vi);
    viSetAttribute(vi, VI_ATTR_TMO_VALUE, visaTimeoutMs);
    opened.emplace_back(vi, name);
    if (viFindNext(gpibFindList, name) < VI_SUCCESS) break;
  }
  // The first name found takes the highest slot. Slots are given once the walk is over, so a
  // walk that ends early still fills exactly the slots below gpibCount, which the next search
  // closes.
  gpibCount = static_cast<std::int32_t>(opened.size());
  for (std::size_t i = 0; i < opened.size(); ++i) {
    const int slot = gpibCount - 1 - static_cast<int>(i);
    gpibSessions[slot] = opened[i].first;
    deviceList.push_back({kInterfaceGpib, slot, std::move(opened[i].second)});
  }
  return gpibCount;
}

int CDeviceManager::FindUsbDevices() {
  ViSession rm = 0;
  if (viOpenDefaultRM(&rm) < VI_SUCCESS) return 0;
  ViFindList list = 0;
  ViUInt32 found = 0;
  ViChar name[VI_FIND_BUFLEN] = {};
  if (viFindRsrc(rm, kUsbHexExpression, &list, &found, name) < VI_SUCCESS &&
      viFindRsrc(rm, kUsbDecimalExpression, &list, &found, name) < VI_SUCCESS) {
    viClose(rm);
    return 0;
  }
  const int n = static_cast<int>(std::min<ViUInt32>(found, kUsbSlots));
  int listed = 0;
  for (int i = 0; i < n; ++i) {
    ViSession vi = 0;
    viOpen(rm, name, VI_NO_LOCK, 0, &vi);
    viSetAttribute(vi, VI_ATTR_TMO_VALUE, visaTimeoutMs);
    std::string resource = name;
    const std::size_t at4100 = resource.find("4100");
    if (resource.find("6747") != std::string::npos && at4100 != std::string::npos) {
      resource = "USB0::0X1A5B::0X1004::" + Slice(resource, at4100 + 6, 10) + "::INSTR";
    }
    usbSessions[i] = vi;
    deviceList.push_back({kInterfaceUsb, i, resource});
    ++listed;
    if (viFindNext(list, name) < VI_SUCCESS) break;
  }
  return listed;
}

std::string CDeviceManager::BuildDeviceLabel(std::string reply, std::string resource) {
  std::string label;
  const std::size_t c1 = reply.find(',');
  if (reply.empty() || c1 == std::string::npos) {
    label = "Unknow Manufacture";
  } else {
    const std::string rest = reply.substr(c1 + 1);
    const std::size_t c2 = rest.find(',');
    label = c2 == std::string::npos ? "Unknow Model" : Upper(rest.substr(0, c2));
  }

  if (resource.compare(0, 3, "USB") == 0) {
    const std::string upper = Upper(resource);
    const std::size_t b = upper.find("1004");
    const std::size_t c = upper.find("4100");
    if (b != std::string::npos && b > 0) {
      label += "--USBTMC--" + Slice(upper, b + 6, 10);
    } else if (c != std::string::npos && c > 0) {
      label += "--USBTMC--" + Slice(upper, c + 6, 10);
    }
  } else if (resource.find("GPIB") != std::string::npos) {
    const std::size_t l = resource.rfind(':');
    const std::size_t f = resource.find("::");
    std::string address;
    if (f != std::string::npos && l != std::string::npos && l >= f + 3) {
      address = resource.substr(f + 2, l - f - 3);
    }
    label += "--GPIB--" + address;
  }
  return label;
}

void CDeviceManager::SelectDevice(std::int16_t position) {
  if (position < 0 || static_cast<std::size_t>(position) >= deviceList.size()) return;
  const DeviceEntry& e = deviceList[static_cast<std::size_t>(position)];
  currentKind = e.kind;
  currentSlot = e.slot;
  currentResource = e.resource;
  currentSession = e.kind == kInterfaceGpib ? gpibSessions[e.slot] : usbSessions[e.slot];
}

void CDeviceManager::RefreshDevices() {
  ui_.BeginWaitCursor();
  deviceListBox.lines.clear();
  deviceListBox.selection = -1;
  for (const DeviceEntry& e : deviceList) {
    if (e.kind == kInterfaceUsb) viClose(usbSessions[e.slot]);
  }
  deviceList.clear();
  for (CConsoleDevice& d : console_.devices) d.kind = -1;
  DiscoverDevices();
  ui_.EndWaitCursor();
}

}  // namespace zc::fp

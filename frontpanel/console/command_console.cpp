#include "console/command_console.h"

#include <algorithm>
#include <limits>
#include <new>
#include <utility>

namespace zc::fp {
namespace {

const char* kNoMemoryWrite = "Insufficient memory available(viWrite).";
const char* kNoMemoryRead = "Insufficient memory available(viRead).";

// A reply is text up to its first zero byte, whatever the instrument sent after it.
std::string TextOf(const std::vector<ViByte>& buf, ViUInt32 count) {
  const auto* begin = reinterpret_cast<const char*>(buf.data());
  const std::size_t n = std::min<std::size_t>(count, buf.size());
  return std::string(begin, std::find(begin, begin + n, '\0'));
}

}  // namespace

CCommandConsole::CCommandConsole(CUserInterface& ui, const CConsoleDeviceTable& devices)
    : ui_(ui), devices_(devices) {}

void CCommandConsole::Open() {
  listed_.clear();
  // The table holds four; discovery may have counted more, and an instrument that did not
  // identify itself has no name to show.
  const int count = std::clamp(devices_.deviceCount, 0, CConsoleDeviceTable::kPositions);
  for (int p = 0; p < count; ++p) {
    if (!devices_.devices[static_cast<std::size_t>(p)].name.empty()) listed_.push_back(p);
  }
  selection_ = -1;
  session_ = kNoSession;
  SelectDevice(0);
  sendText = kFirstCommand;
  receivedText.clear();
  history_.clear();
  historyVisible_ = false;
  historySelection_ = -1;
}

std::vector<std::string> CCommandConsole::DeviceNames() const {
  std::vector<std::string> names;
  for (int p : listed_) names.push_back(devices_.devices[static_cast<std::size_t>(p)].name);
  return names;
}

void CCommandConsole::SelectDevice(int listPosition) {
  if (listPosition < 0 || listPosition >= static_cast<int>(listed_.size())) return;
  selection_ = listPosition;
  session_ = devices_.devices[static_cast<std::size_t>(listed_[listPosition])].session;
}

std::int16_t CCommandConsole::SelectedKind() const {
  if (selection_ < 0 || selection_ >= static_cast<int>(listed_.size())) return -1;
  return devices_.devices[static_cast<std::size_t>(listed_[selection_])].kind;
}

void CCommandConsole::WriteStep(const std::string& text) {
  lastCommand = text + '\n';
  lastReply.clear();
  if (!Allocate(lastCommand.size() + 1)) {
    ui_.ShowMessage(kNoMemoryWrite, messageCaption, MessageIcon::Stop);
    return;
  }
  const std::int16_t kind = SelectedKind();
  if (kind != kInterfaceUsb && kind != kInterfaceGpib) return;
  const std::size_t size =
      std::min<std::size_t>(lastCommand.size(), std::numeric_limits<ViUInt32>::max());
  ViUInt32 written = 0;
  // A failed write shows as a failed or empty read; the console does not report it.
  viWrite(session_, reinterpret_cast<ViConstBuf>(lastCommand.data()), static_cast<ViUInt32>(size),
          &written);
}

std::string CCommandConsole::ReadStep() {
  if (!Allocate(kReadSize)) {
    ui_.ShowMessage(kNoMemoryRead, messageCaption, MessageIcon::Stop);
    return lastReply;
  }
  std::string reply;
  const std::int16_t kind = SelectedKind();
  if (kind == kInterfaceUsb) {
    reply = ReadUsb();
  } else if (kind == kInterfaceGpib) {
    bool noMemory = false;
    reply = ReadGpib(&noMemory);
    if (noMemory) {
      ui_.ShowMessage(kNoMemoryRead, messageCaption, MessageIcon::Stop);
      return lastReply;
    }
  }
  // With no interface nothing was read, so there is nothing to show.
  lastReply = reply;
  return lastReply;
}

std::string CCommandConsole::ReadUsb() {
  std::vector<ViByte> buf(kReadSize, 0);
  ViUInt32 count = 0;
  const ViStatus status = viRead(session_, buf.data(), static_cast<ViUInt32>(buf.size()), &count);
  // A full buffer with more to come counts as a failure too: the rest would be taken for the
  // answer to the next command.
  if (status != VI_SUCCESS) {
    viClear(session_);
    return {};
  }
  return TextOf(buf, count);
}

// The whole reply, however long: the user asked for it and wants to see all of it.
std::string CCommandConsole::ReadGpib(bool* noMemory) {
  if (!Allocate(kGpibReadSize)) {
    *noMemory = true;
    return {};
  }
  std::vector<ViByte> buf;
  try {
    buf.assign(kGpibReadSize, 0);
  } catch (const std::bad_alloc&) {
    *noMemory = true;
    return {};
  }
  viSetAttribute(session_, VI_ATTR_TMO_VALUE, kGpibTimeoutMs);
  ViUInt32 count = 0;
  viRead(session_, buf.data(), static_cast<ViUInt32>(buf.size()), &count);
  if (count == 0) {
    viClear(session_);
    return {};
  }
  return TextOf(buf, count);
}

void CCommandConsole::Query() {
  const std::string text = sendText;
  WriteStep(text);
  receivedText = ReadStep();
  UpdateHistory(text);
}

void CCommandConsole::Write() {
  const std::string text = sendText;
  WriteStep(text);
  receivedText.clear();
  UpdateHistory(text);
}

void CCommandConsole::Read() {
  receivedText = ReadStep();
}

void CCommandConsole::UpdateHistory(const std::string& text) {
  const auto same = std::find(history_.begin(), history_.end(), text);
  if (same != history_.end()) history_.erase(same);
  history_.insert(history_.begin(), text);
  if (history_.size() > kHistoryLimit) history_.resize(kHistoryLimit);
  historySelection_ = 0;
  historyVisible_ = true;
}

void CCommandConsole::ChooseHistory(int index) {
  if (index < 0 || index >= static_cast<int>(history_.size())) return;
  historySelection_ = index;
  sendText = history_[static_cast<std::size_t>(index)];
}

}  // namespace zc::fp

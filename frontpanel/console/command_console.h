// The command console's rules: which instrument commands go to, the write and read steps, the
// Query, Write and Read actions and the history of sent commands. Plain C++ over the VISA C
// interface, so the dialog only shows it and every rule is tested without a display.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/user_interface.h"
#include "console/console_devices.h"
#include "instrument/device_manager.h"
#include "visa.h"

namespace zc::fp {

class CCommandConsole {
 public:
  static constexpr std::size_t kReadSize = 128;
  static constexpr std::size_t kGpibReadSize = 0xFFFFF;
  static constexpr ViUInt32 kGpibTimeoutMs = 15000;
  static constexpr std::size_t kHistoryLimit = 20;
  static constexpr const char* kFirstCommand = "*IDN?";

  CCommandConsole(CUserInterface& ui, const CConsoleDeviceTable& devices);

  void SetBufferAllocator(BufferAllocator allocator) { allocate_ = std::move(allocator); }

  // Each showing: the named instruments of the table, the first selected, "*IDN?" to send,
  // nothing received and an empty, hidden history.
  void Open();

  // Whether there is an instrument to talk to; without one every command control is disabled.
  bool HasDevice() const { return !listed_.empty(); }
  // The names the device list shows, in order.
  std::vector<std::string> DeviceNames() const;
  // A position in the device list; anything outside it leaves the choice as it is.
  void SelectDevice(int listPosition);
  int selection() const { return selection_; }
  ViSession consoleSession() const { return session_; }
  // The interface of the chosen instrument: 2 GPIB, 4 USB, anything else none.
  std::int16_t SelectedKind() const;

  // Writes text plus a line feed to the chosen instrument.
  void WriteStep(const std::string& text);
  // One reply from the chosen instrument: up to 128 bytes over USB, the whole reply over GPIB;
  // empty (and the session cleared) when the read did not end cleanly.
  std::string ReadStep();

  // The buttons. Each reads sendText and leaves what to show in receivedText.
  void Query();
  void Write();
  void Read();

  // Moves text to the top of the history (without a duplicate) and shows the history.
  void UpdateHistory(const std::string& text);
  // The history entry the user picked becomes the text to send.
  void ChooseHistory(int index);
  const std::vector<std::string>& history() const { return history_; }
  bool historyVisible() const { return historyVisible_; }
  int historySelection() const { return historySelection_; }

  std::string sendText;
  std::string receivedText;
  std::string lastCommand;  // with its line feed
  std::string lastReply;

 private:
  bool Allocate(std::size_t size) const { return allocate_ ? allocate_(size) : true; }
  std::string ReadUsb();
  std::string ReadGpib(bool* noMemory);

  CUserInterface& ui_;
  const CConsoleDeviceTable& devices_;
  BufferAllocator allocate_;
  std::vector<int> listed_;  // table position of each device-list entry
  int selection_ = -1;
  ViSession session_ = kNoSession;
  std::vector<std::string> history_;
  bool historyVisible_ = false;
  int historySelection_ = -1;
};

}  // namespace zc::fp

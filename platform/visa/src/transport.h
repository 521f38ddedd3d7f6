// One way of reaching an instrument. The session layer owns one transport per open session.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "resource_name.h"
#include "visa.h"

namespace zc::visa {

using Clock = std::chrono::steady_clock;
using Deadline = Clock::time_point;

class Transport {
 public:
  virtual ~Transport() = default;

  // Connects to the resource. No I/O happens before this call.
  virtual ViStatus Open(const ResourceName& name, Deadline deadline) = 0;

  // Sends the bytes as one message (the transport marks its end). *written gets the count sent.
  virtual ViStatus Write(std::span<const std::uint8_t> data, std::size_t* written,
                         Deadline deadline) = 0;

  // Reads one message, or as much of it as fits. *got gets the count stored in buf.
  // Returns VI_SUCCESS when the message ended within buf, VI_SUCCESS_MAX_CNT when buf filled
  // first (the rest stays readable by the next call), VI_ERROR_TMO at the deadline (bytes read
  // so far are in buf), VI_ERROR_CONN_LOST or VI_ERROR_IO when the link failed.
  virtual ViStatus Read(std::span<std::uint8_t> buf, std::size_t* got, Deadline deadline) = 0;

  // Device clear: discards the instrument's pending input and output and ours.
  virtual ViStatus Clear(Deadline deadline) = 0;

  // Addresses the device and sends it Go To Local (GPIB), or the nearest equivalent.
  virtual ViStatus GoToLocal(Deadline deadline) = 0;

  virtual void Close() = 0;
};

// Lists the resources one interface can reach now, as resource-name texts.
// Each backend offers one; the session layer asks them all for viFindRsrc.
class Enumerator {
 public:
  virtual ~Enumerator() = default;
  virtual std::vector<std::string> List() = 0;
};

}  // namespace zc::visa

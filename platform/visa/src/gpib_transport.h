// GPIB instruments through linux-gpib, loaded at run time so the library works without it.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "transport.h"

namespace zc::visa {

// The part of linux-gpib's C interface we call, resolved from libgpib at run time.
struct GpibLibrary {
  int (*ibdev)(int board, int pad, int sad, int timeout, int sendEoi, int eos) = nullptr;
  int (*ibonl)(int ud, int online) = nullptr;
  int (*ibwrt)(int ud, const void* data, long count) = nullptr;
  int (*ibrd)(int ud, void* buf, long count) = nullptr;
  int (*ibclr)(int ud) = nullptr;
  int (*ibloc)(int ud) = nullptr;
  int (*ibtmo)(int ud, int timeout) = nullptr;
  int (*ibln)(int ud, int pad, int sad, short* found) = nullptr;

  // Outcome of the calling thread's last call: the per-thread accessors when the library has
  // them, else its global variables.
  int (*threadIbsta)() = nullptr;
  int (*threadIberr)() = nullptr;
  long (*threadIbcntl)() = nullptr;
  volatile int* ibsta = nullptr;
  volatile int* iberr = nullptr;
  volatile long* ibcntl = nullptr;

  int Status() const;
  int Error() const;
  long Count() const;
};

// Bits of ibsta and values of iberr we act on.
inline constexpr int kGpibErr = 0x8000;
inline constexpr int kGpibTimo = 0x4000;
inline constexpr int kGpibEnd = 0x2000;
inline constexpr int kGpibEdvr = 0;
inline constexpr int kGpibEcic = 1;
inline constexpr int kGpibEnol = 2;
inline constexpr int kGpibEabo = 6;
inline constexpr int kGpibEneb = 7;

// Boards asked when listing resources.
inline constexpr int kGpibBoardsListed = 4;

// linux-gpib once loaded, or nullptr when it is not on this machine.
const GpibLibrary* LoadedGpibLibrary();

// Why GPIB is unavailable ("" when linux-gpib was loaded), for error texts.
std::string GpibUnavailableReason();

// The smallest GPIB timeout code (T10us = 1 ... T1000s = 17) that lasts at least `left`; T1000s
// when nothing does. Never TNONE (0), which would mean waiting for ever.
int GpibTimeoutCode(std::chrono::nanoseconds left);

// Timeout code for the time left until the deadline; TNONE only for Deadline::max().
int GpibTimeoutCodeFor(Deadline deadline);

std::unique_ptr<Transport> MakeGpibTransport();
std::unique_ptr<Enumerator> MakeGpibEnumerator();

// Over a given library (nullptr: as if linux-gpib were missing), so tests can stand in for it.
std::unique_ptr<Transport> MakeGpibTransportOver(const GpibLibrary* library);
std::unique_ptr<Enumerator> MakeGpibEnumeratorOver(const GpibLibrary* library);

}  // namespace zc::visa

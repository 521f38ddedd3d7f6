#include "gpib_transport.h"

#include <dlfcn.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <string_view>

namespace zc::visa {
namespace {

using std::chrono::nanoseconds;

constexpr int kNoSecondary = 0;  // ibdev/ibln: no secondary address
constexpr int kTimeoutNone = 0;  // TNONE: no timeout at all
constexpr int kMaxAddress = 30;

// Durations of the timeout codes T10us (1) to T1000s (17), in order.
constexpr nanoseconds kTimeoutCodes[] = {
    std::chrono::microseconds(10),  std::chrono::microseconds(30),
    std::chrono::microseconds(100), std::chrono::microseconds(300),
    std::chrono::milliseconds(1),   std::chrono::milliseconds(3),
    std::chrono::milliseconds(10),  std::chrono::milliseconds(30),
    std::chrono::milliseconds(100), std::chrono::milliseconds(300),
    std::chrono::seconds(1),        std::chrono::seconds(3),
    std::chrono::seconds(10),       std::chrono::seconds(30),
    std::chrono::seconds(100),      std::chrono::seconds(300),
    std::chrono::seconds(1000),
};

struct Loaded {
  GpibLibrary library;
  bool ok = false;
  std::string reason;
};

template <typename F>
bool Resolve(void* handle, const char* symbol, F* out) {
  *out = reinterpret_cast<F>(::dlsym(handle, symbol));
  return *out != nullptr;
}

Loaded LoadOnce() {
  Loaded loaded;
  constexpr const char* kSoname = "libgpib.so.0";
  void* handle = ::dlopen(kSoname, RTLD_NOW | RTLD_LOCAL);
  std::string firstError;
  if (handle == nullptr) {
    const char* e = ::dlerror();
    firstError = e != nullptr ? e : "";
    // Some installs ship only the development name.
    handle = ::dlopen("libgpib.so", RTLD_NOW | RTLD_LOCAL);
  }
  if (handle == nullptr) {
    if (firstError.empty() || firstError.find("No such file") != std::string::npos) {
      loaded.reason = std::string("linux-gpib library ") + kSoname + " not found";
    } else {
      loaded.reason = std::string("linux-gpib library ") + kSoname + " could not be loaded: " + firstError;
    }
    return loaded;
  }

  GpibLibrary& lib = loaded.library;
  const char* missing = nullptr;
  if (!Resolve(handle, "ibdev", &lib.ibdev)) missing = "ibdev";
  else if (!Resolve(handle, "ibonl", &lib.ibonl)) missing = "ibonl";
  else if (!Resolve(handle, "ibwrt", &lib.ibwrt)) missing = "ibwrt";
  else if (!Resolve(handle, "ibrd", &lib.ibrd)) missing = "ibrd";
  else if (!Resolve(handle, "ibclr", &lib.ibclr)) missing = "ibclr";
  else if (!Resolve(handle, "ibloc", &lib.ibloc)) missing = "ibloc";
  else if (!Resolve(handle, "ibtmo", &lib.ibtmo)) missing = "ibtmo";
  else if (!Resolve(handle, "ibln", &lib.ibln)) missing = "ibln";
  if (missing == nullptr) {
    // Per-thread status where the library has it; sessions may run on several threads.
    if (!Resolve(handle, "ThreadIbsta", &lib.threadIbsta) && !Resolve(handle, "ibsta", &lib.ibsta)) {
      missing = "ibsta";
    } else if (!Resolve(handle, "ThreadIberr", &lib.threadIberr) &&
               !Resolve(handle, "iberr", &lib.iberr)) {
      missing = "iberr";
    } else if (!Resolve(handle, "ThreadIbcntl", &lib.threadIbcntl) &&
               !Resolve(handle, "ibcntl", &lib.ibcntl)) {
      missing = "ibcntl";
    }
  }
  if (missing != nullptr) {
    loaded.reason = std::string("linux-gpib library ") + kSoname + " lacks " + missing;
    loaded.library = GpibLibrary{};
    // The handle stays open: unloading a library that half matched gains nothing.
    return loaded;
  }
  loaded.ok = true;
  return loaded;
}

const Loaded& Library() {
  static const Loaded loaded = LoadOnce();
  return loaded;
}

// Status for a call that came back with ERR set.
ViStatus StatusFromFailure(const GpibLibrary& lib) {
  int error = lib.Error();
  if ((lib.Status() & kGpibTimo) != 0 || error == kGpibEabo) return VI_ERROR_TMO;
  switch (error) {
    case kGpibEnol:
      return VI_ERROR_NLISTENERS;
    case kGpibEcic:
      return VI_ERROR_NCIC;
    case kGpibEdvr:
      // A system error; the count holds errno. A USB adapter pulled out shows as ENODEV.
      return lib.Count() == ENODEV ? VI_ERROR_CONN_LOST : VI_ERROR_IO;
    default:
      return VI_ERROR_IO;
  }
}

// Bytes moved by the last call, kept within what was asked (the library's word is not trusted
// blindly). After a system error the count is an errno, not bytes.
std::size_t BytesMoved(const GpibLibrary& lib, int status, std::size_t asked) {
  if ((status & kGpibErr) != 0 && lib.Error() == kGpibEdvr) return 0;
  long n = lib.Count();
  if (n <= 0) return 0;
  return std::min(static_cast<std::size_t>(n), asked);
}

class GpibEnumerator final : public Enumerator {
 public:
  explicit GpibEnumerator(const GpibLibrary* lib) : lib_(lib) {}

  std::vector<std::string> List() override {
    std::vector<std::string> names;
    if (lib_ == nullptr) return names;
    for (int board = 0; board < kGpibBoardsListed; ++board) {
      for (int pad = 1; pad <= kMaxAddress; ++pad) {
        short found = 0;
        int status = lib_->ibln(board, pad, kNoSecondary, &found);
        // A board that is missing or not configured fails its first query; skip it.
        if ((status & kGpibErr) != 0) break;
        if (found != 0) names.push_back("GPIB" + std::to_string(board) + "::" + std::to_string(pad) + "::INSTR");
      }
    }
    return names;
  }

 private:
  const GpibLibrary* lib_;
};

class GpibTransport final : public Transport {
 public:
  explicit GpibTransport(const GpibLibrary* lib) : lib_(lib) {}
  ~GpibTransport() override { Close(); }

  ViStatus Open(const ResourceName& name, Deadline deadline) override {
    Close();
    if (lib_ == nullptr) return VI_ERROR_LIBRARY_NFOUND;
    if (name.interface != InterfaceType::Gpib || name.resourceClass != ResourceClass::Instr) {
      return VI_ERROR_RSRC_NFOUND;
    }
    if (name.primaryAddress < 0 || name.primaryAddress > kMaxAddress ||
        name.secondaryAddress < -1 || name.secondaryAddress > kMaxAddress) {
      return VI_ERROR_INV_RSRC_NAME;
    }
    if (name.board > static_cast<unsigned>(INT_MAX)) return VI_ERROR_RSRC_NFOUND;
    const int board = static_cast<int>(name.board);
    // Secondary addresses go on the bus as 0x60 + n.
    const int sad = name.secondaryAddress < 0 ? kNoSecondary : 0x60 + name.secondaryAddress;
    const int timeout = GpibTimeoutCodeFor(deadline);

    int ud = lib_->ibdev(board, name.primaryAddress, sad, timeout, /*sendEoi=*/1, /*eos=*/0);
    if (ud < 0 || (lib_->Status() & kGpibErr) != 0) {
      // The board is not there or not configured.
      if (ud >= 0) lib_->ibonl(ud, 0);
      return VI_ERROR_RSRC_NFOUND;
    }
    // Fail now, not at the first timeout, when nobody listens at the address. A board that
    // cannot run the poll (not in charge of the bus) leaves the question open.
    short found = 0;
    int status = lib_->ibln(board, name.primaryAddress, sad, &found);
    if ((status & kGpibErr) == 0 && found == 0) {
      lib_->ibonl(ud, 0);
      return VI_ERROR_RSRC_NFOUND;
    }
    ud_ = ud;
    timeoutCode_ = timeout;
    return VI_SUCCESS;
  }

  ViStatus Write(std::span<const std::uint8_t> data, std::size_t* written,
                 Deadline deadline) override {
    *written = 0;
    if (ud_ < 0) return VI_ERROR_CONN_LOST;
    if (ViStatus st = SetTimeout(deadline); st != VI_SUCCESS) return st;
    const std::size_t asked = std::min<std::size_t>(data.size(), LONG_MAX);
    int status = lib_->ibwrt(ud_, data.data(), static_cast<long>(asked));
    *written = BytesMoved(*lib_, status, asked);
    if ((status & kGpibErr) != 0) return StatusFromFailure(*lib_);
    return VI_SUCCESS;
  }

  ViStatus Read(std::span<std::uint8_t> buf, std::size_t* got, Deadline deadline) override {
    *got = 0;
    if (ud_ < 0) return VI_ERROR_CONN_LOST;
    if (buf.empty()) return VI_SUCCESS_MAX_CNT;
    if (ViStatus st = SetTimeout(deadline); st != VI_SUCCESS) return st;
    const std::size_t asked = std::min<std::size_t>(buf.size(), LONG_MAX);
    int status = lib_->ibrd(ud_, buf.data(), static_cast<long>(asked));
    *got = BytesMoved(*lib_, status, asked);
    if ((status & kGpibErr) != 0) return StatusFromFailure(*lib_);
    if ((status & kGpibEnd) != 0) return VI_SUCCESS;
    // Stopped at the count with the talker still mid-message: it goes on with the next ibrd.
    return *got == buf.size() ? VI_SUCCESS_MAX_CNT : VI_SUCCESS;
  }

  ViStatus Clear(Deadline deadline) override {
    if (ud_ < 0) return VI_ERROR_CONN_LOST;
    if (ViStatus st = SetTimeout(deadline); st != VI_SUCCESS) return st;
    if ((lib_->ibclr(ud_) & kGpibErr) != 0) return StatusFromFailure(*lib_);
    return VI_SUCCESS;
  }

  ViStatus GoToLocal(Deadline deadline) override {
    if (ud_ < 0) return VI_ERROR_CONN_LOST;
    if (ViStatus st = SetTimeout(deadline); st != VI_SUCCESS) return st;
    if ((lib_->ibloc(ud_) & kGpibErr) != 0) return StatusFromFailure(*lib_);
    return VI_SUCCESS;
  }

  void Close() override {
    if (ud_ >= 0 && lib_ != nullptr) lib_->ibonl(ud_, 0);
    ud_ = -1;
  }

 private:
  // The bus waits by timeout codes only; take the shortest one that covers the time left.
  ViStatus SetTimeout(Deadline deadline) {
    int code = GpibTimeoutCodeFor(deadline);
    if (code == timeoutCode_) return VI_SUCCESS;
    if ((lib_->ibtmo(ud_, code) & kGpibErr) != 0) return StatusFromFailure(*lib_);
    timeoutCode_ = code;
    return VI_SUCCESS;
  }

  const GpibLibrary* lib_;
  int ud_ = -1;
  int timeoutCode_ = -1;
};

}  // namespace

int GpibLibrary::Status() const {
  if (threadIbsta != nullptr) return threadIbsta();
  if (ibsta != nullptr) return *ibsta;
  return kGpibErr;
}

int GpibLibrary::Error() const {
  if (threadIberr != nullptr) return threadIberr();
  if (iberr != nullptr) return *iberr;
  return kGpibEdvr;
}

long GpibLibrary::Count() const {
  if (threadIbcntl != nullptr) return threadIbcntl();
  if (ibcntl != nullptr) return *ibcntl;
  return 0;
}

const GpibLibrary* LoadedGpibLibrary() {
  const Loaded& loaded = Library();
  return loaded.ok ? &loaded.library : nullptr;
}

std::string GpibUnavailableReason() { return Library().reason; }

int GpibTimeoutCode(nanoseconds left) {
  constexpr int kCodes = static_cast<int>(std::size(kTimeoutCodes));
  for (int i = 0; i < kCodes; ++i) {
    if (kTimeoutCodes[i] >= left) return i + 1;
  }
  return kCodes;
}

int GpibTimeoutCodeFor(Deadline deadline) {
  if (deadline == Deadline::max()) return kTimeoutNone;
  const auto now = Clock::now();
  return GpibTimeoutCode(deadline <= now ? nanoseconds(0) : deadline - now);
}

std::unique_ptr<Transport> MakeGpibTransport() {
  return std::make_unique<GpibTransport>(LoadedGpibLibrary());
}

std::unique_ptr<Enumerator> MakeGpibEnumerator() {
  return std::make_unique<GpibEnumerator>(LoadedGpibLibrary());
}

std::unique_ptr<Transport> MakeGpibTransportOver(const GpibLibrary* library) {
  return std::make_unique<GpibTransport>(library);
}

std::unique_ptr<Enumerator> MakeGpibEnumeratorOver(const GpibLibrary* library) {
  return std::make_unique<GpibEnumerator>(library);
}

}  // namespace zc::visa

#include "sim_transport.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

namespace zc::visa {
namespace {

struct SimEntry {
  std::vector<std::pair<std::string, std::string>> options;
  std::shared_ptr<sim::Counter> counter;
};

std::mutex gSimMutex;
std::map<std::string, SimEntry>& SimTable() {
  static std::map<std::string, SimEntry> table;  // keyed by canonical resource name
  return table;
}

bool HasKey(const std::vector<std::pair<std::string, std::string>>& options, std::string_view key) {
  return std::any_of(options.begin(), options.end(), [&](const auto& kv) {
    if (kv.first.size() != key.size()) return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
      if (std::tolower(static_cast<unsigned char>(kv.first[i])) != key[i]) return false;
    }
    return true;
  });
}

class SimTransport final : public Transport {
 public:
  explicit SimTransport(std::shared_ptr<sim::Counter> counter) : counter_(std::move(counter)) {}

  ViStatus Open(const ResourceName&, Deadline) override {
    return counter_->Disconnected() ? VI_ERROR_CONN_LOST : VI_SUCCESS;
  }

  ViStatus Write(std::span<const std::uint8_t> data, std::size_t* written, Deadline) override {
    *written = 0;
    std::string_view message(reinterpret_cast<const char*>(data.data()), data.size());
    if (!counter_->Receive(message)) return VI_ERROR_CONN_LOST;
    *written = data.size();
    return VI_SUCCESS;
  }

  ViStatus Read(std::span<std::uint8_t> buf, std::size_t* got, Deadline deadline) override {
    *got = 0;
    if (pending_.empty()) {
      switch (counter_->Reply(&pending_, deadline)) {
        case sim::ReadStatus::Ok:
          break;
        case sim::ReadStatus::Timeout:
          return VI_ERROR_TMO;
        case sim::ReadStatus::Disconnected:
          return VI_ERROR_CONN_LOST;
      }
    }
    const std::size_t n = std::min(buf.size(), pending_.size());
    std::memcpy(buf.data(), pending_.data(), n);
    pending_.erase(0, n);
    *got = n;
    // The message's end came with this chunk only when nothing of it is left over.
    return pending_.empty() ? VI_SUCCESS : VI_SUCCESS_MAX_CNT;
  }

  ViStatus Clear(Deadline) override {
    pending_.clear();
    if (counter_->Disconnected()) return VI_ERROR_CONN_LOST;
    counter_->DeviceClear();
    return VI_SUCCESS;
  }

  ViStatus GoToLocal(Deadline) override {
    if (counter_->Disconnected()) return VI_ERROR_CONN_LOST;
    counter_->GoToLocal();
    return VI_SUCCESS;
  }

  void Close() override { pending_.clear(); }

 private:
  std::shared_ptr<sim::Counter> counter_;
  std::string pending_;  // the unread rest of the current reply message
};

}  // namespace

std::shared_ptr<sim::Counter> SimulatedCounterFor(const DeclaredResource& resource) {
  std::vector<std::pair<std::string, std::string>> options = resource.options;
  // A USB counter answers with the serial its name carries unless told otherwise.
  if (resource.name.interface == InterfaceType::Usb && !HasKey(options, "serial")) {
    options.emplace_back("serial", resource.name.serial);
  }
  std::lock_guard lock(gSimMutex);
  SimEntry& entry = SimTable()[resource.name.Canonical()];
  if (!entry.counter || entry.options != options) {
    std::string error;
    auto parsed = sim::Options::FromKeyValues(options, &error);
    if (!parsed) return nullptr;
    auto counter = std::make_shared<sim::Counter>(std::move(*parsed));
    // A log asked for but not writable: the open fails rather than run the instrument unlogged.
    if (!counter->LogError().empty()) return nullptr;
    entry.options = std::move(options);
    entry.counter = std::move(counter);
  }
  return entry.counter;
}

std::shared_ptr<sim::Counter> SimulatedInstrument(std::string_view resourceName) {
  ParsedResourceName parsed = ParseResourceName(resourceName);
  if (!parsed.name) return nullptr;
  std::lock_guard lock(gSimMutex);
  auto it = SimTable().find(parsed.name->Canonical());
  return it == SimTable().end() ? nullptr : it->second.counter;
}

void ResetSimulatedInstruments() {
  std::lock_guard lock(gSimMutex);
  SimTable().clear();
}

std::unique_ptr<Transport> MakeSimTransport(std::shared_ptr<sim::Counter> counter) {
  return std::make_unique<SimTransport>(std::move(counter));
}

}  // namespace zc::visa

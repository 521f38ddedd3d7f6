// The library's objects (resource managers, sessions, find lists) behind 32-bit handles.
#pragma once

#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "config.h"
#include "transport.h"
#include "visa.h"

namespace zc::visa {

struct ResourceManagerObject {
  Config config;
  std::set<ViObject> children;  // sessions and find lists opened through this manager
};

struct SessionObject {
  ViObject rm = 0;
  std::string text;  // the name as the caller gave it
  ResourceName name;
  std::mutex io;     // one transfer at a time on a session
  std::unique_ptr<Transport> transport;
  ViUInt32 timeoutMs = 2000;  // the standard's default I/O timeout
  ViUInt8 termChar = '\n';
  bool termCharEnabled = false;
  bool sendEndEnabled = true;
};

struct FindListObject {
  ViObject rm = 0;
  std::vector<std::string> names;
  std::size_t next = 0;
};

using Object = std::variant<std::shared_ptr<ResourceManagerObject>, std::shared_ptr<SessionObject>,
                            std::shared_ptr<FindListObject>>;

// Thread-safe table. Handles are never reused while the process runs, so a stale handle is
// always an invalid object and never someone else's session.
class ObjectTable {
 public:
  static ObjectTable& Instance();

  ViObject Add(Object object);
  bool Get(ViObject handle, Object* out) const;
  template <class T>
  std::shared_ptr<T> GetAs(ViObject handle) const {
    Object o;
    if (!Get(handle, &o)) return nullptr;
    auto* p = std::get_if<std::shared_ptr<T>>(&o);
    return p ? *p : nullptr;
  }
  // Removes the handle; a resource manager takes its children with it. Returns what was removed
  // (the manager's children included) so the caller can close them outside the table's lock.
  std::vector<Object> Remove(ViObject handle);
  // Records a child under its resource manager; false when the manager is gone.
  bool AddChild(ViObject rm, ViObject child);

 private:
  mutable std::mutex mutex_;
  std::vector<std::pair<ViObject, Object>> objects_;  // sorted by handle
  ViObject nextHandle_ = 0x00100001;
};

}  // namespace zc::visa

#include "object_table.h"

#include <algorithm>

namespace zc::visa {
namespace {

auto FindIn(std::vector<std::pair<ViObject, Object>>& v, ViObject h) {
  return std::lower_bound(v.begin(), v.end(), h,
                          [](const auto& e, ViObject key) { return e.first < key; });
}

}  // namespace

ObjectTable& ObjectTable::Instance() {
  static ObjectTable* table = new ObjectTable;  // lives to process exit, for late closes
  return *table;
}

ViObject ObjectTable::Add(Object object) {
  std::lock_guard lock(mutex_);
  ViObject h = nextHandle_++;
  if (nextHandle_ == 0) nextHandle_ = 1;  // 0 is VI_NULL
  // Handles grow, so appending keeps the table sorted.
  objects_.emplace_back(h, std::move(object));
  return h;
}

bool ObjectTable::Get(ViObject handle, Object* out) const {
  std::lock_guard lock(mutex_);
  auto& v = const_cast<std::vector<std::pair<ViObject, Object>>&>(objects_);
  auto it = FindIn(v, handle);
  if (it == v.end() || it->first != handle) return false;
  *out = it->second;
  return true;
}

bool ObjectTable::AddChild(ViObject rm, ViObject child) {
  std::lock_guard lock(mutex_);
  auto it = FindIn(objects_, rm);
  if (it == objects_.end() || it->first != rm) return false;
  auto* p = std::get_if<std::shared_ptr<ResourceManagerObject>>(&it->second);
  if (!p) return false;
  (*p)->children.insert(child);
  return true;
}

std::vector<Object> ObjectTable::Remove(ViObject handle) {
  std::vector<Object> removed;
  std::lock_guard lock(mutex_);
  auto it = FindIn(objects_, handle);
  if (it == objects_.end() || it->first != handle) return removed;
  Object object = std::move(it->second);
  objects_.erase(it);

  ViObject parent = 0;
  if (auto* rm = std::get_if<std::shared_ptr<ResourceManagerObject>>(&object)) {
    for (ViObject child : (*rm)->children) {
      auto c = FindIn(objects_, child);
      if (c != objects_.end() && c->first == child) {
        removed.push_back(std::move(c->second));
        objects_.erase(c);
      }
    }
    (*rm)->children.clear();
  } else if (auto* s = std::get_if<std::shared_ptr<SessionObject>>(&object)) {
    parent = (*s)->rm;
  } else if (auto* f = std::get_if<std::shared_ptr<FindListObject>>(&object)) {
    parent = (*f)->rm;
  }
  if (parent != 0) {
    auto p = FindIn(objects_, parent);
    if (p != objects_.end() && p->first == parent) {
      if (auto* rm = std::get_if<std::shared_ptr<ResourceManagerObject>>(&p->second)) {
        (*rm)->children.erase(handle);
      }
    }
  }
  removed.insert(removed.begin(), std::move(object));
  return removed;
}

}  // namespace zc::visa

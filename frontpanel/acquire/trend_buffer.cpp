#include "acquire/trend_buffer.h"

#include <algorithm>

namespace zc::fp {

void CTrendBuffer::SetCapacity(int capacity) {
  capacity_ = std::clamp(capacity, kMinCapacity, kSlots);
}

void CTrendBuffer::PushSample(double v) {
  if (count_ < capacity_) {
    ++count_;
  } else {
    count_ = capacity_;
    std::copy(slots_.begin() + 3, slots_.begin() + count_ + 1, slots_.begin() + 2);
    const double reference = slots_[1];
    bool allAbove = true;
    bool allBelow = true;
    for (int i = 2; i <= count_ - 1; ++i) {
      allAbove = allAbove && slots_[i] > reference;
      allBelow = allBelow && slots_[i] < reference;
    }
    if (allAbove || allBelow) slots_[1] = slots_[2];
  }
  slots_[count_] = v;
}

}  // namespace zc::fp

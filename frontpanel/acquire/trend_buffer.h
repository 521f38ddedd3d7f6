// The live chart's samples: the newest readings of the run in arrival order, and in slot 1 a
// reference reading that the line is centred on.
#pragma once

#include <array>

namespace zc::fp {

class CTrendBuffer {
 public:
  static constexpr int kSlots = 1001;
  static constexpr int kMinCapacity = 51;
  static constexpr int kInitialCapacity = 101;

  // Slots in use: the chosen dots value + 1, clamped to kMinCapacity..kSlots. Lowering it below
  // the count takes effect at the next push.
  void SetCapacity(int capacity);
  int capacity() const { return capacity_; }
  int count() const { return count_; }
  void Reset() { count_ = 0; }

  // Until the buffer is full, slots 1..count are the readings in arrival order. Once full, each
  // push scrolls slots 3..capacity down by one and stores v last; slot 1 stays put while it lies
  // within the readings on the chart and jumps to the oldest one once they all lie above or all
  // below it.
  void PushSample(double v);

  // Slots are numbered 1..kSlots; any other number reads 0.
  double Slot(int i) const { return i >= 1 && i <= kSlots ? slots_[i] : 0.0; }

 private:
  std::array<double, kSlots + 1> slots_{};  // [0] unused, so slot numbers index directly
  int capacity_ = kInitialCapacity;
  int count_ = 0;
};

}  // namespace zc::fp

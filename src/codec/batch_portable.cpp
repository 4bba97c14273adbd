// The batch kernels in plain C++, one lane at a time.
#include "batch_kernel.h"

namespace g722kit::batch {
namespace {

struct Lane {
  static constexpr int kWidth = 1;
  int32_t v;

  Lane() = default;
  explicit constexpr Lane(int32_t x) : v(x) {}
  static Lane Load(const int32_t* p) { return Lane(*p); }
  void Store(int32_t* p) const { *p = v; }
};

Lane operator+(Lane a, Lane b) {
  return Lane(a.v + b.v);
}
Lane operator-(Lane a, Lane b) {
  return Lane(a.v - b.v);
}
Lane operator-(Lane a) {
  return Lane(-a.v);
}
Lane operator*(Lane a, Lane b) {
  return Lane(a.v * b.v);
}
Lane operator&(Lane a, Lane b) {
  return Lane(a.v & b.v);
}
Lane operator^(Lane a, Lane b) {
  return Lane(a.v ^ b.v);
}
Lane operator<<(Lane a, int n) {
  return Lane(a.v << n);
}
Lane operator>>(Lane a, int n) {
  return Lane(a.v >> n);
}
Lane ShiftRight(Lane a, Lane n) {
  return Lane(a.v >> n.v);
}
Lane Min(Lane a, Lane b) {
  return a.v < b.v ? a : b;
}
Lane Max(Lane a, Lane b) {
  return a.v > b.v ? a : b;
}
bool operator<(Lane a, Lane b) {
  return a.v < b.v;
}
bool operator>(Lane a, Lane b) {
  return a.v > b.v;
}
bool operator==(Lane a, Lane b) {
  return a.v == b.v;
}
Lane Select(bool mask, Lane a, Lane b) {
  return mask ? a : b;
}
Lane CountIf(Lane count, bool mask) {
  return Lane(count.v + (mask ? 1 : 0));
}
template <size_t Size>
Lane Lookup(const Table<Size>& table, Lane index) {
  return Lane(table.entry[index.v]);
}

}  // namespace

constinit const LaneKernels kPortableKernels = MakeLaneKernels<Lane>();

}  // namespace g722kit::batch

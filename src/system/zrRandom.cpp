#include "system/zrRandom.h"

#include <atomic>

#include "platform/library_services.h"

namespace {

constexpr int kWords = 624;
constexpr int kShift = 397;
constexpr uint32_t kMatrix = 0x9908B0DFu;
constexpr uint32_t kUpperBit = 0x80000000u;
constexpr uint32_t kLowerBits = 0x7FFFFFFFu;
constexpr uint32_t kDefaultSeed = 4357;

uint32_t state[kWords];
int position = kWords + 1;  // never seeded
std::atomic<zrRandom*> current{nullptr};

// The standard recurrence, over the whole state at once.
void Regenerate() {
  const auto twist = [](uint32_t upper, uint32_t lower, uint32_t far) {
    const uint32_t y = (upper & kUpperBit) | (lower & kLowerBits);
    return far ^ (y >> 1) ^ ((y & 1) ? kMatrix : 0);
  };
  int k = 0;
  for (; k < kWords - kShift; ++k) state[k] = twist(state[k], state[k + 1], state[k + kShift]);
  for (; k < kWords - 1; ++k) {
    state[k] = twist(state[k], state[k + 1], state[k + kShift - kWords]);
  }
  state[kWords - 1] = twist(state[kWords - 1], state[0], state[kShift - 1]);
  position = 0;
}

}  // namespace

zrRandom::zrRandom() {
  current.store(this);
}

zrRandom::~zrRandom() {
  zrRandom* self = this;
  current.compare_exchange_strong(self, nullptr);
}

zrRandom* zrRandom::Current() {
  return current.load();
}

void zrRandom::Seed(uint32_t seed) {
  for (uint32_t& word : state) {
    word = (seed & 0xFFFF0000u) | ((69069u * seed + 1) >> 16);
    seed = 69069u * (69069u * seed + 1) + 1;
  }
  position = kWords;
}

void zrRandom::SeedFromTime() {
  const platform::LocalTime now = platform::GetLocalTime();
  Seed(static_cast<uint32_t>(now.year + now.month + now.day + now.hour + now.minute + now.second +
                             now.milliseconds));
}

uint32_t zrRandom::Next() {
  if (position >= kWords) {
    if (position == kWords + 1) Seed(kDefaultSeed);
    Regenerate();
  }
  uint32_t y = state[position++];
  y ^= y >> 11;
  y ^= (y << 7) & 0x9D2C5680u;
  y ^= (y << 15) & 0xEFC60000u;
  y ^= y >> 18;
  return y;
}

// The parallel search's lock: one byte, taken by exchange and spun on
// while held. Plain functions rather than a guard object, because the
// abort jump may cross the frames that use it (never while it is held).
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/platform.h"

struct SpinLock {
  std::atomic<uint8_t> word;
};

inline void AcquireLock(SpinLock& lock) {
  while (lock.word.exchange(1, std::memory_order_acquire) != 0) {
    // Watch with plain reads so that the waiting core does not keep
    // taking the cache line away from the holder.
    while (lock.word.load(std::memory_order_relaxed) != 0) platform::SpinPause();
  }
}

inline void ReleaseLock(SpinLock& lock) { lock.word.store(0, std::memory_order_release); }

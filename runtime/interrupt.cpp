#include "runtime/interrupt.h"

#include <atomic>
#include <thread>

#include "runtime/console.h"

namespace {

enum : int { kNone = 0, kRequested = 1, kReported = 2 };

// Lock-free, so a signal handler may store into it.
std::atomic<int> interruptState{kNone};
static_assert(std::atomic<int>::is_always_lock_free);

// How often a wait looks for a request: well within the fifth of a second a person notices.
constexpr std::chrono::milliseconds kWaitSlice{20};

}  // namespace

void RequestInterrupt() {
  int expected = kNone;
  interruptState.compare_exchange_strong(expected, kRequested);
}

bool InterruptRequested() { return interruptState.load() != kNone; }

bool TakeUnreportedInterrupt() {
  int expected = kRequested;
  return interruptState.compare_exchange_strong(expected, kReported);
}

void ClearInterrupt() { interruptState.store(kNone); }

bool WaitUnlessInterrupted(Console& console, std::chrono::milliseconds duration) {
  console.FlushOutput();
  const auto end = std::chrono::steady_clock::now() + duration;
  while (!InterruptRequested()) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= end) return true;
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(end - now, kWaitSlice));
  }
  return false;
}

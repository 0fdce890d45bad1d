// The clock seam: system clock, sleep and the process's generator, each
// replaceable by a test hook.
#include "os/zx_os_clock.h"

#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <ctime>

namespace zxos {

namespace {

ClockHooks g_hooks;

int64_t systemNow() {
  std::time_t t = std::time(nullptr);
  return t == static_cast<std::time_t>(-1) ? -1 : static_cast<int64_t>(t);
}

void systemPause(int seconds) {
  timespec left;
  left.tv_sec = seconds;
  left.tv_nsec = 0;
  while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

// A linear congruential generator giving 15-bit numbers, seeded on first
// use from the clock and the process id. The state is atomic so that a
// stray second thread cannot tear it; the library itself draws from one
// thread.
std::atomic<uint32_t> g_state{0};
std::atomic<bool> g_seeded{false};

int systemRandom() {
  if (!g_seeded.exchange(true)) {
    const uint32_t seed =
        static_cast<uint32_t>(systemNow()) * 2654435761u ^ static_cast<uint32_t>(::getpid());
    g_state.store(seed);
  }
  uint32_t old = g_state.load();
  uint32_t next = 0;
  do {
    next = old * 214013u + 2531011u;
  } while (!g_state.compare_exchange_weak(old, next));
  return static_cast<int>((next >> 16) & static_cast<uint32_t>(kRandomMax));
}

}  // namespace

void setClockHooks(const ClockHooks* hooks) { g_hooks = hooks ? *hooks : ClockHooks(); }

int64_t clockNow() { return g_hooks.now ? g_hooks.now() : systemNow(); }

void pauseSeconds(int seconds) {
  if (seconds <= 0) return;
  if (g_hooks.pause)
    g_hooks.pause(seconds);
  else
    systemPause(seconds);
}

int randomNumber() {
  if (!g_hooks.random) return systemRandom();
  const int r = g_hooks.random();
  // A hook outside the range is held to it, so callers' arithmetic holds.
  return r < 0 ? 0 : (r > kRandomMax ? kRandomMax : r);
}

}  // namespace zxos

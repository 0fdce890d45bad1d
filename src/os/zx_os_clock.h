// The process clock, pauses and the pseudo-random numbers of the library,
// behind one seam that tests can replace.
//
// Every "now" of the library (ZxOsHost::unixNow(), and through it
// ZxTime::setNow() and the discovery cache's age), every pause of the
// supervisor exchange and every pseudo-random choice (which supervisor is
// tried first, how long a refused client waits) goes through these three
// functions. By default they are the system clock, a real sleep and a
// generator seeded once per process from the clock and the process id (so
// that many clients started at the same moment still spread over the
// supervisors).
//
// Tests install replacements with setClockHooks(); nothing else in the
// library calls it and no command reaches it. The hooks are plain
// process-wide pointers without a lock, set while no operation runs.
#pragma once

#include <cstdint>

namespace zxos {

// The largest pseudo-random number; numbers run from 0 to this.
constexpr int kRandomMax = 32767;

struct ClockHooks {
  // Seconds since 1970; null: the system clock.
  int64_t (*now)() = nullptr;
  // Pauses for whole seconds; null: a real sleep.
  void (*pause)(int seconds) = nullptr;
  // A number from 0 to kRandomMax; null: the process's generator.
  int (*random)() = nullptr;
};

// Replaces the hooks (a null argument restores all defaults). The hooks are
// copied; the functions they name must outlive their use.
void setClockHooks(const ClockHooks* hooks);

// Seconds since 1970; -1 when the system clock cannot be read.
int64_t clockNow();
// Pauses the calling thread for `seconds` (nothing for 0 or less).
void pauseSeconds(int seconds);
// A pseudo-random number from 0 to kRandomMax.
int randomNumber();

}  // namespace zxos

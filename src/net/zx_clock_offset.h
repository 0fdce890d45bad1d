// The supervisor clock offset: one process-wide number of seconds between
// the supervisor's clock and the local one, so that times can be stamped
// in the supervisor's terms (the discovery cache's age, supervisor-time
// stamps).
//
// The offset is read once per process, on first use, from the file
// "time_" + user + ".tmp" in the user's private temporary folder, which
// holds one decimal number (optionally signed, blanks and a line end
// around it); a missing file, or one holding anything else, gives 0.
// querySupervisorTime() measures it anew and writes the file.
// disableClockOffset() pins it at 0 for the rest of the process.
//
// Process-wide state without a lock: the library runs on one thread.
#pragma once

#include <cstdint>

#include "model/zx_time.h"
#include "util/zx_string.h"

namespace zxclock {

// The offset in seconds (loaded from the file on first use).
int clockOffset();

// Stores the supervisor's "now" in `t`: the current Unix time plus the
// offset, as a ZxTime.
void setSupervisorNow(ZxTime& t);

// The current Unix time plus the offset.
int64_t supervisorUnixNow();

// Measures the offset with a time request (code 107, no content) through
// the supervisor route, or first at `host`: with the local times t0 before
// and t1 after the round and the supervisor's answer s, the offset becomes
// (t1 - t0) / 2 + s - t0 and is written to the file. A failed request
// leaves 0 and logs "couldn't obtain time from supervisor."; an answer
// without a time leaves 0 and writes no file. Nothing happens once the
// offset is disabled. True when an offset was measured.
bool querySupervisorTime();
bool querySupervisorTime(const ZxString& host);

// Sets the offset to 0 and stops the file read and the query from doing
// anything for the rest of the process.
void disableClockOffset();

// Reads a clock offset file's text: one decimal number in the 32-bit
// range, optionally signed, with blanks or line ends around it; anything
// else gives 0.
int parseClockOffset(const ZxString& text);

// The file's path for `user`; false when there is no private temporary
// folder or the name cannot be part of a file name.
bool clockOffsetPath(const ZxString& user, ZxString& path);

// Back to the state at load: not read, not disabled (for tests).
void resetClockOffset();

}  // namespace zxclock

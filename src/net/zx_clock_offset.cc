// The supervisor clock offset: its file, the time request and the
// process-wide value.
#include "net/zx_clock_offset.h"

#include <climits>

#include "net/zx_client.h"
#include "net/zx_request.h"
#include "net/zx_supervisor_cache.h"
#include "os/zx_os_files.h"
#include "os/zx_os_host.h"
#include "os/zx_os_user.h"
#include "util/zx_log.h"

namespace zxclock {

namespace {

// The request code of the supervisor time query.
constexpr int kTimeRequest = 107;

struct OffsetState {
  int offset = 0;
  bool loaded = false;
  bool disabled = false;
};

OffsetState& state() {
  static OffsetState s;
  return s;
}

ZxString currentUser() {
  ZxString user;
  if (!zxos::userName(user)) user.clear();
  return user;
}

void loadOnce() {
  OffsetState& s = state();
  if (s.loaded || s.disabled) return;
  s.loaded = true;
  s.offset = 0;
  ZxString path;
  ZxString text;
  if (clockOffsetPath(currentUser(), path) && zxos::readFile(path, text)) s.offset = parseClockOffset(text);
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool measure(const ZxString* host) {
  OffsetState& s = state();
  if (s.disabled) return false;
  s.offset = 0;
  s.loaded = true;

  ZxClient client;
  client.setTimeout(client.config().clientTimeout());
  ZxRequest request(kTimeRequest, nullptr);
  ZxMessage reply;
  ZxTime t0;
  t0.setNow();
  const bool ok = host ? client.callSupervisorAt(*host, request.message(), reply)
                       : client.callSupervisor(request.message(), reply);
  ZxTime t1;
  t1.setNow();
  if (!ok) {
    ZxLogLine::error() << "couldn't obtain time from supervisor.";
    return false;
  }
  const ZxTime* answer = dynamic_cast<const ZxTime*>(reply.content());
  if (!answer) return false;
  const long long offset =
      (static_cast<long long>(t1.value()) - t0.value()) / 2 + answer->value() - t0.value();
  s.offset = offset > INT_MAX ? INT_MAX : (offset < INT_MIN ? INT_MIN : static_cast<int>(offset));
  ZxString path;
  if (clockOffsetPath(client.userName(), path)) zxos::replaceFile(path, ZxString(s.offset));
  return true;
}

}  // namespace

int parseClockOffset(const ZxString& text) {
  const char* p = text.c_str();
  const int n = text.length();
  int i = 0;
  while (i < n && isBlank(p[i])) ++i;
  bool negative = false;
  if (i < n && (p[i] == '-' || p[i] == '+')) negative = p[i++] == '-';
  long long value = 0;
  int digits = 0;
  for (; i < n && p[i] >= '0' && p[i] <= '9'; ++i, ++digits) {
    value = value * 10 + (p[i] - '0');
    if (value > 1LL + INT_MAX) return 0;
  }
  while (i < n && isBlank(p[i])) ++i;
  if (digits == 0 || i != n) return 0;
  if (negative) value = -value;
  if (value > INT_MAX || value < INT_MIN) return 0;
  return static_cast<int>(value);
}

bool clockOffsetPath(const ZxString& user, ZxString& path) {
  return zxcache::userTempFile("time_", user, path);
}

int clockOffset() {
  loadOnce();
  return state().offset;
}

int64_t supervisorUnixNow() { return ZxOsHost::unixNow() + clockOffset(); }

void setSupervisorNow(ZxTime& t) { t.fromUnix(supervisorUnixNow()); }

bool querySupervisorTime() { return measure(nullptr); }

bool querySupervisorTime(const ZxString& host) { return measure(&host); }

void disableClockOffset() {
  OffsetState& s = state();
  s.offset = 0;
  s.disabled = true;
}

void resetClockOffset() { state() = OffsetState(); }

}  // namespace zxclock

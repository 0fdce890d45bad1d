// ZxStatusTally: counting by status, totals and the compact text form.
#include "model/zx_status_tally.h"

#include <cstdlib>

#include "model/zx_flags.h"

int ZxStatusTally::*const ZxStatusTally::kSlots[kCounters] = {
    &ZxStatusTally::running_,   &ZxStatusTally::blocked_, &ZxStatusTally::complete_, &ZxStatusTally::pending_,
    &ZxStatusTally::suspended_, &ZxStatusTally::failed_,  &ZxStatusTally::killed_,   &ZxStatusTally::waiting_,
    &ZxStatusTally::unknown_,   &ZxStatusTally::warning_, &ZxStatusTally::badlogin_};

void ZxStatusTally::clear() {
  for (int i = 0; i < kCounters; ++i) this->*kSlots[i] = 0;
}

int ZxStatusTally::counter(int position) const {
  return position >= 0 && position < kCounters ? this->*kSlots[position] : 0;
}

void ZxStatusTally::setCounter(int position, int v) {
  if (position >= 0 && position < kCounters) this->*kSlots[position] = v;
}

ZxStatusTally::Counter ZxStatusTally::counterOf(int code) {
  switch (code) {
    case StatusCode::kRunning:
      return kRunning;
    case StatusCode::kBlocked:
      return kBlocked;
    case StatusCode::kComplete:
      return kComplete;
    case StatusCode::kPending:
      return kPending;
    case StatusCode::kSuspended:
      return kSuspended;
    case StatusCode::kFailed:
      return kFailed;
    case StatusCode::kKilled:
      return kKilled;
    case StatusCode::kWaiting:
      return kWaiting;
    case StatusCode::kWarning:
      return kWarning;
    case StatusCode::kBadlogin:
      return kBadlogin;
    default:
      return kUnknown;
  }
}

void ZxStatusTally::add(const ZxStatusTally& other) {
  for (int i = 0; i < kCounters; ++i) this->*kSlots[i] += other.*kSlots[i];
}

int ZxStatusTally::doneTotal() const { return complete_ + failed_ + killed_ + warning_; }
int ZxStatusTally::activeTotal() const { return blocked_ + waiting_ + suspended_ + pending_ + running_; }
int ZxStatusTally::assignedTotal() const { return waiting_ + suspended_ + running_; }

int ZxStatusTally::total() const {
  int sum = 0;
  for (int i = 0; i < kCounters; ++i) sum += this->*kSlots[i];
  return sum;
}

ZxString ZxStatusTally::toCompactText() const {
  ZxString text;
  for (int i = 0; i < kCounters; ++i) {
    if (i > 0) text.append(' ');
    text.appendInt(this->*kSlots[i]);
  }
  return text;
}

void ZxStatusTally::fromCompactText(const ZxString& text) {
  // The digits are read from c_str(), which ends in a NUL.
  const char* p = text.c_str();
  const char* end = p + text.length();
  for (int i = 0; i < kCounters; ++i) {
    if (i > 0)
      while (p < end && *p == ' ') ++p;
    const char* digits = p;
    while (p < end && *p >= '0' && *p <= '9') ++p;
    // strtol stops at the first non-digit; a run too long for an int is
    // narrowed as atoi does, without its undefined overflow.
    this->*kSlots[i] = p == digits ? 0 : static_cast<int>(std::strtol(digits, nullptr, 10));
  }
}

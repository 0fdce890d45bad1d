// ZxStatusTally (class 32, "status_tally"): subjobs or work items counted
// by status. Eleven counters, each belonging to one status code; every
// other code ("none", "saved", "paused" among them) counts as "unknown".
// Field ids start at 0 in this record. The record owns nothing but its
// counters; copies are plain.
#pragma once

#include <tuple>

#include "model/zx_job_fields.h"
#include "util/zx_string.h"

class ZxStatusTally : public ZxRecord<ZxStatusTally> {
 public:
  // Counter positions, in encoding order (also the field ids).
  enum Counter {
    kRunning,
    kBlocked,
    kComplete,
    kPending,
    kSuspended,
    kFailed,
    kKilled,
    kWaiting,
    kUnknown,
    kWarning,
    kBadlogin,
    kCounters
  };

  ZxStatusTally() = default;
  ZxStatusTally(const ZxStatusTally&) = default;
  ZxStatusTally& operator=(const ZxStatusTally&) = default;
  ~ZxStatusTally() override = default;

  int typeId() const override { return 32; }
  const char* typeName() const override { return "status_tally"; }

  void clear();

  int running() const { return running_; }
  int blocked() const { return blocked_; }
  int complete() const { return complete_; }
  int pending() const { return pending_; }
  int suspended() const { return suspended_; }
  int failed() const { return failed_; }
  int killed() const { return killed_; }
  int waiting() const { return waiting_; }
  int unknown() const { return unknown_; }
  int warning() const { return warning_; }
  int badlogin() const { return badlogin_; }
  void setRunning(int v) { running_ = v; }
  void setBlocked(int v) { blocked_ = v; }
  void setComplete(int v) { complete_ = v; }
  void setPending(int v) { pending_ = v; }
  void setSuspended(int v) { suspended_ = v; }
  void setFailed(int v) { failed_ = v; }
  void setKilled(int v) { killed_ = v; }
  void setWaiting(int v) { waiting_ = v; }
  void setUnknown(int v) { unknown_ = v; }
  void setWarning(int v) { warning_ = v; }
  void setBadlogin(int v) { badlogin_ = v; }
  // By position (0 for a position out of range; setting one does nothing).
  int counter(int position) const;
  void setCounter(int position, int v);

  // The counter position of a status code (kUnknown for codes not counted).
  static Counter counterOf(int code);

  // Adds n to the counter of `code`.
  void add(int code, int n) { this->*kSlots[counterOf(code)] += n; }
  int count(int code) const { return this->*kSlots[counterOf(code)]; }
  // Adds every counter of `other` to the matching counter.
  void add(const ZxStatusTally& other);

  int doneTotal() const;      // complete + failed + killed + warning
  int activeTotal() const;    // blocked + waiting + suspended + pending + running
  int assignedTotal() const;  // waiting + suspended + running
  int total() const;          // all eleven

  // The counters in encoding order, decimal, separated by single blanks.
  ZxString toCompactText() const;
  // Reads that order back: digits only (no sign), blanks between; the
  // first other character ends the reading and leaves the later counters 0.
  void fromCompactText(const ZxString& text);

 private:
  friend class ZxRecord<ZxStatusTally>;
  static constexpr auto fields() {
    using T = ZxStatusTally;
    return std::make_tuple(zxField(0, "running", &T::running_), zxField(1, "blocked", &T::blocked_),
                           zxField(2, "complete", &T::complete_), zxField(3, "pending", &T::pending_),
                           zxField(4, "suspended", &T::suspended_), zxField(5, "failed", &T::failed_),
                           zxField(6, "killed", &T::killed_), zxField(7, "waiting", &T::waiting_),
                           zxField(8, "unknown", &T::unknown_), zxField(9, "warning", &T::warning_),
                           zxField(10, "badlogin", &T::badlogin_));
  }
  // The counters by position.
  static int ZxStatusTally::*const kSlots[kCounters];
  int running_ = 0;
  int blocked_ = 0;
  int complete_ = 0;
  int pending_ = 0;
  int suspended_ = 0;
  int failed_ = 0;
  int killed_ = 0;
  int waiting_ = 0;
  int unknown_ = 0;
  int warning_ = 0;
  int badlogin_ = 0;
};

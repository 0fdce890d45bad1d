// ZxSubjob (class 4, "subjob"): one running instance of a job: the host
// that runs it, its state, its data and result, counters and times. Also
// ZxSubjobList (class 6, "subjob_list"), the job's list of subjobs.
//
// Ownership: a subjob owns its strings and nested records by value (copies
// are deep); status, times and hardware address are returned as copies; the list owns its subjobs.
#pragma once

#include <tuple>

#include "model/zx_address.h"
#include "model/zx_job_fields.h"
#include "model/zx_list.h"
#include "model/zx_mac_address.h"
#include "model/zx_status.h"
#include "model/zx_time.h"
#include "util/zx_string.h"

class ZxSubjob : public ZxRecord<ZxSubjob> {
 public:
  ZxSubjob() = default;
  ZxSubjob(const ZxSubjob&) = default;
  ZxSubjob& operator=(const ZxSubjob&) = default;
  ~ZxSubjob() override = default;

  int typeId() const override { return 4; }
  const char* typeName() const override { return "subjob"; }

  int id() const { return id_; }
  void setId(int v) { id_ = v; }
  // The number of the job the subjob belongs to.
  int pid() const { return pid_; }
  void setPid(int v) { pid_ = v; }
  const ZxString& host() const { return host_; }
  void setHost(const ZxString& v) { host_ = v; }
  void setHost(const char* bytes, int n) { host_.assign(bytes, n); }
  ZxStatus status() const { return ZxStatus(status_); }
  void setStatus(const ZxStatus& v) { status_ = v.code(); }
  int statusCode() const { return status_; }
  void setStatusCode(int code) { status_ = code; }
  const ZxAddress& address() const { return address_; }
  void setAddress(const ZxAddress& v) { address_ = v; }
  const ZxString& data() const { return data_; }
  void setData(const ZxString& v) { data_ = v; }
  void setData(const char* bytes, int n) { data_.assign(bytes, n); }
  const ZxString& result() const { return result_; }
  void setResult(const ZxString& v) { result_ = v; }
  void setResult(const char* bytes, int n) { result_.assign(bytes, n); }
  ZxMacAddress macAddress() const {
    ZxMacAddress m;
    m.setStoredValue(macAddress_);
    return m;
  }
  void setMacAddress(const ZxMacAddress& v) { macAddress_ = v.value(); }
  int retry() const { return retry_; }
  void setRetry(int v) { retry_ = v; }
  int count() const { return count_; }
  void setCount(int v) { count_ = v; }
  ZxTime lastUpdate() const { return ZxTime(lastUpdate_); }
  void setLastUpdate(const ZxTime& v) { lastUpdate_ = v.value(); }
  int seq() const { return seq_; }
  void setSeq(int v) { seq_ = v; }
  ZxTime timeStart() const { return ZxTime(timeStart_); }
  void setTimeStart(const ZxTime& v) { timeStart_ = v.value(); }
  ZxTime timeComplete() const { return ZxTime(timeComplete_); }
  void setTimeComplete(const ZxTime& v) { timeComplete_ = v.value(); }

  bool isActive() const { return ZxStatus(status_).isActive(); }
  bool isDone() const { return ZxStatus(status_).isDone(); }
  bool isAssigned() const { return ZxStatus(status_).isAssigned(); }
  bool isNone() const { return ZxStatus(status_).isNone(); }
  bool isPending() const { return ZxStatus(status_).isPending(); }
  bool isSuspended() const { return ZxStatus(status_).isSuspended(); }
  bool isBadlogin() const { return ZxStatus(status_).isBadlogin(); }
  bool isWaiting() const { return ZxStatus(status_).isWaiting(); }
  bool isRunning() const { return ZxStatus(status_).isRunning(); }
  bool isComplete() const { return ZxStatus(status_).isComplete(); }
  bool isWarning() const { return ZxStatus(status_).isWarning(); }
  bool isBlocked() const { return ZxStatus(status_).isBlocked(); }
  bool isFailed() const { return ZxStatus(status_).isFailed(); }
  bool isKilled() const { return ZxStatus(status_).isKilled(); }

  // The job number modulo n (0 for n of 0 or -1, which have no remainder).
  int pidModulo(int n) const { return n == 0 || n == -1 ? 0 : pid_ % n; }

 private:
  friend class ZxRecord<ZxSubjob>;
  static constexpr auto fields() {
    using T = ZxSubjob;
    return std::make_tuple(
        zxField(1, "id", &T::id_), zxField(2, "pid", &T::pid_), zxField(3, "host", &T::host_),
        zxValueField<ZxStatus>(4, "status", &T::status_), zxField(5, "address", &T::address_),
        zxField(7, "data", &T::data_), zxField(8, "result", &T::result_),
        zxValueField<ZxMacAddress>(9, "mac_address", &T::macAddress_), zxField(10, "retry", &T::retry_),
        zxField(11, "count", &T::count_), zxValueField<ZxTime>(6, "last_update", &T::lastUpdate_),
        zxField(12, "seq", &T::seq_), zxValueField<ZxTime>(13, "time_start", &T::timeStart_),
        zxValueField<ZxTime>(14, "time_complete", &T::timeComplete_));
  }
  int id_ = 0;
  // Nothing gives a fresh subjob a job number; -1 ("none"), as for work
  // items, until the caller sets it.
  int pid_ = -1;
  ZxString host_;
  // Status codes, time stamps and the hardware address are kept as plain
  // values and travel as their nested records.
  int status_ = StatusCode::kNone;
  ZxAddress address_;
  ZxString data_;
  ZxString result_;
  ZxString macAddress_;
  int retry_ = 0;
  int count_ = 0;
  int lastUpdate_ = 0;
  int seq_ = 0;
  int timeStart_ = 0;
  int timeComplete_ = 0;
};

class ZxSubjobList : public ZxList<ZxSubjob> {
 public:
  int typeId() const override { return 6; }
  const char* typeName() const override { return "subjob_list"; }
};

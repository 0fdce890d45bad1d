// ZxWork (class 14, "work"): one item of a job's agenda: its name, the
// subjob and host that took it, its state, progress, data and result,
// counters and times. Also ZxWorkList (class 15, "work_list"), the job's
// agenda, and ZxWorkHash (class 70, "work_hash").
//
// Ownership: a work item owns its strings and nested records by value
// (copies are deep); status, times and hardware address are returned as
// copies; the containers own their items.
#pragma once

#include <tuple>

#include "model/zx_address.h"
#include "model/zx_hash.h"
#include "model/zx_job_fields.h"
#include "model/zx_list.h"
#include "model/zx_mac_address.h"
#include "model/zx_status.h"
#include "model/zx_time.h"
#include "util/zx_string.h"

class ZxWork : public ZxRecord<ZxWork> {
 public:
  ZxWork() = default;
  ZxWork(const ZxWork&) = default;
  ZxWork& operator=(const ZxWork&) = default;
  ~ZxWork() override = default;

  int typeId() const override { return 14; }
  const char* typeName() const override { return "work"; }

  const ZxString& name() const { return name_; }
  void setName(const ZxString& v) { name_ = v; }
  void setName(const char* bytes, int n) { name_.assign(bytes, n); }
  // The subjob that took the item; -1: none.
  int subId() const { return subId_; }
  void setSubId(int v) { subId_ = v; }
  const ZxString& host() const { return host_; }
  void setHost(const ZxString& v) { host_ = v; }
  void setHost(const char* bytes, int n) { host_.assign(bytes, n); }
  ZxStatus status() const { return ZxStatus(status_); }
  void setStatus(const ZxStatus& v) { status_ = v.code(); }
  int statusCode() const { return status_; }
  void setStatusCode(int code) { status_ = code; }
  const ZxAddress& address() const { return address_; }
  void setAddress(const ZxAddress& v) { address_ = v; }
  // The number of the job the item belongs to.
  int pid() const { return pid_; }
  void setPid(int v) { pid_ = v; }
  const ZxString& data() const { return data_; }
  void setData(const ZxString& v) { data_ = v; }
  void setData(const char* bytes, int n) { data_.assign(bytes, n); }
  int id() const { return id_; }
  void setId(int v) { id_ = v; }
  const ZxString& result() const { return result_; }
  void setResult(const ZxString& v) { result_ = v; }
  void setResult(const char* bytes, int n) { result_.assign(bytes, n); }
  int retry() const { return retry_; }
  void setRetry(int v) { retry_ = v; }
  int count() const { return count_; }
  void setCount(int v) { count_ = v; }
  const ZxString& dependency() const { return dependency_; }
  void setDependency(const ZxString& v) { dependency_ = v; }
  void setDependency(const char* bytes, int n) { dependency_.assign(bytes, n); }
  int percent() const { return percent_; }
  void setPercent(int v) { percent_ = v; }
  ZxTime lastUpdate() const { return ZxTime(lastUpdate_); }
  void setLastUpdate(const ZxTime& v) { lastUpdate_ = v.value(); }
  int seq() const { return seq_; }
  void setSeq(int v) { seq_ = v; }
  ZxTime timeStart() const { return ZxTime(timeStart_); }
  void setTimeStart(const ZxTime& v) { timeStart_ = v.value(); }
  ZxTime timeComplete() const { return ZxTime(timeComplete_); }
  void setTimeComplete(const ZxTime& v) { timeComplete_ = v.value(); }
  ZxMacAddress macAddress() const {
    ZxMacAddress m;
    m.setStoredValue(macAddress_);
    return m;
  }
  void setMacAddress(const ZxMacAddress& v) { macAddress_ = v.value(); }

  bool isActive() const { return ZxStatus(status_).isActive(); }
  bool isDone() const { return ZxStatus(status_).isDone(); }
  bool isAssigned() const { return ZxStatus(status_).isAssigned(); }
  bool isKilled() const { return ZxStatus(status_).isKilled(); }
  bool isRunning() const { return ZxStatus(status_).isRunning(); }
  bool isFailed() const { return ZxStatus(status_).isFailed(); }
  bool isSuspended() const { return ZxStatus(status_).isSuspended(); }
  bool isComplete() const { return ZxStatus(status_).isComplete(); }
  bool isWarning() const { return ZxStatus(status_).isWarning(); }
  bool isPending() const { return ZxStatus(status_).isPending(); }
  bool isBlocked() const { return ZxStatus(status_).isBlocked(); }
  bool isWaiting() const { return ZxStatus(status_).isWaiting(); }
  bool isNone() const { return ZxStatus(status_).isNone(); }

  // Names the item across jobs: the job number, ":", the item's name.
  ZxString key() const {
    ZxString k(pid_);
    k.append(':');
    k.append(name_);
    return k;
  }

 private:
  friend class ZxRecord<ZxWork>;
  static constexpr auto fields() {
    using T = ZxWork;
    return std::make_tuple(
        zxField(1, "name", &T::name_), zxField(2, "sub_id", &T::subId_), zxField(3, "host", &T::host_),
        zxValueField<ZxStatus>(4, "status", &T::status_), zxField(5, "address", &T::address_),
        zxField(6, "pid", &T::pid_), zxField(7, "data", &T::data_), zxField(8, "id", &T::id_),
        zxField(9, "result", &T::result_), zxField(10, "retry", &T::retry_), zxField(11, "count", &T::count_),
        zxField(12, "dependency", &T::dependency_), zxField(13, "percent", &T::percent_),
        zxValueField<ZxTime>(14, "last_update", &T::lastUpdate_), zxField(15, "seq", &T::seq_),
        zxValueField<ZxTime>(16, "time_start", &T::timeStart_),
        zxValueField<ZxTime>(17, "time_complete", &T::timeComplete_),
        zxValueField<ZxMacAddress>(18, "mac_address", &T::macAddress_));
  }
  ZxString name_;
  int subId_ = -1;
  ZxString host_;
  // Status codes, time stamps and the hardware address are kept as plain
  // values and travel as their nested records.
  int status_ = StatusCode::kNone;
  ZxAddress address_;
  int pid_ = -1;
  ZxString data_;
  int id_ = -1;
  ZxString result_;
  int retry_ = 0;
  int count_ = 0;
  ZxString dependency_;
  int percent_ = 0;
  int lastUpdate_ = 0;
  int seq_ = 0;
  int timeStart_ = 0;
  int timeComplete_ = 0;
  ZxString macAddress_;
};

class ZxWorkList : public ZxList<ZxWork> {
 public:
  int typeId() const override { return 15; }
  const char* typeName() const override { return "work_list"; }
};

class ZxWorkHash : public ZxHash<ZxWork> {
 public:
  int typeId() const override { return 70; }
  const char* typeName() const override { return "work_hash"; }
};

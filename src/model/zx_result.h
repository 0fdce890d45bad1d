// ZxResult: the supervisor's answer to a command (class 188, "result"):
// the faults met, the jobs, work items, hosts and callbacks acted on, and
// the overall error.
//
// The result owns its error record and its lists with their items.
#pragma once

#include "model/zx_err.h"
#include "model/zx_callback_id.h"
#include "model/zx_fault.h"
#include "model/zx_host_name.h"
#include "model/zx_job_id_list.h"
#include "model/zx_work_id.h"
#include "serial/zx_pack.h"

class ZxResult : public ZxPack {
 public:
  ZxResult() = default;
  ZxResult(const ZxResult&) = default;
  ZxResult& operator=(const ZxResult&) = default;
  ~ZxResult() override = default;

  int typeId() const override { return 188; }
  const char* typeName() const override { return "result"; }

  ZxFaultList& faultList() { return faultList_; }
  const ZxFaultList& faultList() const { return faultList_; }
  ZxJobIdList& jobIdList() { return jobIdList_; }
  const ZxJobIdList& jobIdList() const { return jobIdList_; }
  ZxWorkIdList& workIdList() { return workIdList_; }
  const ZxWorkIdList& workIdList() const { return workIdList_; }
  ZxErr& error() { return error_; }
  const ZxErr& error() const { return error_; }
  void setError(const ZxErr& v) { error_ = v; }
  ZxHostNameList& hostNameList() { return hostNameList_; }
  const ZxHostNameList& hostNameList() const { return hostNameList_; }
  ZxCallbackIdList& callbackIdList() { return callbackIdList_; }
  const ZxCallbackIdList& callbackIdList() const { return callbackIdList_; }

  // Both forms write the fault list first.
  void encodeFields() override;
  void decodeField() override;
  void encodeTextFields() override;
  void decodeTextFields() override;

 private:
  ZxFaultList faultList_;
  ZxJobIdList jobIdList_;
  ZxWorkIdList workIdList_;
  ZxErr error_;
  ZxHostNameList hostNameList_;
  ZxCallbackIdList callbackIdList_;
};

// ZxFault: one fault a command met (class 187, "fault"): the error and the
// jobs, work items and hosts it concerns; ZxFaultList (class 186,
// "fault_list").
//
// A fault owns its error record and its lists with their items; the list
// owns its faults.
#pragma once

#include "model/zx_err.h"
#include "model/zx_host_name.h"
#include "model/zx_job_id_list.h"
#include "model/zx_list.h"
#include "model/zx_work_id.h"
#include "serial/zx_pack.h"

class ZxFault : public ZxPack {
 public:
  ZxFault() = default;
  ZxFault(const ZxFault&) = default;
  ZxFault& operator=(const ZxFault&) = default;
  ~ZxFault() override = default;

  int typeId() const override { return 187; }
  const char* typeName() const override { return "fault"; }

  ZxErr& error() { return error_; }
  const ZxErr& error() const { return error_; }
  void setError(const ZxErr& v) { error_ = v; }
  ZxJobIdList& jobIdList() { return jobIdList_; }
  const ZxJobIdList& jobIdList() const { return jobIdList_; }
  ZxWorkIdList& workIdList() { return workIdList_; }
  const ZxWorkIdList& workIdList() const { return workIdList_; }
  ZxHostNameList& hostNameList() { return hostNameList_; }
  const ZxHostNameList& hostNameList() const { return hostNameList_; }

  // The work id list and the host name list share field id 3 in the binary
  // form; the reader tells them apart by the nested class number (60 or 64).
  void encodeFields() override;
  void decodeField() override;
  void encodeTextFields() override;
  void decodeTextFields() override;

 private:
  ZxErr error_;
  ZxJobIdList jobIdList_;
  ZxWorkIdList workIdList_;
  ZxHostNameList hostNameList_;
};

class ZxFaultList : public ZxList<ZxFault> {
 public:
  int typeId() const override { return 186; }
  const char* typeName() const override { return "fault_list"; }
};

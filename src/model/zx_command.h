// ZxCommand: a command to the supervisor (class 30, "command"): an action
// code and its targets (jobs or subjobs, work items, groups, callbacks),
// optionally narrowed by filters.
//
// The command owns its lists and their items.
#pragma once

#include "model/zx_callback_id.h"
#include "model/zx_filter.h"
#include "model/zx_job_id_list.h"
#include "model/zx_work_id.h"
#include "serial/zx_pack.h"
#include "model/zx_string_list.h"

class ZxCommand : public ZxPack {
 public:
  // Restrictions and background on, limit 0, action 0, every list empty.
  ZxCommand() = default;
  explicit ZxCommand(int action) : action_(action) {}
  ZxCommand(const ZxCommand&) = default;
  ZxCommand& operator=(const ZxCommand&) = default;
  ~ZxCommand() override = default;

  int typeId() const override { return 30; }
  const char* typeName() const override { return "command"; }

  ZxFilterList& filterList() { return filterList_; }
  const ZxFilterList& filterList() const { return filterList_; }
  ZxJobIdList& jobIdList() { return jobIdList_; }
  const ZxJobIdList& jobIdList() const { return jobIdList_; }
  ZxWorkIdList& workIdList() { return workIdList_; }
  const ZxWorkIdList& workIdList() const { return workIdList_; }
  ZxStringList& groupList() { return groupList_; }
  const ZxStringList& groupList() const { return groupList_; }
  ZxCallbackIdList& callbackIdList() { return callbackIdList_; }
  const ZxCallbackIdList& callbackIdList() const { return callbackIdList_; }

  bool restrictions() const { return restrictions_; }
  void setRestrictions(bool v) { restrictions_ = v; }
  int limit() const { return limit_; }
  void setLimit(int v) { limit_ = v; }
  bool background() const { return background_; }
  void setBackground(bool v) { background_ = v; }
  int action() const { return action_; }
  void setAction(int v) { action_ = v; }

  // The nine command fields; derived commands write theirs after these.
  void encodeFields() override;
  void decodeField() override;
  void encodeTextFields() override;
  void decodeTextFields() override;

 private:
  ZxFilterList filterList_;
  ZxJobIdList jobIdList_;
  ZxWorkIdList workIdList_;
  ZxStringList groupList_;
  bool restrictions_ = true;
  int limit_ = 0;
  bool background_ = true;
  int action_ = 0;
  ZxCallbackIdList callbackIdList_;
};

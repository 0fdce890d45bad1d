// ZxWorkId: names one work item of a job (class 59, "work_id"): the job
// number, the work item's name and its number; ZxWorkIdList (class 60,
// "work_id_list").
//
// A work id owns its name by value. The list owns its work ids.
#pragma once

#include "model/zx_list.h"
#include "serial/zx_pack.h"
#include "util/zx_string.h"

class ZxWorkId : public ZxPack {
 public:
  ZxWorkId() = default;
  explicit ZxWorkId(int id) : id_(id) {}
  ZxWorkId(int id, const ZxString& name) : id_(id), name_(name) {}
  // fromIdText(text).
  explicit ZxWorkId(const ZxString& text) { fromIdText(text); }
  ZxWorkId(const ZxWorkId&) = default;
  ZxWorkId& operator=(const ZxWorkId&) = default;
  ~ZxWorkId() override = default;

  int typeId() const override { return 59; }
  const char* typeName() const override { return "work_id"; }

  // "12:frame7": the job number, then ":" and the name when there is one.
  // The work item's number is not part of the text.
  ZxString idText() const;
  // The job number from the characters before the first ":", the name from
  // those after it ("" when there is no ":"); the work number is unchanged.
  void fromIdText(const ZxString& text);

  int id() const { return id_; }
  void setId(int v) { id_ = v; }
  const ZxString& name() const { return name_; }
  void setName(const ZxString& v) { name_ = v; }
  int workId() const { return workId_; }
  void setWorkId(int v) { workId_ = v; }

  void encodeFields() override;
  void decodeField() override;
  void encodeTextFields() override;
  void decodeTextFields() override;

 private:
  int id_ = -1;
  ZxString name_;
  int workId_ = -1;
};

class ZxWorkIdList : public ZxList<ZxWorkId> {
 public:
  int typeId() const override { return 60; }
  const char* typeName() const override { return "work_id_list"; }
};

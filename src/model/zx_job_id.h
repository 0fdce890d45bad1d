// ZxJobId (class 19, "job_id"): names a job (sub id -1), one of its
// subjobs (sub id >= 0) or all its subjobs (sub id -2). Text form: the job
// number, then ".n" for a subjob or ".*" for all subjobs.
#pragma once

#include <ostream>

#include "serial/zx_pack.h"
#include "util/zx_string.h"

class ZxJobId : public ZxPack {
 public:
  static constexpr int kWholeJob = -1;
  static constexpr int kAllSubjobs = -2;

  ZxJobId() = default;
  explicit ZxJobId(int id) : id_(id) {}
  ZxJobId(int id, int subId) : id_(id), subId_(subId) {}
  explicit ZxJobId(const ZxString& text) { fromIdText(text); }

  int id() const { return id_; }
  int subId() const { return subId_; }
  void setId(int id) { id_ = id; }
  void setSubId(int subId) { subId_ = subId; }

  ZxString idText() const;
  void appendTo(ZxString& out) const;
  // "12" -> (12, -1), "12.3" -> (12, 3), "12.*" -> (12, -2); the parts are
  // read with ZxString::toInt().
  void fromIdText(const ZxString& text);
  // The job number modulo n (0 for n of 0 or -1, which have no remainder).
  int idModulo(int n) const;

  bool operator==(const ZxJobId& o) const { return id_ == o.id_ && subId_ == o.subId_; }
  bool operator!=(const ZxJobId& o) const { return !(*this == o); }

  int typeId() const override { return 19; }
  void encodeFields() override;
  void decodeField() override;
  const char* typeName() const override { return "job_id"; }
  void encodeTextFields() override;
  void decodeTextFields() override;

 private:
  int id_ = -1;
  int subId_ = -1;
};

std::ostream& operator<<(std::ostream& os, const ZxJobId& id);

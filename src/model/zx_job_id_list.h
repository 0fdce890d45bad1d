// ZxJobIdList (class 18, "job_id_list"): the packable list of job ids that
// the job commands hand to the client operations. Owns its items.
#pragma once

#include "model/zx_job_id.h"
#include "model/zx_list.h"

class ZxJobIdList : public ZxList<ZxJobId> {
 public:
  int typeId() const override { return 18; }
  const char* typeName() const override { return "job_id_list"; }
};

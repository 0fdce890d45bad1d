// ZxModifyCommand: a command that changes jobs (class 48,
// "modify_command"): the nine command fields, then a job record holding the
// new values and the names of the job fields to change.
//
// Owns its job record and field list, and what its ZxCommand part owns.
#pragma once

#include "model/zx_command.h"
#include "model/zx_field.h"
#include "model/zx_job.h"

class ZxModifyCommand : public ZxCommand {
 public:
  // Command defaults, a default job, no fields.
  ZxModifyCommand() = default;
  ZxModifyCommand(const ZxModifyCommand&) = default;
  ZxModifyCommand& operator=(const ZxModifyCommand&) = default;
  ~ZxModifyCommand() override = default;

  int typeId() const override { return 48; }
  const char* typeName() const override { return "modify_command"; }

  ZxJob& job() { return job_; }
  const ZxJob& job() const { return job_; }
  // The names of the job fields to change, one ZxField each.
  ZxFieldList& fields() { return fields_; }
  const ZxFieldList& fields() const { return fields_; }

  void encodeFields() override;
  void decodeField() override;
  void encodeTextFields() override;
  void decodeTextFields() override;

 private:
  ZxJob job_;
  ZxFieldList fields_;
};

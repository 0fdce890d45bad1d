// ZxModifyCommand: the command fields, then the job and the field names.
#include "model/zx_modify_command.h"

void ZxModifyCommand::encodeFields() {
  ZxCommand::encodeFields();
  putObject(10, job_);
  putObject(11, fields_);
}

void ZxModifyCommand::decodeField() {
  ZxCommand::decodeField();
  getObject(10, job_);
  getObject(11, fields_);
}

void ZxModifyCommand::encodeTextFields() {
  ZxCommand::encodeTextFields();
  putTextObject("job", job_);
  putTextObject("fields", fields_);
}

void ZxModifyCommand::decodeTextFields() {
  ZxCommand::decodeTextFields();
  getTextObject("job", job_);
  getTextObject("fields", fields_);
}

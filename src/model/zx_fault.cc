// ZxFault: encoded forms, with the two lists under one binary field id.
// Built only where the error record (client/zx_err.h) is part of the tree.
#if __has_include("client/zx_err.h")
#include "model/zx_fault.h"

#include <cstdint>

void ZxFault::encodeFields() {
  putObject(1, error_);
  putObject(2, jobIdList_);
  putObject(3, workIdList_);
  putObject(3, hostNameList_);
}

void ZxFault::decodeField() {
  getObject(1, error_);
  getObject(2, jobIdList_);
  if (fieldTaken() || fieldId() != 3 || fieldType() != kTypeObject) return;
  // Field 3 holds either list: the class number picks the one to fill. Any
  // other class number is a damaged field, which ends the fault as a
  // mismatched nested object does.
  int32_t classNumber = 0, n = 0;
  if (!takeRawInt(classNumber)) return;
  ZxPack* target = nullptr;
  if (classNumber == workIdList_.typeId())
    target = &workIdList_;
  else if (classNumber == hostNameList_.typeId())
    target = &hostNameList_;
  if (!target) return discardRest();
  if (!takeRawInt(n)) return;
  decodeNested(*target, n);
}

void ZxFault::encodeTextFields() {
  putTextObject("error", error_);
  putTextObject("job_id_list", jobIdList_);
  putTextObject("work_id_list", workIdList_);
  putTextObject("hostname_list", hostNameList_);
}

void ZxFault::decodeTextFields() {
  getTextObject("error", error_);
  getTextObject("job_id_list", jobIdList_);
  getTextObject("work_id_list", workIdList_);
  getTextObject("hostname_list", hostNameList_);
}

#endif  // __has_include("client/zx_err.h")

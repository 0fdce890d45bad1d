// ZxResult: encoded forms.
// Built only where the error record (client/zx_err.h) is part of the tree.
#if __has_include("client/zx_err.h")
#include "model/zx_result.h"

void ZxResult::encodeFields() {
  putObject(3, faultList_);
  putObject(1, jobIdList_);
  putObject(2, workIdList_);
  putObject(4, error_);
  putObject(5, hostNameList_);
  putObject(6, callbackIdList_);
}

void ZxResult::decodeField() {
  getObject(3, faultList_);
  getObject(1, jobIdList_);
  getObject(2, workIdList_);
  getObject(4, error_);
  getObject(5, hostNameList_);
  getObject(6, callbackIdList_);
}

void ZxResult::encodeTextFields() {
  putTextObject("fault_list", faultList_);
  putTextObject("job_id_list", jobIdList_);
  putTextObject("work_id_list", workIdList_);
  putTextObject("error", error_);
  putTextObject("hostname_list", hostNameList_);
  putTextObject("callback_id_list", callbackIdList_);
}

void ZxResult::decodeTextFields() {
  getTextObject("fault_list", faultList_);
  getTextObject("job_id_list", jobIdList_);
  getTextObject("work_id_list", workIdList_);
  getTextObject("error", error_);
  getTextObject("hostname_list", hostNameList_);
  getTextObject("callback_id_list", callbackIdList_);
}

#endif  // __has_include("client/zx_err.h")

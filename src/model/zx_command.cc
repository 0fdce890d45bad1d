// ZxCommand: encoded forms of the nine command fields.
#include "model/zx_command.h"

void ZxCommand::encodeFields() {
  putObject(1, filterList_);
  putObject(2, jobIdList_);
  putObject(3, workIdList_);
  putObject(4, groupList_);
  putBool(5, restrictions_);
  putInt(6, limit_);
  putBool(7, background_);
  putInt(8, action_);
  putObject(9, callbackIdList_);
}

void ZxCommand::decodeField() {
  getObject(1, filterList_);
  getObject(2, jobIdList_);
  getObject(3, workIdList_);
  getObject(4, groupList_);
  getBool(5, restrictions_);
  getInt(6, limit_);
  getBool(7, background_);
  getInt(8, action_);
  getObject(9, callbackIdList_);
}

void ZxCommand::encodeTextFields() {
  putTextObject("filter_list", filterList_);
  putTextObject("job_id_list", jobIdList_);
  putTextObject("work_id_list", workIdList_);
  putTextObject("group_list", groupList_);
  putTextBool("restrictions", restrictions_);
  putTextInt("limit", limit_);
  putTextBool("background", background_);
  putTextInt("action", action_);
  putTextObject("callback_id_list", callbackIdList_);
}

void ZxCommand::decodeTextFields() {
  getTextObject("filter_list", filterList_);
  getTextObject("job_id_list", jobIdList_);
  getTextObject("work_id_list", workIdList_);
  getTextObject("group_list", groupList_);
  getTextBool("restrictions", restrictions_);
  getTextInt("limit", limit_);
  getTextBool("background", background_);
  getTextInt("action", action_);
  getTextObject("callback_id_list", callbackIdList_);
}

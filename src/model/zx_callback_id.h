// ZxCallbackId: names one callback of a job (class 197, "callback_id"):
// the job number and the callback's number; ZxCallbackIdList (class 198,
// "callback_id_list").
//
// Plain values; the list owns its callback ids.
#pragma once

#include "model/zx_list.h"
#include "serial/zx_pack.h"

class ZxCallbackId : public ZxPack {
 public:
  ZxCallbackId() = default;
  explicit ZxCallbackId(int id) : id_(id) {}
  ZxCallbackId(int id, int callId) : id_(id), callId_(callId) {}
  ZxCallbackId(const ZxCallbackId&) = default;
  ZxCallbackId& operator=(const ZxCallbackId&) = default;
  ~ZxCallbackId() override = default;

  int typeId() const override { return 197; }
  const char* typeName() const override { return "callback_id"; }

  int id() const { return id_; }
  void setId(int v) { id_ = v; }
  int callId() const { return callId_; }
  void setCallId(int v) { callId_ = v; }

  void encodeFields() override {
    putInt(1, id_);
    putInt(2, callId_);
  }
  void decodeField() override {
    getInt(1, id_);
    getInt(2, callId_);
  }
  void encodeTextFields() override {
    putTextInt("id", id_);
    putTextInt("callid", callId_);
  }
  void decodeTextFields() override {
    getTextInt("id", id_);
    getTextInt("callid", callId_);
  }

 private:
  int id_ = -1;
  int callId_ = -1;
};

class ZxCallbackIdList : public ZxList<ZxCallbackId> {
 public:
  int typeId() const override { return 198; }
  const char* typeName() const override { return "callback_id_list"; }
};

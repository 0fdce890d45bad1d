// ZxErrorRecord: the older error record "error" (class 52) that a
// supervisor may send in a refusal instead of a ZxErr: one string, the
// supervisor's own text. Binary field 1 (string), text element "value".
// The record owns its text; copies are independent.
#pragma once

#include "serial/zx_pack.h"
#include "util/zx_string.h"

class ZxErrorRecord : public ZxPack {
 public:
  ZxErrorRecord() = default;
  explicit ZxErrorRecord(const ZxString& text) : text_(text) {}
  ZxErrorRecord(const ZxErrorRecord&) = default;
  ZxErrorRecord& operator=(const ZxErrorRecord&) = default;
  ~ZxErrorRecord() override = default;

  static constexpr int kClassNumber = 52;

  int typeId() const override { return kClassNumber; }
  void encodeFields() override { putString(1, text_); }
  void decodeField() override { getString(1, text_); }
  const char* typeName() const override { return "error"; }
  void encodeTextFields() override { putTextString("value", text_); }
  void decodeTextFields() override { getTextString("value", text_); }

  const ZxString& text() const { return text_; }
  void setText(const ZxString& text) { text_ = text; }

 private:
  ZxString text_;
};

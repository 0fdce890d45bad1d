// ZxAddress (class 13, "address"): an IPv4 address a.b.c.d held as the
// number a * 2^24 + b * 2^16 + c * 2^8 + d, with a "not set" flag that is
// not encoded: set after default construction, cleared by assigning a
// number or dotted text, copied with the address.
#pragma once

#include <cstdint>

#include "serial/zx_pack.h"
#include "util/zx_string.h"

class ZxAddress : public ZxPack {
 public:
  ZxAddress() = default;
  explicit ZxAddress(uint32_t number) { setNumber(number); }
  explicit ZxAddress(const ZxString& dotted) { fromDottedText(dotted); }

  uint32_t number() const { return static_cast<uint32_t>(value_); }
  void setNumber(uint32_t number) {
    value_ = static_cast<int32_t>(number);
    notSet_ = false;
  }
  bool isNotSet() const { return notSet_; }

  // Digits make up each number, any other character ends one; up to four
  // numbers become the bytes, most significant first (missing ones are 0).
  // More than four numbers change nothing and answer false.
  bool fromDottedText(const ZxString& text);
  ZxString dottedText() const;

  bool operator==(const ZxAddress& o) const { return value_ == o.value_; }
  bool operator!=(const ZxAddress& o) const { return value_ != o.value_; }

  int typeId() const override { return 13; }
  void encodeFields() override { putInt(1, value_); }
  void decodeField() override { getInt(1, value_); }
  const char* typeName() const override { return "address"; }
  void encodeTextFields() override { putTextInt("value", value_); }
  void decodeTextFields() override { getTextInt("value", value_); }

 private:
  int32_t value_ = 0;
  bool notSet_ = true;
};

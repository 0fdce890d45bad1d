// ZxMacAddress (class 155, "macaddress"): a network adapter's hardware
// address as text, upper-case hexadecimal pairs joined with ":" (for
// example "00:1A:2B:3C:4D:5E"); "" when unknown. One string field, id 1,
// element "value". The setters normalise the text they are given; decoding
// keeps the stored text as it arrives. Owns its string.
#pragma once

#include <ostream>
#include <tuple>
#include <utility>

#include "model/zx_job_fields.h"
#include "util/zx_string.h"

class ZxMacAddress : public ZxRecord<ZxMacAddress> {
 public:
  // Written in place of an empty value.
  static const char* defaultText() { return "00:00:00:00:00:00"; }

  ZxMacAddress() = default;
  explicit ZxMacAddress(const ZxString& text) { setValue(text); }
  ZxMacAddress(const ZxMacAddress&) = default;
  ZxMacAddress& operator=(const ZxMacAddress&) = default;
  ~ZxMacAddress() override = default;

  int typeId() const override { return 155; }
  const char* typeName() const override { return "macaddress"; }

  const ZxString& value() const { return value_; }
  // Splits the text at every ":", reads each piece's first two characters
  // as a hexadecimal byte and writes it as two upper-case digits, joined
  // with ":"; an address whose bytes are all 0 becomes "".
  void setValue(const ZxString& text) { value_ = normalised(text); }
  void setValue(const char* bytes, int n) { setValue(ZxString(bytes, n)); }
  bool isEmpty() const { return value_.isEmpty(); }
  // The value, or defaultText() when it is empty.
  const char* displayText() const { return value_.isEmpty() ? defaultText() : value_.c_str(); }

  static ZxString normalised(const ZxString& text);
  // Stores a text as it is, as decoding does (no normalisation).
  void setStoredValue(const ZxString& text) { value_ = text; }
  // Exchanges the stored text with `other` without copying either.
  void swapValue(ZxString& other) {
    ZxString held(std::move(value_));
    value_ = std::move(other);
    other = std::move(held);
  }

 private:
  friend class ZxRecord<ZxMacAddress>;
  static constexpr auto fields() { return std::make_tuple(zxField(1, "value", &ZxMacAddress::value_)); }
  ZxString value_;
};

// An address text kept by a record as a plain string travels as a nested
// ZxMacAddress (see ZxValueField).
template <>
struct ZxValueCodec<ZxMacAddress> {
  static constexpr int kClass = 155;
  static void in(ZxMacAddress& r, ZxString& v) { r.swapValue(v); }
  static void out(ZxMacAddress& r, ZxString& v) { r.swapValue(v); }
};

// Writes displayText().
std::ostream& operator<<(std::ostream& os, const ZxMacAddress& address);

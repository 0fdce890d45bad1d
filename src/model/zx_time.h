// ZxTime (class 33, "time"): a time stamp in seconds since the system
// epoch 2000-01-01 05:00:00 UTC (Unix time 946702800). 0 means "not set".
// Local-time texts use the process's time zone.
#pragma once

#include <cstdint>
#include <ostream>

#include "serial/zx_pack.h"
#include "util/zx_string.h"

class ZxTime : public ZxPack {
 public:
  static constexpr int64_t kEpoch = 946702800;

  ZxTime() = default;
  explicit ZxTime(int value) : value_(value) {}
  // `isUnix`: t is a Unix time to convert; otherwise a stored value.
  ZxTime(int64_t t, bool isUnix);

  int value() const { return value_; }
  void setValue(int value) { value_ = value; }
  bool isSet() const { return value_ != 0; }
  // Stores t - kEpoch (clamped to the 32-bit range).
  void fromUnix(int64_t t);
  int64_t toUnix() const { return static_cast<int64_t>(value_) + kEpoch; }
  void setNow();

  // "Mar 3, 2009 9:05:03" in local time; "None" when not set; "" when the
  // local time cannot be computed.
  ZxString dateText() const;
  void appendTo(ZxString& out) const;
  // Reads text in the dateText() shape ("Mon D , YYYY H : MM : SS", tokens
  // cut at white space, "," and ":"); anything else changes nothing.
  void fromDateText(const ZxString& text);
  // Local weekday: "Sun", "Mon", "Tues", "Wed", "Thurs", "Fri", "Sat"
  // ("" when the local time cannot be computed).
  const char* weekdayName() const;
  // Local hour, -1 when the local time cannot be computed.
  int hour() const;
  // The value as a duration: "119 s", "2.0 m", "2.5 h".
  ZxString durationText() const;

  bool operator==(const ZxTime& o) const { return value_ == o.value_; }
  bool operator!=(const ZxTime& o) const { return value_ != o.value_; }

  int typeId() const override { return 33; }
  void encodeFields() override { putInt(1, value_); }
  void decodeField() override { getInt(1, value_); }
  const char* typeName() const override { return "time"; }
  void encodeTextFields() override { putTextInt("value", value_); }
  void decodeTextFields() override { getTextInt("value", value_); }

 private:
  int value_ = 0;
};

std::ostream& operator<<(std::ostream& os, const ZxTime& t);

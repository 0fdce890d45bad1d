// ZxReservation (class 27, "reservation"): countable resources a job
// reserves, read from and written as a reservation text such as
// "host.processors=2", "host.processors=1+", "host.processors=2-4" or
// "global.seats=3"; its key is "kind.name". Also the expression tokenizer
// that cuts such texts, and the reservation containers: the list (28) and
// the hash (68, keyed by key()), both readable from and writable as a
// comma-separated reservations text.
//
// Ownership: records own their strings; the containers own their records.
#pragma once

#include <tuple>

#include "model/zx_flags.h"
#include "model/zx_hash.h"
#include "model/zx_job_fields.h"
#include "model/zx_list.h"
#include "util/zx_string.h"
#include "model/zx_string_list.h"

// Cuts `text` into expression tokens, appended to `tokens` (cleared first):
// blanks, tabs, CR and LF separate; each of ( ) * + - / : ? is a token;
// < = > alone, or two-character when "=", "<" or ">" follows; ! & | alone,
// or "!=", "&&", "||"; a quoted run (double or single quotes, a backslash
// takes the next character literally) is one token without its quotes; any
// other run up to one of these characters or a blank is one token ("." and
// "," do not separate). An unclosed quote runs to the end of the text.
void zxTokenizeExpression(const ZxString& text, ZxStringList& tokens);

class ZxReservation : public ZxRecord<ZxReservation> {
 public:
  // Values of "maximum" besides 0 (none) and n > 0 (written "-n").
  static constexpr int kMaxPlus = -1;  // written "+"
  static constexpr int kMaxAll = -2;   // written "*"; the text "all" gives it

  ZxReservation() = default;
  ZxReservation(int kind, const ZxString& name, int count) : name_(name), count_(count), cls_(kind) {}
  explicit ZxReservation(const ZxString& text) { fromReservationText(text); }
  ZxReservation(const ZxReservation&) = default;
  ZxReservation& operator=(const ZxReservation&) = default;
  ~ZxReservation() override = default;

  int typeId() const override { return 27; }
  const char* typeName() const override { return "reservation"; }

  const ZxString& name() const { return name_; }
  void setName(const ZxString& v) { name_ = v; }
  void setName(const char* bytes, int n) { name_.assign(bytes, n); }
  int count() const { return count_; }
  void setCount(int v) { count_ = v; }
  // The ResourceKind value.
  int kind() const { return cls_; }
  void setKind(int v) { cls_ = v; }
  int maximum() const { return maximum_; }
  void setMaximum(int v) { maximum_ = v; }
  const char* kindText() const { return ResourceKind::nameOf(cls_); }
  void setKindText(const ZxString& name) { cls_ = ResourceKind::valueOf(name); }

  // "host.processors": the kind name, ".", the name.
  ZxString key() const;
  // Kinds whose count the text carries: global, scoped, license, scopedlicense.
  bool isCountedKind() const { return cls_ >= ResourceKind::kGlobal && cls_ <= ResourceKind::kScopedLicense; }
  bool isHostOrScopedKind() const {
    return cls_ == ResourceKind::kHost || cls_ == ResourceKind::kScoped ||
           cls_ == ResourceKind::kScopedLicense;
  }

  // Reads "kind.name = count [+|*|- max]"; fields the text does not carry
  // keep their values. An empty text changes nothing.
  void fromReservationText(const ZxString& text);
  // The reservation text; an unrecognised kind writes "unknown.name" and
  // then "unknown" in place of the count.
  ZxString reservationText() const;

 private:
  friend class ZxRecord<ZxReservation>;
  static constexpr auto fields() {
    using T = ZxReservation;
    return std::make_tuple(zxField(1, "name", &T::name_), zxField(2, "count", &T::count_),
                           zxField(3, "cls", &T::cls_), zxField(4, "maximum", &T::maximum_));
  }
  ZxString name_;
  int count_ = 1;
  int cls_ = ResourceKind::kNotRecognised;
  int maximum_ = 0;
};

class ZxReservationList : public ZxList<ZxReservation> {
 public:
  int typeId() const override { return 28; }
  const char* typeName() const override { return "reservation_list"; }
  // Clears the list, then appends one record per item of splitList(text).
  void fromReservationText(const ZxString& text);
  // The items' texts in list order, joined with ",".
  ZxString reservationText() const;
};

class ZxReservationHash : public ZxHash<ZxReservation> {
 public:
  int typeId() const override { return 68; }
  const char* typeName() const override { return "reservation_hash"; }
  // Clears the hash, then stores one record per item of splitList(text)
  // under its key(); a later item replaces an earlier one of the same key.
  void fromReservationText(const ZxString& text);
  // The stored texts in slot order, joined with ","; "" when empty.
  ZxString reservationText() const;
};

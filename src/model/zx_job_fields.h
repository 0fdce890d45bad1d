// ZxRecord<D>: the shared codec of the job model's plain records (job,
// subjob, work item, tally, reservation, resource, variable, environment,
// path map, hardware address).
//
// A record lists its fields once, in encoding order, as a table of rows
// (field id, element name, member pointer) returned by a static fields()
// function. The four packable operations and field-by-field equality all
// walk that one table, so a field cannot be written under one id and read
// under another, or be forgotten by one form only:
//
//   class ZxResource : public ZxRecord<ZxResource> {
//     friend class ZxRecord<ZxResource>;
//     static constexpr auto fields() {
//       return std::make_tuple(zxField(1, "name", &ZxResource::name_), ...);
//     }
//   };
//
// Member types: int (integer field), ZxString (string field) or any ZxPack
// (nested object field); value fields (zxValueField) keep a plain value
// that travels as a nested value record. The record owns its members by value; the base
// adds no state of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <tuple>
#include <type_traits>
#include <utility>

#include "model/zx_status.h"
#include "model/zx_time.h"
#include "serial/zx_coding.h"
#include "serial/zx_pack.h"
#include "util/zx_string.h"

template <class D, class M>
struct ZxFieldRow {
  int id;
  const char* name;
  M D::*member;
};

template <class D, class M>
constexpr ZxFieldRow<D, M> zxField(int id, const char* name, M D::*member) {
  return ZxFieldRow<D, M>{id, name, member};
}

// A field kept in the record as a plain value (a status code, a time
// stamp, an address text) and encoded as the nested value record R, so the
// encoded forms are exactly R's while the record spares R's packable state.
// ZxValueCodec<R> moves the value into a temporary R before it is encoded
// or decoded, and back out afterwards.
template <class D, class R, class M>
struct ZxValueField {
  int id;
  const char* name;
  M D::*member;
};

template <class R, class D, class M>
constexpr ZxValueField<D, R, M> zxValueField(int id, const char* name, M D::*member) {
  return ZxValueField<D, R, M>{id, name, member};
}

template <class R>
struct ZxValueCodec;

// Each codec also names its record's class number, used by the encoder's
// direct writer of value fields (the layout tests pin it to typeId()).
template <>
struct ZxValueCodec<ZxStatus> {
  static constexpr int kClass = 2;
  static void in(ZxStatus& r, const int& v) { r.setCode(v); }
  static void out(const ZxStatus& r, int& v) { v = r.code(); }
};

template <>
struct ZxValueCodec<ZxTime> {
  static constexpr int kClass = 33;
  static void in(ZxTime& r, const int& v) { r.setValue(v); }
  static void out(const ZxTime& r, int& v) { v = r.value(); }
};

namespace zxfields {

template <class T, class = void>
struct HasEquality : std::false_type {};
template <class T>
struct HasEquality<T, std::void_t<decltype(std::declval<const T&>() == std::declval<const T&>())>>
    : std::true_type {};

template <class T, class = void>
struct IsItemList : std::false_type {};
template <class T>
struct IsItemList<
    T, std::void_t<decltype(std::declval<const T&>().get(0)), decltype(std::declval<const T&>().count())>>
    : std::true_type {};

template <class T, class = void>
struct IsKeyedHash : std::false_type {};
template <class T>
struct IsKeyedHash<T, std::void_t<decltype(std::declval<const T&>().find(std::declval<const ZxString&>())),
                                  decltype(std::declval<const T&>().count())>> : std::true_type {};

// Field equality: values by ==; lists item by item; hashes entry by entry
// whatever their slot order; other packable records without == by their
// binary form (encoded from copies, as encoding uses the object's own
// buffer).
template <class T>
bool same(const T& a, const T& b) {
  if constexpr (HasEquality<T>::value) {
    return a == b;
  } else if constexpr (IsKeyedHash<T>::value) {
    if (a.count() != b.count()) return false;
    bool equal = true;
    a.forEach([&](const ZxString& key, const auto* value) {
      const auto* other = b.find(key);
      if (!equal) return;
      if (!value || !other)
        equal = value == other;
      else
        equal = same(*value, *other);
    });
    return equal;
  } else if constexpr (IsItemList<T>::value) {
    if (a.count() != b.count()) return false;
    for (int i = 0; i < a.count(); ++i) {
      const auto* x = a.get(i);
      const auto* y = b.get(i);
      if (!x || !y) {
        if (x != y) return false;
      } else if (!same(*x, *y)) {
        return false;
      }
    }
    return true;
  } else {
    T ca(a), cb(b);
    int na = ca.pack(), nb = cb.pack();
    if (na != nb) return false;
    const char* pa = ca.buffer();
    const char* pb = cb.buffer();
    for (int i = 0; i < na; ++i)
      if (pa[i] != pb[i]) return false;
    return true;
  }
}

}  // namespace zxfields

template <class D>
class ZxRecord : public ZxPack {
 public:
  void encodeFields() override {
    std::apply([&](const auto&... row) { (putRow(row), ...); }, rows());
  }
  // Hands the current field to the reader of the row with its id (one
  // table look-up per field); that reader checks the type code. Ids that no
  // row has are left for the caller to skip.
  void decodeField() override {
    static_assert(idsFit(), "field ids must be unique and below kMaxFieldIds");
    static const Readers readers = makeReaders(std::make_index_sequence<kRows>());
    const int current = fieldId();
    if (current >= 0 && current < kMaxFieldIds && readers.at[current]) readers.at[current](*this);
  }
  void encodeTextFields() override {
    each([&](int, const char* name, auto& value) { putTextValue(name, value); });
  }
  void decodeTextFields() override {
    each([&](int, const char* name, auto& value) { getTextValue(name, value); });
  }

  // True when every field of the table equals the other record's.
  bool operator==(const D& other) const {
    return std::apply(
        [&](const auto&... row) {
          return (zxfields::same(self().*(row.member), other.*(row.member)) && ...);
        },
        rows());
  }
  bool operator!=(const D& other) const { return !(*this == other); }

  // Calls f(id, name, value) for every field in encoding order (for a value
  // field, a temporary record holding the value).
  template <class F>
  void forEachField(F&& f) {
    each(std::forward<F>(f));
  }

 protected:
  ZxRecord() = default;
  ZxRecord(const ZxRecord&) = default;
  ZxRecord& operator=(const ZxRecord&) = default;

 private:
  // Field ids of a record stay below this (the job's highest is 63); the
  // readers' table has one slot per possible id.
  static constexpr int kMaxFieldIds = 128;
  static constexpr size_t kRows = std::tuple_size<decltype(D::fields())>::value;
  using Reader = void (*)(ZxRecord&);
  struct Readers {
    Reader at[kMaxFieldIds];
  };

  // The table, built once at compile time (fields() itself would build
  // the tuple on every call).
  static const auto& rows() {
    static constexpr auto kTable = D::fields();
    return kTable;
  }

  static constexpr bool idsFit() {
    bool seen[kMaxFieldIds] = {};
    bool fit = true;
    std::apply(
        [&](const auto&... row) {
          ((fit = fit && row.id >= 0 && row.id < kMaxFieldIds && !seen[row.id],
            fit ? (seen[row.id] = true) : false),
           ...);
        },
        D::fields());
    return fit;
  }
  template <size_t I>
  static void readRow(ZxRecord& record) {
    static constexpr auto kRow = std::get<I>(D::fields());
    record.getRow(kRow);
  }
  template <class M>
  void getRow(const ZxFieldRow<D, M>& row) {
    getValue(row.id, self().*(row.member));
  }
  // A value field is read as getObject() reads its record. A body of
  // exactly one header and one int (8 bytes) is read directly: field 1 of
  // type int is the value, and any other field in those 8 bytes would end
  // the nested object without effect, so the result is the same. Other
  // bodies go through the record.
  template <class R, class M>
  void getRow(const ZxValueField<D, R, M>& row) {
    if (fieldType() != kTypeObject) return;
    M& member = self().*(row.member);
    if constexpr (std::is_same_v<M, int>) {
      int32_t classNumber, n;
      if (!takeRawInt(classNumber)) return;
      if (classNumber != ZxValueCodec<R>::kClass) return discardRest();
      if (!takeRawInt(n)) return;
      if (n == 8 && bytesLeft() >= 8) {
        int32_t header, value;
        takeRawInt(header);
        takeRawInt(value);
        if (header == ((1 << 16) | kTypeInt)) member = value;
        setFieldTaken();
        return;
      }
      R record;
      ZxValueCodec<R>::in(record, member);
      decodeNested(record, n);
      ZxValueCodec<R>::out(record, member);
    } else {
      R record;
      ZxValueCodec<R>::in(record, member);
      getObject(row.id, record);
      ZxValueCodec<R>::out(record, member);
    }
  }
  template <size_t... I>
  static Readers makeReaders(std::index_sequence<I...>) {
    Readers r{};
    ((r.at[std::get<I>(D::fields()).id] = &readRow<I>), ...);
    return r;
  }

  D& self() { return static_cast<D&>(*this); }
  const D& self() const { return static_cast<const D&>(*this); }
  template <class M>
  void putRow(const ZxFieldRow<D, M>& row) {
    putValue(row.id, self().*(row.member));
  }
  // A value field is written as its record would write itself (a nested
  // object holding field 1), without building the record.
  template <class R, class M>
  void putRow(const ZxValueField<D, R, M>& row) {
    const M& v = self().*(row.member);
    unsigned char head[20];
    zxcoding::putBE16(head, static_cast<uint16_t>(row.id));
    zxcoding::putBE16(head + 2, kTypeObject);
    zxcoding::putBE32(head + 4, static_cast<uint32_t>(ZxValueCodec<R>::kClass));
    if constexpr (std::is_same_v<M, int>) {
      zxcoding::putBE32(head + 8, 8);
      zxcoding::putBE16(head + 12, 1);
      zxcoding::putBE16(head + 14, kTypeInt);
      zxcoding::putBE32(head + 16, static_cast<uint32_t>(v));
      appendBytes(head, 20);
    } else {
      static_assert(std::is_same_v<M, ZxString>, "value fields hold an int or a string");
      zxcoding::putBE32(head + 8, static_cast<uint32_t>(v.length()) + 8u);
      zxcoding::putBE16(head + 12, 1);
      zxcoding::putBE16(head + 14, kTypeString);
      zxcoding::putBE32(head + 16, static_cast<uint32_t>(v.length()));
      appendBytes(head, 20);
      appendBytes(v.c_str(), v.length());
    }
  }

  // Calls f(id, name, value) for one row: the member itself, or for a
  // value field a temporary record holding the member's value.
  template <class M, class F>
  void visit(const ZxFieldRow<D, M>& row, F&& f) {
    f(row.id, row.name, self().*(row.member));
  }
  template <class R, class M, class F>
  void visit(const ZxValueField<D, R, M>& row, F&& f) {
    M& member = self().*(row.member);
    R record;
    ZxValueCodec<R>::in(record, member);
    f(row.id, row.name, record);
    ZxValueCodec<R>::out(record, member);
  }
  template <class F>
  void each(F&& f) {
    std::apply([&](const auto&... row) { (visit(row, f), ...); }, rows());
  }
};

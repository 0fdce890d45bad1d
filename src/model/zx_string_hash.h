// ZxStringHash (class 56, "string_hash"): owned ZxString values by key.
// ZxIntHash (class 176, "int_hash"): integer values by key.
#pragma once

#include <new>

#include "model/zx_hash.h"
#include "util/zx_out_of_memory.h"

// Makes `to` (when not null) a copy of `from` in a buffer that fits it,
// secure flag included.
inline void copyFitted(const ZxString& from, ZxString* to) {
  if (!to) return;
  to->setSecure(from.isSecure());
  to->assignFitted(from.c_str(), from.length());
}

class ZxStringHash : public ZxHash<ZxString> {
 public:
  int typeId() const override { return 56; }
  const char* typeName() const override { return "string_hash"; }

  using ZxHash<ZxString>::insert;
  // Stores copies of key and value, each in a buffer that fits it (a short
  // text in the string itself): a table of many short pairs then costs its
  // entries and slots, and no heap block per text.
  bool insert(const ZxString& key, const ZxString& value) {
    ZxString* k = zxNew<ZxString>();
    ZxString* v = zxNew<ZxString>();
    copyFitted(key, k);
    copyFitted(value, v);
    if (k && v && (k->length() != key.length() || v->length() != value.length())) {
      delete k;  // a copy could not be made
      delete v;
      return false;
    }
    if (k && v && insert(k, v)) return true;
    delete k;
    delete v;
    return false;
  }
};

class ZxIntHash : public ZxHash<int> {
 public:
  int typeId() const override { return 176; }
  const char* typeName() const override { return "int_hash"; }

  using ZxHash<int>::insert;
  // Stores a copy of the key and the number.
  bool insert(const ZxString& key, int value) {
    ZxString* k = zxNew<ZxString>();
    copyFitted(key, k);
    int* v = zxNew<int>(value);
    if (k && v && insert(k, v)) return true;
    delete k;
    delete v;
    return false;
  }
};

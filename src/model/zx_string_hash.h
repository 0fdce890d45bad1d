// ZxStringHash (class 56, "string_hash"): owned ZxString values by key.
// ZxIntHash (class 176, "int_hash"): integer values by key.
#pragma once

#include <new>

#include "model/zx_hash.h"
#include "util/zx_out_of_memory.h"

class ZxStringHash : public ZxHash<ZxString> {
 public:
  int typeId() const override { return 56; }
  const char* typeName() const override { return "string_hash"; }

  using ZxHash<ZxString>::insert;
  // Stores copies of key and value.
  bool insert(const ZxString& key, const ZxString& value) {
    ZxString* k = zxNew<ZxString>(key);
    ZxString* v = zxNew<ZxString>(value);
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
    ZxString* k = zxNew<ZxString>(key);
    int* v = zxNew<int>(value);
    if (k && v && insert(k, v)) return true;
    delete k;
    delete v;
    return false;
  }
};

// ZxStringList: the packable list of owned ZxString items (class 55,
// "string_list"), with join and sort. Copying copies every item.
#pragma once

#include "model/zx_list.h"
#include "util/zx_string.h"

class ZxStringList : public ZxList<ZxString> {
 public:
  using Comparator = int (*)(const ZxString& a, const ZxString& b);

  ZxStringList() = default;
  ZxStringList(const ZxStringList& other) = default;
  ZxStringList(ZxStringList&& other) noexcept : ZxList<ZxString>(std::move(other)) {}
  ZxStringList& operator=(const ZxStringList& other) = default;
  ZxStringList& operator=(ZxStringList&& other) noexcept = default;
  ~ZxStringList() override = default;

  int typeId() const override { return 55; }
  const char* typeName() const override { return "string_list"; }

  // Convenience: appends a copy of `text`.
  void add(const ZxString& text) { append(new ZxString(text)); }

  // The items in order with `sep` between neighbours; "" for an empty list.
  ZxString join(const ZxString& sep) const;
  // In-place quicksort with a three-way comparator (default: ZxString order).
  // The pivot is the middle element, swapped to the front before partitioning.
  void sort(Comparator cmp = defaultCompare);

  static int defaultCompare(const ZxString& a, const ZxString& b);
};

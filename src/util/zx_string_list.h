// ZxStringList: the list of owned ZxString items, with join and sort.
// Copying copies every item.
#pragma once

#include "util/zx_base_list.h"
#include "util/zx_string.h"

class ZxStringList : public ZxBaseList<ZxString> {
 public:
  using Comparator = int (*)(const ZxString& a, const ZxString& b);

  ZxStringList() = default;
  ZxStringList(const ZxStringList& other);
  ZxStringList(ZxStringList&& other) noexcept : ZxBaseList<ZxString>(std::move(other)) {}
  ZxStringList& operator=(const ZxStringList& other);
  ~ZxStringList() override = default;

  // Convenience: appends a copy of `text`.
  void add(const ZxString& text) { append(new ZxString(text)); }

  // The items in order with `sep` between neighbours; "" for an empty list.
  ZxString join(const ZxString& sep) const;
  // In-place quicksort with a three-way comparator (default: ZxString order).
  // The pivot is the middle element, swapped to the front before partitioning.
  void sort(Comparator cmp = defaultCompare);

  static int defaultCompare(const ZxString& a, const ZxString& b);
};

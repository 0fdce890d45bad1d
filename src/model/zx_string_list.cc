// ZxStringList: join and quicksort.
#include "model/zx_string_list.h"

#include <utility>

ZxString ZxStringList::join(const ZxString& sep) const {
  ZxString out;
  for (int i = 0; i < count(); ++i) {
    if (i > 0) out.append(sep);
    if (const ZxString* s = get(i)) out.append(*s);
  }
  return out;
}

int ZxStringList::defaultCompare(const ZxString& a, const ZxString& b) {
  if (a < b) return -1;
  if (a == b) return 0;
  return 1;
}

namespace {
const ZxString& itemOf(ZxString* const* items, int i) {
  static const ZxString kEmpty;
  return items[i] ? *items[i] : kEmpty;
}

// Sorts items[lo..hi]. Recurses into the smaller side and loops on the
// larger, so the stack depth stays logarithmic whatever the input order.
void quicksort(ZxString** items, int lo, int hi, ZxStringList::Comparator cmp) {
  while (lo < hi) {
    int mid = lo + (hi - lo) / 2;
    std::swap(items[lo], items[mid]);
    int store = lo;
    for (int i = lo + 1; i <= hi; ++i) {
      if (cmp(itemOf(items, i), itemOf(items, lo)) < 0) std::swap(items[++store], items[i]);
    }
    std::swap(items[lo], items[store]);
    if (store - lo < hi - store) {
      quicksort(items, lo, store - 1, cmp);
      lo = store + 1;
    } else {
      quicksort(items, store + 1, hi, cmp);
      hi = store - 1;
    }
  }
}
}  // namespace

void ZxStringList::sort(Comparator cmp) {
  if (count() < 2) return;
  quicksort(items_, first_, last_, cmp ? cmp : defaultCompare);
}

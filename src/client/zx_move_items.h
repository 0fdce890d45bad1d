// Moving the items of a list that came in a reply to a caller's list.
//
// Lists decoded from the wire keep their items in blocks they own, and such
// items can never change owner one by one. So a caller's empty list takes
// the whole reply list over (items, blocks and all, without a copy); a
// list that already holds items gets copies appended and the reply list is
// emptied. Either way the items arrive in order and the source ends empty.
#pragma once

#include <new>
#include <utility>

#include "util/zx_out_of_memory.h"

template <class List, class Item>
void moveListItems(List& from, List& to) {
  if (to.count() == 0) {
    to = std::move(from);
    return;
  }
  for (int i = 0; i < from.count(); ++i)
    if (const Item* item = from.get(i))
      if (Item* copy = zxNew<Item>(*item)) to.append(copy);
  from.clear();
}

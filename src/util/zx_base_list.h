// ZxBaseList<T>: the library's owning list of heap objects.
//
// The list owns its items: every item is a heap object created by the caller
// and handed over on append(); clear() and destruction destroy the items
// through their virtual destructor (null items are stored and skipped).
// Used slots run from `first_` to `last_`; count() is last_ - first_ + 1.
// When full, the slot array grows to 2 * capacity + 1 slots.
#pragma once

#include <new>
#include <utility>

template <class T>
class ZxBaseList {
 public:
  ZxBaseList() = default;
  ZxBaseList(const ZxBaseList&) = delete;
  ZxBaseList& operator=(const ZxBaseList&) = delete;
  ZxBaseList(ZxBaseList&& other) noexcept { swapWith(other); }
  virtual ~ZxBaseList() {
    clear();
    delete[] items_;
  }

  // Takes ownership of `item`. If the slot array cannot grow, the item is
  // destroyed and the list stays as it was.
  void append(T* item) {
    if (last_ + 1 >= capacity_ && !grow()) {
      delete item;
      return;
    }
    items_[++last_] = item;
  }

  // The item at position i counted from the first; null when out of range.
  // The list keeps ownership.
  T* get(int i) const {
    if (i < 0 || first_ + i > last_) return nullptr;
    return items_[first_ + i];
  }

  int count() const { return last_ - first_ + 1; }
  int capacity() const { return capacity_; }

  void clear() {
    for (int i = first_; i <= last_; ++i) {
      delete items_[i];
      items_[i] = nullptr;
    }
    first_ = 0;
    last_ = -1;
  }

  // Empties the list without destroying the items (they went to another owner).
  void forget() {
    first_ = 0;
    last_ = -1;
  }

 protected:
  void swapWith(ZxBaseList& other) noexcept {
    T** items = items_;
    int capacity = capacity_, last = last_, first = first_;
    items_ = other.items_;
    capacity_ = other.capacity_;
    last_ = other.last_;
    first_ = other.first_;
    other.items_ = items;
    other.capacity_ = capacity;
    other.last_ = last;
    other.first_ = first;
  }

  T** items_ = nullptr;
  int capacity_ = 0;
  int last_ = -1;
  int first_ = 0;

 private:
  bool grow() {
    long long wanted = 2LL * capacity_ + 1;
    if (wanted > 0x7FFFFFFF) return false;
    T** fresh = new (std::nothrow) T*[wanted];
    if (!fresh) return false;
    for (int i = 0; i < capacity_; ++i) fresh[i] = items_[i];
    for (long long i = capacity_; i < wanted; ++i) fresh[i] = nullptr;
    delete[] items_;
    items_ = fresh;
    capacity_ = static_cast<int>(wanted);
    return true;
  }
};

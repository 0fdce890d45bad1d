// ZxBaseList<T>: the library's owning list of heap objects.
//
// The list owns its items: every item is a heap object created by the caller
// and handed over on append(); clear() and destruction destroy the items
// through their virtual destructor (null items are stored and skipped).
// Used slots run from `first_` to `last_`; count() is last_ - first_ + 1.
// When full, the slot array grows to 2 * capacity + 1 slots.
//
// Item blocks: a decoder that creates many items at once takes them from
// blocks the list owns (newBlockItem()), one allocation for a run of items
// instead of one per item. Such items belong to the list like the others
// (clear() and destruction end them; sort() and moves keep them) but can
// never change owner, so forget() must not be used on a list that holds
// them. A block holds exactly T objects; each block is at least twice the
// size of the one before (up to what the decoder asked for), so a list has
// few blocks, and a declared count that the bytes never deliver costs at
// most the decoder's budget.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

#include "util/zx_out_of_memory.h"

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
      destroy(item);
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
      destroy(items_[i]);
      items_[i] = nullptr;
    }
    first_ = 0;
    last_ = -1;
    freeBlocks();
  }

  // Empties the list without destroying the items (they went to another
  // owner). Only for items that were appended, not taken from the blocks.
  void forget() {
    first_ = 0;
    last_ = -1;
  }

 protected:
  // A default-initialised item in the list's blocks, for a decoder that
  // appends it at once. `expected` is how many more items the decoder
  // expects; `budget` the bytes a new block may take beyond the doubling
  // rule (a decoder passes a small multiple of the bytes it has left, so
  // that a declared count the bytes cannot hold asks for little). A new
  // block holds as many items as fit the budget, or twice the last block
  // (one item for the first) when that is more, and never more than
  // `expected` items. A block is made only when the last one is full, so
  // what the blocks hold beyond the items made stays within the budget
  // plus the items made. Null when no memory is left.
  // With `source`, the item is a copy of it (for deep copies of a list).
  T* newBlockItem(long long expected, long long budget, const T* source = nullptr) {
    if (!blocks_ || blocks_->used == blocks_->capacity) {
      long long capacity = blocks_ ? 2LL * blocks_->capacity : 1;
      const long long fitting = budget / static_cast<long long>(sizeof(T));
      if (fitting > capacity) capacity = fitting;
      if (capacity > expected) capacity = expected;
      if (capacity > kMaxBlockBytes / static_cast<long long>(sizeof(T)))
        capacity = kMaxBlockBytes / static_cast<long long>(sizeof(T));
      if (capacity < 1) capacity = 1;
      void* raw = ::operator new(kHeaderSize + sizeof(T) * static_cast<size_t>(capacity), std::nothrow);
      if (!raw) {
        ZxOutOfMemory::note();
        return nullptr;
      }
      blocks_ = new (raw) Block{blocks_, static_cast<int>(capacity), 0};
    }
    void* slot = blockSlots(blocks_) + blocks_->used;
    T* item = source ? new (slot) T(*source) : new (slot) T;
    ++blocks_->used;
    return item;
  }

  void swapWith(ZxBaseList& other) noexcept {
    std::swap(blocks_, other.blocks_);
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
  struct Block {
    Block* next;   // the block made before this one
    int capacity;  // slots
    int used;      // slots holding a live item, from the first
  };
  // Slots start after the header, aligned for T.
  static constexpr size_t kHeaderSize = (sizeof(Block) + alignof(T) - 1) / alignof(T) * alignof(T);
  // 64 MiB bounds one block whatever the decoder asks for.
  static constexpr long long kMaxBlockBytes = 64LL * 1024 * 1024;

  static T* blockSlots(Block* b) {
    return reinterpret_cast<T*>(reinterpret_cast<unsigned char*>(b) + kHeaderSize);
  }
  bool inBlocks(const T* item) const {
    const uintptr_t p = reinterpret_cast<uintptr_t>(item);
    for (Block* b = blocks_; b; b = b->next) {
      const uintptr_t begin = reinterpret_cast<uintptr_t>(blockSlots(b));
      if (p >= begin && p < begin + sizeof(T) * static_cast<size_t>(b->used)) return true;
    }
    return false;
  }
  // Ends an item the list owns: a block item in place (it is exactly a T),
  // any other through its virtual destructor.
  void destroy(T* item) {
    if (!item) return;
    if (blocks_ && inBlocks(item))
      item->T::~T();
    else
      delete item;
  }
  // Releases the blocks; their items have been destroyed.
  void freeBlocks() {
    while (blocks_) {
      Block* next = blocks_->next;
      blocks_->~Block();
      ::operator delete(blocks_);
      blocks_ = next;
    }
  }

  Block* blocks_ = nullptr;

  bool grow() {
    long long wanted = 2LL * capacity_ + 1;
    if (wanted > 0x7FFFFFFF) {
      ZxOutOfMemory::note();  // more items than a list can count
      return false;
    }
    T** fresh = zxNewArray<T*>(static_cast<size_t>(wanted));
    if (!fresh) return false;
    for (int i = 0; i < capacity_; ++i) fresh[i] = items_[i];
    for (long long i = capacity_; i < wanted; ++i) fresh[i] = nullptr;
    delete[] items_;
    items_ = fresh;
    capacity_ = static_cast<int>(wanted);
    return true;
  }
};

// ZxList<T>: the packable owning list. Items are owned by the list (see
// ZxBaseList); copying copies every item. Items made by the binary decoder
// and by copying come from the list's item blocks (one allocation for a
// run of items); items made by the text decoder and appended ones are
// separate heap objects.
//
// An instance supplies only its class number and type name:
//   class ZxJobIdList : public ZxList<ZxJobId> {
//    public:
//     int typeId() const override { return 18; }
//     const char* typeName() const override { return "job_id_list"; }
//   };
// T is ZxString (items are string fields) or a packable record with a
// default constructor and a copy constructor (items are nested objects).
//
// Binary form: int field 1 holding the count, then one field 10 per item.
// Text form: one element "item" per item.
#pragma once

#include <cstdio>
#include <new>
#include <type_traits>
#include <utility>

#include "serial/zx_pack.h"
#include "util/zx_base_list.h"
#include "util/zx_out_of_memory.h"

template <class T>
class ZxList : public ZxBaseList<T>, public ZxPack {
 public:
  ZxList() = default;
  ZxList(const ZxList& other) : ZxBaseList<T>(), ZxPack() { appendCopies(other); }
  ZxList(ZxList&& other) noexcept : ZxBaseList<T>(std::move(other)), ZxPack() {}
  ZxList& operator=(const ZxList& other) {
    if (this != &other) {
      this->clear();
      appendCopies(other);
    }
    return *this;
  }
  ZxList& operator=(ZxList&& other) noexcept {
    if (this != &other) {
      this->clear();
      this->swapWith(other);
    }
    return *this;
  }
  ~ZxList() override = default;

  int typeId() const override = 0;
  const char* typeName() const override = 0;

  void encodeFields() override {
    putInt(1, this->count());
    // Items are separate heap objects: fetching a few ahead hides the wait
    // for each one on long lists.
    constexpr int kPrefetch = 16;
    for (int i = 0; i < this->count(); ++i) {
      if (i + kPrefetch < this->count()) __builtin_prefetch(this->get(i + kPrefetch));
      if (T* item = this->get(i)) {
        putValue(10, *item);
      } else {
        T empty;
        putValue(10, empty);
      }
    }
  }

  // Count first; once it is positive every later field is one item (a field
  // that is not an item field leaves its fresh item empty). The count only
  // gates the loop: the items are what the body holds.
  void decodeField() override {
    switch (decodeState_) {
      case 0: {
        int n = 0;
        getInt(1, n);
        if (!fieldTaken()) return;
        decodeState_ = n > 0 ? 1 : 2;
        // Room for the declared items, but never more than the bytes left
        // could hold (an item field takes at least 5 bytes).
        pending_ = n < bytesLeft() / 5 + 1 ? n : bytesLeft() / 5 + 1;
        if (n > 0) reserveItems(static_cast<int>(pending_));
        return;
      }
      case 1: {
        if (!chargeDecode(static_cast<long long>(sizeof(T)))) return discardRest();
        T* item = newDecodedItem(pending_);
        if (!item) return discardRest();
        if (pending_ > 0) --pending_;
        getValue(10, *item);
        this->append(item);
        if constexpr (std::is_same<T, ZxString>::value) {
          // The string items that follow are taken in one run, without a
          // trip through the decoding loop per field; the first field that
          // is not a whole string item goes back to the loop.
          // The run charges the decoding budget through a local copy.
          const char* bytes = nullptr;
          int n = 0;
          long long budget = budgetLeft();
          long long pending = pending_;
          while (takeNextString(10, bytes, n)) {
            item = nullptr;
            if (budget >= static_cast<long long>(sizeof(T))) {
              budget -= static_cast<long long>(sizeof(T));
              item = newDecodedItem(pending);
            } else {
              budget = 0;
            }
            if (!item) {
              discardRest();
              break;
            }
            if (pending > 0) --pending;
            if (n > 0) item->assignFitted(bytes, n);
            this->append(item);
          }
          setBudgetLeft(budget);
          pending_ = pending;
        }
        return;
      }
      default:
        return;
    }
  }

  void encodeTextFields() override {
    for (int i = 0; i < this->count(); ++i) {
      if (T* item = this->get(i)) {
        putTextValue("item", *item);
      } else {
        T empty;
        putTextValue("item", empty);
      }
    }
  }

  // Items "item", "item1", "item2", ... up to the first name that is absent.
  void decodeTextFields() override {
    char name[24];
    for (int i = 0;; ++i) {
      if (i == 0)
        std::snprintf(name, sizeof name, "item");
      else
        std::snprintf(name, sizeof name, "item%d", i);
      if (!hasTextName(name)) return;
      if (!chargeDecode(static_cast<long long>(sizeof(T)))) return;
      T* item = newItem();
      if (!item) return;
      getTextValue(name, *item);
      this->append(item);
    }
  }

 protected:
  // A fresh item for decoding; instances may override it.
  // Default-initialised: records initialise their own members, and this
  // skips zero-filling the whole object first.
  virtual T* newItem() const { return zxNew<T>(); }

 private:
  // Grows the slot array to hold `n` more items; nothing on failure.
  void reserveItems(int n) {
    long long wanted = static_cast<long long>(this->last_) + 1 + n;
    if (wanted <= ZxBaseList<T>::capacity_ || wanted > 0x7FFFFFFF) return;
    T** fresh = zxNewArray<T*>(static_cast<size_t>(wanted));
    if (!fresh) return;
    for (int i = 0; i < ZxBaseList<T>::capacity_; ++i) fresh[i] = this->items_[i];
    for (long long i = ZxBaseList<T>::capacity_; i < wanted; ++i) fresh[i] = nullptr;
    delete[] this->items_;
    this->items_ = fresh;
    ZxBaseList<T>::capacity_ = static_cast<int>(wanted);
  }

  // Items still expected by the binary decoder (its declared count, capped).
  long long pending_ = 0;

  // An item for the binary decoder from the list's blocks: a new block is
  // sized by the items still expected (`pending`, or what the bytes left
  // could hold once the declared count is used up) within eight times the
  // bytes left.
  T* newDecodedItem(long long pending) {
    const long long expected = pending > 0 ? pending : bytesLeft() / 5 + 1;
    return this->newBlockItem(expected, 8LL * bytesLeft());
  }

  // The copies share blocks, one allocation for the whole run.
  void appendCopies(const ZxList& other) {
    const int n = other.count();
    for (int i = 0; i < n; ++i) {
      const T* item = other.get(i);
      if (!item) {
        this->append(nullptr);
        continue;
      }
      const long long left = n - i;
      T* copy = this->newBlockItem(left, left * static_cast<long long>(sizeof(T)), item);
      this->append(copy ? copy : zxNew<T>(*item));
    }
  }
};

// ZxHash<V>: packable map from ZxString keys to owned values, kept in an
// open-addressing table.
//
// Ownership: the hash owns every entry. insert() takes the key and value the
// caller made on the heap: on success their contents move into the hash's
// own entry and the two objects are destroyed (the caller must not use
// them again; find() gives the stored value); on failure they stay the
// caller's. find() lends a value, take() hands it back to the caller as a
// new object. A pointer from find() or keys() stays valid until its entry
// is replaced, taken or cleared, or the hash destroyed: entries never move.
// Copies are deep.
//
// Slots: a key with hash h is looked for at (h + d_i) mod size, with d_0 = 0
// and d_i = 2 << (i mod 32), for i below size / 2. The offsets repeat after
// i = 32, so at most 33 probes are ever made (the later ones would only
// revisit the same slots). When the probes find no room the table grows to
// rand() % 100 + 4 * size + 1 slots and every entry is placed again.
// Insertion looks along its whole walk (up to the first empty slot) for an
// equal key before it reuses a removed-entry slot, so a key is never stored
// twice.
//
// Memory: a slot is a 4-byte entry number, and the entries (key and value
// held by value, and the key's hash) sit in blocks that double in size and
// never move. Growth makes the slots several times as many as the entries,
// so a slot must stay small: a table of a million short pairs costs a few
// times less than slots holding two pointers and a hash, pointing at one
// heap object per key and one per value, cost.
//
// Keys whose probe slots are all taken by keys of the same hash could never
// be placed, however large the table: such keys go to an overflow list
// instead of growing the table without end (found through chains of their
// own, by another hash of the key's bytes). Growth is only tried while the
// table is at least 1/8 full and the new size stays within kSlotsPerEntry
// slots per entry, so memory stays proportional to the entries and every
// insert ends. Overflow entries follow the table's slots in every walk
// (keys(), forEach(), the encoded forms).
//
// An instance supplies its class number and type name:
//   class ZxStringHash : public ZxHash<ZxString> {
//    public:
//     int typeId() const override { return 56; }
//     const char* typeName() const override { return "string_hash"; }
//   };
// V is int, ZxString, or a packable record with default and copy
// constructors and assignment.
//
// Binary form: int field 1 holding the count, then per entry a string field
// 10 (the key) and a field 30 (the value). Text form: per entry an element
// "key" and an element "element".
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <utility>

#include "serial/zx_pack.h"
#include "util/zx_out_of_memory.h"
#include "util/zx_string.h"
#include "model/zx_string_list.h"

template <class V>
class ZxHash : public ZxPack {
 public:
  static constexpr int kInitialSize = 17;
  // Probes after which a walk has seen every slot it can reach.
  static constexpr int kMaxProbes = 33;
  // Growth budget: slots per entry (plus kSlotAllowance) a table may reach.
  // Regular growth (4 x size + 100 at a load of at least 1/8) always fits.
  static constexpr long long kSlotsPerEntry = 32;
  static constexpr long long kSlotAllowance = 1024;
  // Redraws of a larger size when entries do not fit after a growth.
  static constexpr int kMaxRedraws = 3;
  // Growths one insert may cause before its key goes to the overflow list.
  static constexpr int kMaxGrowthsPerInsert = 2;
  // What one decoded entry is charged to the decoding budget: its key and
  // value objects.
  static constexpr long long kEntryBytes = static_cast<long long>(sizeof(ZxString) + sizeof(V));

  ZxHash() { allocateSlots(kInitialSize); }
  ZxHash(const ZxHash& other) : ZxPack() { copyFrom(other); }
  ZxHash& operator=(const ZxHash& other) {
    if (this != &other) {
      freeAll();
      copyFrom(other);
    }
    return *this;
  }
  ~ZxHash() override { freeAll(); }

  int typeId() const override = 0;
  const char* typeName() const override = 0;

  // Base-7 hash of the key's bytes taken as signed 8-bit values.
  static uint32_t hashOf(const ZxString& key) {
    uint32_t h = 0, power = 1;
    const char* s = key.c_str();
    for (int i = 0; i < key.length(); ++i) {
      h += static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(s[i]))) * power;
      power *= 7u;
    }
    return h;
  }

  // Takes the contents of key and value (see the ownership note above);
  // replaces the value of an equal key. A null value stores a key without
  // a value. False (nothing taken) for a null key, a table that could not
  // be allocated, or no memory for the entry.
  bool insert(ZxString* key, V* value) {
    if (!key || size_ == 0) return false;
    if (overflowCount_ > 0) {
      int e = findOverflow(*key);
      if (e >= 0) {
        replace(e, key, value);
        return true;
      }
    }
    uint32_t h = hashOf(*key);
    int placed = place(key, value, h);
    if (placed != kNoRoom) return placed == kPlaced;
    for (int g = 0; g < kMaxGrowthsPerInsert && mayGrow() && grow(); ++g) {
      placed = place(key, value, h);
      if (placed != kNoRoom) return placed == kPlaced;
    }
    int e = newEntry(key, value, h);
    if (e < 0) return false;
    if (!addOverflow(e)) {
      dropEntry(e);
      return false;
    }
    return true;
  }

  // The value under `key`, or null; the hash keeps ownership.
  V* find(const ZxString& key) const {
    if (count() == 0) return nullptr;
    int slot = slotOf(key);
    int e = slot >= 0 ? slots_[slot] : (overflowCount_ > 0 ? findOverflow(key) : -1);
    if (e < 0) return nullptr;
    Entry& entry = entryAt(e);
    return entry.hasValue ? &entry.value : nullptr;
  }

  // Removes the entry and hands its value to the caller; null when absent.
  V* take(const ZxString& key) {
    if (count() == 0) return nullptr;
    int slot = slotOf(key);
    int e = -1;
    if (slot >= 0) {
      e = slots_[slot];
      slots_[slot] = kRemoved;
      --tableCount_;
    } else if (overflowCount_ > 0) {
      e = findOverflow(key);
      if (e < 0) return nullptr;
      removeOverflow(e);
    } else {
      return nullptr;
    }
    Entry& entry = entryAt(e);
    V* value = entry.hasValue ? zxNew<V>(std::move(entry.value)) : nullptr;
    dropEntry(e);
    return value;
  }

  // Destroys every key and value; the number of slots stays.
  void clear() {
    for (int i = 0; i < size_; ++i) slots_[i] = kEmpty;
    destroyEntries();
    tableCount_ = 0;
  }

  int count() const { return tableCount_ + overflowCount_; }
  int size() const { return size_; }

  // Slot of probe i for hash h in a table of `size` slots.
  static int slotFor(uint32_t h, int i, int size) {
    uint32_t d = i == 0 ? 0u : (2u << (static_cast<unsigned>(i) % 32u));
    return static_cast<int>((h + d) % static_cast<uint32_t>(size));
  }

  // The slot holding `key`, or -1 (absent, or kept in the overflow list).
  int slotOf(const ZxString& key) const {
    if (size_ == 0) return -1;
    uint32_t h = hashOf(key);
    int probes = probeCount(size_);
    for (int i = 0; i < probes; ++i) {
      int slot = slotFor(h, i, size_);
      int e = slots_[slot];
      if (e == kEmpty) return -1;
      if (e == kRemoved) continue;
      const Entry& entry = entryAt(e);
      if (entry.hash == h && entry.key == key) return slot;
    }
    return -1;
  }

  // Clears `list` (destroying its items) and appends the keys in slot order
  // as BORROWED pointers: the caller must forget() the list, not clear it.
  void keys(ZxStringList& list) const {
    list.clear();
    forEach([&list](const ZxString& key, const V*) { list.append(const_cast<ZxString*>(&key)); });
  }
  // Appends copies of the keys in slot order; the list owns them.
  void copyKeys(ZxStringList& list) const {
    forEach([&list](const ZxString& key, const V*) { list.add(key); });
  }

  // Calls f(const ZxString& key, V* value) for every entry in slot order,
  // then the overflow entries in the order they came.
  template <class F>
  void forEach(F&& f) const {
    for (int i = 0; i < size_; ++i) {
      if (slots_[i] < 0) continue;
      Entry& e = entryAt(slots_[i]);
      f(static_cast<const ZxString&>(e.key), e.hasValue ? &e.value : static_cast<V*>(nullptr));
    }
    for (int i = 0; i < overflowCount_; ++i) {
      Entry& e = entryAt(overflow_[i]);
      f(static_cast<const ZxString&>(e.key), e.hasValue ? &e.value : static_cast<V*>(nullptr));
    }
  }

  void encodeFields() override {
    int n = count();
    putInt(1, n);
    int written = 0;
    forEach([&](const ZxString& key, V* value) {
      if (written >= n || !value) return;
      putString(10, key);
      putValue(30, *value);
      ++written;
    });
  }

  // The count, then key / value pairs up to the end of the body.
  void decodeField() override {
    int n = 0;
    getInt(1, n);
    if (!fieldTaken() || n <= 0) return;
    while (nextField()) {
      // Each entry is charged to the decoding budget like a list item; a
      // spent budget drops the rest of the hash.
      if (!chargeDecode(kEntryBytes)) {
        discardRest();
        break;
      }
      ZxString* key = zxNew<ZxString>();
      if (!key) break;
      getString(10, *key);
      if (!fieldTaken()) skipField();
      if (!nextField()) {
        delete key;
        break;
      }
      V* value = newValue();
      if (!value) {
        delete key;
        break;
      }
      getValue(30, *value);
      if (!fieldTaken()) skipField();
      if (!insert(key, value)) {
        delete key;
        delete value;
      }
    }
    setFieldTaken();
  }

  void encodeTextFields() override {
    forEach([&](const ZxString& key, V* value) {
      if (!value) return;
      putTextString("key", key);
      putTextValue("element", *value);
    });
  }

  void decodeTextFields() override {
    char keyName[24], valueName[32];
    for (int i = 0;; ++i) {
      if (i == 0) {
        std::snprintf(keyName, sizeof keyName, "key");
        std::snprintf(valueName, sizeof valueName, "element");
      } else {
        std::snprintf(keyName, sizeof keyName, "key%d", i);
        std::snprintf(valueName, sizeof valueName, "element%d", i);
      }
      if (!hasTextName(keyName)) return;
      if (!chargeDecode(kEntryBytes)) return;
      ZxString* key = zxNew<ZxString>();
      V* value = newValue();
      if (!key || !value) {
        delete key;
        delete value;
        return;
      }
      getTextString(keyName, *key);
      getTextValue(valueName, *value);
      if (!insert(key, value)) {
        delete key;
        delete value;
      }
    }
  }

 protected:
  virtual V* newValue() const { return zxNew<V>(); }

 private:
  // Slot contents besides entry numbers.
  static constexpr int32_t kEmpty = -1;
  static constexpr int32_t kRemoved = -2;
  // place() results.
  static constexpr int kPlaced = 0, kNoRoom = 1, kFailed = 2;

  // One entry: the key and value themselves, and the key's hash, so that
  // walks and growth compare and place without hashing the key again.
  struct Entry {
    ZxString key;
    V value;
    uint32_t hash;
    int32_t next;  // the next entry of its overflow chain, or of the free list
    bool hasValue;
  };

  static int probeCount(int size) { return size / 2 < kMaxProbes ? size / 2 : kMaxProbes; }

  // ---- entry blocks. The first kGeometricBlocks blocks double in size
  // (block b holds kFirstBlock << b entries), so a small hash stays small;
  // from there on every block holds kBigBlock entries, so the blocks never
  // hold much more than the entries made.
  static constexpr int kFirstBlock = 4;
  static constexpr int kGeometricBlocks = 11;
  static constexpr int kBigBlock = kFirstBlock << (kGeometricBlocks - 1);
  static constexpr int kGeometricEntries = kFirstBlock * ((1 << kGeometricBlocks) - 1);

  // The block holding entry e, and e's place in it.
  static void locate(int e, int& block, int& offset) {
    if (e >= kGeometricEntries) {
      block = kGeometricBlocks + (e - kGeometricEntries) / kBigBlock;
      offset = (e - kGeometricEntries) % kBigBlock;
      return;
    }
    unsigned int q = static_cast<unsigned int>(e) / kFirstBlock + 1;
    int b = 0;
    while (q >>= 1) ++b;
    block = b;
    offset = e - kFirstBlock * ((1 << b) - 1);
  }
  static size_t blockEntries(int block) {
    return block < kGeometricBlocks ? static_cast<size_t>(kFirstBlock) << block
                                    : static_cast<size_t>(kBigBlock);
  }
  Entry& entryAt(int e) const {
    int b = 0, offset = 0;
    locate(e, b, offset);
    return blocks_[b][offset];
  }
  // Makes sure block b exists; false when memory ran out.
  bool haveBlock(int b) {
    if (b >= blockCapacity_) {
      int wanted = blockCapacity_ < 16 ? 16 : 2 * blockCapacity_;
      if (wanted <= b) wanted = b + 1;
      Entry** fresh = zxNewArray<Entry*>(static_cast<size_t>(wanted));
      if (!fresh) return false;
      for (int i = 0; i < wanted; ++i) fresh[i] = i < blockCapacity_ ? blocks_[i] : nullptr;
      delete[] blocks_;
      blocks_ = fresh;
      blockCapacity_ = wanted;
    }
    if (!blocks_[b]) {
      blocks_[b] = static_cast<Entry*>(::operator new(sizeof(Entry) * blockEntries(b), std::nothrow));
      if (!blocks_[b]) {
        ZxOutOfMemory::note();
        return false;
      }
    }
    return true;
  }

  // A new entry holding the contents of key and value; its number, or -1
  // when no memory is left (key and value then stay as they were).
  int newEntry(ZxString* key, V* value, uint32_t h) {
    int e = freeHead_;
    if (e >= 0) {
      Entry& entry = entryAt(e);
      freeHead_ = entry.next;
      entry.key = std::move(*key);
      if (value) entry.value = std::move(*value);
      entry.hash = h;
      entry.next = -1;
      entry.hasValue = value != nullptr;
    } else {
      if (made_ == 0x7FFFFFFF) return -1;
      e = made_;
      int b = 0, offset = 0;
      locate(e, b, offset);
      if (!haveBlock(b)) return -1;
      Entry* slot = &blocks_[b][offset];
      if (value)
        new (slot) Entry{std::move(*key), V(std::move(*value)), h, -1, true};
      else
        new (slot) Entry{std::move(*key), V(), h, -1, false};
      ++made_;
    }
    delete key;
    delete value;
    return e;
  }

  // Replaces key and value of entry e by the contents of key and value.
  void replace(int e, ZxString* key, V* value) {
    Entry& entry = entryAt(e);
    entry.key = std::move(*key);
    if (value) {
      entry.value = std::move(*value);
      entry.hasValue = true;
    } else {
      entry.value = V();
      entry.hasValue = false;
    }
    delete key;
    delete value;
  }

  // Empties entry e and puts it on the free list.
  void dropEntry(int e) {
    Entry& entry = entryAt(e);
    entry.key = ZxString();
    entry.value = V();
    entry.hasValue = false;
    entry.next = freeHead_;
    freeHead_ = e;
  }

  // Destroys every entry and frees the blocks and the overflow list.
  void destroyEntries() {
    for (int e = 0; e < made_; ++e) entryAt(e).~Entry();
    for (int b = 0; b < blockCapacity_; ++b) ::operator delete(blocks_[b]);
    delete[] blocks_;
    blocks_ = nullptr;
    blockCapacity_ = 0;
    made_ = 0;
    freeHead_ = -1;
    delete[] overflow_;
    overflow_ = nullptr;
    overflowCount_ = overflowCapacity_ = 0;
    delete[] buckets_;
    buckets_ = nullptr;
    bucketCount_ = 0;
  }

  // Places a new key in the given slots, or replaces the value of an equal
  // key. An empty slot ends the walk; the first removed-entry slot seen is
  // reused when no equal key turns up before the walk ends.
  int place(ZxString* key, V* value, uint32_t h) {
    int probes = probeCount(size_);
    int freeSlot = -1;
    for (int i = 0; i < probes; ++i) {
      int slot = slotFor(h, i, size_);
      int e = slots_[slot];
      if (e == kEmpty) {
        if (freeSlot < 0) freeSlot = slot;
        break;
      }
      if (e == kRemoved) {
        if (freeSlot < 0) freeSlot = slot;
        continue;
      }
      const Entry& entry = entryAt(e);
      if (entry.hash == h && entry.key == *key) {
        replace(e, key, value);
        return kPlaced;
      }
    }
    if (freeSlot < 0) return kNoRoom;
    int e = newEntry(key, value, h);
    if (e < 0) return kFailed;
    slots_[freeSlot] = e;
    ++tableCount_;
    return kPlaced;
  }

  // Places entry e in a fresh table (no removed slots, no equal keys).
  static bool placeIndex(int32_t* slots, int size, int e, uint32_t h) {
    int probes = probeCount(size);
    for (int i = 0; i < probes; ++i) {
      int slot = slotFor(h, i, size);
      if (slots[slot] == kEmpty) {
        slots[slot] = e;
        return true;
      }
    }
    return false;
  }

  bool mayGrow() const { return tableCount_ >= size_ / 8; }
  long long slotBudget() const { return kSlotsPerEntry * (count() + 1) + kSlotAllowance; }

  // Largest table ever allocated (slots).
  static constexpr long long kMaxSlots = 0x7FFFFFF;

  static int32_t* newSlots(long long n) {
    int32_t* slots = zxNewArray<int32_t>(static_cast<size_t>(n));
    if (slots)
      for (long long i = 0; i < n; ++i) slots[i] = kEmpty;
    return slots;
  }

  // Grows the table and places every entry again, in the order of the old
  // slots. When some entries find no room, a still larger size is drawn
  // from the one just tried, up to kMaxRedraws times and within the slot
  // budget; entries that still find no room go to the overflow list. False
  // when no larger table could be had (the table then stays as it was).
  bool grow() {
    int32_t* best = nullptr;
    int bestSize = 0, bestUsed = 0;
    long long from = size_;
    for (int draw = 0; draw <= kMaxRedraws; ++draw) {
      long long newSize = std::rand() % 100 + 4 * from + 1;
      if (newSize > kMaxSlots || (draw > 0 && newSize > slotBudget())) break;
      int32_t* slots = newSlots(newSize);
      if (!slots) break;
      int used = 0;
      bool all = true;
      for (int i = 0; i < size_; ++i) {
        int e = slots_[i];
        if (e < 0) continue;
        if (placeIndex(slots, static_cast<int>(newSize), e, entryAt(e).hash))
          ++used;
        else
          all = false;
      }
      delete[] best;
      best = slots;
      bestSize = static_cast<int>(newSize);
      bestUsed = used;
      if (all) break;
      from = newSize;
    }
    if (!best) return false;
    // Entries that found no room in the table chosen go to the overflow list.
    for (int i = 0; i < size_; ++i) {
      int e = slots_[i];
      if (e < 0) continue;
      bool inBest = false;
      uint32_t h = entryAt(e).hash;
      int probes = probeCount(bestSize);
      for (int k = 0; k < probes && !inBest; ++k) inBest = best[slotFor(h, k, bestSize)] == e;
      if (!inBest && !addOverflow(e)) {
        delete[] best;  // the entry would be lost: keep the old table
        return false;
      }
    }
    delete[] slots_;
    slots_ = best;
    size_ = bestSize;
    tableCount_ = bestUsed;
    return true;
  }

  // ---- the overflow list and its chains (by an FNV-1a hash of the key's
  // bytes up to its first NUL, and its length, as ZxString's == compares).
  static uint32_t chainHash(const ZxString& key) {
    uint32_t h = 2166136261u;
    for (const char* p = key.c_str(); *p; ++p) h = (h ^ static_cast<unsigned char>(*p)) * 16777619u;
    return (h ^ static_cast<uint32_t>(key.length())) * 16777619u;
  }

  int findOverflow(const ZxString& key) const {
    if (bucketCount_ == 0) return -1;
    for (int e = buckets_[chainHash(key) & static_cast<uint32_t>(bucketCount_ - 1)]; e >= 0;
         e = entryAt(e).next)
      if (entryAt(e).key == key) return e;
    return -1;
  }

  // Rebuilds the chains over `n` buckets (a power of two).
  bool rechain(int n) {
    int32_t* buckets = zxNewArray<int32_t>(static_cast<size_t>(n));
    if (!buckets) return false;
    for (int i = 0; i < n; ++i) buckets[i] = -1;
    for (int i = 0; i < overflowCount_; ++i) {
      Entry& entry = entryAt(overflow_[i]);
      int32_t& head = buckets[chainHash(entry.key) & static_cast<uint32_t>(n - 1)];
      entry.next = head;
      head = overflow_[i];
    }
    delete[] buckets_;
    buckets_ = buckets;
    bucketCount_ = n;
    return true;
  }

  bool addOverflow(int e) {
    if (overflowCount_ == overflowCapacity_) {
      if (overflowCapacity_ > 0x3FFFFFFF) return false;
      int wanted = overflowCapacity_ < 8 ? 8 : 2 * overflowCapacity_;
      int32_t* fresh = zxNewArray<int32_t>(static_cast<size_t>(wanted));
      if (!fresh) return false;
      for (int i = 0; i < overflowCount_; ++i) fresh[i] = overflow_[i];
      delete[] overflow_;
      overflow_ = fresh;
      overflowCapacity_ = wanted;
    }
    overflow_[overflowCount_++] = e;
    if (overflowCount_ * 2 > bucketCount_) {
      if (!rechain(bucketCount_ == 0 ? 16 : 2 * bucketCount_)) {
        --overflowCount_;
        return false;
      }
    } else {
      Entry& entry = entryAt(e);
      int32_t& head = buckets_[chainHash(entry.key) & static_cast<uint32_t>(bucketCount_ - 1)];
      entry.next = head;
      head = e;
    }
    return true;
  }

  // Takes entry e off the overflow list (the last one takes its place).
  void removeOverflow(int e) {
    int32_t* link = &buckets_[chainHash(entryAt(e).key) & static_cast<uint32_t>(bucketCount_ - 1)];
    while (*link != e) link = &entryAt(*link).next;
    *link = entryAt(e).next;
    for (int i = 0; i < overflowCount_; ++i) {
      if (overflow_[i] != e) continue;
      overflow_[i] = overflow_[overflowCount_ - 1];
      --overflowCount_;
      break;
    }
  }

  void allocateSlots(int n) {
    slots_ = newSlots(n);
    size_ = slots_ ? n : 0;
  }
  void freeAll() {
    destroyEntries();
    delete[] slots_;
    slots_ = nullptr;
    size_ = 0;
    tableCount_ = 0;
  }

  // A copy with the source's slots: every entry at the same place, removed
  // slots included, so that every key found in the source is found in the
  // copy and walks visit them in the same order.
  void copyFrom(const ZxHash& other) {
    allocateSlots(other.size_ > 0 ? other.size_ : kInitialSize);
    if (size_ != other.size_) {
      // Could not get the source's size: place the entries one by one.
      other.forEach(
          [this](const ZxString& k, const V* v) { insert(zxNew<ZxString>(k), v ? zxNew<V>(*v) : nullptr); });
      return;
    }
    for (int i = 0; i < size_; ++i) {
      int e = other.slots_[i];
      if (e == kRemoved) slots_[i] = kRemoved;
      if (e < 0) continue;
      const Entry& source = other.entryAt(e);
      int copy = copyEntry(source);
      if (copy < 0) continue;
      slots_[i] = copy;
      ++tableCount_;
    }
    for (int i = 0; i < other.overflowCount_; ++i) {
      int copy = copyEntry(other.entryAt(other.overflow_[i]));
      if (copy >= 0 && !addOverflow(copy)) dropEntry(copy);
    }
  }
  int copyEntry(const Entry& source) {
    ZxString* k = zxNew<ZxString>(source.key);
    V* v = source.hasValue ? zxNew<V>(source.value) : nullptr;
    if (!k || (source.hasValue && !v)) {
      delete k;
      delete v;
      return -1;
    }
    int e = newEntry(k, v, source.hash);
    if (e < 0) {
      delete k;
      delete v;
    }
    return e;
  }

  int32_t* slots_ = nullptr;
  int size_ = 0;
  int tableCount_ = 0;  // entries in the table's slots (not the overflow list)
  Entry** blocks_ = nullptr;  // kept entries' blocks; null for one not made yet
  int blockCapacity_ = 0;
  int made_ = 0;                 // entries constructed in the blocks
  int freeHead_ = -1;            // the first entry of the free list
  int32_t* overflow_ = nullptr;  // overflow entries, in the order they came
  int overflowCount_ = 0;
  int overflowCapacity_ = 0;
  int32_t* buckets_ = nullptr;  // chain heads of the overflow entries
  int bucketCount_ = 0;
};

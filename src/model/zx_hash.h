// ZxHash<V>: packable map from ZxString keys to owned values, kept in an
// open-addressing table.
//
// Ownership: the hash owns every key and value handed to insert(); find()
// lends a value, take() hands it back to the caller. Copies are deep.
//
// Slots: a key with hash h is looked for at (h + d_i) mod size, with d_0 = 0
// and d_i = 2 << (i mod 32), for i below size / 2. The offsets repeat after
// i = 32, so at most 33 probes are ever made (the later ones would only
// revisit the same slots). When the probes find no room the table grows to
// rand() % 100 + 4 * size + 1 slots and every entry is placed again.
// Each slot keeps its key's hash, so walks and growth compare and place
// without touching the keys. Insertion looks along its whole walk (up to
// the first empty slot) for an equal key before it reuses a removed-entry
// slot, so a key is never stored twice.
//
// Keys whose probe slots are all taken by keys of the same hash could never
// be placed, however large the table: such keys go to an overflow list
// instead of growing the table without end. Growth is only tried while the
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
// constructors.
//
// Binary form: int field 1 holding the count, then per entry a string field
// 10 (the key) and a field 30 (the value). Text form: per entry an element
// "key" and an element "element".
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "serial/zx_pack.h"
#include "util/zx_string.h"
#include "util/zx_string_list.h"
#include "util/zx_out_of_memory.h"

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

  ZxHash() { allocate(kInitialSize); }
  ZxHash(const ZxHash& other) : ZxPack() { copyFrom(other); }
  ZxHash& operator=(const ZxHash& other) {
    if (this != &other) {
      clear();
      freeArrays();
      copyFrom(other);
    }
    return *this;
  }
  ~ZxHash() override {
    clear();
    freeArrays();
  }

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

  // Takes ownership of key and value; replaces the value of an equal key.
  // False (nothing taken) for a null key or a table that could not be
  // allocated.
  bool insert(ZxString* key, V* value) {
    if (!key || size_ == 0) return false;
    if (!overflow_.empty()) {
      auto it = overflowIndex_.find(indexKey(*key));
      if (it != overflowIndex_.end()) {
        Entry& e = overflow_[it->second];
        delete e.key;
        delete e.value;
        e.key = key;
        e.value = value;
        return true;
      }
    }
    uint32_t h = hashOf(*key);
    if (place(key, value, h, true)) return true;
    for (int g = 0; g < kMaxGrowthsPerInsert && mayGrow() && grow(); ++g)
      if (place(key, value, h, true)) return true;
    addOverflow(key, value);
    return true;
  }

  // The value under `key`, or null; the hash keeps ownership.
  V* find(const ZxString& key) const {
    if (count() == 0) return nullptr;
    int slot = slotOf(key);
    if (slot >= 0) return slots_[slot].value;
    if (overflow_.empty()) return nullptr;
    auto it = overflowIndex_.find(indexKey(key));
    return it == overflowIndex_.end() ? nullptr : overflow_[it->second].value;
  }

  // Removes the entry and hands its value to the caller; null when absent.
  V* take(const ZxString& key) {
    if (count() == 0) return nullptr;
    int slot = slotOf(key);
    if (slot >= 0) {
      V* value = slots_[slot].value;
      delete slots_[slot].key;
      slots_[slot].key = &removedMarker_;
      slots_[slot].value = nullptr;
      --tableCount_;
      return value;
    }
    if (overflow_.empty()) return nullptr;
    auto it = overflowIndex_.find(indexKey(key));
    if (it == overflowIndex_.end()) return nullptr;
    size_t at = it->second;
    Entry e = overflow_[at];
    overflowIndex_.erase(it);
    if (at + 1 != overflow_.size()) {
      overflow_[at] = overflow_.back();
      overflowIndex_[indexKey(*overflow_[at].key)] = at;
    }
    overflow_.pop_back();
    delete e.key;
    return e.value;
  }

  // Destroys every key and value; the number of slots stays.
  void clear() {
    for (int i = 0; i < size_; ++i) {
      Slot& e = slots_[i];
      if (e.key && e.key != &removedMarker_) delete e.key;
      delete e.value;
      e = Slot();
    }
    for (Entry& e : overflow_) {
      delete e.key;
      delete e.value;
    }
    overflow_.clear();
    overflowIndex_.clear();
    tableCount_ = 0;
  }

  int count() const { return tableCount_ + static_cast<int>(overflow_.size()); }
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
    int probes = probeCount();
    for (int i = 0; i < probes; ++i) {
      int slot = slotFor(h, i, size_);
      const Slot& e = slots_[slot];
      if (!e.key) return -1;
      if (e.hash == h && e.key != &removedMarker_ && *e.key == key) return slot;
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

  // Calls f(const ZxString& key, V* value) for every entry in slot order.
  template <class F>
  void forEach(F&& f) const {
    for (int i = 0; i < size_; ++i)
      if (slots_[i].key && slots_[i].key != &removedMarker_) f(*slots_[i].key, slots_[i].value);
    for (const Entry& e : overflow_) f(*e.key, e.value);
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
  struct Entry {
    ZxString* key;
    V* value;
  };

  int probeCount() const { return size_ / 2 < kMaxProbes ? size_ / 2 : kMaxProbes; }

  // Index of the overflow list: equal keys under ZxString's == (same length,
  // same bytes up to the first NUL) give equal index keys.
  static std::string indexKey(const ZxString& key) {
    std::string k(key.c_str());
    k.push_back('\0');
    k += std::to_string(key.length());
    return k;
  }

  // One table slot; the key's hash is kept so that walks and growth
  // compare and place without touching the key itself.
  struct Slot {
    ZxString* key = nullptr;
    V* value = nullptr;
    uint32_t hash = 0;
  };

  // Places the entry in the given slots (replacing an equal key when
  // `replace`). An empty slot ends the walk; the first removed-entry slot
  // seen is reused when no equal key turns up before the walk ends.
  bool placeIn(Slot* slots, int size, int& used, ZxString* key, V* value, uint32_t h, bool replace) {
    int probes = size / 2 < kMaxProbes ? size / 2 : kMaxProbes;
    int freeSlot = -1;
    for (int i = 0; i < probes; ++i) {
      int slot = slotFor(h, i, size);
      Slot& e = slots[slot];
      if (!e.key) {
        if (freeSlot < 0) freeSlot = slot;
        break;
      }
      if (e.key == &removedMarker_) {
        if (freeSlot < 0) freeSlot = slot;
        if (!replace) break;
        continue;
      }
      if (replace && e.hash == h && *e.key == *key) {
        delete e.value;
        delete e.key;
        e.key = key;
        e.value = value;
        return true;
      }
    }
    if (freeSlot < 0) return false;
    slots[freeSlot].key = key;
    slots[freeSlot].value = value;
    slots[freeSlot].hash = h;
    ++used;
    return true;
  }
  bool place(ZxString* key, V* value, uint32_t h, bool replace) {
    return placeIn(slots_, size_, tableCount_, key, value, h, replace);
  }

  bool mayGrow() const { return tableCount_ >= size_ / 8; }
  long long slotBudget() const { return kSlotsPerEntry * (count() + 1) + kSlotAllowance; }

  // Largest table ever allocated (slots).
  static constexpr long long kMaxSlots = 0x7FFFFFF;

  // Grows the table and places every entry again. When some entries find
  // no room, a still larger size is drawn from the one just tried, up to
  // kMaxRedraws times and within the slot budget; entries that still find
  // no room go to the overflow list. False when no larger table could be
  // had (the table then stays as it was).
  bool grow() {
    Slot* best = nullptr;
    int bestSize = 0, bestUsed = 0;
    std::vector<Entry> homeless;
    long long from = size_;
    for (int draw = 0; draw <= kMaxRedraws; ++draw) {
      long long newSize = std::rand() % 100 + 4 * from + 1;
      if (newSize > kMaxSlots || (draw > 0 && newSize > slotBudget())) break;
      Slot* slots = zxNewArray<Slot>(newSize);
      if (!slots) break;
      int used = 0;
      std::vector<Entry> left;
      for (int i = 0; i < size_; ++i) {
        const Slot& e = slots_[i];
        if (!e.key || e.key == &removedMarker_) continue;
        if (!placeIn(slots, static_cast<int>(newSize), used, e.key, e.value, e.hash, false))
          left.push_back(Entry{e.key, e.value});
      }
      delete[] best;
      best = slots;
      bestSize = static_cast<int>(newSize);
      bestUsed = used;
      homeless.swap(left);
      if (homeless.empty()) break;
      from = newSize;
    }
    if (!best) return false;
    // The entries now belong to the new slots (or to the overflow list).
    freeArrays();
    slots_ = best;
    size_ = bestSize;
    tableCount_ = bestUsed;
    for (const Entry& e : homeless) addOverflow(e.key, e.value);
    return true;
  }

  void addOverflow(ZxString* key, V* value) {
    overflowIndex_[indexKey(*key)] = overflow_.size();
    overflow_.push_back(Entry{key, value});
  }

  void allocate(int n) {
    slots_ = zxNewArray<Slot>(n);
    size_ = slots_ ? n : 0;
  }
  void freeArrays() {
    delete[] slots_;
    slots_ = nullptr;
    size_ = 0;
  }

  void copyFrom(const ZxHash& other) {
    allocate(other.size_ > 0 ? other.size_ : kInitialSize);
    if (size_ != other.size_) {
      // Could not get the source's size: place the entries one by one.
      other.forEach(
          [this](const ZxString& k, const V* v) { insert(new ZxString(k), v ? new V(*v) : nullptr); });
      return;
    }
    for (int i = 0; i < size_; ++i) {
      const Slot& e = other.slots_[i];
      if (!e.key) continue;
      slots_[i].hash = e.hash;
      if (e.key == &other.removedMarker_) {
        slots_[i].key = &removedMarker_;
        continue;
      }
      slots_[i].key = new ZxString(*e.key);
      slots_[i].value = e.value ? new V(*e.value) : nullptr;
    }
    tableCount_ = other.tableCount_;
    for (const Entry& e : other.overflow_)
      addOverflow(new ZxString(*e.key), e.value ? new V(*e.value) : nullptr);
  }

  Slot* slots_ = nullptr;
  ZxString removedMarker_;
  int size_ = 0;
  int tableCount_ = 0;  // entries in the table's slots (not the overflow list)
  std::vector<Entry> overflow_;
  std::unordered_map<std::string, size_t> overflowIndex_;
};

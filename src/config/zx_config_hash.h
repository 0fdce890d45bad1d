// ZxConfigHash<V>: the string-keyed owning map that configuration files and
// trees keep their values and sections in. A stand-in with the interface of
// the library's hash container (insert/find/take/keys/count/clear) until that
// container is available here.
//
// Ownership: insert() takes both key and value; the map destroys them on
// replacement, clear() and destruction. find() lends the value. keys() lends
// the keys: the caller must forget() that list rather than destroy its items.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "util/zx_string.h"
#include "util/zx_string_list.h"

template <class V>
class ZxConfigHash {
 public:
  ZxConfigHash() = default;
  ZxConfigHash(const ZxConfigHash& other) { copyFrom(other); }
  ZxConfigHash& operator=(const ZxConfigHash& other) {
    if (this != &other) {
      clear();
      copyFrom(other);
    }
    return *this;
  }
  ~ZxConfigHash() { clear(); }

  bool insert(ZxString* key, V* value) {
    if (!key) {
      delete value;
      return false;
    }
    std::string k(key->c_str(), static_cast<size_t>(key->length()));
    auto it = index_.find(k);
    if (it != index_.end()) {
      Slot& slot = slots_[it->second];
      delete slot.key;
      delete slot.value;
      slot.key = key;
      slot.value = value;
      return true;
    }
    index_.emplace(std::move(k), slots_.size());
    slots_.push_back(Slot{key, value});
    return true;
  }

  V* find(const ZxString& key) const {
    auto it = index_.find(std::string(key.c_str(), static_cast<size_t>(key.length())));
    return it == index_.end() ? nullptr : slots_[it->second].value;
  }

  int count() const { return static_cast<int>(slots_.size()); }

  void keys(ZxStringList& out) const {
    out.clear();
    for (const Slot& slot : slots_) out.append(slot.key);
  }

  void clear() {
    for (Slot& slot : slots_) {
      delete slot.key;
      delete slot.value;
    }
    slots_.clear();
    index_.clear();
  }

 private:
  struct Slot {
    ZxString* key;
    V* value;
  };
  void copyFrom(const ZxConfigHash& other) {
    for (const Slot& slot : other.slots_)
      insert(new ZxString(*slot.key), slot.value ? new V(*slot.value) : nullptr);
  }
  std::vector<Slot> slots_;
  std::unordered_map<std::string, size_t> index_;
};

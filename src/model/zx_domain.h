// ZxDomain: a queue domain (class 62, "domain"): the domain's name, its
// number and its region. A client asking the local network which
// supervisor serves its domain sends one of these (the number unset, -1).
//
// Owns its texts by value; copies are independent.
#pragma once

#include "serial/zx_pack.h"
#include "util/zx_string.h"

class ZxDomain : public ZxPack {
 public:
  static constexpr int kClassNumber = 62;

  // Name "", number -1 (unset), region "".
  ZxDomain() = default;
  // The given name and region; number -1.
  ZxDomain(const ZxString& name, const ZxString& region) : name_(name), region_(region) {}
  ZxDomain(const ZxDomain&) = default;
  ZxDomain& operator=(const ZxDomain&) = default;
  ~ZxDomain() override = default;

  int typeId() const override { return kClassNumber; }
  const char* typeName() const override { return "domain"; }

  const ZxString& name() const { return name_; }
  void setName(const ZxString& v) { name_ = v; }
  int id() const { return id_; }
  void setId(int v) { id_ = v; }
  const ZxString& region() const { return region_; }
  void setRegion(const ZxString& v) { region_ = v; }

  void encodeFields() override {
    putString(1, name_);
    putInt(2, id_);
    putString(3, region_);
  }
  void decodeField() override {
    getString(1, name_);
    getInt(2, id_);
    getString(3, region_);
  }
  void encodeTextFields() override {
    putTextString("name", name_);
    putTextInt("id", id_);
    putTextString("region", region_);
  }
  void decodeTextFields() override {
    getTextString("name", name_);
    getTextInt("id", id_);
    getTextString("region", region_);
  }

 private:
  ZxString name_;
  int id_ = -1;
  ZxString region_;
};

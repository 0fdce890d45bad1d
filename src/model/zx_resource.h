// ZxResource (class 10, "resource"): a countable resource with its total
// and used counts and its kind; and its containers, the resource list (11)
// and the resource hash (67). Records own their strings; containers own
// their records.
#pragma once

#include <tuple>

#include "model/zx_flags.h"
#include "model/zx_hash.h"
#include "model/zx_job_fields.h"
#include "model/zx_list.h"
#include "util/zx_string.h"

class ZxResource : public ZxRecord<ZxResource> {
 public:
  ZxResource() = default;
  ZxResource(const ZxResource&) = default;
  ZxResource& operator=(const ZxResource&) = default;
  ~ZxResource() override = default;

  int typeId() const override { return 10; }
  const char* typeName() const override { return "resource"; }

  const ZxString& name() const { return name_; }
  void setName(const ZxString& v) { name_ = v; }
  void setName(const char* bytes, int n) { name_.assign(bytes, n); }
  int total() const { return total_; }
  void setTotal(int v) { total_ = v; }
  int used() const { return used_; }
  void setUsed(int v) { used_ = v; }
  // The ResourceKind value.
  int kind() const { return cls_; }
  void setKind(int v) { cls_ = v; }
  const char* kindText() const { return ResourceKind::nameOf(cls_); }
  void setKindText(const ZxString& name) { cls_ = ResourceKind::valueOf(name); }

 private:
  friend class ZxRecord<ZxResource>;
  static constexpr auto fields() {
    using T = ZxResource;
    return std::make_tuple(zxField(1, "name", &T::name_), zxField(2, "total", &T::total_),
                           zxField(3, "used", &T::used_), zxField(4, "cls", &T::cls_));
  }
  ZxString name_;
  int total_ = 0;
  int used_ = 0;
  int cls_ = ResourceKind::kNotRecognised;
};

class ZxResourceList : public ZxList<ZxResource> {
 public:
  int typeId() const override { return 11; }
  const char* typeName() const override { return "resource_list"; }
};

class ZxResourceHash : public ZxHash<ZxResource> {
 public:
  int typeId() const override { return 67; }
  const char* typeName() const override { return "resource_hash"; }
};

// ZxPathMap (class 154, "pathmap"): the path translations carried with a
// job, two string hashes: "logical_map" and "direct_map". What they mean is
// the business of path mapping; the job only carries the record.
//
// Ownership: the record owns both hashes by value; copies are deep.
#pragma once

#include <tuple>

#include "model/zx_job_fields.h"
#include "model/zx_string_hash.h"

class ZxPathMap : public ZxRecord<ZxPathMap> {
 public:
  ZxPathMap() = default;
  ZxPathMap(const ZxPathMap&) = default;
  ZxPathMap& operator=(const ZxPathMap&) = default;
  ~ZxPathMap() override = default;

  int typeId() const override { return 154; }
  const char* typeName() const override { return "pathmap"; }

  const ZxStringHash& logicalMap() const { return logicalMap_; }
  ZxStringHash& logicalMap() { return logicalMap_; }
  const ZxStringHash& directMap() const { return directMap_; }
  ZxStringHash& directMap() { return directMap_; }

 private:
  friend class ZxRecord<ZxPathMap>;
  static constexpr auto fields() {
    return std::make_tuple(zxField(1, "logical_map", &ZxPathMap::logicalMap_),
                           zxField(2, "direct_map", &ZxPathMap::directMap_));
  }
  ZxStringHash logicalMap_;
  ZxStringHash directMap_;
};

// ZxEnv (class 49, "env"): the environment a job was submitted from: the
// variables as two parallel lists (names in keys(), values in values()),
// the umask, the current directory and a string hash of mounts. Filling it
// from the running process belongs to submission; this is the record.
//
// Ownership: the record owns its lists, string and hash by value; copies
// are deep.
#pragma once

#include <tuple>

#include "model/zx_job_fields.h"
#include "model/zx_string_hash.h"
#include "util/zx_string.h"
#include "model/zx_string_list.h"

class ZxEnv : public ZxRecord<ZxEnv> {
 public:
  ZxEnv() = default;
  ZxEnv(const ZxEnv&) = default;
  ZxEnv& operator=(const ZxEnv&) = default;
  ~ZxEnv() override = default;

  int typeId() const override { return 49; }
  const char* typeName() const override { return "env"; }

  const ZxStringList& keys() const { return keys_; }
  ZxStringList& keys() { return keys_; }
  const ZxStringList& values() const { return values_; }
  ZxStringList& values() { return values_; }
  int umask() const { return umask_; }
  void setUmask(int v) { umask_ = v; }
  const ZxString& cwd() const { return cwd_; }
  void setCwd(const ZxString& v) { cwd_ = v; }
  void setCwd(const char* bytes, int n) { cwd_.assign(bytes, n); }
  const ZxStringHash& mounts() const { return mounts_; }
  ZxStringHash& mounts() { return mounts_; }

 private:
  friend class ZxRecord<ZxEnv>;
  static constexpr auto fields() {
    using T = ZxEnv;
    return std::make_tuple(zxField(1, "keys", &T::keys_), zxField(2, "values", &T::values_),
                           zxField(3, "umask", &T::umask_), zxField(4, "cwd", &T::cwd_),
                           zxField(5, "mounts", &T::mounts_));
  }
  ZxStringList keys_;
  ZxStringList values_;
  int umask_ = 0;
  ZxString cwd_;
  ZxStringHash mounts_;
};

// ZxVariable (class 120, "variable"): a named value of a job, with its
// scope (VariableScope) and the time it last changed; its key text names it
// across jobs ("12-job.frame", "global.quota"). Also its containers, the
// variable list (121) and the variable hash (122). Records own their
// strings and time stamp; containers own their records.
#pragma once

#include <ostream>
#include <tuple>

#include "model/zx_flags.h"
#include "model/zx_hash.h"
#include "model/zx_job_fields.h"
#include "model/zx_list.h"
#include "model/zx_time.h"
#include "util/zx_string.h"

class ZxVariable : public ZxRecord<ZxVariable> {
 public:
  ZxVariable() = default;
  explicit ZxVariable(int jobNumber) : pid_(jobNumber) {}
  explicit ZxVariable(const ZxString& value) : value_(value) {}
  ZxVariable(const ZxVariable&) = default;
  ZxVariable& operator=(const ZxVariable&) = default;
  ~ZxVariable() override = default;

  int typeId() const override { return 120; }
  const char* typeName() const override { return "variable"; }

  // The number of the job the variable belongs to.
  int pid() const { return pid_; }
  void setPid(int v) { pid_ = v; }
  const ZxString& name() const { return name_; }
  void setName(const ZxString& v) { name_ = v; }
  void setName(const char* bytes, int n) { name_.assign(bytes, n); }
  const ZxString& value() const { return value_; }
  void setValue(const ZxString& v) { value_ = v; }
  void setValue(const char* bytes, int n) { value_.assign(bytes, n); }
  // The VariableScope value.
  int scope() const { return cls_; }
  void setScope(int v) { cls_ = v; }
  const ZxTime& lastUpdate() const { return lastUpdate_; }
  ZxTime& lastUpdate() { return lastUpdate_; }
  void setLastUpdate(const ZxTime& t) { lastUpdate_ = t; }
  const char* scopeText() const { return VariableScope::nameOf(cls_); }
  void setScopeText(const ZxString& name) { cls_ = VariableScope::valueOf(name); }

  // "pid-scope.name", without "pid-" for a global variable.
  ZxString keyText() const;
  // Reads a key text: a leading integer before the first "-" or "." is the
  // job number (the job number is kept when there is none), then the scope
  // name up to the next ".", then the name.
  void fromKeyText(const ZxString& text);

 private:
  friend class ZxRecord<ZxVariable>;
  static constexpr auto fields() {
    using T = ZxVariable;
    return std::make_tuple(zxField(1, "pid", &T::pid_), zxField(2, "name", &T::name_),
                           zxField(3, "value", &T::value_), zxField(4, "cls", &T::cls_),
                           zxField(5, "last_update", &T::lastUpdate_));
  }
  int pid_ = -1;
  ZxString name_;
  ZxString value_;
  int cls_ = VariableScope::kNotRecognised;
  ZxTime lastUpdate_;
};

// Writes the variable's value.
std::ostream& operator<<(std::ostream& os, const ZxVariable& variable);

class ZxVariableList : public ZxList<ZxVariable> {
 public:
  int typeId() const override { return 121; }
  const char* typeName() const override { return "variable_list"; }
};

class ZxVariableHash : public ZxHash<ZxVariable> {
 public:
  int typeId() const override { return 122; }
  const char* typeName() const override { return "variable_hash"; }
};

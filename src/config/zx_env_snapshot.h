// ZxEnvSnapshot: a copy of the process environment taken at one moment, so
// that one configuration read sees one consistent set of variables.
//
// Lookups compare names exactly, with case; the first entry of a name wins. A
// variable that is absent or set to the empty text counts as unset.
#pragma once

#include "util/zx_string.h"
#include "model/zx_string_list.h"

class ZxEnvSnapshot {
 public:
  // Takes the snapshot of the live process environment.
  ZxEnvSnapshot();
  // A snapshot of the given "NAME=value" entries (for callers that hold an
  // environment of their own).
  explicit ZxEnvSnapshot(const ZxStringList& entries);

  // The value of `name`; "" when unset.
  const ZxString& get(const ZxString& name) const;
  bool isSet(const ZxString& name) const { return !get(name).isEmpty(); }

  int count() const { return names_.count(); }
  const ZxStringList& names() const { return names_; }
  const ZxStringList& values() const { return values_; }

 private:
  void split(const ZxStringList& entries);
  ZxStringList names_;
  ZxStringList values_;
  ZxString empty_;
};

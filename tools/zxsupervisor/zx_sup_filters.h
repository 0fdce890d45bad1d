// Reading the filters of a query or command into a store selection.
//
// A filter names a job field and lists values; a job passes a filter when
// it matches any of its values (none, when the filter is negated), and it
// passes a filter list when it passes every filter. Each value compares by
// its own sign, or by the filter's when it has none:
//
//   =  equal: numbers by value, texts exactly
//   >  <  greater / less: numbers by value, texts byte by byte
//   %  the text holds the value (numbers: their decimal text)
//   *  the text matches the value as a shell pattern (* ? [set])
//   ~  the same, ignoring the case of ASCII letters
//
// Fields: "id" (values may list several ids split by commas, each "N",
// "N.M" for subjob M or "N.*"; a job named only by subjobs is answered
// with just those subjobs), "user", "status", "name", "pid", "pgrp",
// "priority", "cluster", "cpus". Status values are status names ("running",
// "pending", ...), the class names "active", "done" and "assigned", or
// decimal codes; status compares with =, > or < only. Blanks around
// numbers are ignored; a number compared with =, > or < against a value
// that is no number matches nothing.
//
// An unknown field, a status value that names no status or more values
// than one selection can carry are refused with a message, rather than
// ignored: a filter that silently fell away would widen a query, and worse,
// a command, to jobs the caller never meant.
#pragma once

#include <map>
#include <set>

#include "model/zx_filter.h"
#include "util/zx_string.h"
#include "zx_sup_store.h"

namespace zxsup {

struct Filters {
  std::vector<Condition> conditions;
  // Jobs an "id" filter named by subjobs only, with those subjob numbers.
  std::map<int, std::set<int>> subjobsNamed;
};

// Reads `filters` into `out`. False with `error` on the refusals above.
bool readFilters(const ZxFilterList& filters, Filters& out, ZxString& error);

// Reads "N", "N.M" or "N.*" (blanks around it ignored): *subId is -1 for
// the whole job, -2 for all subjobs. False for any other text.
bool parseJobIdText(const ZxString& text, int* id, int* subId);

// Reads a decimal integer of the int range, blanks around it ignored.
bool parseInt(const ZxString& text, int* out);

}  // namespace zxsup

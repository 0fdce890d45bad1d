// Job hashes: the package strings in which MEL scripts describe jobs, work
// items, callbacks and job modifications, and their conversion to and from
// the job records.
//
// A hash is one level of a package string, "{key value key value ...}";
// every value is itself a package string. Readers take the pairs in order
// (a later pair of the same key wins, a final key without a value and an
// unknown key are ignored) and read an array like a hash; any other text
// gives a default record. Integers are read with ZxString::toInt (a
// non-numeric text reads as 0), statuses by their names. The free-form
// package of a job, a subjob or a work item is kept in the record as compact
// text and shown to MEL as a package string.
//
// Ownership: the hashTo... readers return a new record owned by the caller
// (null only when memory runs out). The ...ToHash writers fill a string the
// caller owns; they keep nothing between calls. Work is linear in the text:
// nested levels are read in place, and package nesting is bounded by the
// package tree.
#pragma once

#include "model/zx_callback.h"
#include "model/zx_job.h"
#include "model/zx_status_tally.h"
#include "model/zx_subjob.h"
#include "model/zx_modify_command.h"
#include "model/zx_work.h"
#include "util/zx_string.h"
#include "model/zx_string_list.h"

ZxJob* hashToJob(const ZxString& text);
ZxWork* hashToWork(const ZxString& text);
ZxCallback* hashToCallback(const ZxString& text);
// Reads a job modify hash, the body of a modify request: each modify key
// present sets its field in `job` and is appended once to `fieldNames`, the
// names of the fields to change; other keys are ignored.
void readModifyHash(const ZxString& text, ZxJob& job, ZxStringList& fieldNames);
// A new job modify request, owned by the caller: its job carries the values
// of the modify hash and its field list names the changed fields, in the
// order of the hash. Null only when out of memory.
ZxModifyCommand* hashToModifyRequest(const ZxString& text);

// Each sets `out` to the hash of the record and answers true; given no
// record it answers false and leaves `out` alone.
bool jobToHash(const ZxJob* job, ZxString& out);
bool subjobToHash(const ZxSubjob* subjob, ZxString& out);
bool workToHash(const ZxWork* work, ZxString& out);
bool tallyToHash(const ZxStatusTally* tally, ZxString& out);

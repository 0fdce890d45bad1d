// The local setup commands, answered without the supervisor:
//   zxjobtypeavailable           the names of the installed job types
//   zxjobconfig TYPE KEY [R]     a key of a job type's job.conf; with R
//                                ("1"), made absolute against the type's
//                                folder
//   zxjobflagint TEXT            the job flag bits of a number or of
//                                job flag names separated by ","
#include "plugin/zx_jobtype_commands.h"

#include <maya/MString.h>
#include <maya/MStringArray.h>

#include <new>

#include "config/zx_job_type.h"
#include "model/zx_flags.h"
#include "util/zx_string.h"
#include "model/zx_string_list.h"

namespace {

ZxString toZx(const MString& s) { return ZxString(s.asChar(), static_cast<int>(s.length())); }
MString toMString(const ZxString& s) { return MString(s.c_str(), s.length()); }

}  // namespace

void* zxJobconfig::creator() { return new (std::nothrow) zxJobconfig; }

MStatus zxJobconfig::doIt(const MArgList& args) {
  MString type, key, resolveText;
  if (args.get(0, type) != MStatus::kSuccess) return MStatus::kFailure;
  if (args.get(1, key) != MStatus::kSuccess) return MStatus::kFailure;
  args.get(2, resolveText);  // optional: a missing flag stays empty, that is off
  // Only the low byte of the number counts: "1" turns resolution on, "0"
  // or nothing leaves it off.
  bool resolve = (toZx(resolveText).toInt() & 0xFF) != 0;
  setResult(toMString(jobTypeValue(toZx(type), toZx(key), resolve)));
  return MStatus::kSuccess;
}

void* zxJobtypeavailable::creator() { return new (std::nothrow) zxJobtypeavailable; }

MStatus zxJobtypeavailable::doIt(const MArgList&) {
  ZxStringList names;
  listJobTypes(ZxString(), names);
  // An empty array, not "no result", when nothing is installed.
  clearResult();
  appendToResult(MStringArray());
  for (int i = 0; i < names.count(); ++i)
    if (const ZxString* name = names.get(i)) appendToResult(toMString(*name));
  return MStatus::kSuccess;
}

void* zxJobflagint::creator() { return new (std::nothrow) zxJobflagint; }

MStatus zxJobflagint::doIt(const MArgList& args) {
  MString text;
  if (args.get(0, text) != MStatus::kSuccess) return MStatus::kFailure;
  setResult(JobFlag::fromNames(toZx(text)));
  return MStatus::kSuccess;
}

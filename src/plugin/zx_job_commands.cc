// The commands that move whole jobs. zxarchivejob writes a job hash to a
// file in the binary form; zxjobinfo and zxsubmit are not built yet.
#include "plugin/zx_job_commands.h"

#include <maya/MString.h>

#include <memory>
#include <new>

#include "model/zx_job.h"
#include "plugin/zx_job_hash.h"
#include "plugin/zx_not_available.h"
#include "serial/zx_pack.h"
#include "util/zx_string.h"

void* zxJobinfo::creator() { return new (std::nothrow) zxJobinfo; }
MStatus zxJobinfo::doIt(const MArgList&) { return notAvailableYet("zxjobinfo"); }

void* zxSubmit::creator() { return new (std::nothrow) zxSubmit; }
MStatus zxSubmit::doIt(const MArgList&) { return notAvailableYet("zxsubmit"); }

void* zxArchivejob::creator() { return new (std::nothrow) zxArchivejob; }

// zxarchivejob file jobhash: builds the job from the hash, writes it to the
// file and answers the job hash of what was written. The file is replaced
// atomically and only ever as a regular file (zxos::writeFile): a path that
// names a folder, a named pipe or a device, that holds a NUL byte, or whose
// folder cannot be written "cannot be written", which gives success with an
// empty result and leaves whatever was there untouched.
MStatus zxArchivejob::doIt(const MArgList& args) {
  if (args.length() == 0) {
    displayError("You must specify both a filename and a job hash.");
    return MStatus::kFailure;
  }
  MStatus pathRead, hashRead;
  MString path = args.asString(0, &pathRead);
  MString hash = args.asString(1, &hashRead);
  if (pathRead != MStatus::kSuccess || hashRead != MStatus::kSuccess) return MStatus::kFailure;

  std::unique_ptr<ZxJob> job(hashToJob(ZxString(hash.asChar(), static_cast<int>(hash.length()))));
  if (!job) return MStatus::kFailure;  // out of memory
  // The whole MEL text, so that a NUL inside refuses the path rather than
  // cutting it short.
  if (job->writeFile(ZxString(path.asChar(), static_cast<int>(path.length())), ZxPack::kFormBinary) != 0) {
    ZxString written;
    if (jobToHash(job.get(), written)) appendToResult(MString(written.c_str(), written.length()));
  }
  return MStatus::kSuccess;
}

// The commands that move whole jobs: zxsubmit sends job hashes to the
// supervisor and answers the accepted jobs, zxjobinfo asks for jobs and
// answers their hashes, zxarchivejob writes a job hash to a file in the
// binary form.
#include "plugin/zx_job_commands.h"

#include <maya/MString.h>

#include <memory>
#include <new>

#include "client/zx_job_query.h"
#include "client/zx_last_error.h"
#include "client/zx_submit.h"
#include "model/zx_job.h"
#include "model/zx_query.h"
#include "plugin/zx_argument_words.h"
#include "plugin/zx_command_replies.h"
#include "plugin/zx_job_hash.h"
#include "plugin/zx_jobinfo_query.h"
#include "serial/zx_pack.h"
#include "util/zx_string.h"

namespace {

MString melText(const ZxString& s) { return MString(s.c_str(), s.length()); }

// Sets the result to the hashes of `jobs`, in order. Each job's work items
// and subjobs are released once its hash is written, so a large answer is
// not held twice over, as records and as text, while the result grows.
void answerJobs(ZxJobList& jobs) {
  setEmptyListResult();
  ZxString hash;
  for (int i = 0; i < jobs.count(); ++i) {
    ZxJob* job = jobs.get(i);
    if (!jobToHash(job, hash)) continue;
    job->agenda().clear();
    job->subjobs().clear();
    MPxCommand::appendToResult(melText(hash));
  }
}

}  // namespace

void* zxJobinfo::creator() { return new (std::nothrow) zxJobinfo; }

// zxjobinfo [options] [job ids]: the jobs the supervisor finds, one job
// hash each (with a "subjobs" element under -long).
MStatus zxJobinfo::doIt(const MArgList& args) {
  ZxStringList words;
  argumentWords(args, 0, words);
  ZxQuery query;
  MStatus answer;
  if (!readJobinfoQuery(words, query, answer)) return answer;
  ZxJobList jobs;
  if (!queryJobs(query, jobs)) {
    showSupervisorFailure();
    return MStatus::kFailure;
  }
  answerJobs(jobs);
  return MStatus::kSuccess;
}

void* zxSubmit::creator() { return new (std::nothrow) zxSubmit; }

// zxsubmit jobhash...: one job per hash (a string array gives one job per
// element), submitted as one list; the answer is the accepted jobs' hashes
// with the ids the supervisor gave them, in its order.
MStatus zxSubmit::doIt(const MArgList& args) {
  if (args.length() == 0) {
    displayError("at least one job must be specified.");
    return MStatus::kFailure;
  }
  ZxStringList hashes;
  argumentWords(args, 0, hashes);
  ZxJobList jobs;
  for (int i = 0; i < hashes.count(); ++i) {
    ZxJob* job = hashToJob(*hashes.get(i));
    if (!job) {
      displayError("out of memory");
      return MStatus::kFailure;
    }
    jobs.append(job);
  }
  ZxJobList accepted;
  if (!submit(jobs, accepted)) {
    const ZxErr reason(lastError());
    displayError(melText(errorLine(reason)));
    return MStatus::kFailure;
  }
  answerJobs(accepted);
  return MStatus::kSuccess;
}

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
  } else {
    setEmptyListResult();
  }
  return MStatus::kSuccess;
}

// ZxJob: the job file form that tries the binary file, then a text job
// list, then a single text job.
#include "model/zx_job.h"

namespace {

// Installed as the packable base's reader for text job files: a job list
// with at least one job gives its first job, anything else is read as a
// job directly.
int readJobText(ZxPack& target, const ZxString& path) {
  ZxJob* job = dynamic_cast<ZxJob*>(&target);
  if (job) {
    ZxJobList list;
    int n = list.readFile(path, ZxPack::kFormText);
    if (n > 0 && list.count() > 0 && list.get(0)) {
      *job = *list.get(0);
      return n;
    }
  }
  return target.readFile(path, ZxPack::kFormText);
}

const bool kJobTextReaderInstalled = (ZxPack::setJobTextReader(readJobText), true);

}  // namespace

int ZxJob::readJobFile(const ZxString& path) {
  (void)kJobTextReaderInstalled;
  return readFile(path, kFormJob);
}
